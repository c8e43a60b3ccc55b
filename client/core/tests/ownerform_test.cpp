#include "client/core/ownerform.h"

#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/core/sessionchain.h"
#include "client/core/settings.h"
#include "client/core/signon.h"
#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"
#include "platform/win/trayicon.h"

#include <gtest/gtest.h>

TEST(OwnerForm, StartsWithHiddenOwnerTrayIconAndSignOnWindow)
{
    ScratchDirs dirs;
    {
        TForm10 owner;
        EXPECT_FALSE(owner.Visible());
        ASSERT_NE(Signon(), nullptr);
        EXPECT_EQ(Signon()->Caption(), "Sign On");
        EXPECT_TRUE(Signon()->Visible());
        const auto icons = trayicon::Icons();
        ASSERT_EQ(icons.size(), 1u);
        EXPECT_EQ(icons[0].tip, Ansi("Korvo®"));
        Signon()->Free();
    }
    EXPECT_TRUE(trayicon::Icons().empty());
}

TEST(OwnerForm, TrayClickBringsTheSignOnWindowBack)
{
    ScratchDirs dirs;
    TForm10 owner;
    ASSERT_NE(Signon(), nullptr);
    Signon()->Hide();
    ASSERT_TRUE(trayicon::SimulateMouse(owner.QORTrayIcon1->NotifyWindow(), 0, WM_LBUTTONUP));
    EXPECT_TRUE(Application::ProcessMessagesUntil([] { return Signon()->Visible(); }, 5000));
    Signon()->Free();
}

TEST(OwnerForm, TrayClickAfterTheSignOnWindowWasClosedOpensItAgain)
{
    ScratchDirs dirs;
    TForm10 owner;
    ASSERT_NE(Signon(), nullptr);
    // What the close box does where a tray shows: the window frees itself, the program runs on.
    Signon()->Free();
    ASSERT_EQ(Signon(), nullptr);
    ASSERT_TRUE(trayicon::SimulateMouse(owner.QORTrayIcon1->NotifyWindow(), 0, WM_LBUTTONUP));
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return Signon() && Signon()->Visible(); }, 5000));
    EXPECT_EQ(Signon()->Caption(), "Sign On");
    Signon()->Free();
}

TEST(OwnerForm, ShowSignOnKeepsOneWindow)
{
    ScratchDirs dirs;
    TForm10 owner;
    TSignon* first = Signon();
    ShowSignOn();
    EXPECT_EQ(Signon(), first);
    Signon()->Free();
    EXPECT_EQ(Signon(), nullptr);
}

TEST(OwnerForm, TrayClickTucksTheDockedMainBarAndBringsItBack)
{
    ScratchDirs dirs;
    Session() = TSession {};
    TForm10 owner;
    Signon()->Free();
    TForm1 bar;
    LoadSessionSettings();
    const int docked = bar.Left();
    ASSERT_EQ(docked, Session().dockedLeft);

    ASSERT_TRUE(trayicon::SimulateMouse(owner.QORTrayIcon1->NotifyWindow(), 0, WM_LBUTTONUP));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return bar.Left() != docked; }, 5000));
    EXPECT_EQ(bar.Left(), Screen::Width() - 4);

    ASSERT_TRUE(trayicon::SimulateMouse(owner.QORTrayIcon1->NotifyWindow(), 0, WM_LBUTTONUP));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return bar.Left() != Screen::Width() - 4; }, 5000));
    EXPECT_EQ(bar.Left(), docked);
}
