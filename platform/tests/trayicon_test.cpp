#include "platform/win/trayicon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr UINT kCallback = 1125;

NOTIFYICONDATA iconData(HWND wnd, const char* tip)
{
    NOTIFYICONDATA data;
    data.hWnd = wnd;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallback;
    std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
    return data;
}

}  // namespace

TEST(TrayIcon, AnAddedIconKeepsItsTipUntilDeleted)
{
    HWND wnd = AllocateHWnd([](TMessage&) {});
    const NOTIFYICONDATA data = iconData(wnd, "Korvo");
    EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, data)) << "the same icon cannot be added twice";
    auto icons = trayicon::Icons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].tip, "Korvo");
    EXPECT_EQ(icons[0].shown, TrayAvailable());
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, data));
    EXPECT_TRUE(trayicon::Icons().empty());
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, data));
    DeallocateHWnd(wnd);
}

TEST(TrayIcon, ATipShowsAtMostSixtyThreeCharacters)
{
    HWND wnd = AllocateHWnd([](TMessage&) {});
    NOTIFYICONDATA data = iconData(wnd, "");
    std::memset(data.szTip, 'x', sizeof data.szTip);  // no terminating zero at all
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, data));
    EXPECT_EQ(trayicon::Icons().at(0).tip, std::string(63, 'x'));
    Shell_NotifyIcon(NIM_DELETE, data);
    DeallocateHWnd(wnd);
}

TEST(TrayIcon, ModifyChangesOnlyTheFieldsItsFlagsName)
{
    HWND wnd = AllocateHWnd([](TMessage&) {});
    NOTIFYICONDATA data = iconData(wnd, "Korvo");
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, data));
    data.uFlags = NIF_TIP;
    std::strcpy(data.szTip, "Away");
    data.uCallbackMessage = 99;
    EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, data));
    const auto icon = trayicon::Icons().at(0);
    EXPECT_EQ(icon.tip, "Away");
    EXPECT_EQ(icon.callbackMessage, kCallback);
    EXPECT_EQ(icon.modifications, 1);
    Shell_NotifyIcon(NIM_DELETE, data);
    NOTIFYICONDATA missing = iconData(wnd, "x");
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, missing));
    DeallocateHWnd(wnd);
}

TEST(TrayIcon, AMouseMessageOnTheIconReachesItsWindowAsTheCallback)
{
    std::vector<TMessage> received;
    HWND wnd = AllocateHWnd([&](TMessage& m) { received.push_back(m); });
    NOTIFYICONDATA data = iconData(wnd, "Korvo");
    data.uID = 3;
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, data));
    EXPECT_TRUE(trayicon::SimulateMouse(wnd, 3, WM_LBUTTONDOWN));
    EXPECT_TRUE(trayicon::SimulateMouse(wnd, 3, WM_LBUTTONUP));
    EXPECT_FALSE(trayicon::SimulateMouse(wnd, 4, WM_LBUTTONUP));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return received.size() == 2; }, 2000));
    EXPECT_EQ(received[0].Msg, kCallback);
    EXPECT_EQ(received[0].WParam, 3u);
    EXPECT_EQ(received[0].LParam, static_cast<LPARAM>(WM_LBUTTONDOWN));
    EXPECT_EQ(received[1].LParam, static_cast<LPARAM>(WM_LBUTTONUP));
    Shell_NotifyIcon(NIM_DELETE, data);
    DeallocateHWnd(wnd);
}

TEST(TrayIcon, IconsOfTwoWindowsAreKeptApart)
{
    HWND first = AllocateHWnd([](TMessage&) {});
    HWND second = AllocateHWnd([](TMessage&) {});
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, iconData(first, "one")));
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, iconData(second, "two")));
    Shell_NotifyIcon(NIM_DELETE, iconData(first, ""));
    const auto icons = trayicon::Icons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].tip, "two");
    Shell_NotifyIcon(NIM_DELETE, iconData(second, ""));
    DeallocateHWnd(first);
    DeallocateHWnd(second);
}

TEST(TrayIcon, TheCursorPositionIsReported)
{
    POINT point;
    EXPECT_TRUE(GetCursorPos(&point));
    EXPECT_FALSE(GetCursorPos(nullptr));
}
