#include "mail/mailaccounts.h"
#include "mail/tests/mailtest.h"
#include "platform/ui/dialogs.h"

#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

std::string Login(TMailAccounts& form, int row) { return form.AccountList->topLevelItem(row)->text(1).toStdString(); }

}  // namespace

TEST(MailAccounts, ShowsTheAccountsWithTheDefaultMarked)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nlogin=ann\r\nPOP=pop.work\r\nDefault=2\r\n[Home]\r\nlogin=al\r\nPOP=pop.home\r\n");
    TMailAccounts form;
    form.FillList();
    ASSERT_EQ(form.AccountList->topLevelItemCount(), 2);
    EXPECT_EQ(Login(form, 0), "ann (Default)");
    EXPECT_EQ(form.AccountList->topLevelItem(1)->text(2).toStdString(), "pop.home");
    EXPECT_TRUE(form.DeleteButton->isEnabled());
    EXPECT_EQ(form.Caption(), "Mail Accounts");
    EXPECT_EQ(form.ClientWidth(), 454);
}

TEST(MailAccounts, SetAsDefaultOnTheSecondOfThree)
{
    MailScratch scratch;
    scratch.seed("[A]\r\nlogin=a\r\n[B]\r\nlogin=b\r\n[C]\r\nlogin=c\r\nDefault=1\r\n");
    TMailAccounts form;
    form.FillList();
    form.AccountList->setCurrentItem(form.AccountList->topLevelItem(1));
    form.DefaultButtonClick();
    EXPECT_EQ(scratch.mailInf(), "[A]\r\nlogin=a\r\nDefault=0\r\n[B]\r\nlogin=b\r\nDefault=1\r\n[C]\r\nlogin=c\r\nDefault=0\r\n");
    EXPECT_EQ(Login(form, 0), "a");
    EXPECT_EQ(Login(form, 1), "b (Default)");
    EXPECT_EQ(Login(form, 2), "c");
}

TEST(MailAccounts, DeletingTheOnlyAccountDisablesTheButtons)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nlogin=ann\r\n");
    TMailAccounts form;
    form.FillList();
    dialogs::ClearHistory();
    dialogs::QueueAnswer(IDYES);
    form.DeleteButtonClick();
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text, "\rAre you sure you want to delete the 'Work' account?");
    EXPECT_EQ(form.AccountList->topLevelItemCount(), 0);
    EXPECT_FALSE(form.EditButton->isEnabled());
    EXPECT_FALSE(form.DefaultButton->isEnabled());
    EXPECT_FALSE(form.DeleteButton->isEnabled());
    EXPECT_EQ(scratch.mailInf().find("Work"), std::string::npos);
}

TEST(MailAccounts, AMissingMailFolderReportsTheWriteAndTheWindowStays)
{
    MailScratch scratch(false);
    scratch.write("windows/registry.reg",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\1]\r\n"
        "\"Account Name\"=\"W\"\r\n\"POP3 Server\"=\"pop\"\r\n");
    TMailAccounts form;
    form.Show();
    bool raised = false;
    try {
        form.ImportButtonClick();
    } catch (const std::exception& error) {
        raised = std::string(error.what()).rfind("Unable to write to ", 0) == 0;
    }
    EXPECT_TRUE(raised);
    EXPECT_TRUE(form.Visible());
    form.Hide();
}

TEST(MailAccounts, ImportIsOfferedOnce)
{
    MailScratch scratch;
    TMailAccounts form;
    form.ImportButtonClick();
    EXPECT_FALSE(form.ImportButton->isEnabled());
}

TEST(MailAccounts, DeletingOneOfTwoSectionsDifferingInCaseRemovesThatOneAlone)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nlogin=a\r\nPOP=pop.a\r\n[work]\r\nlogin=b\r\nPOP=pop.b\r\n");
    TMailAccounts form;
    form.FillList();
    // Every reader finds the first of the two, so it is the one account the row shows.
    ASSERT_EQ(form.AccountList->topLevelItemCount(), 1);
    EXPECT_EQ(Login(form, 0), "a");
    dialogs::QueueAnswer(IDYES);
    form.DeleteButtonClick();
    EXPECT_EQ(scratch.mailInf(), "[work]\r\nlogin=b\r\nPOP=pop.b\r\n");
    EXPECT_EQ(form.AccountList->topLevelItemCount(), 0);
    form.FillList();
    ASSERT_EQ(form.AccountList->topLevelItemCount(), 1);
    EXPECT_EQ(Login(form, 0), "b");
}
