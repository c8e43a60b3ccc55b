#include "larkspire_process.h"

#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"

#include <QFile>
#include <QProcess>
#include <QTime>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A signed-on user whose News.inf points at pages of the local service.
struct NewsFlow : ::testing::Test {
    ScratchDirs dirs;
    std::unique_ptr<ServiceProcess> service;
    std::unique_ptr<LarkspireProcess> larkspire;

    void SetUp() override
    {
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
        dirs.write("windows/my friends/alice/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
        service = std::make_unique<ServiceProcess>(std::vector<std::string> {
            "--db", dirs.root() + "/service.db", "--user", "alice:pw", "--files", dirs.root() + "/files" });
        ASSERT_TRUE(service->started()) << service->error();
        dirs.write("app/servers.ini", "[servers]\r\n0=" + service->hostPort() + "\r\n");
        // The last run was long ago, so the first tick after sign-on starts one.
        dirs.write("app/Channels.ini", "[NEWS]\r\nLastUpdated=2020-01-01 00:00:00\r\n");
    }
    std::string source(const std::string& name, const std::string& src) const
    {
        return "[" + name + "]\r\nsrc=" + src + "\r\nprefix=http://site/\r\nfilter=news/\r\nGet=1\r\n";
    }
    std::string url(const std::string& file) const { return "http://" + service->hostPort() + "/" + file; }
    void signOn()
    {
        larkspire = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), dirs.root() + "/l.sock",
                                                       LoopbackHost(2));
        ASSERT_TRUE(larkspire->signOn());
    }
    bool shown(const std::string& window)
    {
        const std::string reply = larkspire->command("find\t" + window);
        return reply.rfind("ok ", 0) == 0 && reply.find("\t1\t") != std::string::npos;
    }
    std::string caption() { return larkspire->command("text\tForm1\tChnName"); }
};

// Within the sign-on's time before an hour or the seconds the hourly run starts in.
bool NearTheHour(const QTime& time)
{
    return (time.minute() == 59 && time.second() >= 15) || (time.minute() == 0 && time.second() < 5);
}

}  // namespace

TEST_F(NewsFlow, AfterSignOnTheNewsIsFetchedAndAKeywordAlertShows)
{
    dirs.write("files/world.htm", "<html>\r\n<a href=\"news/1.htm\" target=\"_top\"><b>Gold hits a record</b></a>\r\n"
                                  "<a href=\"news/2.htm\">Rain in Spain</a>\r\n<a href=\"ads/x.htm\">Buy now</a>\r\n");
    dirs.write("files/sport.htm", "<meta charset=\"utf-8\">\r\n<a href=\"news/k.htm\">K\xC3\xB6ln wins</a>\r\n");
    dirs.write("app/News.inf", source("World", url("world.htm")) + source("Gone", url("gone.htm"))
                                   + source("Sport", url("sport.htm")));
    dirs.write("app/keywords.txt", "gold\r\n");
    signOn();
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return dirs.exists("app/News.ini"); }, 20000));
    EXPECT_EQ(dirs.read("app/News.ini"), "[World]\r\n0=Gold hits a record\xB6http://site/news/1.htm\r\n"
                                         "1=Rain in Spain\xB6http://site/news/2.htm\r\n"
                                         "[Sport]\r\n0=K\xF6ln wins\xB6http://site/news/k.htm\r\n");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return shown("News Alert"); }, 10000));
    EXPECT_EQ(larkspire->command("text\tNews Alert\tListBox1"), "ok Gold hits a record\\thttp://site/news/1.htm");
    const std::string channels = dirs.read("app/Channels.ini");
    EXPECT_NE(channels.find("[NEWS]"), std::string::npos);
    EXPECT_NE(channels.find("NewsUnread=1"), std::string::npos);
    EXPECT_NE(channels.find("LastUpdated=20"), std::string::npos);
    EXPECT_EQ(larkspire->command("close\tNews Alert"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return dirs.exists("app/Alerts.txt"); }, 10000));
    EXPECT_EQ(dirs.read("app/Alerts.txt"), "Gold hits a record\xB6http://site/news/1.htm\r\n");
}

TEST_F(NewsFlow, AutomaticFetchingOffStartsNothing)
{
    dirs.write("files/world.htm", "<a href=\"news/1.htm\">Gold</a>\r\n");
    dirs.write("app/News.inf", source("World", url("world.htm")));
    dirs.write("app/Channels.ini", "[Push News]\r\nmanual=0\r\n");
    signOn();
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return larkspire->command("text\tForm1\tStatusBar1") == "ok alice"; },
                                                  20000));
    // Nothing marks a fetch that does not happen: give the timer the few ticks a fetch starts within.
    Application::ProcessMessagesUntil([] { return false; }, 3000);
    EXPECT_FALSE(dirs.exists("app/News.ini"));
    EXPECT_EQ(caption().find("NEWS"), std::string::npos);
}

TEST_F(NewsFlow, AFirstLogOnWithoutAStoredRunKeepsTheGreeting)
{
    dirs.write("files/world.htm", "<a href=\"news/1.htm\">Gold</a>\r\n");
    dirs.write("app/News.inf", source("World", url("world.htm")));
    // A user who has never had a news run here.
    dirs.write("app/Channels.ini", "");
    // The first seconds of every hour start a run whatever the stored time says: keep clear of them.
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return !NearTheHour(QTime::currentTime()); }, 60000));
    signOn();
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return caption().rfind("ok GOOD ", 0) == 0; }, 20000)) << caption();
    // Nothing marks a fetch that does not happen: give the timer the few ticks a fetch starts within.
    Application::ProcessMessagesUntil([] { return false; }, 3000);
    EXPECT_EQ(caption().rfind("ok GOOD ", 0), 0u) << caption();
    EXPECT_FALSE(dirs.exists("app/News.ini"));
}

TEST_F(NewsFlow, SignOffDuringAStalledPageEndsTheFetchAtOnce)
{
    const std::string script = dirs.root() + "/silent.sh";
    // The page's server marks that the fetch reached it, then never answers.
    dirs.write("silent.sh", "#!/bin/sh\n: > '" + dirs.root() + "/reached'\nexec sleep 60\n");
    QFile::setPermissions(QString::fromStdString(script), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess socat;
    socat.start("socat", { QString::fromStdString("TCP4-LISTEN:18096,bind=" + LoopbackHost(40) + ",reuseaddr,fork"),
                           QString::fromStdString("EXEC:" + script) });
    ASSERT_TRUE(socat.waitForStarted(5000));
    dirs.write("app/News.inf", source("Stalled", "http://" + LoopbackHost(40) + ":18096/page.htm"));
    dirs.write("app/News.ini", "[Old]\r\n0=Kept\xB6http://old/\r\n");
    signOn();
    // The fetch's caption shares the label with the log-on's greeting, which may come later: the
    // stalled server itself tells that the fetch is under way.
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return dirs.exists("reached"); }, 20000)) << caption();
    EXPECT_EQ(larkspire->command("click\tForm1\tSpeedButton2"), "ok");
    // Well inside the half minute the stall would take to end by itself.
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return shown("Sign On"); }, 15000));
    EXPECT_EQ(dirs.read("app/News.ini"), "[Old]\r\n0=Kept\xB6http://old/\r\n");
    socat.kill();
    socat.waitForFinished(5000);
}
