#include "mail/mailimport.h"
#include "mail/mailstore.h"
#include "mail/tests/mailtest.h"

#include <gtest/gtest.h>

namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts";

void SeedRegistry(const MailScratch& scratch, const std::string& body)
{
    scratch.write("windows/registry.reg", "REGEDIT4\r\n\r\n" + body);
}

std::string Account(const std::string& sub, const std::string& values)
{
    return "[" + kKey + "\\" + sub + "]\r\n" + values + "\r\n";
}

}  // namespace

TEST(MailImport, WritesEachMailAccountInOrderAndSkipsBlankServers)
{
    MailScratch scratch;
    SeedRegistry(scratch,
        Account("00000001", "\"Account Name\"=\"Work\"\r\n\"POP3 Server\"=\"pop.work\"\r\n\"POP3 User Name\"=\"ann\"\r\n"
                            "\"SMTP Display Name\"=\"Ann Lee\"\r\n\"SMTP Server\"=\"smtp.work\"\r\n\"SMTP Email Address\"=\"ann@work\"\r\n")
            + Account("00000002", "\"Account Name\"=\"News\"\r\n\"POP3 Server\"=\"  \"\r\n"));
    EXPECT_EQ(ImportMailAccounts(MailIniFileName("ann")), 1);
    EXPECT_EQ(scratch.mailInf(),
        "[Work]\r\nPOP=pop.work\r\nLogin=ann\r\nname=Ann Lee\r\nSMTP=smtp.work\r\nemail=ann@work\r\nPOPport=110\r\n"
        "SMTPport=25\r\n");
}

TEST(MailImport, ImportingTwiceWritesTheSameSectionsAndKeepsOtherKeys)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nPOP=pop.work\r\nPassword=112-243-\r\n");
    SeedRegistry(scratch, Account("1", "\"Account Name\"=\"Work\"\r\n\"POP3 Server\"=\"pop.work\"\r\n"));
    ImportMailAccounts(MailIniFileName("ann"));
    const std::string once = scratch.mailInf();
    ImportMailAccounts(MailIniFileName("ann"));
    EXPECT_EQ(scratch.mailInf(), once);
    EXPECT_NE(once.find("Password=112-243-"), std::string::npos);
    EXPECT_NE(once.find("Login=\r\n"), std::string::npos);
}

TEST(MailImport, ANonTextValueEndsTheImportKeepingEarlierAccounts)
{
    MailScratch scratch;
    SeedRegistry(scratch, Account("1", "\"Account Name\"=\"First\"\r\n\"POP3 Server\"=\"pop.a\"\r\n")
            + Account("2", "\"Account Name\"=dword:00000001\r\n\"POP3 Server\"=\"pop.b\"\r\n")
            + Account("3", "\"Account Name\"=\"Third\"\r\n\"POP3 Server\"=\"pop.c\"\r\n"));
    EXPECT_ANY_THROW(ImportMailAccounts(MailIniFileName("ann")));
    const auto rows = ReadMailAccounts(MailIniFileName("ann"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Name, "First");
}

TEST(MailImport, AnUnnamedAccountTakesItsKeyNameAndABracketIsKeptInAName)
{
    MailScratch scratch;
    SeedRegistry(scratch, Account("00000007", "\"POP3 Server\"=\"pop.a\"\r\n")
            + Account("8", "\"Account Name\"=\"a]b\"\r\n\"POP3 Server\"=\"pop.b\"\r\n"));
    EXPECT_EQ(ImportMailAccounts(MailIniFileName("ann")), 2);
    const auto rows = ReadMailAccounts(MailIniFileName("ann"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Name, "00000007");
    EXPECT_EQ(rows[1].Name, "a]b");
    EXPECT_EQ(rows[1].Server, "pop.b");
}

TEST(MailImport, AnAccountImportedWithAnotherServerDropsItsStoredPassword)
{
    MailScratch scratch;
    scratch.seed("[Work]\r\nPOP=pop.old\r\nPassword=112-243-\r\n[Home]\r\nPOP=POP.HOME\r\nPassword=115-19-\r\n");
    SeedRegistry(scratch, Account("1", "\"Account Name\"=\"Work\"\r\n\"POP3 Server\"=\"pop.new\"\r\n")
            + Account("2", "\"Account Name\"=\"home\"\r\n\"POP3 Server\"=\"pop.home\"\r\n"));
    EXPECT_EQ(ImportMailAccounts(MailIniFileName("ann")), 2);
    const std::string stored = scratch.mailInf();
    EXPECT_EQ(stored.find("112-243-"), std::string::npos) << stored;
    EXPECT_NE(stored.find("POP=pop.new\r\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("Password=115-19-\r\n"), std::string::npos) << stored;
}

TEST(MailImport, AValueHoldingANulEndsAtIt)
{
    MailScratch scratch;
    SeedRegistry(scratch, Account("1", "\"Account Name\"=\"Work\"\r\n\"POP3 Server\"=\"pop.a\"\r\n\"POP3 User Name\"=\"u"
                                           + std::string(1, '\0') + "v\"\r\n"));
    EXPECT_EQ(ImportMailAccounts(MailIniFileName("ann")), 1);
    EXPECT_EQ(scratch.mailInf(), "[Work]\r\nPOP=pop.a\r\nLogin=u\r\nname=\r\nSMTP=\r\nemail=\r\nPOPport=110\r\nSMTPport=25\r\n");
}

TEST(MailImport, NoKeyImportsNothing)
{
    MailScratch scratch;
    EXPECT_EQ(ImportMailAccounts(MailIniFileName("ann")), 0);
    EXPECT_EQ(scratch.mailInf(), "");
}
