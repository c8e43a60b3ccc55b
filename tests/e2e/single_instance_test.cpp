#include "larkspire_process.h"

#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"
#include "platform/win/windowlist.h"

#include <gtest/gtest.h>

namespace {

std::string Socket(const ScratchDirs& dirs, const char* name) { return dirs.root() + "/" + name + ".sock"; }

}  // namespace

TEST(SingleInstance, SecondCopyWhileSignOnIsShownEndsSilently)
{
    ScratchDirs dirs;
    LarkspireProcess first(dirs.windowsDir(), dirs.appDir(), Socket(dirs, "a"));
    ASSERT_TRUE(first.waitForSignOn());
    EXPECT_TRUE(windowlist::TitleExists("Sign On"));

    LarkspireProcess second(dirs.windowsDir(), dirs.appDir(), Socket(dirs, "b"));
    ASSERT_TRUE(second.waitForEnd());
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.errors().find("[message box]"), std::string::npos);
    EXPECT_EQ(second.errors().find("sign-on shown"), std::string::npos);
    EXPECT_TRUE(first.running());
    EXPECT_EQ(first.command("find\tSign On").substr(0, 12), "ok Signon\t1\t");
}

TEST(SingleInstance, SecondCopyWhileMainBarRunsSaysSo)
{
    ScratchDirs dirs;
    windowlist::Publish(0x4B1, Ansi("KORVO®"));
    LarkspireProcess second(dirs.windowsDir(), dirs.appDir(), Socket(dirs, "b"));
    ASSERT_TRUE(second.waitForEnd());
    windowlist::Withdraw(0x4B1);
    EXPECT_NE(second.errors().find("KORVO is already running. Click the remote icon located on your taskbar."),
              std::string::npos)
        << second.errors();
    EXPECT_EQ(second.errors().find("sign-on shown"), std::string::npos);
    EXPECT_FALSE(windowlist::TitleExists("Sign On"));
}

TEST(SingleInstance, UpdaterWindowStopsTheStart)
{
    ScratchDirs dirs;
    windowlist::Publish(0x4B2, Ansi("Kestrow®"));
    LarkspireProcess second(dirs.windowsDir(), dirs.appDir(), Socket(dirs, "b"));
    ASSERT_TRUE(second.waitForEnd());
    windowlist::Withdraw(0x4B2);
    EXPECT_NE(second.errors().find(codepage::ToUtf8(Ansi("KORVO update is in progress, cannot start KORVO®."))),
              std::string::npos)
        << second.errors();
    EXPECT_EQ(second.errors().find("sign-on shown"), std::string::npos);
}

TEST(SingleInstance, UpdaterIsTestedBeforeTheSignOnWindow)
{
    ScratchDirs dirs;
    LarkspireProcess first(dirs.windowsDir(), dirs.appDir(), Socket(dirs, "a"));
    ASSERT_TRUE(first.waitForSignOn());
    windowlist::Publish(0x4B3, Ansi("Kestrow®"));
    LarkspireProcess second(dirs.windowsDir(), dirs.appDir(), Socket(dirs, "b"));
    ASSERT_TRUE(second.waitForEnd());
    windowlist::Withdraw(0x4B3);
    EXPECT_NE(second.errors().find("KORVO update is in progress"), std::string::npos);
}

TEST(SingleInstance, DifferentWindowsDirectoriesDoNotSeeEachOther)
{
    ScratchDirs one;
    const std::string firstWindows = one.windowsDir();
    const std::string firstApp = one.appDir();
    LarkspireProcess first(firstWindows, firstApp, Socket(one, "a"));
    ASSERT_TRUE(first.waitForSignOn());
    ScratchDirs two;
    LarkspireProcess second(two.windowsDir(), two.appDir(), Socket(two, "b"));
    ASSERT_TRUE(second.waitForSignOn());
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(second.running());
}
