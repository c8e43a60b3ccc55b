#include "platform/win/sysinfo.h"

#include "platform/rtl/codepage.h"

#include <QDir>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

// "Name:   123 kB" lines of a /proc file, in bytes; only the names asked for.
std::map<std::string, std::size_t> procSizes(const char* file, std::initializer_list<const char*> names)
{
    std::map<std::string, std::size_t> sizes;
    std::ifstream in(file);
    std::string line;
    for (int lines = 0; lines < 512 && std::getline(in, line); ++lines) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string name = line.substr(0, colon);
        if (std::none_of(names.begin(), names.end(), [&](const char* wanted) { return name == wanted; }))
            continue;
        unsigned long long kilobytes = 0;
        if (std::sscanf(line.c_str() + colon + 1, "%llu", &kilobytes) == 1)
            sizes[name] = static_cast<std::size_t>(kilobytes) * 1024;
    }
    return sizes;
}

// The address space below the system's part, as a 32-bit program saw it.
constexpr std::size_t kUserAddressSpace = 0x7FFE0000;

bool copyOut(const std::string& text, char* buffer, DWORD* size, DWORD shortError)
{
    if (!size)
        return false;
    const auto needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || *size < needed) {
        *size = needed;
        SetLastError(shortError);
        return false;
    }
    std::memcpy(buffer, text.c_str(), needed);
    return true;
}

std::string userName()
{
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name && *entry->pw_name)
        return codepage::FromUtf8(entry->pw_name);
    const char* user = getenv("USER");
    return user ? codepage::FromUtf8(user) : std::string();
}

}  // namespace

void GlobalMemoryStatus(MEMORYSTATUS* status)
{
    if (!status)
        return;
    *status = MEMORYSTATUS {};
    auto memory = procSizes("/proc/meminfo", { "MemTotal", "MemAvailable", "MemFree", "Buffers", "Cached", "SwapTotal", "SwapFree" });
    status->dwTotalPhys = memory["MemTotal"];
    status->dwAvailPhys = memory.count("MemAvailable") ? memory["MemAvailable"] : memory["MemFree"] + memory["Buffers"] + memory["Cached"];
    status->dwAvailPhys = std::min(status->dwAvailPhys, status->dwTotalPhys);
    status->dwTotalPageFile = status->dwTotalPhys + memory["SwapTotal"];
    status->dwAvailPageFile = status->dwAvailPhys + std::min(memory["SwapFree"], memory["SwapTotal"]);
    if (status->dwTotalPhys > 0)
        status->dwMemoryLoad = static_cast<DWORD>(100 - status->dwAvailPhys * 100 / status->dwTotalPhys);
    const std::size_t resident = procSizes("/proc/self/status", { "VmRSS" })["VmRSS"];
    status->dwTotalVirtual = kUserAddressSpace;
    status->dwAvailVirtual = kUserAddressSpace - std::min(resident, kUserAddressSpace);
}

void GetSystemInfo(SYSTEM_INFO* info)
{
    if (!info)
        return;
    *info = SYSTEM_INFO {};
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    info->dwNumberOfProcessors = processors > 0 ? static_cast<DWORD>(processors) : 1;
    const long page = sysconf(_SC_PAGESIZE);
    info->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096;
    utsname names {};
    if (uname(&names) == 0) {
        const std::string machine = names.machine;
        if (machine == "x86_64" || (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86")) {
            info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
            info->dwProcessorType = PROCESSOR_INTEL_PENTIUM;
        } else if (machine == "aarch64") {
            info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM64;
        }
    }
}

std::string GetProcessorName()
{
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    for (int lines = 0; lines < 4096 && std::getline(in, line); ++lines) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
            name.pop_back();
        if (name != "model name" && name != "Model" && name != "cpu model")
            continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        return codepage::FromUtf8(value.substr(0, 255));
    }
    return {};
}

BOOL GetVersionEx(OSVERSIONINFO* info)
{
    if (!info)
        return 0;
    utsname names {};
    if (uname(&names) != 0)
        return 0;
    unsigned major = 0, minor = 0, build = 0;
    std::sscanf(names.release, "%u.%u.%u", &major, &minor, &build);
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = build & 0xFFFF;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    const std::string system = std::string(names.sysname) + " " + names.release;
    const std::size_t length = std::min(system.size(), sizeof info->szCSDVersion - 1);
    std::memcpy(info->szCSDVersion, system.data(), length);
    info->szCSDVersion[length] = '\0';
    return 1;
}

DWORD GetVersion()
{
    OSVERSIONINFO info;
    if (!GetVersionEx(&info))
        return 0;
    return (info.dwMajorVersion & 0xFF) | (info.dwMinorVersion & 0xFF) << 8 | (info.dwBuildNumber & 0x7FFF) << 16;
}

BOOL GetComputerName(char* buffer, DWORD* size)
{
    char host[256] {};
    if (gethostname(host, sizeof host - 1) != 0)
        return 0;
    std::string name(host, strnlen(host, sizeof host));
    name = name.substr(0, name.find('.')).substr(0, MAX_COMPUTERNAME_LENGTH);
    std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    if (!copyOut(name, buffer, size, ERROR_BUFFER_OVERFLOW))
        return 0;
    *size = static_cast<DWORD>(name.size());
    return 1;
}

BOOL GetUserName(char* buffer, DWORD* size)
{
    const std::string name = userName();
    if (name.empty() || !copyOut(name, buffer, size, ERROR_INSUFFICIENT_BUFFER))
        return 0;
    *size = static_cast<DWORD>(name.size() + 1);
    return 1;
}

DWORD GetTempPath(DWORD bufferLength, char* buffer)
{
    std::string path = codepage::FromUtf8(QDir::tempPath().toStdString());
    if (path.empty() || path.back() != '/')
        path += '/';
    if (!buffer || bufferLength < path.size() + 1)
        return static_cast<DWORD>(path.size() + 1);
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}
