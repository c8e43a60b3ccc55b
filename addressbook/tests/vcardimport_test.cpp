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

TEST(VCardImport, NamelessCardsNeverOverwriteEachOther)
{
    ScratchDirs dirs;
    const std::string folder = codepage::FromUtf8(dirs.appDir());
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "BEGIN:VCARD\nEMAIL;INTERNET:who" + std::to_string(i) + "@x\nEND:VCARD\n";
    const auto result = StoreVCardContacts(ReadVCards(text), folder);
    EXPECT_EQ(result.Written, 10000);
    EXPECT_TRUE(result.Failures.empty());
    EXPECT_EQ(ListDirectory(folder + "/vcard*.zkt", faAnyFile).size(), 10000u);
}

TEST(VCardImport, NamesTheCodePageCannotHoldGetFreeVariants)
{
    ScratchDirs dirs;
    const std::string folder = codepage::FromUtf8(dirs.appDir());
    // Иванов Пётр, Петров Иван: both "?????? ????" in the code page, so one file name.
    const std::string lost(11, '_');
    dirs.write("app/" + lost + ".zkt", "[General]\r\nLastName=Old\r\n");
    const auto result = StoreVCardContacts(ReadVCards("BEGIN:VCARD\nVERSION:3.0\nN:Иванов;Пётр\nEND:VCARD\n"
                                                      "BEGIN:VCARD\nVERSION:3.0\nN:Петров;Иван\nEND:VCARD\n"
                                                      "BEGIN:VCARD\nVERSION:3.0\nN:Σοφία;\nEND:VCARD\n"),
        folder);
    EXPECT_EQ(result.Written, 3);
    EXPECT_EQ(ReadContact(folder + "/" + lost + ".zkt").LastName, "Old");
    EXPECT_EQ(ReadContact(folder + "/" + lost + ".zkt").FirstName, "");
    const TContact first = ReadContact(folder + "/" + lost + "_2.zkt");
    EXPECT_EQ(first.LastName, "??????");
    EXPECT_EQ(first.FirstName, "????");
    EXPECT_EQ(ReadContact(folder + "/" + lost + "_3.zkt").LastName, "??????");
    EXPECT_EQ(ReadContact(folder + "/_____.zkt").LastName, "?????");
    EXPECT_EQ(ListDirectory(folder + "/*.zkt", faAnyFile).size(), 4u);
}

TEST(VCardImport, TwoCardsOfOneImportWithOneNameKeepBoth)
{
    ScratchDirs dirs;
    const std::string folder = codepage::FromUtf8(dirs.appDir());
    StoreVCardContacts(ReadVCards("BEGIN:VCARD\nN:Grant;Ada\nTEL;HOME:1\nEND:VCARD\n"
                                  "BEGIN:VCARD\nN:Grant;Ada\nTEL;HOME:2\nEND:VCARD\n"),
        folder);
    EXPECT_EQ(ReadContact(folder + "/Grant_Ada.zkt").HomePhone, "1");
    EXPECT_EQ(ReadContact(folder + "/Grant_Ada_2.zkt").HomePhone, "2");
}

TEST(VCardImport, LargeImportsPauseBetweenBatchesAndCanBeEnded)
{
    ScratchDirs dirs;
    const std::string folder = codepage::FromUtf8(dirs.appDir());
    std::string text;
    for (std::size_t i = 0; i < kVCardImportBatch * 3 + 1; ++i)
        text += "BEGIN:VCARD\nN:L" + std::to_string(i) + ";F\nEND:VCARD\n";
    const auto cards = ReadVCards(text);
    std::vector<std::size_t> filesAtPause;
    StoreVCardContacts(cards, folder, [&] {
        filesAtPause.push_back(ListDirectory(folder + "/*.zkt", faAnyFile).size());
        return true;
    });
    EXPECT_EQ(filesAtPause, (std::vector<std::size_t> { kVCardImportBatch, kVCardImportBatch * 2, kVCardImportBatch * 3 }));

    dirs.write("app/second/.keep", "");
    const std::string second = folder + "/second";
    const auto result = StoreVCardContacts(cards, second, [] { return false; });
    EXPECT_EQ(result.Written, static_cast<int>(kVCardImportBatch));
}
