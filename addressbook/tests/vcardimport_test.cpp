#include "addressbook/vcardimport.h"

#include "addressbook/contactstore.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(VCardImport, CardBecomesAContactFileWithItsAddresses)
{
    ScratchDirs dirs;
    const std::string folder = codepage::FromUtf8(dirs.appDir());
    const auto result = StoreVCardContacts(ReadVCards("N:Grant;Ada;J\nEMAIL;PREF;INTERNET:ada@x\nTEL;WORK:5\n"), folder);
    EXPECT_EQ(result.Written, 1);
    EXPECT_EQ(dirs.read("app/Grant_Ada_J.zkt"),
        "[General]\r\nFirstName=Ada\r\nMiddleName=J\r\nLastName=Grant\r\nNickname=\r\nDisplayName=Ada J Grant\r\n"
        "Email=ada@x\r\n\r\n[Home]\r\nPhone=\r\n\r\n[business]\r\nPhone=5\r\n\r\n[Mail Accounts]\r\n0=ada@x (Default E-Mail)\r\n");
}

TEST(VCardImport, ExistingContactKeepsKeysTheCardDoesNotCarry)
{
    ScratchDirs dirs;
    dirs.write("app/Grant_Ada.zkt", "[personal]\r\nHobby=Chess\r\n[Mail Accounts]\r\n0=old@x\r\n1=older@x\r\n");
    StoreVCardContacts(ReadVCards("N:Grant;Ada\nEMAIL;INTERNET:new@x\n"),
        codepage::FromUtf8(dirs.appDir()));
    const TContact c = ReadContact(codepage::FromUtf8(dirs.appDir()) + "/Grant_Ada.zkt");
    EXPECT_EQ(c.Hobby, "Chess");
    EXPECT_EQ(c.MailAccounts, (std::vector<std::string> { "new@x" }));
}

TEST(VCardImport, NamelessCardIsStoredAsVcardAndANumber)
{
    ScratchDirs dirs;
    const std::string folder = codepage::FromUtf8(dirs.appDir());
    StoreVCardContacts(ReadVCards("EMAIL;INTERNET:who@x\n"), folder);
    const auto files = ListDirectory(folder + "/*.zkt", faAnyFile);
    ASSERT_EQ(files.size(), 1u);
    const std::string name = files[0].Name;
    EXPECT_EQ(name.substr(0, 5), "vcard");
    const std::string digits = name.substr(5, name.size() - 9);
    EXPECT_GE(digits.size(), 1u);
    EXPECT_LE(digits.size(), 6u);
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos);
}

TEST(VCardImport, HostileNamesLandInTheirFolder)
{
    ScratchDirs dirs;
    dirs.write("app/Address Book/Friends/.keep", "");
    const std::string folder = codepage::FromUtf8(dirs.appDir()) + "/Address Book/Friends";
    const auto result = StoreVCardContacts(ReadVCards("N:../../../evil;..\\x\n"), folder);
    EXPECT_EQ(result.Written, 1);
    EXPECT_TRUE(dirs.exists("app/Address Book/Friends/.._.._.._evil_.._x.zkt"));
}

TEST(VCardImport, UnwritableFolderIsReportedPerCard)
{
    ScratchDirs dirs;
    const auto result = StoreVCardContacts(ReadVCards("N:A;B\nBEGIN:VCARD\nN:C;D\nEND:VCARD\n"),
        codepage::FromUtf8(dirs.appDir()) + "/missing");
    EXPECT_EQ(result.Written, 0);
    EXPECT_EQ(result.Failures.size(), 1u);
}

TEST(VCardImport, NewAndUpdatedFilesReadTheSame)
{
    ScratchDirs dirs;
    const std::string folder = codepage::FromUtf8(dirs.appDir());
    const std::string card = "N;ENCODING=QUOTED-PRINTABLE:Grant=0D=0A[x];Ada\nEMAIL;PREF;INTERNET:a@x\nEMAIL;INTERNET:b@x\n";
    StoreVCardContacts(ReadVCards(card), folder);
    const std::string created = dirs.read("app/Grant__[x]_Ada.zkt");
    StoreVCardContacts(ReadVCards(card), folder);
    EXPECT_EQ(dirs.read("app/Grant__[x]_Ada.zkt"), created);
    const TContact c = ReadContact(folder + "/Grant__[x]_Ada.zkt");
    EXPECT_EQ(c.LastName, "Grant  [x]");
    EXPECT_EQ(c.MailAccounts, (std::vector<std::string> { "a@x (Default E-Mail)", "b@x" }));
}
