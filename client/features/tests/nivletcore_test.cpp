#include "client/features/nivletcore.h"

#include "client/core/session.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace nivlet;

TDateTime EveningOfTheNinth() { return EncodeDate(2026, 12, 9) + EncodeTime(20, 5, 7, 0); }

TEST(NivletCore, AStoredNoteIsNamedAfterItsSenderAndTime)
{
    EXPECT_EQ(StoredNoteFileName("alice", EveningOfTheNinth(), 42), "alice_12920268050742.txt");
}

TEST(NivletCore, AStoredNoteKeepsItsKeysUnderNivlet)
{
    ScratchDirs scratch;
    const std::string folder = MessagesFolder("bob");
    ASSERT_FALSE(folder.empty());
    const std::string path = WriteStoredNote(
        folder, TReceivedNote { "alice", "say \xBFhi\xBF", "http://h/\xB6" "12/9/2026 8:00:00 PM" }, EveningOfTheNinth(), 7);
    EXPECT_EQ(path, folder + "alice_1292026805077.txt");
    EXPECT_TRUE(FileExists(path));
    const TIniFile file(path);
    EXPECT_EQ(file.ReadString("nivlet", "from", ""), "alice");
    EXPECT_EQ(file.ReadString("nivlet", "Date", ""), "12/9/2026 8:05:07 PM");
    EXPECT_EQ(file.ReadString("nivlet", "message", ""), "say \xBFhi\xBF");
    EXPECT_EQ(file.ReadString("nivlet", "Link", ""), "http://h/\xB6" "12/9/2026 8:00:00 PM");
    const TStoredNote back = ReadStoredNote(path);
    EXPECT_EQ(back.from, "alice");
    EXPECT_EQ(back.message, "say \xBFhi\xBF");
}

TEST(NivletCore, TwoNotesOfOneSecondAndNumberKeepBothFiles)
{
    ScratchDirs scratch;
    const std::string folder = MessagesFolder("bob");
    const std::string first = WriteStoredNote(folder, TReceivedNote { "alice", "one", "x" }, EveningOfTheNinth(), 5);
    const std::string second = WriteStoredNote(folder, TReceivedNote { "alice", "two", "x" }, EveningOfTheNinth(), 5);
    EXPECT_NE(first, second);
    EXPECT_EQ(ReadStoredNote(first).message, "one");
    EXPECT_EQ(ReadStoredNote(second).message, "two");
}

TEST(NivletCore, AFullMessagesFolderTakesNoMoreNotesAndKeepsWhatItHolds)
{
    ScratchDirs scratch;
    const std::string folder = MessagesFolder("bob");
    ForceDirectories(folder);
    for (std::size_t i = 1; i < kMaxStoredNotes; ++i)
        scratch.write("windows/my friends/bob/messages/n" + std::to_string(i) + ".txt", "[nivlet]\r\n");
    const TReceivedNote note { "alice", "one more", "x" };
    const std::string last = WriteStoredNote(folder, note, EveningOfTheNinth(), 1);
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(ListDirectory(folder + "*.txt", 0).size(), kMaxStoredNotes);
    EXPECT_EQ(WriteStoredNote(folder, note, EveningOfTheNinth(), 2), "");
    EXPECT_EQ(ListDirectory(folder + "*.txt", 0).size(), kMaxStoredNotes);
    EXPECT_EQ(ReadStoredNote(last).message, "one more");
    EXPECT_TRUE(FileExists(folder + "n1.txt"));
}

TEST(NivletCore, AMessagesFolderHoldsSixteenMebibytesOfNotesAtMost)
{
    ScratchDirs scratch;
    const std::string folder = MessagesFolder("bob");
    const TReceivedNote note { "alice", "hi", "x" };
    ASSERT_FALSE(WriteStoredNote(folder, note, EveningOfTheNinth(), 1).empty());
    const auto noteBytes = static_cast<std::size_t>(ListDirectory(folder + "*.txt", 0).at(0).Size);
    // Room for exactly one more note of this size, then none.
    scratch.write("windows/my friends/bob/messages/big.txt",
                  std::string(static_cast<std::size_t>(kMaxStoredNoteBytes) - 2 * noteBytes, 'b'));
    EXPECT_FALSE(WriteStoredNote(folder, note, EveningOfTheNinth(), 2).empty());
    EXPECT_EQ(WriteStoredNote(folder, note, EveningOfTheNinth(), 3), "");
    EXPECT_EQ(ListDirectory(folder + "*.txt", 0).size(), 3u);
}

TEST(NivletCore, AStoredNoteWithoutLinkListsItsFileName)
{
    ScratchDirs scratch;
    const std::string folder = MessagesFolder("bob");
    ForceDirectories(folder);
    TIniFile(folder + "old.txt").WriteString("nivlet", "from", "carol");
    EXPECT_EQ(ReadStoredNote(folder + "old.txt").link, folder + "old.txt");
}

TEST(NivletCore, AHostileSenderCannotNameAFileOutsideTheMessagesFolder)
{
    ScratchDirs scratch;
    const std::string folder = MessagesFolder("bob");
    for (const std::string from : { "../x", "a/b", "..", "a\\b" }) {
        const std::string path = WriteStoredNote(folder, TReceivedNote { from, "hi", "x\xB6" }, EveningOfTheNinth(), 1);
        ASSERT_FALSE(path.empty()) << from;
        EXPECT_EQ(ExtractFilePath(path), folder) << from;
        EXPECT_EQ(ReadStoredNote(path).from, from);
    }
    // Bytes a settings line cannot hold are left out of the name and the file alike.
    const std::string path
        = WriteStoredNote(folder, TReceivedNote { std::string("n\0l\n", 4), "h\ri", "x" }, EveningOfTheNinth(), 2);
    EXPECT_EQ(ExtractFilePath(path), folder);
    EXPECT_EQ(ReadStoredNote(path).from, "nl");
    EXPECT_EQ(ReadStoredNote(path).message, "hi");
    EXPECT_TRUE(MessagesFolder("../eve").empty());
}

TEST(NivletCore, QuotesAndApostrophesTravelAsTheirStandInBytes)
{
    EXPECT_EQ(ToWireText("it's \"so\""), "it\xEEs \xBFso\xBF");
    EXPECT_EQ(FromWireText("it\xEEs \xBFso\xBF"), "it's \"so\"");
}

TEST(NivletCore, TheLinkFieldCarriesTheLinkOrXAndTheSendTime)
{
    EXPECT_EQ(MakeLinkField("", EveningOfTheNinth()), "x\xB6" "12/9/2026 8:05:07 PM");
    EXPECT_EQ(MakeLinkField("http://a/", EveningOfTheNinth()), "http://a/\xB6" "12/9/2026 8:05:07 PM");
    EXPECT_EQ(LinkPart("http://a/\xB6" "1/2/2026"), "http://a/");
    EXPECT_EQ(DatePart("http://a/\xB6" "1/2/2026"), "1/2/2026");
    // A buddy's frame without the separator: the date is simply empty.
    EXPECT_EQ(DatePart("http://a/"), "");
    EXPECT_TRUE(HasWebLink("http://a/\xB6"));
    EXPECT_FALSE(HasWebLink("x\xB6" "1/2/2026"));
}

TEST(NivletCore, TheNoteInRequestCarriesEveryByteOfTheText)
{
    EXPECT_EQ(NoteInUrl("127.0.0.1:8000", " Bob ", "alice", " #a&b+c%d\xE9 ", "x\xB6" "1/2/2026 3:04:05 PM"),
              "http://127.0.0.1:8000/notein.asp?to=Bob&From=alice&message=%23a%EFb%2Bc%25d%E9"
              "&Link=x%B61%2F2%2F2026%203%3A04%3A05%20PM");
    EXPECT_EQ(GetNotesUrl("h", "bob", "112-243-"), "http://h/getnotes.asp?UserID=bob&Password=112-243-");
}

TEST(NivletCore, AReplyOfOneLineHoldsNoNotes)
{
    EXPECT_TRUE(ReadNotesReply("alice\xB6hi\xB6x\r\n").empty());
    EXPECT_TRUE(ReadNotesReply("").empty());
}

TEST(NivletCore, EveryLineButTheLastIsANoteAndEmptySendersAreSkipped)
{
    const auto notes = ReadNotesReply("alice\xB6" "a\xEF" "b\xB6x\xB6" "1/2/2026\r\n\xB6orphan\xB6x\r\ncarol\xB6hey\xB6http://c/\xB6\r\n.\r\n");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].from, "alice");
    EXPECT_EQ(notes[0].message, "a&b");
    EXPECT_EQ(notes[0].linkField, "x\xB6" "1/2/2026");
    EXPECT_EQ(notes[1].from, "carol");
    EXPECT_EQ(notes[1].linkField, "http://c/\xB6");
}

TEST(NivletCore, ALineWithoutSeparatorsIsASenderWithNothingToSay)
{
    const auto notes = ReadNotesReply("alice\nend\n");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].message, "");
    EXPECT_EQ(notes[0].linkField, "");
}

TEST(NivletCore, HostileRepliesAreBounded)
{
    const std::string huge = "alice\xB6" + std::string(1024 * 1024, 'm') + "\xB6" + std::string(1024 * 1024, 'l');
    auto notes = ReadNotesReply(std::string(1024 * 1024, 's') + "\xB6hi\xB6x\n" + huge + "\n.\n");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].from.size(), kMaxSenderLength);
    EXPECT_EQ(notes[1].message.size(), kMaxMessageLength);
    EXPECT_EQ(notes[1].linkField.size(), kMaxLinkLength);

    std::string many;
    for (int i = 0; i < 100000; ++i)
        many += "a\xB6n\xB6x\r\n";
    EXPECT_EQ(ReadNotesReply(many).size(), kMaxNotesPerFetch);

    notes = ReadNotesReply(std::string("al\0ice\xB6h\0i\xB6x\n.\n", 15));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].from, "alice");
    EXPECT_EQ(notes[0].message, "hi");
}

TEST(NivletCore, TheShiftRoundTrips)
{
    EXPECT_EQ(ShiftNoteText("Hal"), "#G`k");
    EXPECT_EQ(ShiftNoteText("#G`k"), "Hal");
    const std::string text = "Meet me at 5 & bring \xBF" "cake\xBF \xE9\x01";
    EXPECT_EQ(ShiftNoteText(ShiftNoteText(text)), text);
}

TEST(NivletCore, ANodeShowsFortyCharactersAndTheDate)
{
    const std::string text(45, 'a');
    EXPECT_EQ(NoteNodeText(text, "1/2/2026"), std::string(40, 'a') + "....  1/2/2026");
    EXPECT_EQ(NoteNodeText("it\xEEs \xBFok\xBF", "d"), "it's \"ok\"  d");
    EXPECT_EQ(NoteNodeText("\xBF", "d"), "\xBF  d");
    EXPECT_EQ(NoteNodeText(std::string(40, 'b'), "d"), std::string(40, 'b') + "  d");
}

}  // namespace
