#include "client/core/scrambler.h"
#include "mail/mailconfigure.h"
#include "mail/tests/mailtest.h"
#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

std::string LastMessage()
{
    return dialogs::History().empty() ? std::string() : dialogs::History().back().request.text;
}

void Type(QLineEdit* edit, const char* text) { edit->setText(text); }

// Account name, your name and address typed, each page left with Next.
void FillFirstPages(TMailConfigure& wizard, const char* account, const char* name, const char* email)
{
    Type(wizard.AccountNameEdit, account);
    wizard.NextButtonClick();
    Type(wizard.YourNameEdit, name);
    wizard.NextButtonClick();
    Type(wizard.EmailEdit, email);
    wizard.NextButtonClick();
}

}  // namespace

TEST(MailConfigure, FinishWritesTheKeysInOrderWithTheScrambledPassword)
{
    MailScratch scratch;
    TMailConfigure wizard("");
    wizard.Show();
    FillFirstPages(wizard, "Work", "Ann Lee", "  ann@example.org  ");
    Type(wizard.PopEdit, "pop.example.org");
    Type(wizard.SmtpEdit, "smtp.example.org");
    wizard.NextButtonClick();
    EXPECT_EQ(wizard.LoginEdit->text().toStdString(), "ann");
    Type(wizard.PasswordEdit, " pw ");
    wizard.NextButtonClick();
    ASSERT_EQ(wizard.Page(), 5);
    EXPECT_EQ(wizard.NextButton->text().toStdString(), "&Finish");
    wizard.NextButtonClick();
    EXPECT_EQ(scratch.mailInf(), "[Work]\r\nname=Ann Lee\r\nemail=ann@example.org\r\nPOP=pop.example.org\r\nPOPport=110\r\n"
                                 "SMTP=smtp.example.org\r\nSMTPport=25\r\nLogin=ann\r\nPassword=" + ScrambleText("pw") + "\r\n");
}

TEST(MailConfigure, AnAddressWithoutADotOrWithASpaceIsRefused)
{
    MailScratch scratch;
    TMailConfigure wizard("");
    wizard.Show();
    Type(wizard.AccountNameEdit, "Work");
    wizard.NextButtonClick();
    Type(wizard.YourNameEdit, "Ann");
    wizard.NextButtonClick();
    for (const char* bad : { "ann@example", "ann lee@example.org" }) {
        dialogs::ClearHistory();
        Type(wizard.EmailEdit, bad);
        wizard.NextButtonClick();
        EXPECT_EQ(wizard.Page(), 2);
        EXPECT_EQ(LastMessage(), "\rPlease enter a valid email address, in order to proceed");
    }
}

TEST(MailConfigure, TheLastFailedCheckOfAPageIsShown)
{
    MailScratch scratch;
    TMailConfigure wizard("");
    wizard.Show();
    Type(wizard.AccountNameEdit, "Work");
    wizard.NextButtonClick();
    Type(wizard.YourNameEdit, "Ann");
    wizard.NextButtonClick();
    Type(wizard.EmailEdit, "ann@example.org");
    Type(wizard.LoginEdit, "typed");
    wizard.NextButtonClick();
    dialogs::ClearHistory();
    wizard.NextButtonClick();
    EXPECT_EQ(LastMessage(), "\rPlease enter a valid POP server, in order to proceed");
    EXPECT_EQ(wizard.LoginEdit->text().toStdString(), "typed");
    Type(wizard.PopEdit, "p");
    Type(wizard.SmtpEdit, "s");
    wizard.NextButtonClick();
    wizard.LoginEdit->clear();
    Type(wizard.PasswordEdit, "   ");
    dialogs::ClearHistory();
    wizard.NextButtonClick();
    EXPECT_EQ(wizard.Page(), 4);
    EXPECT_EQ(LastMessage(), "\rPlease enter a valid Login Name, in order to complete this setup");
}

TEST(MailConfigure, CancelAsksCreatedOrUpdated)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nname=Ann\r\nLogin=ann\r\n");
    {
        TMailConfigure wizard("");
        wizard.Show();
        dialogs::ClearHistory();
        dialogs::QueueAnswer(IDNO);
        wizard.CancelButtonClick();
        EXPECT_EQ(LastMessage(), "This mail account has not been created yet.\rAre you sure you want to exit now?");
    }
    TMailConfigure wizard("Work");
    wizard.Show();
    EXPECT_EQ(wizard.YourNameEdit->text().toStdString(), "Ann");
    dialogs::ClearHistory();
    dialogs::QueueAnswer(IDNO);
    wizard.CancelButtonClick();
    EXPECT_EQ(LastMessage(), "This mail account has not been updated yet.\rAre you sure you want to exit now?");
}

TEST(MailConfigure, ATypedPortIsStoredAndAnEditedAccountKeepsItsPorts)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nname=Ann\r\nemail=ann@example.org\r\nPOP=pop.a\r\nPOPport=995\r\nSMTP=smtp.a\r\nSMTPport=587\r\n"
                 "Login=ann\r\nPassword=" + ScrambleText("pw") + "\r\n");
    {
        TMailConfigure wizard("Work");
        wizard.Show();
        EXPECT_EQ(wizard.PopEdit->text().toStdString(), "pop.a:995");
        EXPECT_EQ(wizard.SmtpEdit->text().toStdString(), "smtp.a:587");
        while (wizard.Page() < 5)
            wizard.NextButtonClick();
        wizard.NextButtonClick();
    }
    EXPECT_EQ(scratch.mailInf(), "[Work]\r\nname=Ann\r\nemail=ann@example.org\r\nPOP=pop.a\r\nPOPport=995\r\nSMTP=smtp.a\r\n"
                                 "SMTPport=587\r\nLogin=ann\r\nPassword=" + ScrambleText("pw") + "\r\n");

    TMailConfigure wizard("");
    wizard.Show();
    FillFirstPages(wizard, "Home", "Ann", "ann@example.org");
    Type(wizard.SmtpEdit, "smtp.b");
    for (const char* bad : { "pop.b:", "pop.b:x", "pop.b:70000", ":1995" }) {
        dialogs::ClearHistory();
        Type(wizard.PopEdit, bad);
        wizard.NextButtonClick();
        EXPECT_EQ(wizard.Page(), 3) << bad;
        EXPECT_EQ(LastMessage(), "\rPlease enter a valid POP server, in order to proceed") << bad;
    }
    Type(wizard.PopEdit, "pop.b:1995");
    wizard.NextButtonClick();
    Type(wizard.PasswordEdit, "pw");
    wizard.NextButtonClick();
    wizard.NextButtonClick();
    EXPECT_NE(scratch.mailInf().find("[Home]\r\nname=Ann\r\nemail=ann@example.org\r\nPOP=pop.b\r\nPOPport=1995\r\nSMTP=smtp.b\r\n"
                                     "SMTPport=25\r\n"),
        std::string::npos)
        << scratch.mailInf();
}

TEST(MailConfigure, ADamagedStoredPasswordReadsAsNoneAndOnePageShows)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nname=Ann\r\nPOP=pop.a\r\nLogin=ann\r\nPassword=abc-\r\n");
    TMailConfigure wizard("Work");
    const auto shownPages = [&] {
        int shown = 0;
        for (QLineEdit* edit : { wizard.AccountNameEdit, wizard.YourNameEdit, wizard.EmailEdit, wizard.PopEdit,
                 wizard.LoginEdit })
            shown += edit->parentWidget()->isHidden() ? 0 : 1;
        return shown;
    };
    EXPECT_EQ(shownPages(), 1);
    dialogs::ClearHistory();
    wizard.Show();
    EXPECT_TRUE(dialogs::History().empty()) << LastMessage();
    EXPECT_EQ(wizard.PasswordEdit->text().toStdString(), "");
    EXPECT_EQ(wizard.YourNameEdit->text().toStdString(), "Ann");
    EXPECT_EQ(shownPages(), 1);
    EXPECT_FALSE(wizard.AccountNameEdit->parentWidget()->isHidden());
}

TEST(MailConfigure, ANameAnotherAccountHasIsAskedAbout)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nname=Ann\r\nPOP=pop.a\r\n");
    TMailConfigure wizard("");
    wizard.Show();
    Type(wizard.AccountNameEdit, "work");
    dialogs::ClearHistory();
    dialogs::QueueAnswer(IDNO);
    wizard.NextButtonClick();
    EXPECT_EQ(LastMessage(), "\rAn account named 'work' already exists. Do you want to replace it?");
    EXPECT_EQ(wizard.Page(), 0);
    dialogs::QueueAnswer(IDYES);
    wizard.NextButtonClick();
    EXPECT_EQ(wizard.Page(), 1);
}
