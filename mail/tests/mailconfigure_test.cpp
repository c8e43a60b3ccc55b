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

}  // namespace

TEST(MailConfigure, FinishWritesTheKeysInOrderWithTheScrambledPassword)
{
    MailScratch scratch;
    TMailConfigure wizard("");
    wizard.Show();
    Type(wizard.AccountNameEdit, "Work");
    wizard.NextButtonClick();
    Type(wizard.YourNameEdit, "Ann Lee");
    wizard.NextButtonClick();
    Type(wizard.EmailEdit, "  ann@example.org  ");
    wizard.NextButtonClick();
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
