#include "platform/win/windowlist.h"

#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"
#include "platform/tests/helper_process.h"
#include "platform/win/desktop.h"

#include <gtest/gtest.h>

#include <QLocalSocket>

#include <unistd.h>

#include <cstdlib>
#include <vector>

TEST(WindowList, AWindowOfThisProcessIsFoundByItsExactTitleUntilWithdrawn)
{
    ScratchDirs dirs;
    windowlist::Publish(7, Ansi("KORVO®"));
    EXPECT_TRUE(windowlist::TitleExists(Ansi("KORVO®")));
    EXPECT_FALSE(windowlist::TitleExists("KORVO"));
    EXPECT_FALSE(windowlist::TitleExists(Ansi("korvo®")));
    windowlist::Withdraw(7);
    EXPECT_FALSE(windowlist::TitleExists(Ansi("KORVO®")));
}

TEST(WindowList, RenamingAWindowReplacesItsTitle)
{
    ScratchDirs dirs;
    windowlist::Publish(8, "Sign On");
    windowlist::Publish(8, "Setup");
    EXPECT_FALSE(windowlist::TitleExists("Sign On"));
    EXPECT_TRUE(windowlist::TitleExists("Setup"));
    windowlist::Withdraw(8);
}

TEST(WindowList, BringingOwnWindowForwardCallsTheHandlerWithItsId)
{
    ScratchDirs dirs;
    std::vector<std::uintptr_t> raised;
    windowlist::SetActivationHandler([&](std::uintptr_t id) { raised.push_back(id); });
    windowlist::Publish(9, "Sign On");
    EXPECT_TRUE(windowlist::BringToFront("Sign On"));
    EXPECT_FALSE(windowlist::BringToFront("Nobody"));
    EXPECT_EQ(raised, std::vector<std::uintptr_t> { 9 });
    windowlist::Withdraw(9);
    windowlist::SetActivationHandler(nullptr);
}

TEST(WindowList, AnotherProcessOnTheSameDesktopSeesTheTitles)
{
    ScratchDirs dirs;
    HelperProcess other({ "windows", "Sign On", QString::fromStdString(codepage::ToUtf8(Ansi("KORVO®"))) });
    ASSERT_TRUE(other.waitFor("ready"));
    EXPECT_TRUE(windowlist::TitleExists("Sign On"));
    EXPECT_TRUE(windowlist::TitleExists(Ansi("KORVO®")));
    EXPECT_FALSE(windowlist::TitleExists("Kestrow"));
}

TEST(WindowList, BringToFrontReachesTheOwningProcess)
{
    ScratchDirs dirs;
    HelperProcess other({ "windows", "Sign On" });
    ASSERT_TRUE(other.waitFor("ready"));
    EXPECT_TRUE(windowlist::BringToFront("Sign On"));
    EXPECT_TRUE(other.waitFor("activated Sign On"));
}

TEST(WindowList, DesktopsWithDifferentWindowsDirectoriesDoNotSeeEachOther)
{
    ScratchDirs hostA;
    HelperProcess other({ "windows", "Sign On" });
    ASSERT_TRUE(other.waitFor("ready"));
    ASSERT_TRUE(windowlist::TitleExists("Sign On"));
    {
        ScratchDirs hostB;
        EXPECT_FALSE(windowlist::TitleExists("Sign On"));
        EXPECT_FALSE(windowlist::BringToFront("Sign On"));
    }
    EXPECT_TRUE(windowlist::TitleExists("Sign On"));
}

TEST(WindowList, AKilledProcessLeavesNoTitlesBehind)
{
    ScratchDirs dirs;
    HelperProcess other({ "windows", "Sign On" });
    ASSERT_TRUE(other.waitFor("ready"));
    ASSERT_TRUE(windowlist::TitleExists("Sign On"));
    other.kill();
    EXPECT_FALSE(windowlist::TitleExists("Sign On"));
    EXPECT_FALSE(windowlist::BringToFront("Sign On"));
}

TEST(WindowList, AProcessThatEndsNormallyWithdrawsItsTitles)
{
    ScratchDirs dirs;
    HelperProcess other({ "windows", "Sign On" });
    ASSERT_TRUE(other.waitFor("ready"));
    other.stop();
    EXPECT_FALSE(windowlist::TitleExists("Sign On"));
}

TEST(WindowList, RequestsForWindowsThisProcessDoesNotOwnAreIgnored)
{
    ScratchDirs dirs;
    std::vector<std::uintptr_t> raised;
    windowlist::SetActivationHandler([&](std::uintptr_t id) { raised.push_back(id); });
    windowlist::Publish(11, "Chess");
    Application::ProcessMessages();
    const QString path = QString::fromStdString(desktop::Folder() + "/" + std::to_string(getpid()) + ".sock");
    auto send = [&](const QByteArray& bytes) {
        QLocalSocket socket;
        socket.connectToServer(path);
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(bytes);
        socket.flush();
        Application::ProcessMessagesUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 2000);
    };
    send("activate 999\n");
    send(QByteArray(500, 'x'));
    send("activate 11 and more\n");
    send("activate 11\n");
    EXPECT_EQ(raised, std::vector<std::uintptr_t> { 11 });
    windowlist::Withdraw(11);
    windowlist::SetActivationHandler(nullptr);
}
