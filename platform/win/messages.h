#pragma once

#include "platform/rtl/eventloop.h"

#include <cstdint>
#include <functional>

// Window messages on the Qt event loop. A utility window is a message target
// living on the thread that made it; handles are ids that are never reused, so a
// message posted to a window that is gone is simply dropped.

using HWND = std::uintptr_t;
using UINT = std::uint32_t;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct TMessage {
    UINT Msg { 0 };
    WPARAM WParam { 0 };
    LPARAM LParam { 0 };
    LRESULT Result { 0 };
};

using TWndMethod = std::function<void(TMessage&)>;

inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_USER = 0x0400;

// A hidden window on the calling thread whose messages go to method.
HWND AllocateHWnd(TWndMethod method);
// Frees the window; pending messages for it are dropped. Safe from inside its own method.
void DeallocateHWnd(HWND wnd);
bool IsWindow(HWND wnd);

// Thread-safe: queues the message for the window's own thread. False when the window is gone.
bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// As PostMessage; taken runs once the message has been handled, or dropped with its
// window, so a poster can keep at most one message of a kind waiting. Not run when
// the post fails.
bool PostMessageTracked(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, std::function<void()> taken);
// Calls the window's method at once (on its own thread, waiting, when called from another).
LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Window timers: WM_TIMER with WParam = id every elapse ms; like Windows, ticks never queue up.
// Call on the window's own thread. Returns id, or 0 when the window is gone.
UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs);
bool KillTimer(HWND wnd, UINT_PTR id);
