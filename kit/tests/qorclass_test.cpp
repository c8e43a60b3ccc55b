#include "kit/qorclass.h"

#include "kit/qorapplication.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"
#include "platform/ui/form.h"
#include "platform/win/registry.h"

#include <gtest/gtest.h>

namespace {

std::string ProgramIniName() { return ChangeFileExt(ExtractFileName(ProgramFileName()), ".INI"); }

class TitledApp {
public:
    TitledApp()
    {
        m_saved = Application::Title();
        Application::SetTitle("Kit Test");
    }
    ~TitledApp() { Application::SetTitle(m_saved); }

private:
    std::string m_saved;
};

}  // namespace

TEST(QorClass, StartsWithItsDefaults)
{
    TQORIniCtrl ini;
    EXPECT_FALSE(ini.AlphaCounter());
    EXPECT_TRUE(ini.Common());
    EXPECT_EQ(ini.IniFile(), "");
    EXPECT_EQ(ini.IniPrefix(), qorprocs::ppWindows);
    EXPECT_EQ(ini.MaxEntries(), 16);
    EXPECT_FALSE(ini.NetUser());
    EXPECT_EQ(ini.User(), "");
    EXPECT_EQ(ini.RegPath(), "");
    EXPECT_EQ(ini.RegRoot(), rpCurrentUser);
    EXPECT_EQ(ini.Target(), itAuto);
}

TEST(QorClass, DefaultsWriteToTheApplicationsRegistryKey)
{
    ScratchDirs dirs;
    TitledApp title;
    TQORIniCtrl ini;
    ini.WriteString("Main", "Width", "640");
    TRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKeyReadOnly("\\Software\\Kit Test\\Main"));
    EXPECT_EQ(registry.ReadString("Width"), "640");
    EXPECT_EQ(ini.ReadString("Main", "Width", ""), "640");
}

TEST(QorClass, UserSectionGoesToTheProgramsIniFile)
{
    ScratchDirs dirs;
    TQORIniCtrl ini;
    ini.SetTarget(itIniFile);
    ini.SetCommon(false);
    ini.SetUser("ann");
    ini.WriteString("Main", "Colour", "blue");
    const std::string path = dirs.windowsDir() + "/" + ProgramIniName();
    EXPECT_EQ(ini.IniPath(), path);
    EXPECT_EQ(TIniFile(path).ReadString("Main.ann", "Colour", ""), "blue");
    EXPECT_EQ(ini.ReadString("Main", "Colour", ""), "blue");
}

TEST(QorClass, RootSectionWritesIntoTheKeyItself)
{
    ScratchDirs dirs;
    TQORIniCtrl ini;
    ini.SetRegPath("Software\\Korvo\\Kit");
    ini.WriteString("#ROOT", "Top", "yes");
    TRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKeyReadOnly("\\Software\\Korvo\\Kit"));
    EXPECT_EQ(registry.ReadString("Top"), "yes");
    EXPECT_FALSE(registry.KeyExists("#ROOT"));
}

TEST(QorClass, AlphaCounterBoundsMaxEntries)
{
    TQORIniCtrl ini;
    ini.SetMaxEntries(40);
    ini.SetAlphaCounter(true);
    EXPECT_EQ(ini.MaxEntries(), 26);
    ini.SetMaxEntries(30);
    EXPECT_EQ(ini.MaxEntries(), 26);
    ini.SetMaxEntries(10);
    EXPECT_EQ(ini.MaxEntries(), 10);
}

TEST(QorClass, LookupsIgnoreLetterCase)
{
    ScratchDirs dirs;
    TQORIniCtrl registry;
    registry.SetRegPath("Software\\Korvo");
    registry.WriteString("Main", "Width", "1");
    EXPECT_EQ(registry.ReadString("MAIN", "width", ""), "1");
    TQORIniCtrl file;
    file.SetTarget(itIniFile);
    file.WriteString("Main", "Width", "2");
    EXPECT_EQ(file.ReadString("main", "WIDTH", ""), "2");
}

TEST(QorClass, BlankSectionMeansTheLastOneOrCommon)
{
    ScratchDirs dirs;
    TQORIniCtrl ini;
    ini.SetTarget(itIniFile);
    EXPECT_EQ(ini.SectionName(""), "Common");
    ini.SetCommon(false);
    ini.SetUser("bob");
    EXPECT_EQ(ini.SectionName("Main"), "Main.bob");
    EXPECT_EQ(ini.SectionName("  "), "Main.bob");
    ini.WriteString("", "Key", "v");
    EXPECT_EQ(TIniFile(ini.IniPath()).ReadString("Main.bob", "Key", ""), "v");
}

TEST(QorClass, NetUserSectionsUseTheUsersName)
{
    class Named final : public TQORIniCtrl {
    public:
        std::string GetNetUser() const override { return "eve"; }
    } ini;
    ini.SetTarget(itIniFile);
    ini.SetCommon(false);
    ini.SetNetUser(true);
    EXPECT_EQ(ini.User(), "eve");
    EXPECT_EQ(ini.SectionName("Main"), "Main.eve");
}

TEST(QorClass, IniNameGetsItsExtensionAndFolder)
{
    ScratchDirs dirs;
    TQORIniCtrl ini;
    ini.SetIniFile("/elsewhere/settings");
    EXPECT_EQ(ini.IniPath(), dirs.windowsDir() + "/settings.INI");
    ini.SetIniPrefix(qorprocs::ppProgram);
    ini.SetIniFile("kit.cfg");
    EXPECT_EQ(ini.IniPath(), dirs.appDir() + "/kit.cfg");
    ini.SetIniPrefix(qorprocs::ppFixed);
    ini.SetIniFile("/elsewhere/settings");
    EXPECT_EQ(ini.IniPath(), "/elsewhere/settings.INI");
}

TEST(QorClass, RegistryPathEndsInASeparator)
{
    TQORIniCtrl ini;
    ini.SetRegPath("Software\\A");
    EXPECT_EQ(ini.RegistryPath(), "Software\\A\\");
    ini.SetRegPath("Software\\A\\");
    EXPECT_EQ(ini.RegistryPath(), "Software\\A\\");
}

TEST(QorClass, FailingWriteReachesTheCallerAndTheNextCallWorks)
{
    ScratchDirs dirs;
    TQORIniCtrl ini;
    ini.SetTarget(itIniFile);
    ini.SetIniPrefix(qorprocs::ppFixed);
    ini.SetIniFile(dirs.root() + "/missing/folder/x.ini");
    EXPECT_THROW(ini.WriteString("Main", "A", "1"), EIniFileException);
    ini.SetIniFile(dirs.root() + "/x.ini");
    ini.WriteString("Main", "A", "1");
    EXPECT_EQ(ini.ReadString("Main", "A", ""), "1");
    ini.DeleteKey("Main", "A");
    EXPECT_EQ(ini.ReadString("Main", "A", "gone"), "gone");
}

TEST(QorClass, DeleteKeyRemovesARegistryValue)
{
    ScratchDirs dirs;
    TQORIniCtrl ini;
    ini.SetRegPath("Software\\Korvo");
    ini.SetRegRoot(rpLocalMachine);
    ini.WriteString("Forms", "Form1", "x");
    EXPECT_EQ(ini.ReadString("Forms", "Form1", ""), "x");
    ini.DeleteKey("Forms", "Form1");
    EXPECT_EQ(ini.ReadString("Forms", "Form1", "none"), "none");
    TRegistry user(HKEY_CURRENT_USER);
    EXPECT_FALSE(user.KeyExists("\\Software\\Korvo\\Forms"));
}

TEST(QorClass, EveryRootKeyHasItsHandle)
{
    EXPECT_EQ(RootKeyToHKey(rpClassesRoot), HKEY_CLASSES_ROOT);
    EXPECT_EQ(RootKeyToHKey(rpCurrentUser), HKEY_CURRENT_USER);
    EXPECT_EQ(RootKeyToHKey(rpLocalMachine), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootKeyToHKey(rpUsers), HKEY_USERS);
    EXPECT_EQ(RootKeyToHKey(rpCurrentConfig), HKEY_CURRENT_CONFIG);
    EXPECT_EQ(RootKeyToHKey(rpDynData), HKEY_DYN_DATA);
    EXPECT_EQ(RootKeyToHKey(0x80 | rpUsers), HKEY_USERS);
    EXPECT_EQ(RootKeyToHKey(9), 0u);
}

TEST(QorClass, RegIniFileKeepsSectionsAsSubkeysOfAnyRoot)
{
    ScratchDirs dirs;
    TQORRegIniFile file(HKEY_USERS, "Kit\\Store");
    file.WriteString("One", "Name", "value");
    EXPECT_EQ(file.ReadString("one", "name", ""), "value");
    EXPECT_EQ(file.ReadString("Two", "Name", "dflt"), "dflt");
    TRegistry registry(HKEY_USERS);
    EXPECT_TRUE(registry.KeyExists("\\Kit\\Store\\One"));
}

TEST(QorClass, ApplicationOwnsAGlobalControl)
{
    QORInitialize();
    EXPECT_EQ(QORApplication()->IniCtrl().Target(), itAuto);
    QORFinalize();
}
