#pragma once

#include "platform/win/messages.h"
#include "platform/win/mousemessages.h"
#include "platform/win/wintypes.h"

#include <QIcon>

#include <string>
#include <vector>

// The notification area. Where the desktop has a tray the icons are real and
// their clicks reach the owner window as the callback message (WParam = the
// icon id, LParam = the mouse message). Without a tray the icons keep their
// state all the same, so a program runs unchanged; TrayAvailable tells whether
// a user can reach them.

inline constexpr DWORD NIM_ADD = 0;
inline constexpr DWORD NIM_MODIFY = 1;
inline constexpr DWORD NIM_DELETE = 2;

inline constexpr UINT NIF_MESSAGE = 0x1;
inline constexpr UINT NIF_ICON = 0x2;
inline constexpr UINT NIF_TIP = 0x4;

struct NOTIFYICONDATA {
    DWORD cbSize { 88 };
    HWND hWnd { 0 };
    UINT uID { 0 };
    UINT uFlags { 0 };
    UINT uCallbackMessage { 0 };
    QIcon hIcon;
    // Code-page text ending in a zero: at most 63 characters show.
    char szTip[64] {};
};

// Adds, changes or removes the icon (hWnd, uID). False for an icon added twice,
// or changed or removed while not there. Main thread.
BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data);

bool TrayAvailable();

// The mouse pointer in screen coordinates.
BOOL GetCursorPos(POINT* point);

namespace trayicon {

struct IconState {
    HWND wnd { 0 };
    UINT id { 0 };
    UINT callbackMessage { 0 };
    std::string tip;
    QIcon icon;
    // Shown in a real notification area.
    bool shown { false };
    // How many NIM_MODIFY calls reached it.
    int modifications { 0 };
};

// The icons now in the notification area, in the order they were added.
std::vector<IconState> Icons();

// What the shell does for a mouse message on the icon: posts its callback
// message to its window. False when there is no such icon.
bool SimulateMouse(HWND wnd, UINT id, UINT mouseMessage);

}  // namespace trayicon
