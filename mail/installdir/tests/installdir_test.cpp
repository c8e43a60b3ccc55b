#include "mail/installdir/installdir.h"

#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(InstallDir, MissingSettingsFileGivesProgramFolderWithSeparator)
{
    ScratchDirs dirs;
    EXPECT_EQ(GetInstallDir(), codepage::FromUtf8(dirs.appDir()) + "/");
}

TEST(InstallDir, InstallKeyOfMainSectionWins)
{
    ScratchDirs dirs;
    dirs.write("windows/larkspire.ini", "[MAIN]\r\ninstall=/opt/korvo/\r\n");
    EXPECT_EQ(GetInstallDir(), "/opt/korvo/");
}
