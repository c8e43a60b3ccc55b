#include "client/features/kestrowthread.h"

#include "client/core/adindex.h"
#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/features/tests/cannedhttp.h"
#include "platform/rtl/eventloop.h"
#include "platform/testing/scratch.h"
#include "platform/testing/scriptedhttp.h"
#include "platform/testing/serviceprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <thread>

namespace {

std::string Logo()
{
    QFile file(QStringLiteral(KORVO_BIN_DIR "/sigonlogo.gif"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

class AdRefresh : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        Session().online = true;
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nVersion=1.5\r\n");
    }

    // A korvo-service whose files folder holds these pictures and ads.idx.
    void serve(const std::string& index, const std::vector<std::string>& pictures)
    {
        QDir().mkpath(files.filePath("images"));
        writeFile(files.filePath("images/ads.idx").toStdString(), index);
        for (const std::string& name : pictures)
            writeFile(files.filePath(QString::fromStdString("images/" + name)).toStdString(), Logo());
        service = std::make_unique<ServiceProcess>(std::vector<std::string> { "--db", files.filePath("users.db").toStdString(),
                                                                              "--files", files.path().toStdString() });
        ASSERT_TRUE(service->started()) << service->error();
    }

    static void writeFile(const std::string& path, const std::string& bytes)
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    // The updater stub records its command line beside itself.
    void installUpdater() const
    {
        dirs.write("app/kestrow", "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/kestrow.args.tmp\"\n"
                                  "mv \"$(dirname \"$0\")/kestrow.args.tmp\" \"$(dirname \"$0\")/kestrow.args\"\n");
        QFile::setPermissions(QString::fromStdString(dirs.appDir() + "/kestrow"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    ScratchDirs dirs;
    QTemporaryDir files;
    std::unique_ptr<ServiceProcess> service;
};

TEST(AdListing, KeepsQuotedGifNamesAfterTheHeaderWhateverTheirCase)
{
    EXPECT_EQ(ParseAdListing("NAME=\"head.gif\"\r\nNAME=\"one.GIF\"\r\nNAME=\"two.jpg\"\r\nx NAME=\"three.gif\" y\r\n"
                             "other \"four.gif\"\r\n"),
              (std::vector<std::string> { "one.GIF", "three.gif" }));
}

TEST(AdListing, RefusesNamesThatLeaveTheAdsFolder)
{
    EXPECT_EQ(ParseAdListing("images\nNAME=\"../up.gif\"\nNAME=\"a/b.gif\"\nNAME=\"a\\b.gif\"\nNAME=\".gif\"\n"
                             "NAME=\"x.gif.exe\"\nNAME=\"ok.gif\"\n"),
              (std::vector<std::string> { "ok.gif" }));
}

TEST(AdListing, ReadsNoMoreThanItsLimit)
{
    std::string listing = "images\n";
    for (std::size_t i = 0; i < kMaxAdPictures + 50; ++i)
        listing += "NAME=\"p" + std::to_string(i) + ".gif\"\n";
    EXPECT_EQ(ParseAdListing(listing).size(), kMaxAdPictures);
}

TEST(AdVersion, OnlyAWholeDecimalNumberCounts)
{
    EXPECT_EQ(ParseVersion(" 1.10 "), 1.1);
    EXPECT_EQ(ParseVersion("2"), 2.0);
    for (const char* bad : { "1.2.3", "Unknown", "", "1,5", "1.5x", "0x10", "inf", "nan" })
        EXPECT_FALSE(ParseVersion(bad)) << bad;
}

TEST_F(AdRefresh, FetchesTheIndexAndEveryListedPicture)
{
    serve("[Index]\r\nUpdateCode=7\r\n0=a.gif\r\n", { "a.gif", "b.GIF", "c.jpg" });
    dirs.write("app/ads/old.gif", "old");
    RefreshAds(service->hostPort());
    EXPECT_EQ(dirs.read("app/ads/ads.idx"), "[Index]\r\nUpdateCode=7\r\n0=a.gif\r\n");
    EXPECT_EQ(dirs.read("app/ads/a.gif"), Logo());
    EXPECT_EQ(dirs.read("app/ads/b.GIF"), Logo());
    EXPECT_FALSE(dirs.exists("app/ads/c.jpg"));
    EXPECT_FALSE(dirs.exists("app/ads/old.gif"));
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("AdUpdateCode=7\r\n"), std::string::npos);
}

TEST_F(AdRefresh, TheSameCodeFetchesNoListingAndKeepsThePictures)
{
    CannedHttp host({ { "/images/ads.idx", "[Index]\r\nUpdateCode=7\r\n" }, { "/images", "images\r\nNAME=\"n.gif\"\r\n" } });
    dirs.write("windows/larkspire.ini", "[Main]\r\nAdUpdateCode=7\r\n");
    dirs.write("app/ads/old.gif", "old");
    RefreshAds(host.hostPort());
    EXPECT_EQ(host.requests(), (std::vector<std::string> { "/images/ads.idx" }));
    EXPECT_EQ(dirs.read("app/ads/old.gif"), "old");
}

TEST_F(AdRefresh, AnEmptyListingKeepsTheCodeForTheNextSignOn)
{
    CannedHttp host({ { "/images/ads.idx", "[Index]\r\nUpdateCode=8\r\n" }, { "/images", "" } });
    dirs.write("windows/larkspire.ini", "[Main]\r\nAdUpdateCode=7\r\n");
    RefreshAds(host.hostPort());
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[Main]\r\nAdUpdateCode=7\r\n");
}

TEST_F(AdRefresh, AnIndexWithoutItsCodeDeletesNothing)
{
    CannedHttp host(std::map<std::string, std::string> { { "/images/ads.idx", "<html>Server Error</html>\r\n" } });
    dirs.write("windows/larkspire.ini", "[Main]\r\nAdUpdateCode=7\r\n");
    dirs.write("app/ads/old.gif", "old");
    RefreshAds(host.hostPort());
    EXPECT_EQ(host.requests(), (std::vector<std::string> { "/images/ads.idx" }));
    EXPECT_EQ(dirs.read("app/ads/old.gif"), "old");
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[Main]\r\nAdUpdateCode=7\r\n");
}

TEST_F(AdRefresh, HostileListingNamesAreNeverFetchedOrWritten)
{
    CannedHttp host({ { "/images/ads.idx", "[Index]\r\nUpdateCode=2\r\n" },
                      { "/images", "images\r\nNAME=\"../../windows/evil.gif\"\r\nNAME=\"sub/evil.gif\"\r\nNAME=\"good.gif\"\r\n" },
                      { "/images/good.gif", Logo() } });
    RefreshAds(host.hostPort());
    EXPECT_EQ(host.requests(), (std::vector<std::string> { "/images/ads.idx", "/images", "/images/good.gif" }));
    EXPECT_EQ(dirs.read("app/ads/good.gif"), Logo());
    EXPECT_FALSE(dirs.exists("windows/evil.gif"));
    EXPECT_FALSE(dirs.exists("app/ads/sub"));
}

TEST_F(AdRefresh, APictureTooLargeToShowIsNotKept)
{
    CannedHttp host({ { "/images/ads.idx", "[Index]\r\nUpdateCode=2\r\n" },
                      { "/images", "images\r\nNAME=\"wide.gif\"\r\nNAME=\"big.gif\"\r\n" },
                      { "/images/wide.gif", std::string("GIF89a\x01\x10\x01\x00\x00\x00\x00", 13) },
                      { "/images/big.gif", "GIF89a\x10\x00\x10\x00" + std::string(1024 * 1024, '\0') } });
    RefreshAds(host.hostPort());
    EXPECT_FALSE(dirs.exists("app/ads/wide.gif"));
    EXPECT_FALSE(dirs.exists("app/ads/big.gif"));
}

TEST_F(AdRefresh, AListedPictureOverTheLimitIsRefusedWhileItComes)
{
    constexpr std::size_t kSent = 64 * 1024 * 1024;
    ScriptedHttp host({ { "/images/ads.idx", { ScriptedHttp::Page("[Index]\r\nUpdateCode=2\r\n") } },
                        { "/images", { ScriptedHttp::Page("images\r\nNAME=\"huge.gif\"\r\nNAME=\"a.gif\"\r\n") } },
                        { "/images/huge.gif", { ScriptedHttp::Huge(kSent) } },
                        { "/images/a.gif", { ScriptedHttp::Page(Logo()) } } });
    RefreshAds(host.hostPort());
    EXPECT_FALSE(dirs.exists("app/ads/huge.gif"));
    EXPECT_EQ(dirs.read("app/ads/a.gif"), Logo());
    ASSERT_EQ(host.requests("/images/huge.gif").size(), 1u);
    EXPECT_LT(host.requests("/images/huge.gif")[0].bodyBytesSent, kSent);
}

TEST_F(AdRefresh, ACancelledRunKeepsTheOldCodeSoTheNextFetchesTheSetAgain)
{
    ScriptedHttp host({ { "/images/ads.idx", { ScriptedHttp::Page("[Index]\r\nUpdateCode=2\r\n") } },
                        { "/images", { ScriptedHttp::Page("images\r\nNAME=\"a.gif\"\r\nNAME=\"b.gif\"\r\n") } },
                        { "/images/a.gif", { ScriptedHttp::Page(Logo()) } },
                        { "/images/b.gif", { ScriptedHttp::Stall(), ScriptedHttp::Page(Logo()) } } });
    dirs.write("windows/larkspire.ini", "[Main]\r\nAdUpdateCode=1\r\n");
    const DownloadLimits signedOff;
    std::thread run([&] { RefreshAds(host.hostPort(), signedOff); });
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return host.requests("/images/b.gif").size() == 1; }, 10000));
    CancelDownloads();
    run.join();
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[Main]\r\nAdUpdateCode=1\r\n");
    EXPECT_FALSE(dirs.exists("app/ads/b.gif"));
    RefreshAds(host.hostPort());
    EXPECT_EQ(dirs.read("app/ads/a.gif"), Logo());
    EXPECT_EQ(dirs.read("app/ads/b.gif"), Logo());
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("AdUpdateCode=2\r\n"), std::string::npos);
}

TEST_F(AdRefresh, TheFolderKeepsAtMostItsCapOfPictures)
{
    const std::string picture = std::string("GIF89a\x10\x00\x10\x00", 10) + std::string(kMaxAdPictureBytes - 10, '\0');
    std::map<std::string, std::vector<ScriptedHttp::Script>> scripts {
        { "/images/ads.idx", { ScriptedHttp::Page("[Index]\r\nUpdateCode=2\r\n") } } };
    std::string listing = "images\r\n";
    constexpr int kPictures = static_cast<int>(kMaxAdFolderBytes / kMaxAdPictureBytes) + 2;
    for (int i = 0; i < kPictures; ++i) {
        listing += "NAME=\"p" + std::to_string(i) + ".gif\"\r\n";
        scripts["/images/p" + std::to_string(i) + ".gif"] = { ScriptedHttp::Page(picture) };
    }
    scripts["/images"] = { ScriptedHttp::Page(listing) };
    ScriptedHttp host(std::move(scripts));
    RefreshAds(host.hostPort());
    std::int64_t total = 0;
    for (const QFileInfo& entry : QDir(QString::fromStdString(dirs.appDir() + "/ads")).entryInfoList({ "*.gif" }, QDir::Files))
        total += entry.size();
    EXPECT_EQ(total, kMaxAdFolderBytes);
    // What did not fit stays at the host; asking again would change nothing.
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("AdUpdateCode=2\r\n"), std::string::npos);
}

TEST_F(AdRefresh, AnIndexOverTheLimitIsNotKept)
{
    ScriptedHttp host({ { "/images/ads.idx", { ScriptedHttp::Huge(2 * 1024 * 1024) } } });
    dirs.write("app/ads/ads.idx", "[Index]\r\nUpdateCode=7\r\n");
    RefreshAds(host.hostPort());
    EXPECT_FALSE(dirs.exists("app/ads/ads.idx"));
}

TEST_F(AdRefresh, AnOlderAnnouncedVersionStartsNothing)
{
    installUpdater();
    dirs.write("app/ads/ads.idx", "[Live Update]\r\nVersion=1.10\r\n");
    EXPECT_FALSE(CheckLiveUpdate());
    for (const char* version : { "1.2.3", "Unknown", "" }) {
        dirs.write("app/ads/ads.idx", std::string("[Live Update]\r\nVersion=") + version + "\r\n");
        EXPECT_FALSE(CheckLiveUpdate()) << version;
    }
    Application::ProcessMessages();
    EXPECT_FALSE(dirs.exists("app/kestrow.args"));
}

TEST_F(AdRefresh, ANewerVersionOnlineShowsUpdateAndStartsTheUpdater)
{
    installUpdater();
    const auto bar = std::make_unique<TForm1>();
    dirs.write("app/ads/ads.idx", "[Live Update]\r\nVersion=1.6\r\n");
    EXPECT_TRUE(CheckLiveUpdate());
    EXPECT_EQ(bar->ChnName->text().toStdString(), "UPDATE");
    ASSERT_TRUE(Application::ProcessMessagesUntil([this] { return dirs.exists("app/kestrow.args"); }, 20000));
    EXPECT_EQ(dirs.read("app/kestrow.args"), "-si\n");
}

TEST_F(AdRefresh, ANewerVersionOfflineOnlySetsTheCaption)
{
    installUpdater();
    Session().online = false;
    const auto bar = std::make_unique<TForm1>();
    dirs.write("app/ads/ads.idx", "[Live Update]\r\nVersion=2\r\n");
    EXPECT_TRUE(CheckLiveUpdate());
    EXPECT_EQ(bar->ChnName->text().toStdString(), "UPDATE");
    EXPECT_FALSE(dirs.exists("app/kestrow.args"));
}

TEST_F(AdRefresh, TheAdsServerDefaultsToTheAccountHost)
{
    Session().regsServer = "127.0.0.1:9";
    EXPECT_EQ(AdsServer(), "127.0.0.1:9");
}

TEST_F(AdRefresh, TheThreadRefreshesFromTheAdsServerSetting)
{
    serve("[Index]\r\nUpdateCode=3\r\n", { "z.gif" });
    Session().regsServer = "127.0.0.1:1";
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nAdsServer=" + service->hostPort() + "\r\n");
    EXPECT_EQ(AdsServer(), service->hostPort());
    TKestrowThread1 thread(AdsServer());
    thread.FreeOnTerminate = false;
    thread.Start();
    thread.WaitFor();
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("AdUpdateCode=3\r\n"), std::string::npos);
    EXPECT_EQ(dirs.read("app/ads/z.gif"), Logo());
}

}  // namespace
