#pragma once

#include "platform/win/wintypes.h"

#include <cstddef>
#include <string>

// What the machine and the platform report about themselves: memory, processor,
// version, the computer's and the user's names, the temporary folder.

struct MEMORYSTATUS {
    DWORD dwLength { sizeof(MEMORYSTATUS) };
    DWORD dwMemoryLoad { 0 };  // percent in use
    std::size_t dwTotalPhys { 0 };
    std::size_t dwAvailPhys { 0 };
    std::size_t dwTotalPageFile { 0 };  // memory and swap together
    std::size_t dwAvailPageFile { 0 };
    std::size_t dwTotalVirtual { 0 };  // the address space a 32-bit program had
    std::size_t dwAvailVirtual { 0 };
};

void GlobalMemoryStatus(MEMORYSTATUS* status);

inline constexpr DWORD PROCESSOR_INTEL_386 = 386;
inline constexpr DWORD PROCESSOR_INTEL_486 = 486;
inline constexpr DWORD PROCESSOR_INTEL_PENTIUM = 586;
inline constexpr std::uint16_t PROCESSOR_ARCHITECTURE_INTEL = 0;
inline constexpr std::uint16_t PROCESSOR_ARCHITECTURE_ARM64 = 12;
inline constexpr std::uint16_t PROCESSOR_ARCHITECTURE_UNKNOWN = 0xFFFF;

struct SYSTEM_INFO {
    std::uint16_t wProcessorArchitecture { PROCESSOR_ARCHITECTURE_UNKNOWN };
    DWORD dwPageSize { 0 };
    DWORD dwNumberOfProcessors { 0 };
    // PROCESSOR_INTEL_PENTIUM on any x86, 0 elsewhere.
    DWORD dwProcessorType { 0 };
};

void GetSystemInfo(SYSTEM_INFO* info);

// The processor's model name, "" when the system does not say.
std::string GetProcessorName();

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFO {
    DWORD dwOSVersionInfoSize { sizeof(OSVERSIONINFO) };
    DWORD dwMajorVersion { 0 };
    DWORD dwMinorVersion { 0 };
    DWORD dwBuildNumber { 0 };
    DWORD dwPlatformId { 0 };
    char szCSDVersion[128] {};
};

// The kernel's version as an NT-family platform; szCSDVersion names the system.
BOOL GetVersionEx(OSVERSIONINFO* info);
// Low byte major, next byte minor, high word build (top bit clear: NT family).
DWORD GetVersion();

inline constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

// The machine's short name in capitals, at most 15 characters. On success size
// is the length without the zero; when the buffer is short, false with
// ERROR_BUFFER_OVERFLOW and size the buffer needed.
BOOL GetComputerName(char* buffer, DWORD* size);
// The signed-in user. On success size counts the terminating zero too; when the
// buffer is short, false with ERROR_INSUFFICIENT_BUFFER and size the buffer needed.
BOOL GetUserName(char* buffer, DWORD* size);
// The temporary folder with a trailing '/'; its length, or the size needed when
// the buffer is short (then nothing is written).
DWORD GetTempPath(DWORD bufferLength, char* buffer);
