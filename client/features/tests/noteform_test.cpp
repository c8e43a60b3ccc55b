#include "client/features/noteform.h"

#include "client/core/helpers.h"
#include "client/core/servicelogon.h"
#include "client/features/nivletcore.h"
#include "client/features/passworddlg.h"
#include "client/features/tests/notesession.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/ui/label.h"

#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace {

class NoteWindow : public NoteSessionTest {
protected:
    TForm8* compose(const std::string& to, const std::string& link, const std::string& text)
    {
        ComposeNivlet(to, link, text);
        const auto windows = NoteWindows();
        return windows.empty() ? nullptr : windows.back();
    }
    static std::string Memo(const TForm8& window) { return window.MemoText(); }
    static std::string Text(QPushButton* button) { return codepage::FromUnicode(button->text()); }
};

TEST_F(NoteWindow, WithoutAConnectionComposingOnlySaysSo)
{
    Session().online = false;
    EXPECT_EQ(compose("bob", "", "hi"), nullptr);
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text,
              "\rA valid Internet connection was not found. Please connect to the Internet.");
}

TEST_F(NoteWindow, ComposingALinkShowsItInBracketsOnLime)
{
    TForm8* window = compose("bob", "http://example.org/", "Look");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->NoteColor, clLime);
    EXPECT_EQ(Memo(*window), "Look\n[http://example.org/]");
    EXPECT_EQ(window->Caption(), "To: bob");
    EXPECT_EQ(codepage::FromUnicode(window->Label1->text()), "To: bob");
    EXPECT_LE(window->Top() + window->Height(), Screen::Height() - 30);
    QDir().mkpath(KORVO_BUILD_DIR "/screenshots");
    window->grab().save(KORVO_BUILD_DIR "/screenshots/nivlet.png");
    EXPECT_EQ(compose("bob", "", "")->NoteColor, clYellow);
}

TEST_F(NoteWindow, TheMinimiseMarkIsAPictureNotALetter)
{
    TForm8* window = compose("bob", "", "");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Label3->text(), QString(QChar(0x25BC)));
    EXPECT_TRUE(QFontMetrics(window->Label3->font()).inFont(window->Label3->text().at(0)));
}

TEST_F(NoteWindow, ANoteToAConnectedBuddyGoesOverThePeerLine)
{
    ScriptedPeer bob = bobOnline();
    TForm8* window = compose("bob", "", "");
    ASSERT_NE(window, nullptr);
    window->Memo1->setPlainText("it's \"hi\"");
    window->SpeedButton1->click();
    const std::string line = bob.readLine();
    EXPECT_TRUE(line.starts_with("\xFBnote,alice,\"x\xB6")) << line;
    EXPECT_TRUE(line.ends_with(",\"it\xEEs \xBFhi\xBF\"")) << line;
    EXPECT_TRUE(waitFor([] { return NoteWindows().empty(); }));
}

TEST_F(NoteWindow, ANoteToAnOfflineBuddyGoesToTheServiceWithEveryByte)
{
    startService();
    TForm8* window = compose("bob", "", "");
    window->Memo1->setPlainText("a&b #1 + 50%");
    window->SpeedButton1->click();
    ASSERT_TRUE(waitFor([] { return !dialogs::History().empty(); }));
    EXPECT_EQ(dialogs::History()[0].request.text, "\rYour Nivlet was sent to be delivered the next time BOB is online.");
    const std::string waiting = HttpGet(service->port(), std::string("/getnotes.asp?UserID=bob&Password=") + kAlicePassword).body;
    EXPECT_TRUE(waiting.starts_with("alice\xB6" "a\xEF" "b #1 + 50%\xB6x\xB6")) << waiting;
    EXPECT_TRUE(waiting.ends_with("\r\n.\r\n"));
}

TEST_F(NoteWindow, ANoteTheServiceRefusesStaysInItsWindow)
{
    startService();
    TForm8* window = compose("ghost", "", "");
    window->Memo1->setPlainText("anyone there?");
    window->SpeedButton1->click();
    ASSERT_TRUE(waitFor([] { return !dialogs::History().empty(); }));
    EXPECT_EQ(dialogs::History()[0].request.text,
              "\rYour Nivlet to GHOST could not be delivered. It is kept in its window; please try again later.");
    ASSERT_EQ(NoteWindows().size(), 1u);
    EXPECT_EQ(NoteWindows()[0]->MemoText(), "anyone there?");
    EXPECT_TRUE(NoteWindows()[0]->SpeedButton1->isEnabled());
    EXPECT_EQ(NoteWindows()[0]->LinkField, "x");
}

TEST_F(NoteWindow, ANoteThatFindsNoServiceStaysInItsWindowForAnotherTry)
{
    Session().notesServer = "127.0.0.1:1";
    TForm8* window = compose("bob", "", "");
    window->Memo1->setPlainText("later");
    window->SpeedButton1->click();
    ASSERT_TRUE(waitFor([] { return !dialogs::History().empty(); }));
    EXPECT_EQ(dialogs::History()[0].request.text,
              "\rYour Nivlet to BOB could not be delivered. It is kept in its window; please try again later.");
    ASSERT_EQ(NoteWindows().size(), 1u);
    // Sent again once the service is there: taken, and the window goes.
    startService();
    dialogs::ClearHistory();
    NoteWindows()[0]->SpeedButton1->click();
    ASSERT_TRUE(waitFor([] { return NoteWindows().empty(); }));
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text, "\rYour Nivlet was sent to be delivered the next time BOB is online.");
    const std::string waiting = HttpGet(service->port(), std::string("/getnotes.asp?UserID=bob&Password=") + kAlicePassword).body;
    EXPECT_TRUE(waiting.starts_with("alice\xB6later\xB6x\xB6")) << waiting;
    // The first try's send time is not in the link field twice.
    EXPECT_EQ(std::count(waiting.begin(), waiting.end(), '\xB6'), 3) << waiting;
}

TEST_F(NoteWindow, TenArrivedNotesAreOpenAtMostAndTheRestOnlyListed)
{
    ScriptedPeer bob = bobOnline();
    for (int i = 0; i < 15; ++i)
        bob.sendLine(BuildPeerFrame("note", "bob", "x\xB6" "12/9/2026 8:00:00 PM", "note " + std::to_string(i)));
    ASSERT_TRUE(waitFor([this] { return storedNotes().size() == 15; }));
    ASSERT_EQ(NoteTree().Nivlets.children.size(), 1u);
    EXPECT_EQ(NoteTree().Nivlets.children[0].children.size(), 15u);
    EXPECT_EQ(NoteWindows().size(), 10u);
    // A window the user opens is no arrival; one closed makes room for the next arrival.
    ShowNoteWindow("bob", "x", "from the guide", TForm8::nkNote);
    NoteWindows()[0]->Close();
    bob.sendLine(BuildPeerFrame("note", "bob", "x\xB6" "12/9/2026 8:00:00 PM", "sixteen"));
    ASSERT_TRUE(waitFor([this] { return storedNotes().size() == 16; }));
    ASSERT_TRUE(waitFor([] { return NoteWindows().size() == 11; }));
    EXPECT_EQ(NoteWindows().back()->MemoText(), "sixteen");
}

TEST_F(NoteWindow, EncryptingWhileComposingShiftsAndLocksTheText)
{
    TForm8* window = compose("bob", "", "Hal");
    window->SpeedButton3->click();
    EXPECT_EQ(Memo(*window), "#G`k");
    EXPECT_TRUE(window->Memo1->isReadOnly());
    EXPECT_EQ(Text(window->SpeedButton3), "Decrypt");
    window->SpeedButton3->click();
    EXPECT_EQ(Memo(*window), "Hal");
    EXPECT_EQ(Text(window->SpeedButton3), "Encrypt");
}

TEST_F(NoteWindow, AProtectedNoteOpensOnlyWithTheSignOnPassword)
{
    TForm8* window = ShowNoteWindow("bob", "x\xB6" "12/9/2026 8:00:00 PM", nivlet::ShiftNoteText("Secret plan"), 0);
    EXPECT_EQ(Text(window->SpeedButton3), "Decrypt");
    EXPECT_EQ(Text(window->SpeedButton2), "&Reply");
    EXPECT_EQ(codepage::FromUnicode(window->Label2->text()), "12/9/2026 8:00:00 PM");
    // A sender's '&' is no accelerator.
    TForm8* fromRAndD = ShowNoteWindow("r&d", "x\xB6" "12/9/2026 8:00:00 PM", "hi", 0);
    EXPECT_EQ(fromRAndD->Label1->ShownText(), "From: r&d");
    TPasswordDlg::SetPrompt([](std::string& entered) { entered = "wrong"; return true; });
    window->SpeedButton3->click();
    EXPECT_EQ(Memo(*window), nivlet::ShiftNoteText("Secret plan"));
    TPasswordDlg::SetPrompt([](std::string& entered) { entered = "PW"; return false; });
    window->SpeedButton3->click();
    EXPECT_EQ(Text(window->SpeedButton3), "Decrypt");
    TPasswordDlg::SetPrompt([](std::string& entered) { entered = "PW"; return true; });
    window->SpeedButton3->click();
    TPasswordDlg::SetPrompt(nullptr);
    EXPECT_EQ(Memo(*window), "Secret plan");
    EXPECT_EQ(Text(window->SpeedButton3), "Encrypt");
}

TEST_F(NoteWindow, AReceivedNoteShowsQuotesAndOffersReplyAndLink)
{
    const std::string recorded = WindowsDirPath() + "/browser.txt";
    setenv("KORVO_NO_BROWSER", recorded.c_str(), 1);
    TForm8* window = ShowNoteWindow("bob", "http://example.org/\xB6" "1/2/2026", "it\xEEs \xBFok\xBF", 0);
    EXPECT_EQ(Memo(*window), "it's \"ok\"");
    EXPECT_EQ(window->NoteColor, clLime);
    EXPECT_FALSE(window->Button1->isHidden());
    window->Button1->click();
    EXPECT_TRUE(waitFor([&] { return FileExists(recorded); }));
    window->SpeedButton2->click();
    ASSERT_EQ(NoteWindows().size(), 2u);
    EXPECT_EQ(NoteWindows().back()->Caption(), "To: bob");
    unsetenv("KORVO_NO_BROWSER");
}

TEST_F(NoteWindow, ALinkInAProtectedNoteIsNotOpened)
{
    const std::string recorded = WindowsDirPath() + "/browser.txt";
    setenv("KORVO_NO_BROWSER", recorded.c_str(), 1);
    ShowNoteWindow("bob", "http://example.org/secret\xB6" "1/2/2026", "#secret", 0)->Button1->click();
    // A plain note's link opened after it marks the end: only that one is recorded.
    ShowNoteWindow("bob", "http://example.org/\xB6" "1/2/2026", "look", 0)->Button1->click();
    ASSERT_TRUE(waitFor([&] { return FileExists(recorded) && RunningUrlThreads() == 0; }));
    EXPECT_EQ(dirs.read("windows/browser.txt"), "http://example.org/\r\n");
    unsetenv("KORVO_NO_BROWSER");
}

TEST_F(NoteWindow, AReceivedLinkThatIsNoWebAddressIsNotOpened)
{
    const std::string recorded = WindowsDirPath() + "/browser.txt";
    setenv("KORVO_NO_BROWSER", recorded.c_str(), 1);
    ShowNoteWindow("bob", "file:///etc/passwd\xB6" "1/2/2026", "look", 0)->Button1->click();
    ShowNoteWindow("bob", "http://example.org/\xB6" "1/2/2026", "look", 0)->Button1->click();
    EXPECT_TRUE(waitFor([&] { return FileExists(recorded) && RunningUrlThreads() == 0; }));
    EXPECT_EQ(dirs.read("windows/browser.txt"), "http://example.org/\r\n");
    unsetenv("KORVO_NO_BROWSER");
}

TEST_F(NoteWindow, ClosingADueReminderWithTheBoxTickedDeletesIt)
{
    Tasks().Folder = TasksFolder("alice");
    Tasks().AddReminder("r1", "12/9/2026", "10:30 AM", "1/1/1900 12:00:00 PM", true, false, "dentist", 0);
    TForm8* window = ShowNoteWindow("Korvo", "r1\xB6" "12/9/2026 10:30 AM", "dentist", 2);
    EXPECT_EQ(window->NoteColor, clAqua);
    EXPECT_EQ(codepage::FromUnicode(window->gotit->text()), "&Delete Reminder");
    EXPECT_TRUE(window->SpeedButton2->isHidden());
    window->gotit->setChecked(true);
    window->SpeedButton1->click();
    EXPECT_EQ(Tasks().Find("r1"), nullptr);
    EXPECT_FALSE(dirs.exists("windows/my friends/alice/tasks/r1.tsk"));
}

TEST_F(NoteWindow, ATipClosedWithTheBoxTickedIsNotShownAgain)
{
    TForm8* window = ShowNoteWindow("Korvo", "qtip1001", "Double-click a buddy to send a Nivlet.", 1);
    EXPECT_EQ(codepage::FromUnicode(window->gotit->text()), "&Thanks, I  know.");
    EXPECT_EQ(window->Top(), bar->Top());
    window->gotit->setChecked(true);
    window->SpeedButton1->click();
    EXPECT_TRUE(TIniFile(AppPath() + "Channels.ini").ReadBool("repeat", "qtip1001", false));
}

TEST_F(NoteWindow, ALongNoteMakesTheWindowTaller)
{
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "line " + std::to_string(i) + "\n";
    TForm8* window = ShowNoteWindow("bob", "x\xB6", text, 0);
    EXPECT_GT(window->Height(), 222);
}

}  // namespace
