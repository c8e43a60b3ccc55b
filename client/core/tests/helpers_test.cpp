#include "client/core/helpers.h"

#include "client/core/session.h"
#include "platform/testing/scratch.h"
#include "platform/win/process.h"
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
