#pragma once

#include <QRect>

// The main bar's placement and layout rules, as plain arithmetic so they hold
// the same on every screen and platform.
namespace mainbar {

inline constexpr int kBarWidth = 123;
inline constexpr int kMinHeight = 372;
// The sizing frame around the client area on every side.
inline constexpr int kFrame = 4;
inline constexpr int kTuckedStrip = 4;
inline constexpr int kDockMargin = 20;

inline constexpr int kPanelTop = 37;
inline constexpr int kPanelLeft = 5;
inline constexpr int kPanelWidth = 105;
inline constexpr int kEditHeight = 22;
inline constexpr int kToolButtonSize = 26;
inline constexpr int kToolButtonHeight = 25;
inline constexpr int kCommandPanelHeight = 115;
inline constexpr int kStatusHeight = 21;

// Left edge of the docked bar.
constexpr int DockedLeft(int screenWidth, int barWidth = kBarWidth) { return screenWidth - barWidth - kDockMargin; }
// Top of the docked bar, centred with the original's rounding.
constexpr int DockedTop(int screenHeight, int barHeight) { return screenHeight / 2 - barHeight / 2 + 3; }
// Left edge of the tucked bar: only a 4-pixel strip stays on the screen.
constexpr int TuckedLeft(int screenWidth) { return screenWidth - kTuckedStrip; }
constexpr bool IsTucked(int left, int screenWidth) { return left == TuckedLeft(screenWidth); }
// The window height that fills the work area from the screen's top.
constexpr int MaximizedHeight(int workAreaBottom) { return workAreaBottom; }
// A wanted height as the window allows it.
constexpr int ClampHeight(int height) { return height < kMinHeight ? kMinHeight : height; }

// Hit-test codes of the window frame, as the platform numbers them.
enum HitCode : int {
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
};
// The frame's own answer for a point in window coordinates.
HitCode DefaultHitTest(int x, int y, int width, int height);
// The bar's answer: sized only at top and bottom, dragged by its top-left corner.
HitCode BarHitTest(HitCode defaultCode, int x, int y);
inline HitCode BarHitTest(int x, int y, int width, int height)
{
    return BarHitTest(DefaultHitTest(x, y, width, height), x, y);
}

// Where the resizable controls go for a client height (FormResize).
struct Layout {
    int commandPanelTop { 0 };
    int statusTop { 0 };
    int toolButtonTop { 0 };
    int filterTop { 0 };
    int panelHeight { 0 };  // Panel1 and Panel2
};
Layout LayoutFor(int clientHeight);

// The four tool buttons' left edges: Channel Guide, Reminders, Address Book, Mail.
inline constexpr int kToolButtonLefts[4] = { 5, 31, 57, 83 };

// Where the channel menu pops up beside the bar, and the buddy menu.
constexpr int ChannelMenuX(int barLeft) { return barLeft - 138; }
constexpr int BuddyMenuX(int barLeft) { return barLeft - 123; }

}  // namespace mainbar
