#include "signup/qorsysinfo.h"

#include "kit/qorprocs.h"
#include "kit/qorsysin.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/registry.h"
#include "platform/win/sysinfo.h"

#include <QFontDatabase>
#include <QStringList>

#include <array>

extern char** environ;

namespace {

MEMORYSTATUS memoryStatus()
{
    MEMORYSTATUS status;
    GlobalMemoryStatus(&status);
    return status;
}

std::int64_t kilobytes(std::size_t bytes) { return static_cast<std::int64_t>(bytes / 1024); }

std::string unknown() { return qorprocs::ResText("(Unknown)"); }

}  // namespace

std::string ProcessorTypeText(unsigned long type)
{
    switch (type) {
    case 386: return "Intel 386";
    case 486: return "Intel 486";
    case 586: return "Intel Pentium";
    case 2000:
    case 3000:
    case 4000: return "Mips R" + IntToStr(static_cast<long long>(type));
    case 21064: return "Alpha 21064";
    default: return IntToStr(static_cast<long long>(type));
    }
}

TQORSysInfo::TQORSysInfo()
{
    for (char** entry = environ; entry && *entry; ++entry)
        m_environment.Add(codepage::FromUtf8(*entry));
}

std::string TQORSysInfo::currentVersionValue(const std::string& name) const
{
    TRegistry registry(HKEY_LOCAL_MACHINE);
    const std::string family = IsWinNT() ? "Windows NT" : "Windows";
    if (!registry.OpenKeyReadOnly("\\SOFTWARE\\Microsoft\\" + family + "\\CurrentVersion"))
        return unknown();
    try {
        return registry.ReadString(name);
    } catch (const ERegistryException&) {
        // A value of another kind is as good as missing.
        return "";
    }
}

std::string TQORSysInfo::RegisteredOwner() const { return currentVersionValue("RegisteredOwner"); }

std::string TQORSysInfo::RegisteredCompany() const { return currentVersionValue("RegisteredOrganization"); }

std::string TQORSysInfo::VersionWIN() const
{
    OSVERSIONINFO info;
    GetVersionEx(&info);
    return Format("%d.%d", static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion));
}

int TQORSysInfo::BuildNumber() const
{
    OSVERSIONINFO info;
    GetVersionEx(&info);
    return static_cast<int>(info.dwBuildNumber & 0xFFFF);
}

std::string TQORSysInfo::Platform() const
{
    OSVERSIONINFO info;
    GetVersionEx(&info);
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s: return "Win32s";
    case VER_PLATFORM_WIN32_WINDOWS: return "Windows 95";
    case VER_PLATFORM_WIN32_NT: return "Windows NT";
    default: return unknown();
    }
}

std::string TQORSysInfo::ProcessorType() const
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return ProcessorTypeText(info.dwProcessorType);
}

std::uint8_t TQORSysInfo::ProcessorNumber() const
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return static_cast<std::uint8_t>(info.dwNumberOfProcessors);
}

std::string TQORSysInfo::Computername() const
{
    std::array<char, 16> buffer {};
    DWORD size = buffer.size();
    if (!GetComputerName(buffer.data(), &size))
        return unknown();
    return std::string(buffer.data(), size);
}

std::string TQORSysInfo::CurrentUser() const { return GetNetUserName(); }

std::string TQORSysInfo::WinPath() const { return GetWindowsDir(); }

std::string TQORSysInfo::WinSysPath() const { return GetSystemDir(); }

std::string TQORSysInfo::TempPath() const
{
    std::array<char, 260> buffer {};
    const DWORD length = GetTempPath(buffer.size(), buffer.data());
    return length < buffer.size() ? std::string(buffer.data(), length) : std::string();
}

std::string TQORSysInfo::MemoryLoaded() const
{
    return Format("%d %%", static_cast<int>(memoryStatus().dwMemoryLoad));
}

std::int64_t TQORSysInfo::MemPhysTotal() const { return kilobytes(memoryStatus().dwTotalPhys); }
std::int64_t TQORSysInfo::MemPhysFree() const { return kilobytes(memoryStatus().dwAvailPhys); }
std::int64_t TQORSysInfo::MemVirtTotal() const { return kilobytes(memoryStatus().dwTotalVirtual); }
std::int64_t TQORSysInfo::MemVirtFree() const { return kilobytes(memoryStatus().dwAvailVirtual); }
std::int64_t TQORSysInfo::MemPageTotal() const { return kilobytes(memoryStatus().dwTotalPageFile); }
std::int64_t TQORSysInfo::MemPageFree() const { return kilobytes(memoryStatus().dwAvailPageFile); }

std::string TQORSysInfo::FreeSysRes() const { return Format("%d %%", 0); }
std::string TQORSysInfo::FreeGdiRes() const { return Format("%d %%", 0); }
std::string TQORSysInfo::FreeUsrRes() const { return Format("%d %%", 0); }

TQORSysInfo::TMinSec TQORSysInfo::ScreenSaverDelay() const { return {}; }

TStringList TQORSysInfo::AllFonts() const
{
    TStringList fonts;
    fonts.SetSorted(true);
    for (const QString& family : QFontDatabase::families())
        fonts.Add(codepage::FromUnicode(family));
    return fonts;
}

TStringList TQORSysInfo::AllPrinters() const
{
    TStringList printers;
    printers.SetSorted(true);
    return printers;
}
