#include "larkspire_process.h"

#include "platform/testing/scratch.h"

#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

struct SignonFlow : ::testing::Test {
    ScratchDirs dirs;
    std::unique_ptr<LarkspireProcess> larkspire;

    void SetUp() override
    {
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
    }
    void start()
    {
        larkspire = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), dirs.root() + "/l.sock");
        ASSERT_TRUE(larkspire->waitForSignOn());
    }
    // The window is there and visible ("find" answers its name, 1 and its place).
    bool shown(const std::string& window)
    {
        const std::string reply = larkspire->command("find\t" + window);
        return reply.rfind("ok ", 0) == 0 && reply.find("\t1\t") != std::string::npos;
    }
};

}  // namespace

TEST_F(SignonFlow, SignOnThroughTheWindowWritesTheUsersFiles)
{
    dirs.write("windows/my friends/alice/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    // An installation's own choices stay as they are.
    dirs.write("app/Channels.ini", "[Categories]\r\n0=General\r\n");
    dirs.write("app/engines/mine.inf", "[Engine]\r\nname=Mine\r\n");
    start();
    EXPECT_EQ(dirs.read("app/Channels.ini"), "[Categories]\r\n0=General\r\n");
    EXPECT_FALSE(dirs.exists("app/engines/Quickseek.inf"));
    EXPECT_EQ(larkspire->command("text\tSign On\tComboBox1"), "ok alice");
    EXPECT_EQ(larkspire->command("set\tSign On\tEdit1\tpw"), "ok");
    EXPECT_EQ(larkspire->command("check\tSign On\tCheckBox1\t1"), "ok");
    EXPECT_EQ(larkspire->command("click\tSign On\tSpeedButton1"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return dirs.read("windows/my friends/alice/user.dat").find("Save=1") != std::string::npos; }, 10000));
    // "pw" scrambled: 'p' = 112 under key byte 0; key (37 + 112) * 20619 + 41857 mod 65536 = 33896,
    // whose high byte 132 turns 'w' = 119 into 119 ^ 132 = 243.
    EXPECT_EQ(dirs.read("windows/my friends/alice/user.dat"), "[user]\r\npassword=112-243-\r\nSave=1\r\n");
    EXPECT_TRUE(larkspire->running());
}

TEST_F(SignonFlow, ExitEndsTheProgram)
{
    start();
    // A fresh folder gets what an installation leaves: the guide's branches, the search
    // engines, and the suite's mail and address-book programs registered for the bar's buttons.
    EXPECT_EQ(dirs.read("app/Channels.ini"),
              "[Categories]\r\n0=News Headlines\r\n1=Nivlets\r\n2=Praltos\r\n3=Favorites\r\n4=Programs\r\n");
    EXPECT_NE(dirs.read("app/engines/Quickseek.inf").find("Post=https://"), std::string::npos);
    EXPECT_TRUE(dirs.exists("app/engines/Wikipedia.inf"));
    const std::string registry = dirs.read("windows/registry.reg");
    const std::string program = dirs.appDir() + "/";
    EXPECT_NE(registry.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Clients\\Mail\\Korvo Mail\\shell\\open\\command]\r\n@=\"\\\"" + program
                            + "mail\\\" /config\""),
              std::string::npos)
        << registry;
    EXPECT_NE(registry.find("Contacts\\Korvo Address Book\\shell\\open\\command]\r\n@=\"\\\"" + program + "tivra\\\"\""),
              std::string::npos)
        << registry;
    EXPECT_NE(registry.find("Contacts\\Korvo Address Book\\Protocols\\new\\open\\command]\r\n@=\"\\\"" + program
                            + "tivra\\\" /new\""),
              std::string::npos)
        << registry;
    EXPECT_EQ(larkspire->command("click\tSign On\tSpeedButton2"), "ok");
    ASSERT_TRUE(larkspire->waitForEnd());
    EXPECT_EQ(larkspire->exitCode(), 0);
}

TEST_F(SignonFlow, CloseBoxWithoutATrayEndsTheProgram)
{
    start();
    EXPECT_EQ(larkspire->command("close\tSign On"), "ok");
    ASSERT_TRUE(larkspire->waitForEnd());
    EXPECT_EQ(larkspire->exitCode(), 0);
}

TEST_F(SignonFlow, UnwritableLarkspireIniAtStartSaysSoAndGoesOn)
{
    std::filesystem::create_directories(dirs.windowsDir() + "/larkspire.ini");
    start();
    EXPECT_TRUE(larkspire->running());
    EXPECT_NE(larkspire->command("boxes").find("Unable to write to"), std::string::npos);
    EXPECT_EQ(larkspire->command("click\tSign On\tSpeedButton2"), "ok");
    ASSERT_TRUE(larkspire->waitForEnd());
    EXPECT_EQ(larkspire->exitCode(), 0);
}

TEST_F(SignonFlow, UnwritableChannelsIniStillSignsOffAndExitEnds)
{
    dirs.write("windows/my friends/alice/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    std::filesystem::create_directories(dirs.appDir() + "/Channels.ini");
    start();
    EXPECT_EQ(larkspire->command("set\tSign On\tEdit1\tpw"), "ok");
    EXPECT_EQ(larkspire->command("click\tSign On\tSpeedButton1"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return shown("Form1"); }, 10000));

    EXPECT_EQ(larkspire->command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return shown("Sign On"); }, 10000));
    EXPECT_FALSE(shown("Form1"));
    const std::string boxes = larkspire->command("boxes");
    const auto first = boxes.find("Channels.ini");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(boxes.find("Channels.ini", first + 1), std::string::npos);

    EXPECT_EQ(larkspire->command("click\tSign On\tSpeedButton2"), "ok");
    ASSERT_TRUE(larkspire->waitForEnd());
    EXPECT_EQ(larkspire->exitCode(), 0);
}
