#pragma once

#include "platform/rtl/stringlist.h"

#include <cstdint>
#include <string>

// Facts about the machine and the platform for the forms that hold it; the
// sign-up reads the registered owner to prefill the user's name. Everything but
// the environment is read afresh each time it is asked for.
class TQORSysInfo final {
public:
    struct TMinSec {
        int Minutes { 0 };
        int Seconds { 0 };
    };

    TQORSysInfo();

    // NAME=value entries of the process's environment, in the order the platform keeps them.
    const TStringList& Environment() const { return m_environment; }

    // "(Unknown)" when the registry key cannot be opened, "" for a missing value.
    std::string RegisteredOwner() const;
    std::string RegisteredCompany() const;
    std::string VersionWIN() const;
    int BuildNumber() const;
    std::string Platform() const;
    std::string ProcessorType() const;
    std::uint8_t ProcessorNumber() const;
    std::string Computername() const;
    std::string CurrentUser() const;
    std::string WinPath() const;
    std::string WinSysPath() const;
    std::string TempPath() const;
    std::string MemoryLoaded() const;
    // Kilobytes.
    std::int64_t MemPhysTotal() const;
    std::int64_t MemPhysFree() const;
    std::int64_t MemVirtTotal() const;
    std::int64_t MemVirtFree() const;
    std::int64_t MemPageTotal() const;
    std::int64_t MemPageFree() const;
    // The old consumer platform's 16-bit resource figures: none here, so "0 %".
    std::string FreeSysRes() const;
    std::string FreeGdiRes() const;
    std::string FreeUsrRes() const;
    // No screen saver is managed here: 0:00.
    TMinSec ScreenSaverDelay() const;
    TStringList AllFonts() const;
    // No printing support: always empty.
    TStringList AllPrinters() const;

private:
    std::string currentVersionValue(const std::string& name) const;

    TStringList m_environment;
};

// The text of a processor type number: 386 "Intel 386" ... else the number.
std::string ProcessorTypeText(unsigned long type);
