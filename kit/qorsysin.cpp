#include "kit/qorsysin.h"

#include "platform/ui/form.h"
#include "platform/win/sysinfo.h"

#include <QGuiApplication>
#include <QScreen>

using qorprocs::TRect;

bool IsWin95()
{
    static const bool value = [] {
        OSVERSIONINFO info;
        return GetVersionEx(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    }();
    return value;
}

bool IsWinNT()
{
    static const bool value = [] {
        OSVERSIONINFO info;
        return GetVersionEx(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }();
    return value;
}

bool NewShell()
{
    static const bool value = (GetVersion() & 0xFF) > 3;
    return value;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return Screen::Width();
    case SM_CYSCREEN: return Screen::Height();
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSIZE:
    case SM_CYSIZE: return 18;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYSMCAPTION: return 15;
    case SM_CXSMSIZE:
    case SM_CYSMSIZE: return 12;
    default: return 0;
    }
}

TCaptionWindow CaptionWindowOf(const TForm& form)
{
    TCaptionWindow window;
    window.Width = form.Width();
    window.Visible = form.Visible();
    window.Iconic = form.WindowState() == wsMinimized;
    DWORD style = 0;
    DWORD ex = 0;
    switch (form.BorderStyle()) {
    case bsNone: style = WS_POPUP; break;
    case bsSingle: style = WS_CAPTION; break;
    case bsSizeable: style = WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
        style = WS_CAPTION;
        ex = WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        style = WS_CAPTION;
        ex = WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        style = WS_CAPTION | WS_THICKFRAME;
        ex = WS_EX_TOOLWINDOW;
        break;
    }
    const TBorderIcons icons = form.BorderIcons();
    const bool framed = form.BorderStyle() == bsSingle || form.BorderStyle() == bsSizeable;
    if (form.BorderStyle() != bsNone && (icons & biSystemMenu)) {
        style |= WS_SYSMENU;
        if (framed && (icons & biMinimize))
            style |= WS_MINIMIZEBOX;
        if (framed && (icons & biMaximize))
            style |= WS_MAXIMIZEBOX;
        if ((icons & biHelp) && !(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
            ex |= WS_EX_CONTEXTHELP;
    }
    if (window.Visible)
        style |= WS_VISIBLE;
    if (window.Iconic)
        style |= WS_MINIMIZE;
    window.Style = style;
    window.ExStyle = ex;
    return window;
}

void CaptionRects(const TCaptionWindow& window, TRect& captionRect, TRect& textRect, std::uint16_t& flags, bool newShell)
{
    const int cxBorder = GetSystemMetrics(SM_CXBORDER);
    const int cyBorder = GetSystemMetrics(SM_CYBORDER);
    captionRect = { 0, 0, window.Width, GetSystemMetrics(SM_CYCAPTION) };
    if (newShell && (window.ExStyle & WS_EX_TOOLWINDOW)) {
        captionRect.Bottom = GetSystemMetrics(SM_CYSMCAPTION);
        flags |= cfSmallCaption;
    }
    if (!newShell && (flags & cfSingleBorder)) {
        qorprocs::OffsetRectEdges(captionRect, cxBorder, cyBorder, -cxBorder, -cxBorder);
    } else if (window.Style & WS_THICKFRAME) {
        const int cxFrame = GetSystemMetrics(SM_CXFRAME);
        const int cyFrame = GetSystemMetrics(SM_CYFRAME);
        qorprocs::OffsetRectEdges(captionRect, cxFrame, cyFrame, -cxFrame, cyFrame - cyBorder);
        if (!newShell)
            captionRect.Bottom -= cxBorder;
    } else if (window.ExStyle & WS_EX_DLGMODALFRAME) {
        const int cxDlg = GetSystemMetrics(SM_CXDLGFRAME);
        const int cyDlg = GetSystemMetrics(SM_CYDLGFRAME);
        qorprocs::OffsetRectEdges(captionRect, cxDlg, cyDlg, -cxDlg, cyDlg - cyBorder);
    } else if (!newShell && (window.ExStyle & WS_EX_TOOLWINDOW)) {
        qorprocs::OffsetRectEdges(captionRect, cxBorder, cyBorder, -cxBorder, -cxBorder);
    } else {
        qorprocs::OffsetRectEdges(captionRect, 3 * cxBorder, 3 * cyBorder, -3 * cxBorder, 2 * cyBorder);
    }
    CaptionButtonArea(window, captionRect, window.Style, textRect, flags, window.ExStyle, newShell);
    if (flags & cfIconic)
        captionRect.Bottom -= cyBorder;
    textRect.Bottom = captionRect.Bottom;
    if (flags & cfCutRight)
        captionRect.Right = textRect.Right;
    if ((flags & cfHasIcon) && ((flags & cfIconLeft) || !newShell)) {
        captionRect.Left = textRect.Left;
        textRect.Left += 2 * cxBorder;
    }
}

void CaptionButtonArea(const TCaptionWindow& window, const TRect& captionRect, DWORD style, TRect& textRect,
    std::uint16_t& flags, DWORD exStyle, bool newShell)
{
    const int b = GetSystemMetrics(SM_CXBORDER);
    const int d = 2 * b;
    const bool small = flags & cfSmallCaption;
    const int sizeMetric = newShell && small ? SM_CXSMSIZE : SM_CXSIZE;
    const int w = GetSystemMetrics(sizeMetric);
    const int e = ((style & WS_MINIMIZEBOX) ? w : 0) + ((style & WS_MAXIMIZEBOX) ? w : 0);
    textRect = captionRect;
    if (!window.Exists || !window.Visible)
        return;
    if (style & WS_SYSMENU) {
        if (!newShell)
            textRect.Right -= d;
        else if (!window.Iconic)
            textRect.Right -= w + 3 * b;
        const DWORD boxed = WS_POPUP | WS_BORDER | WS_SYSMENU;
        const bool icon = ((style & WS_THICKFRAME) && !small) || (flags & cfSingleBorder)
            || (!newShell && (style & boxed) == boxed) || (!newShell && (exStyle & WS_EX_TOOLWINDOW));
        if (icon) {
            flags |= cfHasIcon;
            if (newShell) {
                textRect.Left += GetSystemMetrics(SM_CXSMICON) + GetSystemMetrics(SM_CXFRAME);
                if (window.Iconic)
                    flags |= cfIconic;
                else
                    textRect.Left += b;
            } else {
                textRect.Left += d + GetSystemMetrics(SM_CXSIZE);
            }
        }
        if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
            textRect.Right -= newShell ? 2 * w : e;
        } else if (exStyle & WS_EX_CONTEXTHELP) {
            textRect.Right -= w;
            if (newShell)
                textRect.Right -= b;
        }
        if (newShell && (exStyle & WS_EX_TOOLWINDOW)) {
            textRect.Left += 4 * b;
            textRect.Top += 3 * b;
            textRect.Right -= d;
        }
    } else {
        textRect.Left += d;
        if (!newShell)
            textRect.Right -= b + e;
    }
    if (textRect.Left == captionRect.Left)
        textRect.Left += d;
}

int GetDisplayColorDepth()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    // One plane of this many bits per pixel.
    return screen ? screen->depth() : 0;
}

std::string GetNetUserName(const TGetUserName& getUserName)
{
    char buffer[64] {};
    DWORD size = 63;
    const BOOL ok = getUserName ? getUserName(buffer, &size) : GetUserName(buffer, &size);
    if (!ok || size == 0 || size > 63)
        return qorprocs::ResText("(Unknown)");
    // The count includes the terminating zero.
    return std::string(buffer, size - 1);
}
