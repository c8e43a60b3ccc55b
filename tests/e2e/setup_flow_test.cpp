#include "larkspire_process.h"
#include "started_programs.h"

#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// "pw" and "new1" as user.dat and the service keep them.
const std::string kPw = "112-243-";

struct SetupFlow : ::testing::Test {
    ScratchDirs dirs;
    ScratchDirs serviceDirs;
    std::unique_ptr<ServiceProcess> service;
    std::unique_ptr<LarkspireProcess> larkspire;

    void SetUp() override
    {
        serviceDirs.write("files/images/ads.idx", "[Index]\r\nUpdateCode=4\r\n0=spot.gif\r\n[Live Update]\r\nVersion=9.5\r\n");
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(serviceDirs.root() + "/files/images/spot.gif"));
        service = std::make_unique<ServiceProcess>(std::vector<std::string> {
            "--db", serviceDirs.root() + "/service.db", "--files", serviceDirs.root() + "/files", "--user",
            "alice:pw:alice@example.org" });
        ASSERT_TRUE(service->started()) << service->error();

        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
        dirs.write("app/servers.ini", "[servers]\r\n0=" + service->hostPort() + "\r\n");
        dirs.write("app/News.inf", "[World]\r\ncaption=World News\r\n");
        dirs.write("app/kestrow", "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/kestrow.tmp\"\n"
                                  "mv \"$(dirname \"$0\")/kestrow.tmp\" \"$(dirname \"$0\")/kestrow.args\"\n");
        QFile::setPermissions(QString::fromStdString(dirs.appDir() + "/kestrow"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\nVersion=1.0\r\n");
        dirs.write("windows/my friends/alice/user.dat", "[user]\r\npassword=" + kPw + "\r\nSave=1\r\n");
        dirs.write("windows/my friends/alice/bob.cnt", "[Friend]\r\nUserID=bob\r\n");
        larkspire = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), dirs.root() + "/l.sock",
                                                       LoopbackHost(2));
        ASSERT_TRUE(larkspire->signOn());
    }

    bool visible(const std::string& window)
    {
        const std::string reply = larkspire->command("find\t" + window);
        return reply.rfind("ok ", 0) == 0 && reply.find("\t1\t") != std::string::npos;
    }
    bool shown(const std::string& window)
    {
        return Application::ProcessMessagesUntil([&] { return visible(window); }, 10000);
    }
    bool boxSaying(const std::string& text)
    {
        return Application::ProcessMessagesUntil(
            [&] { return larkspire->command("boxes").find(text) != std::string::npos; }, 20000);
    }
    std::string cmd(const std::string& line) { return larkspire->command(line); }
    // Moves along the page tabs with the arrow keys, as a user of the keyboard does.
    void nextPages(int count)
    {
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(cmd("key\tKorvo Properties\tPageTabs\tRight"), "ok");
    }
    std::string logIn(const std::string& password)
    {
        return HttpGet(service->port(), "/login.asp?Login=alice&Password=" + password + "&IPAddress=127.0.0.1&publickey=k").body;
    }
    std::string modify(const std::string& from, const std::string& to)
    {
        return HttpGet(service->port(), "/modify.asp?userid=alice&password=" + from
                                            + "&mod_userid=alice&mod_useremail=alice%40example.org&mod_userphone="
                                            + "&mod_userpassword=" + to + "&mod_publickey=").body;
    }
};

}  // namespace

TEST_F(SetupFlow, SignOnFetchesThePicturesAndStartsTheUpdater)
{
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return dirs.exists("app/kestrow.args"); }, 20000));
    EXPECT_EQ(dirs.read("app/kestrow.args"), "-si\n");
    EXPECT_EQ(dirs.read("app/ads/spot.gif"), serviceDirs.read("files/images/spot.gif"));
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("AdUpdateCode=4\r\n"), std::string::npos);
}

TEST_F(SetupFlow, PropertiesFromTheMainBarWriteTheSettingsFiles)
{
    ASSERT_EQ(cmd("click\tForm1\tSpeedButton1"), "ok");
    ASSERT_TRUE(shown("Korvo Properties"));
    EXPECT_EQ(cmd("check\tKorvo Properties\tSoundEffects\t1"), "ok");
    EXPECT_EQ(cmd("set\tKorvo Properties\tAlias\tace"), "ok");
    nextPages(1);
    EXPECT_EQ(cmd("set\tKorvo Properties\tKeywords\tlinux, chess"), "ok");
    EXPECT_EQ(cmd("check\tKorvo Properties\tSource0\t1"), "ok");
    nextPages(3);
    EXPECT_EQ(cmd("check\tKorvo Properties\tMailCheck\t1"), "ok");
    EXPECT_EQ(cmd("set\tKorvo Properties\tMailMinutes\t0"), "ok");
    EXPECT_EQ(cmd("click\tKorvo Properties\tOKButton"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return dirs.exists("app/keywords.txt"); }, 10000));
    EXPECT_EQ(dirs.read("app/keywords.txt"), "linux, chess\r\n");
    EXPECT_EQ(dirs.read("app/News.inf"), "[World]\r\ncaption=World News\r\nget=1\r\n");
    const std::string channels = dirs.read("app/Channels.ini");
    EXPECT_NE(channels.find("Sound=1\r\nHint=0\r\nAOL=0\r\nHideNewsAlerts=1\r\nQuickTips=1\r\nConnectionSpeed=1\r\n"
                            "HintInterval=5\r\n"),
              std::string::npos)
        << channels;
    const std::string ini = dirs.read("windows/larkspire.ini");
    // The suite's own mail and address-book programs are registered at the first start, so they are chosen.
    EXPECT_NE(ini.find("[Mail]\r\nMail Client=Korvo Mail\r\nAddress Book=Korvo Address Book\r\n1=1\r\n2=0\r\n3=0\r\n4=0\r\n5=0\r\n6=0\r\nCheckInterval=1\r\n"),
              std::string::npos)
        << ini;
    EXPECT_NE(dirs.read("windows/my friends/alice/user.dat").find("alias=ace\r\n"), std::string::npos);
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return !visible("Korvo Properties"); }, 10000));
}

TEST_F(SetupFlow, ModifyAccountFailsWithAChangedPasswordAndThenSucceeds)
{
    // Someone changed the password elsewhere: the session's no longer opens the account.
    ASSERT_EQ(modify(kPw, "1-2-"), "success\r\n");
    ASSERT_EQ(cmd("click\tForm1\tSpeedButton1"), "ok");
    ASSERT_TRUE(shown("Korvo Properties"));
    nextPages(2);
    EXPECT_EQ(cmd("set\tKorvo Properties\tCurrentPassword\tPW"), "ok");
    EXPECT_EQ(cmd("set\tKorvo Properties\tEmail\tnew@example.org"), "ok");
    EXPECT_EQ(cmd("set\tKorvo Properties\tNewPassword\tnew1"), "ok");
    EXPECT_EQ(cmd("set\tKorvo Properties\tConfirmPassword\tnew1"), "ok");
    EXPECT_EQ(cmd("answer\tok"), "ok");
    EXPECT_EQ(cmd("click\tKorvo Properties\tModifyAccount"), "ok");
    ASSERT_TRUE(boxSaying("Unable to access your account information. Please try again later."));
    EXPECT_EQ(dirs.read("windows/my friends/alice/user.dat"), "[user]\r\npassword=" + kPw + "\r\nSave=1\r\n");
    EXPECT_EQ(dirs.read("windows/larkspire.ini").find("userEmail=new@example.org"), std::string::npos);

    ASSERT_EQ(modify("1-2-", kPw), "success\r\n");
    EXPECT_EQ(cmd("answer\tok"), "ok");
    EXPECT_EQ(cmd("click\tKorvo Properties\tModifyAccount"), "ok");
    ASSERT_TRUE(boxSaying("Your account information was successfully updated."));
    EXPECT_EQ(logIn(kPw), "nil\r\n");
    EXPECT_EQ(logIn("110-134-174-67-"), "success\r\n");
    EXPECT_NE(dirs.read("windows/my friends/alice/user.dat").find("password=110-134-174-67-\r\n"), std::string::npos);
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("userEmail=new@example.org\r\n"), std::string::npos);
}

TEST_F(SetupFlow, TheBuddyDialogRefusesABlankAndWritesTheContactFile)
{
    ASSERT_EQ(cmd("menu\tForm1\tNew Buddy..."), "ok");
    ASSERT_TRUE(shown("Add New Properties"));
    EXPECT_EQ(cmd("set\tAdd New Properties\tEdit1\tbob smith"), "ok");
    EXPECT_EQ(cmd("answer\tok"), "ok");
    EXPECT_EQ(cmd("click\tAdd New Properties\tButton1"), "ok");
    ASSERT_TRUE(boxSaying("characters are not permitted in your user name. Please retry."));
    EXPECT_EQ(cmd("set\tAdd New Properties\tEdit1\tzed"), "ok");
    EXPECT_EQ(cmd("click\tAdd New Properties\tButton1"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return dirs.read("windows/my friends/alice/zed.cnt").find("float=1") != std::string::npos; }, 10000));
    EXPECT_NE(dirs.read("windows/my friends/alice/zed.cnt").find("UserID=zed\r\nUserRef=zed\r\n"), std::string::npos);
}

TEST_F(SetupFlow, TheAboutBoxOpensFromTheMenuAndCloses)
{
    ASSERT_EQ(cmd("menu\tForm1\tAbout..."), "ok");
    ASSERT_TRUE(shown("About"));
    EXPECT_EQ(cmd("text\tAbout\tVersion"), "ok Version 1.0");
    EXPECT_EQ(cmd("click\tAbout\tOKButton"), "ok");
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return !visible("About"); }, 10000));
}

TEST_F(SetupFlow, TheAccountsButtonStartsMailOnItsOwnAutomationSocket)
{
    ASSERT_TRUE(QFile::copy(QString(KORVO_BIN_DIR) + "/mail", QString::fromStdString(dirs.appDir() + "/mail")));
    ASSERT_EQ(cmd("click\tForm1\tSpeedButton1"), "ok");
    ASSERT_TRUE(shown("Korvo Properties"));
    nextPages(4);
    ASSERT_EQ(cmd("click\tKorvo Properties\tAccountsButton"), "ok");
    AutomationClient mail(dirs.root() + "/l.sock.mail");
    const bool mailListens = mail.connect() && Application::ProcessMessagesUntil(
        [&] { return mail.command("find\tMail Accounts").rfind("ok MailAccounts\t1\t", 0) == 0; }, 20000);
    // A fresh connection to the client's own socket still reaches the client.
    AutomationClient client(dirs.root() + "/l.sock");
    const std::string bar = client.command("find\tForm1");
    if (mailListens) {
        EXPECT_EQ(mail.command("click\tMail Accounts\tCloseButton"), "ok");
    }
    const bool mailEnded = Application::ProcessMessagesUntil(
        [&] { return ProcessesWith("mail", dirs.root() + "/l.sock").empty(); }, mailListens ? 20000 : 0);
    KillProcessesWith("mail", dirs.root() + "/l.sock");
    EXPECT_TRUE(mailListens) << mail.command("windows");
    EXPECT_EQ(bar.rfind("ok Form1\t1\t", 0), 0u) << bar;
    EXPECT_TRUE(mailEnded);
}
