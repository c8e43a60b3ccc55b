#include "client/features/nivlets.h"

#include "client/core/download.h"
#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/features/nivletcore.h"
#include "client/features/tests/notesession.h"
#include "platform/rtl/inifile.h"

namespace {

class Nivlets : public NoteSessionTest {
protected:
    void writeReply(const std::string& bytes) { dirs.write("app/notesin.dat", bytes); }
    std::string stored(const std::string& key, std::size_t index = 0)
    {
        const auto names = storedNotes();
        if (index >= names.size())
            return "?";
        return TIniFile(WindowsDirPath() + "/my friends/alice/messages/" + names[index]).ReadString("nivlet", key, "?");
    }
};

TEST_F(Nivlets, AReplyOfOneLineStoresNothingAndIsDeleted)
{
    Session().nivletReadRunning = true;
    writeReply("bob\xB6hi\xB6x\r\n");
    ReadNotesInFile();
    EXPECT_TRUE(storedNotes().empty());
    EXPECT_FALSE(dirs.exists("app/notesin.dat"));
    EXPECT_FALSE(Session().nivletReadRunning);
}

TEST_F(Nivlets, EachNoteOfTheReplyIsStoredListedAndShown)
{
    writeReply("bob\xB6" "a\xEF" "b\xB6x\xB6" "12/9/2026 8:00:00 PM\r\n\xB6skipped\xB6x\r\ncarol\xB6hey\xB6x\xB6\r\n.\r\n");
    ReadNotesInFile();
    ASSERT_EQ(storedNotes().size(), 2u);
    EXPECT_EQ(NoteWindows().size(), 2u);
    ASSERT_EQ(NoteTree().Nivlets.children.size(), 2u);
    EXPECT_EQ(NoteTree().Nivlets.children[0].text, "bob");
    EXPECT_TRUE(NoteTree().Nivlets.children[0].children[0].text.starts_with("a&b  "));
    EXPECT_FALSE(dirs.exists("app/notesin.dat"));
}

TEST_F(Nivlets, AHostileReplyIsBoundedAndStaysInTheMessagesFolder)
{
    // As large as a download lets a reply be, its first note alone over half of it.
    std::string reply = "../../evil\xB6" + std::string(kMaxReplyBytes / 2, 'm') + "\xB6x\r\n";
    reply += std::string("a/b\0c\xB6n\0ul\xB6x\r\n", 15);
    for (int i = 0; i < 400; ++i)
        reply += "bob\xB6n\xB6x\r\n";
    writeReply(reply + ".\r\n");
    NoteAlertShower() = nullptr;
    ReadNotesInFile();
    EXPECT_EQ(storedNotes().size(), nivlet::kMaxNotesPerFetch);
    EXPECT_FALSE(dirs.exists("windows/my friends/evil"));
    EXPECT_FALSE(dirs.exists("app/notesin.dat"));
    EXPECT_EQ(Session().nivletReadRunning, false);
}

TEST_F(Nivlets, ANoteFrameIsStoredAndShown)
{
    ScriptedPeer bob = bobOnline();
    bob.sendLine(BuildPeerFrame("note", "bob", "x\xB6" "12/9/2026 8:00:00 PM", "see \xBFyou\xBF"));
    ASSERT_TRUE(waitFor([this] { return !storedNotes().empty(); }));
    EXPECT_EQ(stored("from"), "bob");
    EXPECT_EQ(stored("message"), "see \xBFyou\xBF");
    ASSERT_EQ(NoteWindows().size(), 1u);
    EXPECT_EQ(NoteWindows()[0]->MemoText(), "see \"you\"");
}

TEST_F(Nivlets, ANoteFrameWithoutTheSeparatorHasNoDate)
{
    ScriptedPeer bob = bobOnline();
    bob.sendLine(BuildPeerFrame("note", "bob", "http://example.org/", "look"));
    ASSERT_TRUE(waitFor([] { return !NoteWindows().empty(); }));
    EXPECT_EQ(NoteWindows()[0]->Label2->text().toStdString(), "");
    EXPECT_EQ(stored("Link"), "http://example.org/");
}

TEST_F(Nivlets, WaitingNotesAreFetchedFromTheServiceWithTheirBytesIntact)
{
    startService();
    ASSERT_EQ(HttpGet(service->port(), "/notein.asp?to=ALICE&From=bob&message=%23Gi%1Fa%EFb%2B%25&Link=x%B6" "1%2F2%2F2026").body,
              "success\r\n");
    StartNivletRead();
    EXPECT_TRUE(Session().nivletReadRunning);
    StartNivletRead();  // one fetch at a time
    ASSERT_TRUE(waitFor([] { return !Session().nivletReadRunning; }));
    ASSERT_EQ(storedNotes().size(), 1u);
    EXPECT_EQ(stored("message"), "#Gi\x1F" "a&b+%");
    EXPECT_EQ(NoteWindows()[0]->MemoText(), "#Gi\x1F" "a&b+%");
    EXPECT_FALSE(dirs.exists("app/notesin.dat"));
    // Served once: a second fetch is empty.
    StartNivletRead();
    ASSERT_TRUE(waitFor([] { return !Session().nivletReadRunning; }));
    EXPECT_EQ(storedNotes().size(), 1u);
}

TEST_F(Nivlets, AFetchThatCannotReachTheServiceClearsItsGuard)
{
    Session().notesServer = "127.0.0.1:1";
    StartNivletRead();
    ASSERT_TRUE(waitFor([] { return !Session().nivletReadRunning; }));
    EXPECT_TRUE(storedNotes().empty());
}

TEST_F(Nivlets, AFetchEndingAfterSignOffStoresItsNotesForThatUserAndShowsNothing)
{
    startService();
    HttpGet(service->port(), "/notein.asp?to=alice&From=bob&message=late&Link=x");
    StartNivletRead();
    CallFeature(Features().SignOff.CloseNotes);
    bar.reset();
    Session().userId = "carol";
    // The service no longer holds the note: alice's folder does.
    ASSERT_TRUE(waitFor([this] { return storedNotes().size() == 1; }));
    EXPECT_EQ(stored("message"), "late");
    EXPECT_FALSE(dirs.exists("app/notesin.dat"));
    EXPECT_FALSE(dirs.exists("windows/my friends/carol"));
    EXPECT_TRUE(NoteWindows().empty());
    EXPECT_TRUE(NoteTree().Nivlets.children.empty());
    EXPECT_TRUE(dialogs::History().empty());
}

TEST_F(Nivlets, AFetchAskedForWhileAnEarlierSessionsRunsFollowsIt)
{
    startService();
    HttpGet(service->port(), "/notein.asp?to=alice&From=bob&message=first&Link=x");
    StartNivletRead();
    CallFeature(Features().SignOff.CloseNotes);
    // Signed on again at once: the next fetch waits for the one still out.
    StartNivletRead();
    EXPECT_TRUE(Session().nivletReadRunning);
    ASSERT_TRUE(waitFor([] { return !Session().nivletReadRunning; }));
    ASSERT_EQ(storedNotes().size(), 1u);
    EXPECT_EQ(stored("message"), "first");
    HttpGet(service->port(), "/notein.asp?to=alice&From=bob&message=second&Link=x");
    StartNivletRead();
    ASSERT_TRUE(waitFor([] { return !Session().nivletReadRunning; }));
    EXPECT_EQ(storedNotes().size(), 2u);
    EXPECT_EQ(NoteWindows().size(), 1u);
}

TEST_F(Nivlets, ANoteForAFullMessagesFolderIsDroppedUnlistedAndUnshown)
{
    for (std::size_t i = 0; i < nivlet::kMaxStoredNotes; ++i)
        dirs.write("windows/my friends/alice/messages/n" + std::to_string(i) + ".txt", "[nivlet]\r\n");
    SaveNivlet("bob", "x\xB6" "12/9/2026 8:00:00 PM", "no room");
    EXPECT_EQ(storedNotes().size(), nivlet::kMaxStoredNotes);
    EXPECT_TRUE(NoteTree().Nivlets.children.empty());
    EXPECT_TRUE(NoteWindows().empty());
}

TEST_F(Nivlets, WithoutRoomForAFullReplyTheNotesWaitAtTheServiceAndTheUserIsToldOnce)
{
    startService();
    HttpGet(service->port(), "/notein.asp?to=alice&From=bob&message=later&Link=x");
    for (std::size_t i = 0; i < nivlet::kMaxStoredNotes - 10; ++i)
        dirs.write("windows/my friends/alice/messages/n" + std::to_string(i) + ".txt", "[nivlet]\r\n");
    StartNivletRead();
    ASSERT_TRUE(waitFor([] { return !Session().nivletReadRunning; }));
    StartNivletRead();
    ASSERT_TRUE(waitFor([] { return !Session().nivletReadRunning; }));
    EXPECT_EQ(storedNotes().size(), nivlet::kMaxStoredNotes - 10);
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text,
              "\rYour Nivlets folder is nearly full. Nivlets waiting for you stay at the service until you delete "
              "some of yours.");
    EXPECT_EQ(HttpGet(service->port(), "/getnotes.asp?UserID=alice&Password=112-243-").body, "bob\xB6later\xB6x\r\n.\r\n");
}

TEST_F(Nivlets, ASendEndingAfterSignOffStillTellsHowItWent)
{
    startService();
    // The window waiting for the answer goes with the session, before the answer comes.
    bool windowTold = false;
    SendNivlet("bob", "alice", "late", "x\xB6" "1/2/2026", [&](bool) { windowTold = true; });
    CallFeature(Features().SignOff.CloseNotes);
    bar.reset();
    ASSERT_TRUE(waitFor([] { return !dialogs::History().empty(); }));
    EXPECT_FALSE(windowTold);
    EXPECT_EQ(dialogs::History()[0].request.text, "\rYour Nivlet was sent to be delivered the next time BOB is online.");
    // The note itself was handed over.
    EXPECT_EQ(HttpGet(service->port(), "/getnotes.asp?UserID=bob&Password=112-243-").body, "alice\xB6late\xB6x\xB6" "1/2/2026\r\n.\r\n");
}

TEST_F(Nivlets, StoredNotesAreListedAtSignOn)
{
    dirs.write("windows/my friends/alice/messages/bob_1.txt", "[nivlet]\r\nfrom=bob\r\nDate=1/2/2026\r\nmessage=hello\r\n");
    dirs.write("windows/my friends/alice/messages/Bob_2.txt", "[nivlet]\r\nfrom=Bob\r\nDate=1/3/2026\r\nmessage=again\r\n");
    LoadNivlets();
    ASSERT_EQ(NoteTree().Nivlets.children.size(), 1u);
    EXPECT_EQ(NoteTree().Nivlets.children[0].children.size(), 2u);
    EXPECT_TRUE(NoteTree().Nivlets.expanded);
}

}  // namespace

TEST_F(Nivlets, ANoteWithAWebLinkBecomesAFavouriteUnderItsSender)
{
    Session().favoritesFolder = dirs.root() + "/Fav";
    ForceDirectories(Session().favoritesFolder);
    const std::string from = dirs.root() + "/Fav/From Korvo\xAE/";
    SaveNivlet("../bob", "http://birds.org/hawks\xB6" "12/9/2026 8:00:00 PM", "Hawks: today [http://birds.org/hawks]");
    // The sender's name never leaves the folder; the title's colon becomes a dash.
    const std::string shortcut = from + "___bob/Hawks- today.URL";
    ASSERT_TRUE(FileExists(shortcut));
    EXPECT_EQ(TIniFile(shortcut).ReadString("InternetShortcut", "URL", ""), "http://birds.org/hawks");
    SaveNivlet("carol", "x\xB6" "12/9/2026 8:00:00 PM", "no link here");
    SaveNivlet("dave", "http://x.org/\xB6" "12/9/2026 8:00:00 PM", "#tip http://x.org/");
    EXPECT_FALSE(DirectoryExists(from + "carol"));
    EXPECT_FALSE(DirectoryExists(from + "dave"));
    // A title too long for a file name makes no favourite; the note itself is kept.
    SaveNivlet("erin", "http://e.org/\xB6" "12/9/2026 8:00:00 PM", std::string(400, 'e'));
    EXPECT_EQ(storedNotes().size(), 4u);
    // A deleted favourite comes back when the note is listed again at sign-on.
    DeleteFile(shortcut);
    LoadNivlets();
    EXPECT_TRUE(FileExists(shortcut));
}
