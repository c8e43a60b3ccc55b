#include "larkspire_process.h"

#include "platform/testing/dovecot.h"
#include "platform/testing/loopback.h"
#include "platform/testing/pop3stubs.h"
#include "platform/testing/scratch.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// "secret" as mail.inf keeps a password, scrambled.
const char* const kScrambledSecret = "115-19-231-157-31-111-";

std::string Message(const std::string& from, const std::string& subject)
{
    return "From: " + from + "\nSubject: " + subject + "\nTo: ann@x\n\nbody\n";
}

// ann signed on in larkspire with her mail accounts seeded; the CHECK button drives the check.
class MailCheckFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!DovecotServer::Available())
            GTEST_SKIP() << "dovecot is not installed";
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
        dirs.write("windows/my friends/ann/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
        dirs.write("windows/my friends/ann/mail/.keep", "");
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=ann\r\n[Mail]\r\n3=1\r\n4=0\r\n");
        // No news run: its outcome goes to the main bar's label, which these checks read.
        dirs.write("app/Channels.ini", "[Push News]\r\nmanual=0\r\n");
        server.addUser("ann", "secret");
    }

    static std::string Account(const std::string& name, int port, const std::string& login = "ann")
    {
        return "[" + name + "]\r\nlogin=" + login + "\r\nPOP=127.0.0.1\r\nPOPPort=" + std::to_string(port)
            + "\r\nPassword=" + kScrambledSecret + "\r\n";
    }
    void seed(const std::string& mailInf) { dirs.write("windows/my friends/ann/mail/mail.inf", mailInf); }
    std::string file(const std::string& name) { return dirs.read("windows/my friends/ann/mail/" + name); }
    void start()
    {
        larkspire = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), dirs.root() + "/l.sock");
        ASSERT_TRUE(larkspire->signOn());
        ASSERT_TRUE(logOnOver()) << channel();
    }
    std::string channel() { return larkspire->command("text\tForm1\tChnName"); }
    // The sign-on's log-on ends on the label a check writes too; with no service it says so,
    // and a check started before that could lose its own words to it.
    bool logOnOver()
    {
        return Application::ProcessMessagesUntil([&] { return channel() == "ok NO SERVICE"; }, 20000);
    }
    // Clicks CHECK and waits for the channel label the check ends with.
    bool check(const std::string& ending)
    {
        larkspire->command("click\tForm1\tQORExplorerButton16");
        return Application::ProcessMessagesUntil([&] { return channel() == "ok " + ending; }, 30000);
    }

    ScratchDirs dirs;
    DovecotServer server;
    std::unique_ptr<LarkspireProcess> larkspire;
};

}  // namespace

TEST_F(MailCheckFlow, CheckAnnouncesMailOnlyWhenMoreMessagesWait)
{
    server.deliver("ann", Message("\"Ann Lee\" <a@x>", "Lunch"));
    server.deliver("ann", Message("bob@x", ""));
    server.deliver("ann", Message("Carol <c@x>", "Plans"));
    ASSERT_TRUE(server.start()) << server.error();
    seed(Account("Work", server.port()));
    start();

    ASSERT_TRUE(check("YOU HAVE MAIL!")) << channel();
    EXPECT_EQ(file("status.inf"), "[status]\r\nann.127.0.0.1=3\r\n");
    EXPECT_EQ(file("headers.inf"), "Ann Lee;Lunch\r\nbob@x;(no subject)\r\nCarol;Plans\r\n");

    ASSERT_TRUE(check("NO MAIL")) << channel();
    EXPECT_EQ(file("headers.inf"), "");

    server.deliver("ann",
        Message("=?UTF-8?Q?Dan_M=C3=BCller?= <d@x>", "=?ISO-8859-1?Q?Gr=FC=DFe?= =?UTF-8?B?IM6p?= aus K\xC3\xB6ln"));
    ASSERT_TRUE(check("YOU HAVE MAIL!")) << channel();
    EXPECT_EQ(file("status.inf"), "[status]\r\nann.127.0.0.1=4\r\n");
    EXPECT_EQ(file("headers.inf"), "Ann Lee;Lunch\r\nbob@x;(no subject)\r\nCarol;Plans\r\n"
                                   "Dan M\xFCller;Gr\xFC\xDF" "e ? aus K\xF6ln\r\n");
    EXPECT_EQ(larkspire->command("boxes"), "ok");
}

TEST_F(MailCheckFlow, NoAccountsAndCheckGivesTheWarning)
{
    start();
    larkspire->command("click\tForm1\tQORExplorerButton16");
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] {
            return larkspire->command("boxes").find("Your mail account is not configured. Click Setup to configure your mail account.")
                != std::string::npos;
        },
        30000));
}

TEST_F(MailCheckFlow, SigningOffDuringACheckEndsItAndTheNextSessionChecksAtOnce)
{
    server.deliver("ann", Message("a@x", "one"));
    ASSERT_TRUE(server.start()) << server.error();
    SilentServer mute;
    seed(Account("Mute", mute.port()));
    start();
    larkspire->command("click\tForm1\tQORExplorerButton16");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return channel().rfind("ok CHECKING", 0) == 0; }, 30000)) << channel();
    EXPECT_EQ(larkspire->command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(larkspire->waitForSignOn());
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return larkspire->command("find\tSign On").find("\t1\t") != std::string::npos; }, 20000));

    seed(Account("Work", server.port()));
    EXPECT_EQ(larkspire->command("set\tSign On\tEdit1\tpw"), "ok");
    EXPECT_EQ(larkspire->command("click\tSign On\tSpeedButton1"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return larkspire->command("find\tForm1").rfind("ok Form1\t1", 0) == 0; },
                                                  20000));
    ASSERT_TRUE(logOnOver()) << channel();
    ASSERT_TRUE(check("YOU HAVE MAIL!")) << channel();
    EXPECT_EQ(file("status.inf"), "[status]\r\nann.127.0.0.1=1\r\n");
    EXPECT_EQ(larkspire->command("boxes"), "ok");
    EXPECT_TRUE(larkspire->running());
}

TEST_F(MailCheckFlow, AnAccountWhoseServerHangsUpIsSkippedAndTheNextOneChecked)
{
    server.deliver("ann", Message("a@x", "one"));
    ASSERT_TRUE(server.start()) << server.error();
    HangUpServer broken;
    seed(Account("Broken", broken.port()) + Account("Work", server.port()));
    start();
    ASSERT_TRUE(check("YOU HAVE MAIL!")) << channel();
    EXPECT_EQ(file("status.inf"), "[status]\r\nann.127.0.0.1=1\r\n");
    EXPECT_EQ(file("headers.inf"), "a@x;one\r\n");
}

TEST_F(MailCheckFlow, AServerThatCannotBeReachedNeverReadsNoMail)
{
    server.deliver("ann", Message("a@x", "one"));
    ASSERT_TRUE(server.start()) << server.error();
    seed(Account("Gone", FreeLoopbackPort()) + Account("Work", server.port()));
    // Fewer messages than last time: nothing new where the server answered.
    dirs.write("windows/my friends/ann/mail/status.inf", "[status]\r\nann.127.0.0.1=5\r\n");
    start();
    larkspire->command("click\tForm1\tQORExplorerButton16");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return file("status.inf").find("=1\r\n") != std::string::npos; },
        30000));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return channel().rfind("ok CHECKING", 0) != 0; }, 30000))
        << channel();
    EXPECT_EQ(channel(), "ok NO SERVICE");
}

TEST_F(MailCheckFlow, AnAccountSendingEndlessHeadersIsSkippedAndTheNextOneChecked)
{
    server.deliver("ann", Message("a@x", "one"));
    ASSERT_TRUE(server.start()) << server.error();
    EndlessHeaderServer endless;
    seed(Account("Endless", endless.port(), "bob") + Account("Work", server.port()));
    start();
    ASSERT_TRUE(check("YOU HAVE MAIL!")) << channel();
    EXPECT_TRUE(endless.cutOff());
    EXPECT_EQ(file("status.inf"), "[status]\r\nbob.127.0.0.1=1\r\nann.127.0.0.1=1\r\n");
    EXPECT_EQ(file("headers.inf"), "a@x;one\r\n");
}

TEST_F(MailCheckFlow, AServerSilentAfterItsGreetingHoldsTheCheckOnlyForTheAccountsTimeOut)
{
    server.deliver("ann", Message("a@x", "one"));
    ASSERT_TRUE(server.start()) << server.error();
    SilentServer mute("+OK ready\r\n");
    seed(Account("Mute", mute.port(), "bob") + Account("Work", server.port()));
    // Three seconds in place of the shipped twenty; the check's wait below is far shorter
    // than the two minutes a stalled server could hold it before.
    setenv("KORVO_MAIL_TIMEOUT", "3000", 1);
    start();
    unsetenv("KORVO_MAIL_TIMEOUT");
    ASSERT_TRUE(check("YOU HAVE MAIL!")) << channel();
    EXPECT_TRUE(mute.hungUp());
    EXPECT_EQ(file("status.inf"), "[status]\r\nann.127.0.0.1=1\r\n");
}

TEST_F(MailCheckFlow, TheLogonPromptNamesTheServersRefusal)
{
    ASSERT_TRUE(server.start()) << server.error();
    seed(Account("Work", server.port(), "nobody"));
    start();
    larkspire->command("click\tForm1\tQORExplorerButton16");
    std::string windows;
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] {
            windows = larkspire->command("windows");
            return windows.find("MailAuthenticateForm:") != std::string::npos;
        },
        30000))
        << windows;
    EXPECT_NE(windows.find("MailAuthenticateForm:Message -ERR [AUTH] Authentication failed."), std::string::npos)
        << windows;
    EXPECT_EQ(larkspire->command("text\tMailAuthenticateForm\tEdit1"), "ok 127.0.0.1");
    EXPECT_EQ(larkspire->command("click\tMailAuthenticateForm\tCancelButton"), "ok");
    // A refused log-on learnt nothing of the mailbox.
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return channel().rfind("ok CHECKING", 0) != 0; }, 30000))
        << channel();
    EXPECT_EQ(channel(), "ok NO SERVICE");
}

TEST_F(MailCheckFlow, AnAccountCountingEndlessMessagesListsOnlyItsNewestAndTheNextOneIsChecked)
{
    server.deliver("ann", Message("a@x", "one"));
    ASSERT_TRUE(server.start()) << server.error();
    EndlessMailboxServer endless;
    seed(Account("Endless", endless.port(), "bob") + Account("Work", server.port()));
    start();
    ASSERT_TRUE(check("YOU HAVE MAIL!")) << channel();
    EXPECT_TRUE(endless.hungUp());
    EXPECT_EQ(endless.summaries(), 500);
    const std::string headers = file("headers.inf");
    EXPECT_EQ(headers.rfind("a@x;message 1999999501\r\n", 0), 0u) << headers.substr(0, 200);
    const std::string end = "a@x;message 1999999999\r\na@x;message 2000000000\r\na@x;one\r\n";
    ASSERT_GE(headers.size(), end.size());
    EXPECT_EQ(headers.substr(headers.size() - end.size()), end);
    EXPECT_EQ(std::count(headers.begin(), headers.end(), '\n'), 501);
    EXPECT_EQ(file("status.inf"), "[status]\r\nbob.127.0.0.1=2000000000\r\nann.127.0.0.1=1\r\n");
}
