#include "platform/win/registry.h"

#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

const char* const kSeed =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Clients\\Mail\\Outlook Express]\r\n"
    "@=\"Outlook Express\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Clients\\Mail\\Outlook Express\\shell\\open\\command]\r\n"
    "@=\"\\\"/opt/mail/msimn\\\" /mailurl:%1\"\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Clients\\Mail\\Eudora]\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001]\r\n"
    "\"POP3 Server\"=\"pop.example.com\"\r\n"
    "\"POP3 Port\"=dword:0000006e\r\n"
    "\"Account Name\"=hex(1):48,6f,6d,65,00\r\n"
    "\"Flags\"=hex:01,02,\\\r\n"
    "  03\r\n";

}  // namespace

TEST(Registry, ReadsTheSeededExportFormat)
{
    ScratchDirs dirs;
    dirs.write("windows/registry.reg", kSeed);
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\software\\clients\\mail"));
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string> { "Eudora", "Outlook Express" }));
    ASSERT_TRUE(reg.OpenKeyReadOnly("Outlook Express\\shell\\open\\command"));
    EXPECT_EQ(reg.ReadString(""), "\"/opt/mail/msimn\" /mailurl:%1");
    EXPECT_EQ(reg.CurrentPath(), "software\\clients\\mail\\Outlook Express\\shell\\open\\command");

    TRegistry user;
    ASSERT_TRUE(user.OpenKeyReadOnly("\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001"));
    EXPECT_EQ(user.ReadString("pop3 server"), "pop.example.com");
    EXPECT_EQ(user.ReadInteger("POP3 Port"), 110);
    EXPECT_EQ(user.ReadString("Account Name"), "Home");
    EXPECT_EQ(user.GetDataType("Flags"), TRegDataType::rdBinary);
}

TEST(Registry, AMissingKeyDoesNotOpenAndAMissingValueReadsEmpty)
{
    ScratchDirs dirs;
    dirs.write("windows/registry.reg", kSeed);
    TRegistry reg(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software\\Mirabilis\\ICQ"));
    EXPECT_FALSE(reg.OpenKey("\\Software\\Mirabilis\\ICQ", false));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Mirabilis"));
    EXPECT_FALSE(dirs.read("windows/registry.reg").find("Mirabilis") != std::string::npos);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Clients\\Mail\\Eudora"));
    EXPECT_EQ(reg.ReadString("nothing"), "");
    EXPECT_FALSE(reg.ValueExists("nothing"));
    EXPECT_THROW(reg.ReadInteger("nothing"), ERegistryException);
}

TEST(Registry, AValueOfTheWrongTypeRaisesTheRegistryError)
{
    ScratchDirs dirs;
    dirs.write("windows/registry.reg", kSeed);
    TRegistry user;
    ASSERT_TRUE(user.OpenKeyReadOnly("\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001"));
    try {
        user.ReadString("POP3 Port");
        FAIL() << "a number read as text must raise";
    } catch (const ERegistryException& error) {
        EXPECT_EQ(error.Message(), "Invalid data type for 'POP3 Port'");
    }
    EXPECT_THROW(user.ReadInteger("POP3 Server"), ERegistryException);
}

TEST(Registry, WrittenValuesSurviveInTheFileWithEscapesAndCrLf)
{
    ScratchDirs dirs;
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\LARKSPIRE\\Settings", true));
        reg.WriteString("Path", Ansi("C:\\Program Files\\\"Korvo®\""));
        reg.WriteInteger("Count", 10);
        reg.WriteBool("On", true);
        reg.WriteString("Lines", "one\r\ntwo");
    }
    const std::string file = dirs.read("windows/registry.reg");
    EXPECT_EQ(file.rfind("REGEDIT4\r\n", 0), 0u);
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\LARKSPIRE\\Settings]\r\n"), std::string::npos);
    EXPECT_NE(file.find(Ansi("\"Path\"=\"C:\\\\Program Files\\\\\\\"Korvo®\\\"\"\r\n")), std::string::npos);
    EXPECT_NE(file.find("\"Count\"=dword:0000000a\r\n"), std::string::npos);
    EXPECT_EQ(file.find("Shell Folders"), std::string::npos) << "defaults are not written out";
    dirs.write("windows/registry.reg", file + "\r\n");  // as another process would leave it: read afresh

    TRegistry again;
    ASSERT_TRUE(again.OpenKeyReadOnly("\\SOFTWARE\\larkspire\\settings"));
    EXPECT_EQ(again.ReadString("Path"), Ansi("C:\\Program Files\\\"Korvo®\""));
    EXPECT_EQ(again.ReadInteger("count"), 10);
    EXPECT_TRUE(again.ReadBool("On"));
    EXPECT_EQ(again.ReadString("Lines"), "one\r\ntwo");
    EXPECT_EQ(again.GetValueNames(), (std::vector<std::string> { "Path", "Count", "On", "Lines" }));
}

TEST(Registry, AReadOnlyKeyOrNoKeyRefusesWrites)
{
    ScratchDirs dirs;
    dirs.write("windows/registry.reg", kSeed);
    TRegistry reg(HKEY_LOCAL_MACHINE);
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Clients\\Mail\\Eudora"));
    EXPECT_THROW(reg.WriteInteger("x", 1), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue("x"));
    EXPECT_EQ(dirs.read("windows/registry.reg"), kSeed);
}

TEST(Registry, DeletingAKeyRemovesEverythingBelowIt)
{
    ScratchDirs dirs;
    dirs.write("windows/registry.reg", kSeed);
    TRegistry reg(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(reg.DeleteKey("\\Software\\Clients\\Mail\\Outlook Express"));
    EXPECT_FALSE(reg.DeleteKey("\\Software\\Clients\\Mail\\Outlook Express"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Clients\\Mail\\Outlook Express\\shell\\open\\command"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\Clients\\Mail\\Eudora"));
    EXPECT_EQ(dirs.read("windows/registry.reg").find("msimn"), std::string::npos);
}

TEST(Registry, DeletingAValueLeavesTheOthers)
{
    ScratchDirs dirs;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\X", true));
    reg.WriteString("a", "1");
    reg.WriteString("b", "2");
    EXPECT_TRUE(reg.DeleteValue("A"));
    EXPECT_FALSE(reg.DeleteValue("a"));
    EXPECT_EQ(reg.GetValueNames(), std::vector<std::string> { "b" });
}

TEST(Registry, AChangeMadeBehindOurBackIsSeen)
{
    ScratchDirs dirs;
    dirs.write("windows/registry.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n\"v\"=\"old\"\r\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\X"));
    EXPECT_EQ(reg.ReadString("v"), "old");
    dirs.write("windows/registry.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n\"v\"=\"a newer one\"\r\n");
    EXPECT_EQ(reg.ReadString("v"), "a newer one");
}

TEST(Registry, TheShellFoldersHaveDefaultsUntilTheFileNamesOthers)
{
    ScratchDirs dirs;
    const std::string key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(key));
    const std::string windowsDir = codepage::FromUtf8(dirs.windowsDir());
    EXPECT_EQ(reg.ReadString("Favorites"), windowsDir + "/Favorites");
    EXPECT_EQ(reg.ReadString("Desktop"), windowsDir + "/Desktop");
    EXPECT_TRUE(QDir(QString::fromStdString(dirs.windowsDir() + "/Desktop")).exists())
        << "a shell folder exists once it is asked for";

    dirs.write("windows/registry.reg",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER" + key + "]\r\n\"Favorites\"=\"/home/u/Bookmarks\"\r\n");
    EXPECT_EQ(reg.ReadString("Favorites"), "/home/u/Bookmarks");
    EXPECT_EQ(reg.ReadString("Personal"), windowsDir + "/My Documents");
}

TEST(Registry, BrokenLinesAreSkippedAndTheRestIsRead)
{
    ScratchDirs dirs;
    dirs.write("windows/registry.reg",
        "REGEDIT4\n[HKEY_NOWHERE\\A]\n\"x\"=\"lost\"\n[HKEY_CURRENT_USER\\A]\n\"bad\"=dword:zz\n"
        "\"unterminated\"=\"abc\n\"good\"=\"kept\"\n\"hex\"=hex:1,2,333\n[HKEY_CURRENT_USER\\A\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\A"));
    EXPECT_EQ(reg.GetValueNames(), std::vector<std::string> { "good" });
    EXPECT_EQ(reg.ReadString("good"), "kept");
}

TEST(Registry, TextWithLineBreaksCannotPlantKeysInTheFile)
{
    ScratchDirs dirs;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\X", true));
    reg.WriteString("note", "a\r\n[HKEY_LOCAL_MACHINE\\Planted]\r\n\"v\"=\"1\"");
    const std::string file = dirs.read("windows/registry.reg");
    EXPECT_EQ(file.find("\r\n[HKEY_LOCAL_MACHINE\\Planted]"), std::string::npos);
    dirs.write("windows/registry.reg", file + "\r\n");  // as another process would leave it: read afresh
    TRegistry machine(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(machine.KeyExists("\\Planted"));
    TRegistry again;
    ASSERT_TRUE(again.OpenKeyReadOnly("\\Software\\X"));
    EXPECT_EQ(again.ReadString("note"), "a\r\n[HKEY_LOCAL_MACHINE\\Planted]\r\n\"v\"=\"1\"");
}

TEST(Registry, KeysAreMadeBelowTheOpenKeyAndChangingTheRootClosesIt)
{
    ScratchDirs dirs;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\LARKSPIRE\\", true));
    EXPECT_FALSE(reg.HasSubKeys());
    EXPECT_TRUE(reg.CreateKey("Forms\\Main"));
    EXPECT_TRUE(reg.HasSubKeys());
    EXPECT_EQ(reg.CurrentPath(), "Software\\LARKSPIRE");
    EXPECT_TRUE(reg.OpenKey("Forms", false));
    EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string> { "Main" });
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_FALSE(reg.KeyExists("\\Software\\LARKSPIRE"));
    EXPECT_NE(dirs.read("windows/registry.reg").find("[HKEY_CURRENT_USER\\Software\\LARKSPIRE\\Forms\\Main]\r\n"),
        std::string::npos);
}
