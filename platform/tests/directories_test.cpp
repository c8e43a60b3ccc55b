#include "platform/rtl/directories.h"

#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Sets or clears an environment variable for one test and puts it back.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvironmentOverride()
    {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had { false };
};

}  // namespace

TEST(Directories, WindowsAndProgramFoldersComeFromTheEnvironment)
{
    ScratchDirs dirs;
    EXPECT_EQ(GetWindowsDir(), dirs.windowsDir());
    EXPECT_EQ(GetSystemDir(), dirs.windowsDir() + "/system");
    EXPECT_EQ(GetProgramDir(), dirs.appDir());
}

TEST(Directories, WindowsDirectoryIsCreatedWithoutTrailingSlash)
{
    ScratchDirs dirs;
    const std::string wanted = dirs.root() + "/fresh";
    EnvironmentOverride windir("KORVO_WINDIR", (wanted + "/").c_str());
    EXPECT_EQ(GetWindowsDir(), wanted);
    EXPECT_TRUE(DirectoryExists(wanted));
    EXPECT_EQ(GetSystemDir(), wanted + "/system");
    EXPECT_TRUE(DirectoryExists(wanted + "/system"));
}

TEST(Directories, WindowsDirectoryFallsBackToTheXdgConfigFolder)
{
    ScratchDirs dirs;
    EnvironmentOverride windir("KORVO_WINDIR", nullptr);
    {
        EnvironmentOverride xdg("XDG_CONFIG_HOME", (dirs.root() + "/cfg").c_str());
        EXPECT_EQ(GetWindowsDir(), dirs.root() + "/cfg/korvo");
        EXPECT_TRUE(dirs.exists("cfg/korvo"));
    }
    EnvironmentOverride xdg("XDG_CONFIG_HOME", nullptr);
    EnvironmentOverride home("HOME", (dirs.root() + "/home").c_str());
    EXPECT_EQ(GetWindowsDir(), dirs.root() + "/home/.config/korvo");
}

TEST(Directories, ProgramFolderIsTheExecutablesFolderWithoutOverride)
{
    ScratchDirs dirs;
    EnvironmentOverride appdir("KORVO_APPDIR", nullptr);
    EXPECT_EQ(GetProgramDir(), std::string(KORVO_BUILD_DIR) + "/tests");
}
