#include "platform/win/sysinfo.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cctype>
#include <cstring>
#include <fstream>
#include <string>

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

TEST(SysInfo, MemoryFiguresAgreeWithTheSystem)
{
    MEMORYSTATUS status;
    GlobalMemoryStatus(&status);
    std::ifstream in("/proc/meminfo");
    std::string label;
    unsigned long long totalKb = 0;
    in >> label >> totalKb;
    ASSERT_EQ(label, "MemTotal:");
    EXPECT_EQ(status.dwTotalPhys, totalKb * 1024);
    EXPECT_LE(status.dwAvailPhys, status.dwTotalPhys);
    EXPECT_LE(status.dwMemoryLoad, 100u);
    EXPECT_GE(status.dwTotalPageFile, status.dwTotalPhys);
    EXPECT_LE(status.dwAvailVirtual, status.dwTotalVirtual);
    EXPECT_GT(status.dwAvailVirtual, 0u);
}

TEST(SysInfo, ProcessorCountAndKindAreReported)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_EQ(info.dwNumberOfProcessors, static_cast<DWORD>(sysconf(_SC_NPROCESSORS_ONLN)));
    utsname names {};
    ASSERT_EQ(uname(&names), 0);
    if (std::string(names.machine) == "x86_64") {
        EXPECT_EQ(info.dwProcessorType, PROCESSOR_INTEL_PENTIUM);
    }
}

TEST(SysInfo, TheVersionIsTheKernelsAsAnNtPlatform)
{
    OSVERSIONINFO info;
    ASSERT_TRUE(GetVersionEx(&info));
    utsname names {};
    ASSERT_EQ(uname(&names), 0);
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    const std::string release = names.release;
    const std::string shown = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + ".";
    EXPECT_EQ(release.substr(0, shown.size()), shown);
    EXPECT_EQ(GetVersion() & 0xFF, info.dwMajorVersion);
    EXPECT_EQ(GetVersion() & 0x80000000u, 0u);
}

TEST(SysInfo, TheUserNameCountIncludesTheTerminatingZero)
{
    char name[64];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserName(name, &size));
    EXPECT_EQ(std::string(name), std::string(getpwuid(getuid())->pw_name));
    EXPECT_EQ(size, std::strlen(name) + 1);

    DWORD tiny = 1;
    char one[1];
    EXPECT_FALSE(GetUserName(one, &tiny));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(tiny, std::strlen(name) + 1);
}

TEST(SysInfo, TheComputerNameIsShortAndInCapitals)
{
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerName(name, &size));
    EXPECT_EQ(size, std::strlen(name));
    EXPECT_LE(size, MAX_COMPUTERNAME_LENGTH);
    for (const char* c = name; *c; ++c)
        EXPECT_FALSE(std::islower(static_cast<unsigned char>(*c)));
}

TEST(SysInfo, TheTempPathEndsInASeparatorAndIsNotWrittenIntoAShortBuffer)
{
    char path[260];
    const DWORD length = GetTempPath(sizeof path, path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(path[length - 1], '/');
    EXPECT_EQ(std::string(path), QDir::tempPath().toStdString() + "/");
    char shortBuffer[2] = { 'x', 'x' };
    EXPECT_EQ(GetTempPath(sizeof shortBuffer, shortBuffer), length + 1);
    EXPECT_EQ(shortBuffer[0], 'x');
}

TEST(SysInfo, TheProcessorNameIsTheModelTheSystemNames)
{
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    std::string model;
    while (model.empty() && std::getline(in, line))
        if (line.rfind("model name", 0) == 0)
            model = line.substr(line.find(':') + 2);
    if (model.empty())
        GTEST_SKIP() << "this system names no processor model";
    EXPECT_EQ(GetProcessorName(), model);
}
