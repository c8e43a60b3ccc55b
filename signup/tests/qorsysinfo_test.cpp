#include "signup/qorsysinfo.h"

#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

void seedOwner(const ScratchDirs& dirs, const std::string& values)
{
    dirs.write("windows/registry.reg", "REGEDIT4\r\n\r\n"
                                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
                                       + values + "\r\n");
}

TEST(QORSysInfo, TheRegisteredOwnerAndCompanyComeFromTheRegistry)
{
    ScratchDirs dirs;
    seedOwner(dirs, "\"RegisteredOwner\"=\"Ada\"\r\n\"RegisteredOrganization\"=\"Analytical Engines\"");
    const TQORSysInfo info;
    EXPECT_EQ(info.RegisteredOwner(), "Ada");
    EXPECT_EQ(info.RegisteredCompany(), "Analytical Engines");
}

TEST(QORSysInfo, AMissingKeyIsUnknownAndAMissingValueIsEmpty)
{
    ScratchDirs dirs;
    const TQORSysInfo info;
    EXPECT_EQ(info.RegisteredOwner(), "(Unknown)");
    seedOwner(dirs, "\"RegisteredOwner\"=\"Ada Lovelace\"");
    EXPECT_EQ(info.RegisteredOwner(), "Ada Lovelace");
    EXPECT_EQ(info.RegisteredCompany(), "");
}

TEST(QORSysInfo, ProcessorTypesReadAsTheTableSays)
{
    EXPECT_EQ(ProcessorTypeText(386), "Intel 386");
    EXPECT_EQ(ProcessorTypeText(486), "Intel 486");
    EXPECT_EQ(ProcessorTypeText(586), "Intel Pentium");
    EXPECT_EQ(ProcessorTypeText(4000), "Mips R4000");
    EXPECT_EQ(ProcessorTypeText(21064), "Alpha 21064");
    EXPECT_EQ(ProcessorTypeText(8664), "8664");
}

TEST(QORSysInfo, FreeResourcesReadZeroPercentAndNoScreenSaverDelay)
{
    const TQORSysInfo info;
    EXPECT_EQ(info.FreeSysRes(), "0 %");
    EXPECT_EQ(info.FreeGdiRes(), "0 %");
    EXPECT_EQ(info.FreeUsrRes(), "0 %");
    EXPECT_EQ(info.ScreenSaverDelay().Minutes, 0);
    EXPECT_EQ(info.ScreenSaverDelay().Seconds, 0);
    EXPECT_EQ(info.Platform(), "Windows NT");
    EXPECT_EQ(info.AllPrinters().Count(), 0);
}

TEST(QORSysInfo, MemoryIsInKilobytesAndTheLoadInPercent)
{
    const TQORSysInfo info;
    EXPECT_GT(info.MemPhysTotal(), 0);
    EXPECT_LE(info.MemPhysFree(), info.MemPhysTotal());
    // More than a terabyte in kilobytes would mean bytes leaked through.
    EXPECT_LT(info.MemPhysTotal(), std::int64_t { 1 } << 30);
    const std::string load = info.MemoryLoaded();
    ASSERT_GE(load.size(), 3u);
    EXPECT_EQ(load.substr(load.size() - 2), " %");
}

TEST(QORSysInfo, TheEnvironmentIsTakenOnceAtCreation)
{
    ::setenv("KORVO_SYSINFO_PROBE", "before", 1);
    const TQORSysInfo info;
    ::setenv("KORVO_SYSINFO_PROBE", "after", 1);
    EXPECT_GE(info.Environment().IndexOf("KORVO_SYSINFO_PROBE=before"), 0);
    EXPECT_LT(info.Environment().IndexOf("KORVO_SYSINFO_PROBE=after"), 0);
    ::unsetenv("KORVO_SYSINFO_PROBE");
}

}  // namespace
