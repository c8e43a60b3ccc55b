#pragma once

#include <cstdint>

// The handful of platform types and constants the stand-ins share.

using BOOL = int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using HANDLE = void*;
using HINSTANCE = std::intptr_t;

struct POINT {
    LONG x { 0 };
    LONG y { 0 };
};

inline constexpr std::size_t MAX_PATH = 260;

// Window show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_NORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
inline constexpr int SW_SHOWDEFAULT = 10;

// Error codes (ERROR_FILE_NOT_FOUND and ERROR_PATH_NOT_FOUND come with the file routines, rtl/sysutils.h).
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_BAD_FORMAT = 11;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;

// The calling thread's last error, as the platform functions leave it.
inline DWORD& LastErrorSlot()
{
    thread_local DWORD value = ERROR_SUCCESS;
    return value;
}
inline DWORD GetLastError() { return LastErrorSlot(); }
inline void SetLastError(DWORD error) { LastErrorSlot() = error; }
