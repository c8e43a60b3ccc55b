#include "mail/mailstore.h"
#include "mail/tests/mailtest.h"

#include <gtest/gtest.h>

TEST(MailStore, ListsSectionsInFileOrderWithLoginAndServer)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nlogin=ann\r\nPOP=pop.work\r\n[Home]\r\nLogin=al\r\nPOP=pop.home\r\n");
    const auto rows = ReadMailAccounts(MailIniFileName("ann"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Name, "Work");
    EXPECT_EQ(rows[1].Login, "al");
    EXPECT_EQ(rows[1].Server, "pop.home");
}

TEST(MailStore, DefaultCountsAnyNonZeroNumber)
{
    MailScratch scratch;
    scratch.seed("[A]\r\nDefault=2\r\n[B]\r\nDefault=0x1\r\n[C]\r\nDefault=0\r\n[D]\r\n");
    const auto rows = ReadMailAccounts(MailIniFileName("ann"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[0].IsDefault);
    EXPECT_TRUE(rows[1].IsDefault);
    EXPECT_FALSE(rows[2].IsDefault);
    EXPECT_FALSE(rows[3].IsDefault);
}

TEST(MailStore, AMissingFileHasNoAccounts)
{
    MailScratch scratch(false);
    EXPECT_TRUE(ReadMailAccounts(MailIniFileName("ann")).empty());
}

TEST(MailStore, AUserNameLeadingOutsideIsNotUsed)
{
    MailScratch scratch;
    scratch.write("windows/larkspire.ini", "[Main]\r\nUserLoginName=../../etc\r\n");
    EXPECT_EQ(MailUserFromSettings(), "");
    scratch.write("windows/larkspire.ini", "[Main]\r\nUserLoginName=a/b\r\n");
    EXPECT_EQ(MailUserFromSettings(), "");
}

TEST(MailStore, ManyAccountsAreAllListed)
{
    MailScratch scratch;
    std::string file;
    for (int i = 0; i < 300; ++i)
        file += "[acct" + std::to_string(i) + "]\r\nPOP=p" + std::to_string(i) + "\r\n";
    scratch.seed(file);
    const auto rows = ReadMailAccounts(MailIniFileName("ann"));
    ASSERT_EQ(rows.size(), 300u);
    EXPECT_EQ(rows[299].Server, "p299");
}
