#include "mail/tests/mailtest.h"

#include <QProcess>
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
    QProcess mail;
    mail.start(QStringLiteral(KORVO_BIN_DIR "/mail"), { "/CoNfIg" });
    ASSERT_TRUE(mail.waitForStarted());
    // The window stays until it is closed, so the program is still running.
    EXPECT_FALSE(mail.waitForFinished(1500));
    mail.kill();
    mail.waitForFinished();
}
