#pragma once

#include "kit/qorprocs.h"
#include "platform/win/wintypes.h"

#include <cstdint>
#include <functional>
#include <string>

class TForm;

// What the kit asks of the running system: the platform and shell kind, the
// metrics that size window captions, where a caption bar and its text lie, the
// display's colour depth and the user's name.

// The platform kind, taken once.
bool IsWin95();
bool IsWinNT();
// The new-style shell (major version above 3).
bool NewShell();

// System metrics of the classic desktop scheme, the only one the kit paints to.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSIZE = 30;
inline constexpr int SM_CYSIZE = 31;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
inline constexpr int SM_CYSMCAPTION = 51;
inline constexpr int SM_CXSMSIZE = 52;
inline constexpr int SM_CYSMSIZE = 53;
// 0 for a metric the table does not hold.
int GetSystemMetrics(int index);

// Window style bits as the caption geometry reads them.
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr DWORD WS_EX_CONTEXTHELP = 0x00000400;

// Caption flags, in and out of CaptionRects.
inline constexpr std::uint16_t cfCutRight = 1;
inline constexpr std::uint16_t cfIconLeft = 2;
inline constexpr std::uint16_t cfSmallCaption = 4;
inline constexpr std::uint16_t cfHasIcon = 8;
inline constexpr std::uint16_t cfIconic = 16;
inline constexpr std::uint16_t cfSingleBorder = 32;

// The window facts the caption geometry depends on.
struct TCaptionWindow {
    DWORD Style { 0 };
    DWORD ExStyle { 0 };
    int Width { 0 };
    bool Exists { true };
    bool Visible { true };
    bool Iconic { false };
};

// The style bits a form's border style and icons stand for.
TCaptionWindow CaptionWindowOf(const TForm& form);

// The caption bar and its text area, relative to the window's top-left corner.
void CaptionRects(const TCaptionWindow& window, qorprocs::TRect& captionRect, qorprocs::TRect& textRect,
    std::uint16_t& flags, bool newShell = NewShell());
// The text area left between the icon and the caption buttons.
void CaptionButtonArea(const TCaptionWindow& window, const qorprocs::TRect& captionRect, DWORD style,
    qorprocs::TRect& textRect, std::uint16_t& flags, DWORD exStyle, bool newShell = NewShell());

// Bits per pixel of the display; 0 without one.
int GetDisplayColorDepth();

// The user's name, or "(Unknown)" when the system cannot say. getUserName is the
// platform's GetUserName unless given.
using TGetUserName = std::function<BOOL(char* buffer, DWORD* size)>;
std::string GetNetUserName(const TGetUserName& getUserName = {});
