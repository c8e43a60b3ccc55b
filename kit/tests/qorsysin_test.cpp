#include "kit/qorsysin.h"

#include "platform/ui/form.h"

#include <gtest/gtest.h>

#include <cstring>

using qorprocs::TRect;

namespace {

constexpr int kCaption = 19;
constexpr int kButton = 18;
constexpr int kBorder = 1;

TCaptionWindow Window(DWORD style, DWORD ex = 0, int width = 400)
{
    TCaptionWindow window;
    window.Style = style | WS_VISIBLE;
    window.ExStyle = ex;
    window.Width = width;
    return window;
}

}  // namespace

TEST(QorSysIn, PlatformIsTheNewShellFamily)
{
    EXPECT_TRUE(IsWinNT());
    EXPECT_FALSE(IsWin95());
    EXPECT_TRUE(NewShell());
}

TEST(QorSysIn, MetricsComeFromTheClassicScheme)
{
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), kCaption);
    EXPECT_EQ(GetSystemMetrics(SM_CXSIZE), kButton);
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CYSMCAPTION), 15);
    EXPECT_EQ(GetSystemMetrics(9999), 0);
}

TEST(QorSysIn, SizableWindowLeavesRoomForThreeButtonsAndTheIcon)
{
    TRect caption;
    TRect text;
    std::uint16_t flags = 0;
    CaptionRects(Window(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), caption, text, flags, true);
    EXPECT_EQ(caption, (TRect { 4, 4, 396, kCaption + 3 }));
    EXPECT_EQ(text.Right, caption.Right - 3 * kButton - 3 * kBorder);
    EXPECT_TRUE(flags & cfHasIcon);
    EXPECT_FALSE(flags & cfSmallCaption);
    EXPECT_EQ(text.Left, caption.Left + 16 + 4 + kBorder) << "past the small icon";
    EXPECT_EQ(text.Bottom, caption.Bottom);
}

TEST(QorSysIn, ToolWindowGetsTheSmallCaption)
{
    TRect caption;
    TRect text;
    std::uint16_t flags = 0;
    CaptionRects(Window(WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW), caption, text, flags, true);
    EXPECT_TRUE(flags & cfSmallCaption);
    EXPECT_FALSE(flags & cfHasIcon);
    EXPECT_EQ(caption, (TRect { 3, 3, 397, 15 + 2 }));
    // Close button of the small size, then the tool window's own margins.
    EXPECT_EQ(text, (TRect { 3 + 4, 3 + 3, 397 - (12 + 3) - 2, 17 }));
}

TEST(QorSysIn, DialogFrameHasNoIconAndOnlyTheCloseButton)
{
    TRect caption;
    TRect text;
    std::uint16_t flags = 0;
    CaptionRects(Window(WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME), caption, text, flags, true);
    EXPECT_EQ(caption, (TRect { 3, 3, 397, kCaption + 2 }));
    EXPECT_FALSE(flags & cfHasIcon);
    EXPECT_EQ(text.Left, caption.Left + 2) << "an unmoved left edge gets the border margin";
    EXPECT_EQ(text.Right, caption.Right - kButton - 3);
}

TEST(QorSysIn, OldShellPutsTheIconBoxBeforeTheText)
{
    TRect caption;
    TRect text;
    std::uint16_t flags = cfCutRight;
    CaptionRects(Window(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX), caption, text, flags, false);
    EXPECT_TRUE(flags & cfHasIcon);
    // Frame inset, the bottom a border higher on the old shell.
    EXPECT_EQ(caption.Top, 4);
    EXPECT_EQ(caption.Bottom, kCaption + 3 - 1);
    // The caption now begins where the text would have, and the text two borders later.
    EXPECT_EQ(caption.Left, 4 + 2 + kButton);
    EXPECT_EQ(text.Left, caption.Left + 2);
    EXPECT_EQ(text.Right, 396 - 2 - kButton);
    EXPECT_EQ(caption.Right, text.Right);
}

TEST(QorSysIn, OldShellSingleBorderInsetsByOneBorder)
{
    TRect caption;
    TRect text;
    std::uint16_t flags = cfSingleBorder;
    CaptionRects(Window(WS_CAPTION), caption, text, flags, false);
    EXPECT_EQ(caption.Top, 1);
    EXPECT_EQ(caption.Bottom, kCaption - 1);
    EXPECT_EQ(text.Left, 1 + 2);
}

TEST(QorSysIn, HiddenWindowKeepsTheWholeCaptionForText)
{
    TCaptionWindow window = Window(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
    window.Visible = false;
    TRect caption;
    TRect text;
    std::uint16_t flags = 0;
    CaptionRects(window, caption, text, flags, true);
    EXPECT_EQ(text, caption);
    EXPECT_FALSE(flags & cfHasIcon);
}

TEST(QorSysIn, FormStylesMapToWindowBits)
{
    TForm form;
    form.SetBorderStyle(bsSizeable);
    auto window = CaptionWindowOf(form);
    EXPECT_TRUE(window.Style & WS_THICKFRAME);
    EXPECT_TRUE(window.Style & WS_MAXIMIZEBOX);
    form.SetBorderStyle(bsToolWindow);
    window = CaptionWindowOf(form);
    EXPECT_TRUE(window.ExStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(window.Style & WS_MINIMIZEBOX);
}

TEST(QorSysIn, ThreeLetterUserNameComesBackWhole)
{
    const auto name = GetNetUserName([](char* buffer, DWORD* size) {
        std::memcpy(buffer, "ann", 4);
        *size = 4;
        return BOOL(1);
    });
    EXPECT_EQ(name, "ann");
}

TEST(QorSysIn, UnknownUserWhenTheSystemCannotSay)
{
    EXPECT_EQ(GetNetUserName([](char*, DWORD*) { return BOOL(0); }), "(Unknown)");
    EXPECT_FALSE(GetNetUserName().empty());
}

TEST(QorSysIn, DisplayHasAColourDepth)
{
    EXPECT_GT(GetDisplayColorDepth(), 0);
}
