#include "addressbook/vcardreader.h"

#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

std::vector<VCardContact> ReadFixture(const std::string& name, VCardReadCounts* counts = nullptr)
{
    std::vector<VCardContact> contacts;
    std::string error;
    EXPECT_TRUE(ReadVCardFile(std::string(VCARD_FIXTURES) + "/" + name, contacts, error, counts)) << error;
    return contacts;
}

}  // namespace

TEST(VCardReader, Version21QuotedPrintableUtf8NameIsDecodedAcrossSoftBreak)
{
    const auto cards = ReadFixture("v21-quoted-printable.vcf");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].LastName, Ansi("Müller"));
    EXPECT_EQ(cards[0].FirstName, Ansi("Jürgen"));
    EXPECT_EQ(cards[0].MiddleName, "Karl");
    EXPECT_EQ(cards[0].HomePhone, "+49 30 1234");
    EXPECT_EQ(cards[0].BusinessPhone, "+49 30 5678");
    EXPECT_EQ(cards[0].Email, "juergen@example.de");
    EXPECT_EQ(cards[0].Addresses,
        (std::vector<std::string> { "juergen@example.de (Default E-Mail)", "jm@example.org" }));
    EXPECT_EQ(cards[0].DisplayName, Ansi("Jürgen Karl Müller"));
}

TEST(VCardReader, Version21BytesWithoutCharsetStayAsTheyAre)
{
    const auto cards = ReadFixture("v21-windows1252.vcf");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].LastName, Ansi("García"));
    EXPECT_EQ(cards[0].FirstName, Ansi("Lucía"));
    EXPECT_EQ(cards[0].MiddleName, "");
    EXPECT_EQ(cards[0].HomePhone, "555-0101");
    EXPECT_EQ(cards[0].BusinessPhone, "555-0102");
    EXPECT_EQ(cards[0].Email, "lucia@example.es");
}

TEST(VCardReader, Version30FoldedUtf8LinesAreJoinedAndTypeFormsRead)
{
    VCardReadCounts counts;
    const auto cards = ReadFixture("v30-utf8-folded.vcf", &counts);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].LastName, Ansi("Brontë"));
    EXPECT_EQ(cards[0].FirstName, "Charlotte");
    EXPECT_EQ(cards[0].MiddleName, "Jane");
    EXPECT_EQ(cards[0].Addresses,
        (std::vector<std::string> { "cb@example.org (Default E-Mail)", "charlotte@example.org (Default E-Mail)" }));
    EXPECT_EQ(cards[0].Email, "charlotte@example.org");
    EXPECT_EQ(cards[0].HomePhone, "555-0201");
    // The first home phone (one place holds one number) and the photo.
    EXPECT_EQ(counts.Dropped, 2u);
}

TEST(VCardReader, SpellingsOfEveryVersionMapToTheSameFields)
{
    VCardReadCounts counts;
    const auto cards = ReadVCards("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Grant;Ada;J\\,K;Dr.;\r\n"
                                  "item1.EMAIL;type=INTERNET;type=HOME:home@x\r\nemail;type=internet,pref:pref@x\r\n"
                                  "TEL;TYPE=\"work,voice\":555-2\r\ntel;type=HOME:555-\r\n 1\r\nTEL;TYPE=CELL:555-3\r\n"
                                  "ORG:Korvo\r\nEND:VCARD\r\n"
                                  "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bo Lee\r\nN:Lee;Bo;;;\r\n"
                                  "EMAIL;TYPE=work;PREF=2:second@x\r\nEMAIL;PREF=1:first@x\r\nEMAIL:plain@x\r\n"
                                  "TEL;VALUE=uri;TYPE=\"voice,work\";PREF=1:tel:+1-555-0400\r\n"
                                  "TEL;VALUE=uri;TYPE=work:tel:+1-555-0401\r\nEND:VCARD\r\n"
                                  "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Cole;Cy\r\nTEL;HOME;FAX:555-9\r\n"
                                  "TEL;PREF;WORK;VOICE:555-8\r\nEND:VCARD\r\n",
        &counts);
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[0].LastName, "Grant");
    EXPECT_EQ(cards[0].MiddleName, "J,K");
    EXPECT_EQ(cards[0].Email, "pref@x");
    EXPECT_EQ(cards[0].Addresses, (std::vector<std::string> { "home@x", "pref@x (Default E-Mail)" }));
    EXPECT_EQ(cards[0].HomePhone, "555-1");
    EXPECT_EQ(cards[0].BusinessPhone, "555-2");
    // The lower rank is the preferred address; a preferred phone is not replaced by a later one.
    EXPECT_EQ(cards[1].Email, "first@x");
    EXPECT_EQ(cards[1].Addresses, (std::vector<std::string> { "second@x", "first@x (Default E-Mail)", "plain@x" }));
    EXPECT_EQ(cards[1].BusinessPhone, "+1-555-0400");
    EXPECT_EQ(cards[2].HomePhone, "");
    EXPECT_EQ(cards[2].BusinessPhone, "555-8");
    // The title Dr., the cellular phone, the company, the second work phone and the home fax.
    EXPECT_EQ(counts.Dropped, 5u);
}

TEST(VCardReader, Version40CardsEachBecomeAContactAndUnrepresentableTextIsQuestionMarks)
{
    const auto cards = ReadFixture("v40-two-cards.vcf");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].LastName, "Reagan");
    EXPECT_EQ(cards[0].FirstName, "Nancy");
    EXPECT_EQ(cards[0].MiddleName, "");
    EXPECT_EQ(cards[0].Email, "nancy@example.com");
    EXPECT_EQ(cards[0].Addresses, (std::vector<std::string> { "nancy@example.com", "nr@example.com" }));
    EXPECT_EQ(cards[0].HomePhone, "+1-555-0301");
    EXPECT_EQ(cards[1].LastName, "??");
    EXPECT_EQ(cards[1].FirstName, "??");
}

TEST(VCardReader, HomeVoiceLineIsNotMatchedAgainByPlainHome)
{
    const auto cards = ReadVCards("TEL;HOME;VOICE: 555-1 \r\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].HomePhone, "555-1");
}

TEST(VCardReader, TextWithoutCardMarkersIsOneContact)
{
    const auto cards = ReadVCards("n:Grant;Ada\nemail;internet:ada@example.org\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].LastName, "Grant");
    EXPECT_EQ(cards[0].FirstName, "Ada");
    EXPECT_EQ(cards[0].Email, "ada@example.org");
}

TEST(VCardReader, NameLineWithoutSemicolonLeavesLastNameEmpty)
{
    const auto cards = ReadVCards("N:Cher\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].LastName, "");
    EXPECT_EQ(cards[0].FirstName, "Cher");
    EXPECT_EQ(cards[0].DisplayName, "Cher ");
}

TEST(VCardReader, LastPreferredAddressIsTheDefaultAndPlainOnesOnlyWhenFirst)
{
    const auto cards = ReadVCards("EMAIL;INTERNET:a@x\nEMAIL;INTERNET:b@x\nEMAIL;PREF;INTERNET:c@x\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].Email, "c@x");
    EXPECT_EQ(cards[0].Addresses.size(), 3u);
}

TEST(VCardReader, OverlongLineIsSkippedAndTheRestRead)
{
    const std::string text = "BEGIN:VCARD\nN:" + std::string(kMaxVCardLineBytes, 'x') + ";Y\nN:Grant;Ada\nEND:VCARD\n";
    const auto cards = ReadVCards(text);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].LastName, "Grant");
}

TEST(VCardReader, AddressesStopAtTheLimit)
{
    std::string text = "BEGIN:VCARD\n";
    for (std::size_t i = 0; i < kMaxVCardAddresses + 50; ++i)
        text += "EMAIL;INTERNET:a" + std::to_string(i) + "@x\n";
    text += "END:VCARD\n";
    const auto cards = ReadVCards(text);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].Addresses.size(), kMaxVCardAddresses);
}

TEST(VCardReader, EmptyJunkAndUnterminatedInputsDoNotCrash)
{
    EXPECT_EQ(ReadVCards("").size(), 0u);
    EXPECT_EQ(ReadVCards(std::string("\0\xff=\r\n\t", 6)).size(), 0u);
    const auto cards = ReadVCards("BEGIN:VCARD\nN:A;B\nBEGIN:VCARD\nN:C;D");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[1].LastName, "C");
    EXPECT_EQ(ReadVCards("END:VCARD\nBEGIN:VCARD\nN:A;B\nEND:VCARD\nEND:VCARD\n").size(), 1u);
}

TEST(VCardReader, Base64ValuesAreNotTakenForNames)
{
    const auto cards = ReadVCards("BEGIN:VCARD\nN;ENCODING=BASE64:R3JhbnQ7QWRh\nEMAIL;INTERNET:a@x\nEND:VCARD\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].LastName, "");
}

TEST(VCardReader, SoftBreakAtTheEndOfAValueDoesNotSwallowTheCardEnd)
{
    const auto cards = ReadVCards("BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE:Break;Soft=\r\nEND:VCARD\r\n"
                                  "BEGIN:VCARD\r\nN;ENCODING=QUOTED-PRINTABLE:Two;=\r\nBEGIN:VCARD\r\nN:Three;C\r\nEND:VCARD\r\n");
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[0].LastName, "Break");
    EXPECT_EQ(cards[0].FirstName, "Soft");
    EXPECT_EQ(cards[1].LastName, "Two");
    EXPECT_EQ(cards[1].FirstName, "");
    EXPECT_EQ(cards[2].LastName, "Three");
}

TEST(VCardReader, EmptyCardsAreLeftOutAndCounted)
{
    VCardReadCounts counts;
    const auto cards = ReadVCards("BEGIN:VCARD\nEND:VCARD\nBEGIN:VCARD\nN:;;;;\nNOTE:x\nEND:VCARD\n"
                                  "BEGIN:VCARD\nTEL;HOME:5\nEND:VCARD\nBEGIN:VCARD\nEMAIL;INTERNET:a@x\nEND:VCARD\n",
        &counts);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].HomePhone, "5");
    EXPECT_EQ(cards[1].Email, "a@x");
    EXPECT_EQ(counts.Empty, 2u);
    EXPECT_FALSE(counts.Truncated);
}

TEST(VCardReader, ReadingStopsAtTheContactLimit)
{
    std::string text;
    for (std::size_t i = 0; i < kMaxVCardContacts + 3; ++i)
        text += "BEGIN:VCARD\nN:L" + std::to_string(i) + ";F\nEND:VCARD\nBEGIN:VCARD\nEND:VCARD\n";
    VCardReadCounts counts;
    const auto cards = ReadVCards(text, &counts);
    ASSERT_EQ(cards.size(), kMaxVCardContacts);
    EXPECT_EQ(cards.back().LastName, "L" + std::to_string(kMaxVCardContacts - 1));
    EXPECT_TRUE(counts.Truncated);

    counts = {};
    EXPECT_EQ(ReadVCards("N:A;B\n", &counts).size(), 1u);
    EXPECT_FALSE(counts.Truncated);
}

TEST(VCardReader, OnlyRegularFilesAreRead)
{
    ScratchDirs dirs;
    ASSERT_EQ(::symlink("/dev/zero", (dirs.root() + "/zero.vcf").c_str()), 0);
    ASSERT_EQ(::mkfifo((dirs.root() + "/pipe.vcf").c_str(), 0600), 0);
    std::vector<VCardContact> contacts;
    std::string error;
    const std::string root = codepage::FromUtf8(dirs.root());
    EXPECT_FALSE(ReadVCardFile(root + "/zero.vcf", contacts, error));
    EXPECT_EQ(error, "Unable to read " + root + "/zero.vcf");
    EXPECT_FALSE(ReadVCardFile(root + "/pipe.vcf", contacts, error));
    EXPECT_EQ(error, "Unable to read " + root + "/pipe.vcf");
    dirs.write("card.vcf", "N:Grant;Ada\n");
    ASSERT_EQ(::symlink((dirs.root() + "/card.vcf").c_str(), (dirs.root() + "/link.vcf").c_str()), 0);
    ASSERT_TRUE(ReadVCardFile(root + "/link.vcf", contacts, error)) << error;
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].LastName, "Grant");
}
