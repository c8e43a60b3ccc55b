#include "mail/tests/mailtest.h"

#include "platform/testing/automationclient.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

// The program's exit code, or -1 when it was still running after a generous wait.
int RunMail(const QStringList& arguments)
{
    QProcess mail;
    mail.start(QStringLiteral(KORVO_BIN_DIR "/mail"), arguments);
    if (!mail.waitForFinished(30000)) {
        mail.kill();
        mail.waitForFinished();
        return -1;
    }
    return mail.exitCode();
}

}  // namespace

TEST(MailProgram, WithoutConfigItEndsAtOnce)
{
    MailScratch scratch;
    EXPECT_EQ(RunMail({}), 0);
    EXPECT_EQ(RunMail({ "/i" }), 0);
}

TEST(MailProgram, ConfigInAnyCaseOpensTheWindow)
{
    MailScratch scratch;
    const std::string socket = scratch.root() + "/mail.sock";
    QProcess mail;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KORVO_AUTOMATION", QString::fromStdString(socket));
    env.remove("KORVO_PARENT");
    mail.setProcessEnvironment(env);
    mail.start(QStringLiteral(KORVO_BIN_DIR "/mail"), { "/CoNfIg" });
    ASSERT_TRUE(mail.waitForStarted());
    AutomationClient window(socket);
    ASSERT_TRUE(window.connect());
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return window.command("find\tMail Accounts").rfind("ok MailAccounts\t1\t", 0) == 0; }, 20000));
    // The window stays until it is closed: closing it ends the program.
    EXPECT_EQ(window.command("click\tMail Accounts\tCloseButton"), "ok");
    EXPECT_TRUE(mail.waitForFinished(20000));
    EXPECT_EQ(mail.exitCode(), 0);
    mail.kill();
    mail.waitForFinished();
}
