#include "peerwindowtest.h"

#include "client/features/ambro.h"

#include "platform/rtl/codepage.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>

namespace {

class ChatWindow : public PeerWindowTest {
protected:
    TForm14* Open(const std::string& key)
    {
        OpenChatWindow(key, "");
        return FindChatWindow(key);
    }
    static void Type(TForm14* window, const std::string& text)
    {
        window->memo3->setPlainText(codepage::ToUnicode(text));
        window->SendInput();
    }
    static std::string Transcript(TForm14* window) { return codepage::FromUnicode(window->Memo2->toPlainText()); }
    // The f4 of a frame line as the dispatcher splits it.
    static std::string Body(const std::string& line) { return SplitPeerFrame(line).f4; }
};

TEST_F(ChatWindow, ALineGoesOutWithTheSpeakerAndItsQuotesEscaped)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("bob");
    ASSERT_NE(window, nullptr);
    Type(window, Ansi("say \"hi\" to Zoë"));
    const std::string line = bob.readLine();
    ASSERT_EQ(SplitPeerFrame(line).f1, "chat");
    EXPECT_EQ(SplitPeerFrame(line).f3, "bob");
    const std::string body = Body(line);
    EXPECT_EQ(body.find('"'), std::string::npos) << "quotes travel as 0xEF";
    EXPECT_EQ(ExtractSpeaker(body), "alice");
    EXPECT_TRUE(Contains(Transcript(window), Ansi("alice: say \"hi\" to Zoë")));
    EXPECT_TRUE(window->memo3->toPlainText().isEmpty());
}

TEST_F(ChatWindow, AReceivedLineShowsItsQuotesAndSpeaker)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("bob");
    std::string body = WithSpeaker(richtext::Header() + "\\deflang1033\\pard \\plain \\f2 \\fs20 \\cf0 \xEFquoted\xEF caf\\'e9\\par }", "bob");
    bob.sendLine(Frame("chat", "bob", "alice", body));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Contains(Transcript(window), "bob:"); }, 5000));
    EXPECT_TRUE(Contains(Transcript(window), Ansi("bob: \"quoted\" café")));
}

TEST_F(ChatWindow, ABodyThatIsNotRichTextIsNotShown)
{
    TForm14* window = Open("bob");
    window->AppendRichText("plain words", window->Memo2);
    EXPECT_EQ(Transcript(window), "");
}

TEST_F(ChatWindow, AJoinedConferenceWithNoMembersSendsAndShowsNothing)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("bob*");
    EXPECT_EQ(Body(bob.readLine()), "\xFA" "alice") << "the host learns that we came";
    Type(window, "anyone?");
    EXPECT_EQ(WrittenBeforeAccepted(bob, "bob"), "");
    EXPECT_EQ(Transcript(window), "");
    EXPECT_EQ(window->memo3->toPlainText(), "anyone?") << "the input is kept";
}

TEST_F(ChatWindow, TheHostAloneShowsItsLineAndSendsItToNobody)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("Conference*");
    EXPECT_EQ(window->ListBox1->count(), 1);
    EXPECT_EQ(window->Panel2->text(), "Persons (1)");
    Type(window, "hello room");
    EXPECT_TRUE(Contains(Transcript(window), "alice: hello room"));
    EXPECT_EQ(WrittenBeforeAccepted(bob, "bob"), "");
}

TEST_F(ChatWindow, TheHostOffersOnlineBuddiesOnceWhateverTheirCase)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("Conference*");
    HandleChatLine("Conference*", "\xF8" "BOB");
    const QList<QAction*> items = window->Invite1->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->text(), "&bob");
    items[0]->trigger();
    const std::string line = bob.readLine();
    EXPECT_EQ(SplitPeerFrame(line).f1, "conferenceopen");
    EXPECT_EQ(Body(line), InvitationText("alice"));
    EXPECT_EQ(window->StatusPanel0->text(), "Inviting bob, Waiting for reply...");
}

TEST_F(ChatWindow, TheHostRelaysAGuestsLineToTheOthersAndTellsNewcomersWhoIsThere)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer carol = Online("carol", 3);
    TForm14* window = Open("Conference*");
    window->InviteClick("bob");
    window->InviteClick("carol");
    EXPECT_EQ(SplitPeerFrame(bob.readLine()).f1, "conferenceopen");
    EXPECT_EQ(SplitPeerFrame(carol.readLine()).f1, "conferenceopen");
    bob.sendLine(Frame("conference", "bob", "alice", "\xFA" "bob"));
    EXPECT_EQ(Body(bob.readLine()), "\xFA" "bob");
    EXPECT_EQ(Body(bob.readLine()), "\xFC" "alice (Host)");
    EXPECT_EQ(Body(bob.readLine()), "\xFC" "bob");
    carol.sendLine(Frame("conference", "carol", "alice", "\xFA" "carol"));
    EXPECT_EQ(Body(bob.readLine()), "\xFA" "carol");
    EXPECT_EQ(Body(carol.readLine()), "\xFA" "carol");
    EXPECT_EQ(Body(carol.readLine()), "\xFC" "alice (Host)");
    EXPECT_EQ(Body(carol.readLine()), "\xFC" "bob");
    EXPECT_EQ(Body(carol.readLine()), "\xFC" "carol");
    EXPECT_EQ(window->Panel2->text(), "Persons (3)");
    EXPECT_TRUE(Contains(Transcript(window), "carol has joined this conference"));

    const std::string said = WithSpeaker(richtext::Header() + "\\deflang1033\\pard \\plain hi all\\par }", "carol");
    carol.sendLine(Frame("conference", "carol", "alice", said));
    EXPECT_EQ(Body(bob.readLine()), said);
    // bob's answer comes to carol next: nothing of her own came before it.
    const std::string answer = WithSpeaker(richtext::Header() + "\\deflang1033\\pard \\plain hi carol\\par }", "bob");
    bob.sendLine(Frame("conference", "bob", "alice", answer));
    EXPECT_EQ(Body(carol.readLine()), answer) << "nobody hears their own line back";
}

TEST_F(ChatWindow, LeaveFromAnotherConferenceDoesNotRemoveAMember)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("Conference*");
    window->InviteClick("bob");
    bob.sendLine(Frame("conference", "bob", "alice", "\xFA" "bob"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return window->ListBox1->count() == 2; }, 5000));
    bob.sendLine(Frame("conferenceleave", "bob", "bob@example.org", "carol*"));
    ASSERT_TRUE(WrittenBeforeAccepted(bob, "bob"));
    EXPECT_EQ(window->ListBox1->count(), 2);
    bob.sendLine(Frame("conferenceleave", "bob", "bob@example.org", "alice*"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return window->ListBox1->count() == 1; }, 5000));
    EXPECT_TRUE(Contains(Transcript(window), "bob has left this conference"));
}

TEST_F(ChatWindow, TheHostClosingEmptiesAGuestsListAndKeepsItsWindow)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("bob*");
    bob.readLine();
    bob.sendLine(Frame("conferencehost", "bob", "alice", "\xFC" "bob (Host)"));
    bob.sendLine(Frame("conferencehost", "bob", "alice", "\xFC" "alice"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return window->ListBox1->count() == 2; }, 5000));
    bob.sendLine(Frame("conferenceclose", "bob", "bob@example.org", "Conference*"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return window->ListBox1->count() == 0; }, 5000));
    EXPECT_TRUE(Contains(Transcript(window), "Conference hosted by bob has been closed."));
    EXPECT_EQ(window->Panel2->text(), "Persons (0)");
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ChatWindow, ClosedAndGoneNoticesNameTheBuddyInCapitals)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("bob");
    HandleChatLine("bob", "\xFD" "bob");
    HandleChatLine("bob", "\xF9" "bob");
    EXPECT_TRUE(Contains(Transcript(window), "BOB'S chat window is closed."));
    EXPECT_TRUE(Contains(Transcript(window), "BOB is no longer online."));
    // Each away frame says so again; the window tells it once until the buddy is back.
    const auto told = [&] {
        const std::string text = Transcript(window);
        int count = 0;
        for (auto at = text.find("is no longer online."); at != std::string::npos; at = text.find("is no longer online.", at + 1))
            ++count;
        return count;
    };
    HandleChatLine("bob", "\xF9" "bob");
    HandleChatLine("bob", "\xF9" "bob");
    EXPECT_EQ(told(), 1);
    HandleChatLine("bob", "\xF8" "bob");
    HandleChatLine("bob", "\xF9" "bob");
    EXPECT_EQ(told(), 2);
}

TEST_F(ChatWindow, ClosingAGuestWindowTellsEveryBuddy)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer carol = Online("carol", 3);
    TForm14* window = Open("bob*");
    bob.readLine();
    window->Close();
    EXPECT_EQ(SplitPeerFrame(bob.readLine()).f1, "conferenceleave");
    EXPECT_EQ(SplitPeerFrame(carol.readLine()).f1, "conferenceleave");
    EXPECT_EQ(PeerLists().FindChat("bob*"), nullptr);
}

TEST_F(ChatWindow, ASiteNamedLikeABuddyKeepsItsLinesToItself)
{
    ScriptedPeer bob = Online("bob", 2);
    OpenSiteWindow("bob");
    TForm14* site = FindSiteWindow("bob");
    ASSERT_NE(site, nullptr);
    EXPECT_NE(Transcript(site).find("*** Unable to successfully connect to bob Connection aborted"), std::string::npos);
    TForm14* chat = Open("bob");
    ASSERT_NE(chat, nullptr);
    EXPECT_NE(chat, site) << "the buddy gets a window of his own";
    Type(site, "to the site");
    EXPECT_EQ(site->memo3->toPlainText(), "to the site") << "a closed site keeps what was typed";
    site->Close();
    Type(chat, "to bob");
    // The buddy's first line is the chat: neither the site's text nor its closing reached him.
    const TPeerFrame first = SplitPeerFrame(bob.readLine());
    EXPECT_EQ(first.f1, "chat");
    EXPECT_EQ(ExtractSpeaker(first.f4), "alice");
    EXPECT_NE(PeerLists().FindChat("bob"), nullptr);
}

TEST_F(ChatWindow, ALineTooLongForAFrameIsKeptAndTheUserTold)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("bob");
    // Every high byte takes four on the wire.
    Type(window, std::string(400, '\xE9'));
    EXPECT_EQ(WrittenBeforeAccepted(bob, "bob"), "");
    EXPECT_EQ(window->StatusPanel0->text(), "Your message is too long to send. Please shorten it.");
    EXPECT_FALSE(window->memo3->toPlainText().isEmpty());
    EXPECT_EQ(Transcript(window), "");
}

TEST_F(ChatWindow, TheInputHoldsAtMost500Characters)
{
    TForm14* window = Open("bob");
    window->memo3->setPlainText(QString(600, 'x'));
    EXPECT_EQ(window->memo3->toPlainText().size(), TForm14::kMaxInput);
}

TEST_F(ChatWindow, RepeatTextPutsTheLastLineBackInTheInput)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("bob");
    Type(window, "once more");
    bob.readLine();
    window->RepeatText();
    EXPECT_EQ(window->memo3->toPlainText(), "once more");
    // The format bar's buttons show their pictures, not bare letters.
    for (QToolButton* button : { window->SpeedButton1, window->SpeedButton3, window->SpeedButton5, window->SpeedButton6,
             window->SpeedButton7, window->SpeedButton8 }) {
        EXPECT_FALSE(button->icon().isNull()) << button->toolTip().toStdString();
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly) << button->toolTip().toStdString();
    }
}

TEST_F(ChatWindow, SavedTranscriptFollowsEveryChange)
{
    TForm14* window = Open("bob");
    window->AppendRichText(JoinedNotice("first"), window->Memo2);
    const std::string path = dirs.root() + "/talk.rtf";
    ASSERT_TRUE(window->SaveTo(path));
    window->AppendRichText(JoinedNotice("second"), window->Memo2);
    QTextDocument saved;
    ASSERT_TRUE(richtext::Load(saved, dirs.read("talk.rtf")));
    EXPECT_TRUE(saved.toPlainText().contains("first has joined"));
    EXPECT_TRUE(saved.toPlainText().contains("second has joined"));
}

TEST_F(ChatWindow, SaveAsksForANameOnceAndAddsTheDefaultExtension)
{
    TForm14* window = Open("bob");
    window->AppendRichText(JoinedNotice("carol"), window->Memo2);
    dialogs::QueueFileName(dirs.root() + "/talk");
    window->findChild<QAction*>("Save1")->trigger();
    EXPECT_TRUE(Contains(dirs.read("talk.txt"), "carol")) << "the dialog's default extension is .txt";
    // Saved once, every later change follows without asking again.
    dialogs::QueueFileName(dirs.root() + "/other.rtf");
    window->findChild<QAction*>("Save1")->trigger();
    window->AppendRichText(JoinedNotice("dave"), window->Memo2);
    EXPECT_TRUE(Contains(dirs.read("talk.txt"), "dave"));
    EXPECT_EQ(dirs.read("other.rtf"), "");
    // The name no dialog asked for is not left to the next test.
    TOpenDialog unused;
    EXPECT_TRUE(unused.Execute());
}

TEST_F(ChatWindow, ASavedTranscriptGrowsByAppendingAndKeepsEveryLine)
{
    TForm14* window = Open("bob");
    const std::string path = dirs.root() + "/long.rtf";
    ASSERT_TRUE(window->SaveTo(path));
    const std::string words(900, 'w');
    std::string before;
    for (int i = 0; i < 1500; ++i) {
        if (i == 1400)
            before = dirs.read("long.rtf");
        window->AppendRichText(JoinedNotice("p" + std::to_string(i) + words), window->Memo2);
    }
    const std::string saved = dirs.read("long.rtf");
    ASSERT_GT(saved.size(), 1u << 20);
    EXPECT_EQ(saved.compare(0, before.size() - 1, before, 0, before.size() - 1), 0) << "only the closing brace was rewritten";
    EXPECT_EQ(saved.rfind("{\\rtf1", 0), 0u);
    EXPECT_EQ(saved.back(), '}');
    for (int i = 0; i < 1500; ++i)
        ASSERT_TRUE(Contains(saved, " p" + std::to_string(i) + words)) << "line " << i;
    EXPECT_EQ(QString::fromStdString(saved).count("has joined this conference"), 1500);
}

TEST_F(ChatWindow, AColourNewToTheSavedFileIsKeptAndClearingEmptiesTheFile)
{
    TForm14* window = Open("bob");
    const std::string path = dirs.root() + "/talk.rtf";
    ASSERT_TRUE(window->SaveTo(path));
    window->AppendRichText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl\\red0\\green0\\blue0;\\red0\\green128\\blue0;}\\pard\\cf1 green words\\par }", window->Memo2);
    window->AppendRichText(JoinedNotice("after"), window->Memo2);
    EXPECT_TRUE(Contains(dirs.read("talk.rtf"), "\\red0\\green128\\blue0"));
    EXPECT_TRUE(Contains(dirs.read("talk.rtf"), "green words"));
    EXPECT_TRUE(Contains(dirs.read("talk.rtf"), " after ")) << dirs.read("talk.rtf");
    EXPECT_TRUE(Contains(dirs.read("talk.rtf"), "has joined this conference"));
    window->findChild<QAction*>("Clear1")->trigger();
    EXPECT_FALSE(Contains(dirs.read("talk.rtf"), "green words"));
}

TEST_F(ChatWindow, ATranscriptThatCannotBeSavedIsToldOnce)
{
    TForm14* window = Open("bob");
    dirs.write("chats/talk.rtf", "");
    ASSERT_TRUE(window->SaveTo(dirs.root() + "/chats/talk.rtf"));
    // The file becomes a folder: neither adding to it nor replacing it works.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(dirs.root() + "/chats/talk.rtf")));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dirs.root() + "/chats/talk.rtf")));
    for (const char* name : { "one", "two", "three" })
        window->AppendRichText(JoinedNotice(name), window->Memo2);
    // The box is shown from the loop; every failure above had the chance to ask for one.
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return !dialogs::History().empty(); }, 5000));
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_TRUE(Contains(dialogs::History()[0].request.text, "could not be saved"));
}

TEST_F(ChatWindow, AWindowItsSessionForgotIsTheWindowOfTheNextConversation)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* old = Open("bob");
    // What sign-off does to the session's lists.
    PeerLists().Clear();
    EXPECT_EQ(old->ChatRoom(), nullptr);

    const std::string said = WithSpeaker(richtext::Header() + "\\pard back again\\par }", "bob");
    OpenChatWindow("bob", said);
    EXPECT_EQ(FindChatWindow("bob"), old) << "one window per key";
    HandleChatLine("bob", WithSpeaker(richtext::Header() + "\\pard and more\\par }", "bob"));
    EXPECT_TRUE(Contains(Transcript(old), "bob: back again"));
    EXPECT_TRUE(Contains(Transcript(old), "bob: and more"));

    // Forgotten again, the window the user types in takes the conversation up and sends.
    PeerLists().Clear();
    Type(old, "typed again");
    EXPECT_EQ(old->memo3->toPlainText(), "");
    EXPECT_NE(PeerLists().FindChat("bob"), nullptr);
    EXPECT_EQ(FindChatWindow("bob"), old);
    EXPECT_EQ(SplitPeerFrame(bob.readLine()).f1, "chat");
}

TEST_F(ChatWindow, AConferenceItsSessionForgotInvitesNoOne)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* old = Open("Conference*");
    PeerLists().Clear();
    old->InviteClick("bob");
    Type(Open("bob"), "hello");
    EXPECT_EQ(SplitPeerFrame(bob.readLine()).f1, "chat") << "no invitation went first";
}

TEST_F(ChatWindow, FontColorTakesTheColourTheDialogGives)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("bob");
    dialogs::QueueColor(RGB(255, 0, 0));
    window->SpeedButton1->click();
    window->memo3->insertPlainText("red words");
    window->SendInput();
    EXPECT_TRUE(Contains(Body(bob.readLine()), "\\red255\\green0\\blue0;")) << "the line carries the colour";
    // Unanswered here, the dialog is cancelled and nothing changes.
    window->SpeedButton1->click();
    window->memo3->insertPlainText("still red");
    window->SendInput();
    EXPECT_TRUE(Contains(Body(bob.readLine()), "\\red255\\green0\\blue0;"));
}

TEST_F(ChatWindow, TheWindowKeepsItsLeastSize)
{
    TForm14* window = Open("bob");
    window->resize(100, 80);
    EXPECT_GE(window->width(), 326);
    EXPECT_GE(window->height(), 270);
}

TEST_F(ChatWindow, SoundAndFontSizeAreKeptInTheSettings)
{
    dirs.write("app/Channels.ini", "[Settings]\r\nChatFontSize=14\r\nChatSound=0\r\n");
    TForm14* window = Open("bob");
    EXPECT_FALSE(window->Sound1->isChecked());
    EXPECT_EQ(window->ComboBox1->currentText(), "14");
    window->Sound1->trigger();
    EXPECT_TRUE(Contains(dirs.read("app/Channels.ini"), "ChatSound=1"));
    EXPECT_TRUE(PeerLists().FindChat("bob")->sound);
}

TEST_F(ChatWindow, FlashingStartsForALineInTheBackgroundAndStopsOnAKey)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm14* window = Open("bob");
    window->StopFlashing();
    HandleChatLine("bob", WithSpeaker(richtext::Header() + "\\pard hi\\par }", "bob"));
    if (window->isActiveWindow())
        GTEST_SKIP() << "the window is active here: nothing flashes";
    EXPECT_TRUE(window->Flashing());
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
    QCoreApplication::sendEvent(window->memo3, &release);
    EXPECT_FALSE(window->Flashing());
}

}  // namespace
