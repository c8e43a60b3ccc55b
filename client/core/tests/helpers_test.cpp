#include "client/core/helpers.h"

#include "client/core/session.h"
#include "platform/testing/scratch.h"
#include "platform/win/process.h"
#include "platform/win/shell.h"
#include "platform/win/sound.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct HelpersFixture : ::testing::Test {
    ScratchDirs dirs;
    std::vector<std::string> played;
    void SetUp() override
    {
        Session() = TSession {};
        sound::SetObserver([this](const std::string& file, unsigned) {
            if (!file.empty())
                played.push_back(file);
        });
    }
    void TearDown() override
    {
        PlaySound("", SND_PURGE);
        sound::SetObserver(nullptr);
    }
};

}  // namespace

TEST_F(HelpersFixture, FoldersFollowTheirSeparatorRules)
{
    EXPECT_EQ(AppPath(), dirs.appDir() + "/");
    EXPECT_EQ(WindowsDir(), dirs.windowsDir());
}

TEST_F(HelpersFixture, SoundsAreNumberedAsTheTableSays)
{
    EXPECT_EQ(AppSoundFile(1), "alert.wav");
    EXPECT_EQ(AppSoundFile(5), "startup.wav");
    EXPECT_EQ(AppSoundFile(6), "alert3.wav");
    EXPECT_EQ(AppSoundFile(12), "Sendfile.wav");
    EXPECT_EQ(AppSoundFile(16), "newmail.wav");
    EXPECT_EQ(AppSoundFile(0), "");
    EXPECT_EQ(AppSoundFile(17), "");
}

TEST_F(HelpersFixture, SoundOffPlaysNothing)
{
    PlayAppSound(5, false);
    EXPECT_TRUE(played.empty());
}

TEST_F(HelpersFixture, SoundOutsideTheTablePlaysNothing)
{
    Session().sound = true;
    PlayAppSound(17, false);
    PlayAppSound(0, false);
    EXPECT_TRUE(played.empty());
}

TEST_F(HelpersFixture, SoundOnPlaysTheProgramFoldersFile)
{
    Session().sound = true;
    PlayAppSound(6, false);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], dirs.appDir() + "/alert3.wav");
}

TEST_F(HelpersFixture, SafeFileNameTrimsAndReplaces)
{
    EXPECT_EQ(MakeSafeFileName("  a/b:c  "), "a-b-c");
    EXPECT_EQ(MakeSafeFileName("x\\y*z?\"<>|"), "x-y-z-----");
    EXPECT_EQ(MakeSafeFileName("   "), "");
    EXPECT_EQ(MakeSafeFileName("\t\x01name\r\n"), "name");
}

TEST_F(HelpersFixture, MissingRegistryKeyReadsEmpty)
{
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "\\Software\\Nobody\\Here", "x"), "");
    TRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKey("\\Software\\Korvo Test", true));
    registry.WriteString("name", "value");
    registry.WriteInteger("number", 3);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "\\Software\\Korvo Test", "name"), "value");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "\\Software\\Korvo Test", "missing"), "");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "\\Software\\Korvo Test", "number"), "");
    EXPECT_FALSE(registry.KeyExists("\\Software\\Nobody\\Here"));
}

TEST_F(HelpersFixture, RunProgramStartsTheProgramFoldersProgram)
{
    std::vector<process::Launch> launches;
    process::SetObserver([&](const process::Launch& l) { launches.push_back(l); }, false);
    RunProgram("mail.exe /config", 1);
    process::SetObserver(nullptr);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].program, dirs.appDir() + "/mail");
    EXPECT_EQ(launches[0].arguments, (std::vector<std::string> { "/config" }));
}

TEST(WebLinks, OnlyHttpAndHttpsAddressesAreWebLinks)
{
    for (const char* link : { "http://example.org/", "HTTPS://example.org/a", "  http://x/  " })
        EXPECT_TRUE(IsWebLink(link)) << link;
    for (const char* link : { "file:///etc/passwd#news/", "javascript:alert(1)", "/etc/passwd", "www.example.org",
                              "mailto:a@b.c", "http:/x", "", "ftp://x/" })
        EXPECT_FALSE(IsWebLink(link)) << link;
}

TEST(WebLinks, OnlyAWebLinkIsOpened)
{
    std::vector<std::string> opened;
    shell::SetOpenHook([&](const std::string& url) { opened.push_back(url); });
    OpenWebLink("file:///etc/passwd");
    OpenWebLink("https://example.org/");
    OpenDocument("/tmp/messages.inf");
    shell::SetOpenHook(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string> { "https://example.org/", "/tmp/messages.inf" }));
}

TEST(Mailto, APlainAddressGoesIntoTheMessageTrimmed)
{
    EXPECT_EQ(MailtoUrl("ada@example.org"), "mailto:ada@example.org");
    EXPECT_EQ(MailtoUrl("  ada@example.org "), "mailto:ada@example.org");
    EXPECT_EQ(MailtoUrl(""), "mailto:");
}

TEST(Mailto, AnAddressThatWouldAddHeadersOrABodyIsNoAddress)
{
    for (const char* address : { "eve@x?bcc=spy@evil&subject=hi", "a@b&c", "a@b#top", "a%40b@c", "a b@c", "a@b\r\nc",
                                 "a@b\tc", "a@b\x7F", "a@b,eve@evil", "a@b;eve@evil" }) {
        EXPECT_FALSE(IsPlainMailAddress(address)) << address;
        EXPECT_EQ(MailtoUrl(address), "mailto:") << address;
    }
    EXPECT_TRUE(IsPlainMailAddress("o'hara+list@example.org"));
}

TEST(Mailto, SeveralAddressesAreJoinedAndTheRefusedOnesLeftOut)
{
    EXPECT_EQ(MailtoUrl(std::vector<std::string> { " ada@example.org ", "", "eve@x?bcc=spy@evil", "cy@example.org" }),
              "mailto:ada@example.org; cy@example.org; ");
    EXPECT_EQ(MailtoUrl(std::vector<std::string> {}), "mailto:");
}
