// How long one INI read and one write take on a settings file of a few hundred
// lines, since every setting is read from the file at each use.
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main()
{
    char folderTemplate[] = "/tmp/korvo-bench-ini-XXXXXX";
    const char* folder = ::mkdtemp(folderTemplate);
    if (!folder)
        return 1;
    const std::string fileName = std::string(folder) + "/larkspire.ini";
    TIniFile ini(fileName);
    for (int s = 0; s < 10; ++s)
        for (int k = 0; k < 30; ++k)
            ini.WriteString("Section" + IntToStr(s), "Key" + IntToStr(k), "value number " + IntToStr(k));

    using Clock = std::chrono::steady_clock;
    constexpr int kReads = 2000;
    constexpr int kWrites = 200;
    int found = 0;
    const auto readStart = Clock::now();
    for (int i = 0; i < kReads; ++i)
        found += ini.ReadString("section" + IntToStr(i % 10), "KEY" + IntToStr(i % 30), "").empty() ? 0 : 1;
    const auto readEnd = Clock::now();
    for (int i = 0; i < kWrites; ++i)
        ini.WriteInteger("Section" + IntToStr(i % 10), "Key" + IntToStr(i % 30), i);
    const auto writeEnd = Clock::now();

    const double readUs = std::chrono::duration<double, std::micro>(readEnd - readStart).count() / kReads;
    const double writeUs = std::chrono::duration<double, std::micro>(writeEnd - readEnd).count() / kWrites;
    std::printf("ini read (300 keys): %.1f us per call, %d found\n", readUs, found);
    std::printf("ini write (300 keys): %.1f us per call\n", writeUs);
    std::filesystem::remove_all(folder);
    return found == kReads ? 0 : 1;
}
