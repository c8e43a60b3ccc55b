#include "kit/qortrayicon.h"

#include "platform/win/trayicon.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TrayFixture : ::testing::Test {
    TForm form { "Form10" };
    TQORTrayIcon tray { &form };
    std::vector<std::string> events;

    void SetUp() override
    {
        tray.OnClick = [this](TQORTrayIcon*) { events.push_back("click"); };
        tray.OnDblClick = [this](TQORTrayIcon*) { events.push_back("dblclick"); };
        tray.OnPopUp = [this](TQORTrayIcon*) { events.push_back("popup"); };
        tray.OnMouseDown = [this](TQORTrayIcon*, TMouseButton b, TShiftState s, int, int) {
            events.push_back("down" + std::to_string(b) + ((s & ssDouble) ? "d" : ""));
        };
        tray.OnMouseUp = [this](TQORTrayIcon*, TMouseButton b, TShiftState, int, int) {
            events.push_back("up" + std::to_string(b));
        };
        tray.OnMouseMove = [this](TQORTrayIcon*, TShiftState, int, int) { events.push_back("move"); };
        tray.SetHint("Korvo");
        tray.Loaded();
    }

    void mouse(UINT message)
    {
        ASSERT_TRUE(trayicon::SimulateMouse(tray.NotifyWindow(), 0, message));
        Application::ProcessMessages();
    }

    const trayicon::IconState* icon() const
    {
        static trayicon::IconState found;
        for (const auto& state : trayicon::Icons())
            if (state.wnd == tray.NotifyWindow()) {
                found = state;
                return &found;
            }
        return nullptr;
    }

    void pressCloseBox()
    {
        QCloseEvent close;
        QCoreApplication::sendEvent(&form, &close);
    }
};

}  // namespace

TEST_F(TrayFixture, LoadedIconIsInTheTrayWithItsTip)
{
    ASSERT_NE(icon(), nullptr);
    EXPECT_EQ(icon()->tip, "Korvo");
    EXPECT_EQ(icon()->callbackMessage, TQORTrayIcon::kCallbackMessage);
}

TEST_F(TrayFixture, LongHintShowsItsFirst63Characters)
{
    const std::string hint(70, 'h');
    tray.SetHint(hint);
    EXPECT_EQ(icon()->tip, hint.substr(0, 63));
}

TEST_F(TrayFixture, SameHintAgainSendsNoModification)
{
    tray.SetHint("New");
    const int before = icon()->modifications;
    tray.SetHint("New");
    EXPECT_EQ(icon()->modifications, before);
}

TEST_F(TrayFixture, LeftClickGivesClickThenMouseUp)
{
    mouse(WM_LBUTTONDOWN);
    mouse(WM_LBUTTONUP);
    EXPECT_EQ(events, (std::vector<std::string> { "down0", "click", "up0" }));
}

TEST_F(TrayFixture, DoubleClickGivesDblClickThenDoubleMouseDown)
{
    mouse(WM_LBUTTONDBLCLK);
    mouse(WM_MBUTTONDBLCLK);
    EXPECT_EQ(events, (std::vector<std::string> { "dblclick", "down0d", "dblclick", "down2d" }));
}

TEST_F(TrayFixture, RightClickWithoutMenuFiresOnlyMouseDown)
{
    mouse(WM_RBUTTONDOWN);
    EXPECT_EQ(events, (std::vector<std::string> { "down1" }));
}

TEST_F(TrayFixture, RightClickWithMenuPopsItUp)
{
    QMenu menu;
    menu.addAction("Exit");
    tray.SetPopUpMenu(&menu);
    mouse(WM_RBUTTONDOWN);
    EXPECT_EQ(events, (std::vector<std::string> { "down1", "popup" }));
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST_F(TrayFixture, DestroyedMenuIsForgotten)
{
    auto* menu = new QMenu;
    tray.SetPopUpMenu(menu);
    delete menu;
    EXPECT_EQ(tray.PopUpMenu(), nullptr);
    mouse(WM_RBUTTONDOWN);
    EXPECT_EQ(events, (std::vector<std::string> { "down1" }));
}

TEST_F(TrayFixture, MouseMoveReportsMove)
{
    mouse(WM_MOUSEMOVE);
    EXPECT_EQ(events, (std::vector<std::string> { "move" }));
}

TEST_F(TrayFixture, InactiveIconLeavesTheTray)
{
    tray.SetActive(false);
    EXPECT_EQ(icon(), nullptr);
    EXPECT_FALSE(tray.Hooked());
    tray.SetActive(true);
    EXPECT_NE(icon(), nullptr);
}

TEST_F(TrayFixture, CloseBoxClosesFormUnlessNoClose)
{
    int closes = 0;
    form.OnClose = [&](TCloseAction&) { ++closes; };
    form.Show();
    pressCloseBox();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(closes, 1);
    form.Show();
    tray.NoClose = true;
    pressCloseBox();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(closes, 1);  // vanished into the tray without closing
}

TEST_F(TrayFixture, MinimisingHidesTheForm)
{
    form.Show();
    form.showMinimized();
    Application::ProcessMessagesUntil([&] { return !form.Visible(); }, 2000);
    EXPECT_FALSE(form.Visible());
}

TEST(TrayIcon, DestroyedIconLeavesTheTray)
{
    TForm form;
    HWND wnd = 0;
    {
        TQORTrayIcon tray(&form);
        tray.Loaded();
        wnd = tray.NotifyWindow();
        EXPECT_EQ(trayicon::Icons().size(), 1u);
    }
    EXPECT_TRUE(trayicon::Icons().empty());
    EXPECT_FALSE(IsWindow(wnd));
}
