#include "client/core/scrambler.h"
#include "client/core/session.h"
#include "client/core/mainbar.h"
#include "client/features/mailcheck.h"
#include "client/features/mailheader.h"
#include "platform/rtl/eventloop.h"
#include "platform/testing/dovecot.h"
#include "platform/testing/pop3stubs.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string Message(const std::string& from, const std::string& subject)
{
    return "From: " + from + "\nSubject: " + subject + "\nTo: ann@x\n\nbody\n";
}

class MailCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session().userId = "ann";
        Session().online = true;
        scratch.write("windows/my friends/ann/mail/.keep", "");
        scratch.write("windows/larkspire.ini", "[Mail]\r\n3=1\r\n4=0\r\n");
    }
    void TearDown() override { TMailCheck::SetLogonPrompt(nullptr); }

    std::string account(const std::string& name, int port, const std::string& login, const std::string& password)
    {
        return "[" + name + "]\r\nlogin=" + login + "\r\nPOP=127.0.0.1\r\nPOPPort=" + std::to_string(port)
            + "\r\nPassword=" + ScrambleText(password) + "\r\n";
    }
    void seed(const std::string& mailInf) { scratch.write("windows/my friends/ann/mail/mail.inf", mailInf); }
    std::string file(const std::string& name) { return scratch.read("windows/my friends/ann/mail/" + name); }

    bool run(bool manual = false)
    {
        TMailCheck check(manual);
        check.Start();
        check.WaitFor();
        return check.GotMail();
    }

    ScratchDirs scratch;
};

}  // namespace

TEST_F(MailCheck, ReportsMailOnlyWhenTheCountGrows)
{
    if (!DovecotServer::Available())
        GTEST_SKIP() << "dovecot is not installed";
    DovecotServer server;
    server.addUser("ann", "secret");
    server.deliver("ann", Message("\"Ann Lee\" <a@x>", "Lunch"));
    server.deliver("ann", Message("bob@x", ""));
    server.deliver("ann", Message("Carol <c@x>", "Plans"));
    ASSERT_TRUE(server.start()) << server.error();
    seed(account("Work", server.port(), "ann", "secret"));

    EXPECT_TRUE(run());
    EXPECT_EQ(file("status.inf"), "[status]\r\nann.127.0.0.1=3\r\n");
    EXPECT_EQ(file("headers.inf"), "Ann Lee;Lunch\r\nbob@x;(no subject)\r\nCarol;Plans\r\n");

    EXPECT_FALSE(run());
    EXPECT_EQ(file("headers.inf"), "");

    server.deliver("ann", Message("dan@x", "Four"));
    EXPECT_TRUE(run());
    EXPECT_EQ(file("status.inf"), "[status]\r\nann.127.0.0.1=4\r\n");
    EXPECT_EQ(file("headers.inf"), "Ann Lee;Lunch\r\nbob@x;(no subject)\r\nCarol;Plans\r\ndan@x;Four\r\n");
}

TEST_F(MailCheck, ASecondAccountIsCheckedAfterTheFirstServerHungUp)
{
    if (!DovecotServer::Available())
        GTEST_SKIP() << "dovecot is not installed";
    DovecotServer server;
    server.addUser("ann", "secret");
    server.deliver("ann", Message("a@x", "one"));
    ASSERT_TRUE(server.start()) << server.error();
    HangUpServer broken;
    seed(account("Broken", broken.port(), "bob", "pw") + account("Work", server.port(), "ann", "secret"));
    EXPECT_TRUE(run());
    EXPECT_EQ(file("status.inf"), "[status]\r\nann.127.0.0.1=1\r\n");
}

TEST_F(MailCheck, ARefusedLoginAsksAgainAndCancelSkips)
{
    if (!DovecotServer::Available())
        GTEST_SKIP() << "dovecot is not installed";
    DovecotServer server;
    server.addUser("ann", "secret");
    server.deliver("ann", Message("a@x", "one"));
    ASSERT_TRUE(server.start()) << server.error();
    seed(account("Work", server.port(), "ann", "wrong"));
    int asked = 0;
    TMailCheck::SetLogonPrompt([&](const std::string&, const std::string& server, std::string& user, std::string& password) {
        ++asked;
        EXPECT_EQ(server, "127.0.0.1");
        user = " ann ";
        password = asked == 1 ? "still wrong" : "secret";
        return asked <= 2;
    });
    EXPECT_TRUE(run());
    EXPECT_EQ(asked, 2);
    EXPECT_NE(file("mail.inf").find("login=ann\r\n"), std::string::npos);
    EXPECT_NE(file("mail.inf").find("Password=" + ScrambleText("secret")), std::string::npos);
}

TEST_F(MailCheck, TheLogonPromptNamesTheServersRefusal)
{
    if (!DovecotServer::Available())
        GTEST_SKIP() << "dovecot is not installed";
    DovecotServer server;
    server.addUser("ann", "secret");
    ASSERT_TRUE(server.start()) << server.error();
    seed(account("Work", server.port(), "ann", "wrong"));
    std::string caption;
    TMailCheck::SetLogonPrompt([&](const std::string& text, const std::string&, std::string&, std::string&) {
        caption = text;
        return false;
    });
    EXPECT_FALSE(run());
    EXPECT_EQ(caption, "Message -ERR [AUTH] Authentication failed.");
}

TEST_F(MailCheck, NoAccountAndManualGivesTheWarning)
{
    dialogs::ClearHistory();
    StartMailCheck(true);
    EXPECT_TRUE(MailCheckRunning());
    EXPECT_TRUE(Application::ProcessMessagesUntil([] { return !MailCheckRunning(); }, 60000));
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text,
        "\rYour mail account is not configured. Click Setup to configure your mail account.");
}

TEST_F(MailCheck, OfflineStartsNothing)
{
    Session().online = false;
    StartMailCheck(true);
    EXPECT_FALSE(MailCheckRunning());
}

TEST_F(MailCheck, SignOffCancelsARunningCheckThatThenShowsNothing)
{
    scratch.write("windows/my friends/ann/user.dat", "[user]\r\n");
    auto bar = std::make_unique<TForm1>();
    bar->ChnName->setText("WELCOME!");
    SilentServer server;
    seed(account("Slow", server.port(), "ann", "secret"));
    scratch.write("windows/my friends/ann/mail/headers.inf", "old;list\r\n");
    dialogs::ClearHistory();
    StartMailCheck(true);
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return server.connected(); }, 20000));

    CancelMailCheck();
    EXPECT_FALSE(MailCheckRunning()) << "the next session may check at once";
    // The bar goes with the session while the check is still winding down.
    bar.reset();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return server.hungUp(); }, 20000)) << "the cancel ends the wait";
    // Waits for the cancelled check's thread to end and its last step to run.
    TThread::FreeAbandoned();
    EXPECT_TRUE(dialogs::History().empty());
    EXPECT_FALSE(scratch.exists("windows/my friends/ann/mail/headers.inf"));
    EXPECT_EQ(file("status.inf"), "");
}

TEST_F(MailCheck, ACancelledCheckAsksForNoLogin)
{
    SilentServer server;
    seed("[Blank]\r\nlogin=\r\nPOP=127.0.0.1\r\n" + account("Slow", server.port(), "ann", "secret"));
    int asked = 0;
    TMailCheck::SetLogonPrompt([&](const std::string&, const std::string&, std::string&, std::string&) {
        ++asked;
        return false;
    });
    TMailCheck check(false);
    check.Cancel();
    check.Start();
    check.WaitFor();
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(server.connected());
    EXPECT_FALSE(check.GotMail());
}

TEST(MailCheckRules, SenderIsTheDisplayNameAlone)
{
    EXPECT_EQ(TMailCheck::SenderOf(" \"Ann Lee\" <a@x>"), "Ann Lee");
    EXPECT_EQ(TMailCheck::SenderOf("Carol <c@x>"), "Carol");
    EXPECT_EQ(TMailCheck::SenderOf("bob@x"), "bob@x");
}

TEST(MailCheckRules, AUserNameNeverLeadsOutsideMyFriends)
{
    EXPECT_EQ(TMailCheck::MailFolder(".."), "");
    EXPECT_EQ(TMailCheck::MailFolder("a/b"), "");
}

TEST(MailHeaderText, EncodedWordsAreDecodedAndJoinedIntoTheCodePage)
{
    EXPECT_EQ(DecodeHeaderText("=?UTF-8?Q?Gr=C3=BC=C3=9Fe_aus_K=C3=B6ln?="), "Gr\xFC\xDF" "e aus K\xF6ln");
    EXPECT_EQ(DecodeHeaderText("=?ISO-8859-1?B?R3L832U=?= und =?iso-8859-1?q?M=FCller?="), "Gr\xFC\xDF" "e und M\xFC" "ller");
    // The blanks between two words go; a character split across them is whole again.
    EXPECT_EQ(DecodeHeaderText("=?UTF-8?B?zg==?=  =?UTF-8?B?qQ==?= =?UTF-8?Q?_=E2=82=AC?="), "? \x80");
    EXPECT_EQ(DecodeHeaderText("K\xC3\xA4se"), "K\xE4se");
    EXPECT_EQ(DecodeHeaderText("K\xE4se"), "K\xE4se");
    EXPECT_EQ(DecodeHeaderText("=?UTF-8?Q?a=0D=0Ab?="), "a  b");
    EXPECT_EQ(DecodeHeaderText("=?x-unknown?Q?a?= =?UTF-8?Q?broken"), "=?x-unknown?Q?a?= =?UTF-8?Q?broken");
    EXPECT_EQ(DecodeHeaderText("1 =? 2"), "1 =? 2");
}
