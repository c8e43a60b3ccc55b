#include "peerwindowtest.h"

#include "platform/rtl/codepage.h"
#include "platform/testing/widgetinput.h"
#include "platform/ui/label.h"
#include "platform/win/process.h"
#include "platform/win/sound.h"

#include <QDir>
#include <QFile>
#include <QLabel>

namespace {

// Sees what would be started, and starts nothing.
struct LaunchRecorder {
    LaunchRecorder()
    {
        process::SetObserver([this](const process::Launch& launch) { launches.push_back(launch); });
    }
    ~LaunchRecorder() { process::SetObserver(nullptr); }
    std::vector<process::Launch> launches;
};

class RequestWindow : public PeerWindowTest {
protected:
    // bob asks for a chat; his prompt is open.
    TForm7* ChatRequest(ScriptedPeer& bob)
    {
        bob.sendLine(Frame("chat", "bob", "alice", richtext::Header() + "\\pard hi\\par }"));
        return WaitForWindow<TForm7>();
    }
    // bob invites alice to the game of the chess folder, whose plugin.inf has this startup line, naming
    // the folder as given; her prompt is open.
    TForm7* PluginInvitation(ScriptedPeer& bob, const std::string& startup, const std::string& folder = "chess")
    {
        dirs.write("app/plugins/chess/plugin.inf",
                   "[Larkspire.Plugin]\r\nRequest=wants to play chess.\r\n" + startup + "\r\nPIDkey={927971f5-1}\r\n");
        bob.sendLine(Frame("pluginrequest", "bob", "", folder));
        return WaitForWindow<TForm7>();
    }
    // The request icons as the program folder ships them.
    void ShipIcons() const
    {
        for (const char* icon : { "iconB.bmp", "iconF.bmp", "iconG.bmp", "iconH.bmp" })
            QFile::copy(QStringLiteral(KORVO_BIN_DIR "/") + icon, QString::fromStdString(dirs.appDir() + "/") + icon);
    }
    static void Ring(TForm7* window, int ticks)
    {
        for (int i = 0; i < ticks && window; ++i)
            window->Timer1Timer();
    }
};

TEST_F(RequestWindow, AChatRequestRingsNineTimesAndIsRefusedOnTheTenthTick)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm7* window = ChatRequest(bob);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(codepage::FromUnicode(window->Label1->text()), "\rBOB is requesting to chat with you.\rDo you want to accept? (y/n)");
    Ring(window, 9);
    EXPECT_EQ(window->Rings(), 9);
    EXPECT_EQ(WrittenBeforeAccepted(bob, "bob"), "") << "nothing is answered while it rings";
    window->Timer1Timer();
    EXPECT_EQ(bob.readLine(), Frame("chat", "alice", "bob", RefusalText("alice")));
    EXPECT_FALSE(Buddy("bob").ChatRequested) << "a new request may come";
}

TEST_F(RequestWindow, ABuddyListRequestNeverRunsOut)
{
    ScriptedPeer dave = Call(4);
    dave.sendLine(Frame("inf", "dave", "dave@example.org", "alice"));
    TForm7* window = WaitForWindow<TForm7>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Kind(), peerhooks::rkBuddy);
    Ring(window, 50);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(WrittenBeforeRefused(dave, "dave"), "");
    window->Button2->click();
    EXPECT_EQ(dave.readLine(), Frame("decline", "alice", "", ""));
    EXPECT_FALSE(PeerLists().IsPending("dave"));

    // Nobody answering for the prompt's time is a No.
    setenv("KORVO_PROMPT_MS", "1000", 1);
    ScriptedPeer erin = Call(5);
    erin.sendLine(Frame("inf", "erin", "erin@example.org", "alice"));
    const bool shown = WaitForWindow<TForm7>() != nullptr;
    unsetenv("KORVO_PROMPT_MS");
    ASSERT_TRUE(shown);
    EXPECT_EQ(erin.readLine(), Frame("decline", "alice", "", ""));
    EXPECT_TRUE(Application::ProcessMessagesUntil([] { return Windows<TForm7>().empty(); }, 5000));
    EXPECT_FALSE(PeerLists().IsPending("erin"));
}

TEST_F(RequestWindow, EachRingPlaysTheRequestSoundWhateverTheSoundSetting)
{
    std::vector<std::string> sounds;
    sound::SetObserver([&](const std::string& file, unsigned) { sounds.push_back(file); });
    ScriptedPeer bob = Online("bob", 2);
    sounds.clear();
    TForm7* window = ChatRequest(bob);
    ASSERT_NE(window, nullptr);
    Ring(window, 2);
    sound::SetObserver(nullptr);
    ASSERT_EQ(sounds.size(), 3u);
    for (const std::string& file : sounds)
        EXPECT_TRUE(file.ends_with("filein.wav")) << file;
}

TEST_F(RequestWindow, ARefusedFileAnswersRejected)
{
    ScriptedPeer bob = Online("bob", 2);
    bob.sendLine(Frame("requesttosendfile", "bob", "C:\\docs\\report.pdf", "1234567"));
    TForm7* window = WaitForWindow<TForm7>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(codepage::FromUnicode(window->Label1->text()),
              "\rbob is requesting to send you a file.\rDo you want to accept?\r\rreport.pdf  (1,234,567 bytes)");
    window->Button2->click();
    EXPECT_EQ(bob.readLine(), Frame("rejected", "alice", "file", ""));
}

TEST_F(RequestWindow, AFileWithAnUnusableNameOrSizeIsRefusedUnasked)
{
    ScriptedPeer bob = Online("bob", 2);
    bob.sendLine(Frame("requesttosendfile", "bob", "C:\\docs\\..", "12"));
    EXPECT_EQ(bob.readLine(), Frame("rejected", "alice", "file", ""));
    bob.sendLine(Frame("requesttosendfile", "bob", "C:\\docs\\a.txt", "-12"));
    EXPECT_EQ(bob.readLine(), Frame("rejected", "alice", "file", ""));
    EXPECT_TRUE(Windows<TForm7>().empty());
}

TEST_F(RequestWindow, ARepeatWhileTheBuddysPromptOfThatKindWaitsChangesNothing)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm7* window = PluginInvitation(bob, "startup=chess");
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 3; ++i)
        bob.sendLine(Frame("pluginrequest", "bob", "", "chess"));
    // Nobody refused anything: no refusal goes back.
    EXPECT_EQ(WrittenBeforeAccepted(bob, "bob"), "");
    EXPECT_EQ(Windows<TForm7>().size(), 1u);
    EXPECT_TRUE(window->isVisible()) << "the first prompt still asks";
    // Another kind is another prompt.
    bob.sendLine(Frame("requesttosendfile", "bob", "C:\\a.txt", "1"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Windows<TForm7>().size() == 2; }, 5000));
    window->Button2->click();
    EXPECT_EQ(bob.readLine(), Frame("\xF9{927971f5-1}", "alice", "bob", "reject"));
    // Once answered, a new invitation asks again.
    bob.sendLine(Frame("pluginrequest", "bob", "", "chess"));
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] {
        int plugins = 0;
        for (TForm7* prompt : Windows<TForm7>())
            plugins += prompt->Kind() == peerhooks::rkPlugin;
        return plugins == 1;
    }, 5000));
}

TEST_F(RequestWindow, APromptOutlivingItsLineAnswersNoLaterConnection)
{
    {
        ScriptedPeer bob = Online("bob", 2);
        bob.sendLine(Frame("requesttosendfile", "bob", "C:\\a.txt", "1"));
        ASSERT_NE(WaitForWindow<TForm7>(), nullptr);
    }
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Buddy("bob").Online; }, 5000));
    // A new line from the same address, not introduced yet: refused once, so it is surely taken in.
    ScriptedPeer again = Call(2);
    again.sendLine(Frame("inf", "bob", "", "nobody"));
    ASSERT_EQ(again.readLine(), "\xFE");
    TForm7* prompt = WaitForWindow<TForm7>();
    ASSERT_NE(prompt, nullptr);
    prompt->Button2->click();
    again.sendLine(Frame("inf", "bob", "bob@example.org", "alice"));
    EXPECT_EQ(again.readLine(), "\xFC") << "the old prompt's refusal went nowhere";
}

TEST_F(RequestWindow, ARefusedConferenceAnswersWithTheRefusalText)
{
    ScriptedPeer bob = Online("bob", 2);
    bob.sendLine(Frame("conferenceopen", "bob", "alice", InvitationText("bob")));
    TForm7* window = WaitForWindow<TForm7>();
    ASSERT_NE(window, nullptr);
    Ring(window, 10);
    EXPECT_EQ(bob.readLine(), Frame("conference", "alice", "bob", RefusalText("alice")));
    EXPECT_FALSE(Buddy("bob").ConferenceRequested);
}

TEST_F(RequestWindow, ARefusedPluginGameTellsTheBuddysPlugin)
{
    ScriptedPeer bob = Online("bob", 2);
    TForm7* window = PluginInvitation(bob, "startup=chess");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(codepage::FromUnicode(window->Label1->text()), "\r\rbob wants to play chess.");
    window->Button2->click();
    EXPECT_EQ(bob.readLine(), Frame("\xF9{927971f5-1}", "alice", "bob", "reject"));
}

TEST_F(RequestWindow, AnAcceptedPluginGameStartsTheGuestWithTheInvitersNameAsOneArgument)
{
    LaunchRecorder recorder;
    ScriptedPeer bob = Online("bob", 2);
    TForm7* window = PluginInvitation(bob, "Startup=chess.exe", "CHESS\\");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(recorder.launches.empty()) << "nothing starts before the user answers";
    window->Button1->click();
    ASSERT_EQ(recorder.launches.size(), 1u);
    EXPECT_EQ(recorder.launches[0].program, dirs.appDir() + "/plugins/chess/chess");
    EXPECT_EQ(recorder.launches[0].arguments, (std::vector<std::string> { "/ext", "/c", "bob" }));
}

TEST_F(RequestWindow, APluginWhoseStartupLeavesItsFolderStartsNothingWhenAccepted)
{
    LaunchRecorder recorder;
    ScriptedPeer bob = Online("bob", 2);
    TForm7* window = PluginInvitation(bob, "startup=../../bin/sh");
    ASSERT_NE(window, nullptr);
    window->Button1->click();
    EXPECT_TRUE(recorder.launches.empty());
}

TEST_F(RequestWindow, AutoRejectAnswersAtOnceWithoutAPrompt)
{
    dirs.write("windows/my friends/alice/bob.cnt", "[Friend]\r\nUserID=bob\r\nAUTOREJECT=1\r\n");
    ScriptedPeer bob = Online("bob", 2);
    bob.sendLine(Frame("chat", "bob", "alice", richtext::Header() + "\\pard hi\\par }"));
    EXPECT_EQ(bob.readLine(), Frame("chat", "alice", "bob", RefusalText("alice")));
    EXPECT_TRUE(Windows<TForm7>().empty());
}

TEST_F(RequestWindow, AutoAnswerOpensTheChatWithItsFirstLine)
{
    dirs.write("windows/my friends/alice/bob.cnt", "[Friend]\r\nUserID=bob\r\nAUTOANS=1\r\n");
    ScriptedPeer bob = Online("bob", 2);
    bob.sendLine(Frame("chat", "bob", "alice", richtext::Header() + "\\pard\\plain\\f2\\fs20\\b\\cf0 bob: \\plain hi there\\par }"));
    TForm14* chat = WaitForWindow<TForm14>();
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(chat->Key(), "bob");
    EXPECT_TRUE(chat->Memo2->toPlainText().contains("bob: hi there"));
    EXPECT_TRUE(Windows<TForm7>().empty());
}

TEST_F(RequestWindow, AutoAnswerIsReadOnlyForListedBuddies)
{
    // A contact file that appeared after sign-on names nobody on the list: its caller is asked.
    dirs.write("windows/my friends/alice/dave.cnt", "[Friend]\r\nUserID=dave\r\nAUTOANS=1\r\n");
    ScriptedPeer dave = Call(4);
    dave.sendLine(Frame("inf", "dave", "dave@example.org", "alice"));
    TForm7* window = WaitForWindow<TForm7>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WrittenBeforeRefused(dave, "dave"), "");
}

TEST_F(RequestWindow, AcceptingABuddyListRequestListsTheCaller)
{
    ScriptedPeer dave = Call(4);
    dave.sendLine(Frame("inf", "dave", "dave@example.org", "alice"));
    TForm7* window = WaitForWindow<TForm7>();
    ASSERT_NE(window, nullptr);
    window->Button1->click();
    EXPECT_EQ(dave.readLine(), "\xFC");
    ASSERT_NE(bar->FindBuddy("dave"), nullptr);
    EXPECT_TRUE(bar->FindBuddy("dave")->Online);
    EXPECT_TRUE(Contains(Cnt("dave"), "email=dave@example.org"));
}

TEST_F(RequestWindow, ThePromptStartsANewLineAtEachCarriageReturn)
{
    ShipIcons();
    ScriptedPeer dave = Call(4);
    dave.sendLine(Frame("inf", "dave", "z&a@x.org", "alice"));
    TForm7* window = WaitForWindow<TForm7>();
    ASSERT_NE(window, nullptr);
    // The caller's '&' shows as itself, drawn as well as told.
    EXPECT_EQ(window->Label1->ShownText().split(QLatin1Char('\n')),
              QStringList({ "", "DAVE is requesting to be added your buddy list.", "Email: z&a@x.org", "Do you want to accept?" }));
    EXPECT_EQ(PaintedDifference(window->Label1, window->Label1->ShownText()), QRect());
    QDir().mkpath(KORVO_BUILD_DIR "/screenshots");
    EXPECT_TRUE(window->grab().save(KORVO_BUILD_DIR "/screenshots/request.png"));
}

TEST_F(RequestWindow, EachKindOfRequestShowsItsIcon)
{
    ShipIcons();
    ScriptedPeer bob = Online("bob", 2);
    const std::string requests[] = {
        Frame("requesttosendfile", "bob", "C:\\docs\\report.pdf", "12"),
        Frame("chat", "bob", "alice", richtext::Header() + "\\pard hi\\par }"),
        Frame("conferenceopen", "bob", "alice", InvitationText("bob")),
    };
    for (const std::string& request : requests) {
        bob.sendLine(request);
        TForm7* window = WaitForWindow<TForm7>();
        ASSERT_NE(window, nullptr) << request;
        EXPECT_FALSE(window->Image1->pixmap().isNull()) << request;
        window->Button2->click();
        ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Windows<TForm7>().empty(); }, 5000));
    }
    ScriptedPeer dave = Call(4);
    dave.sendLine(Frame("inf", "dave", "dave@example.org", "alice"));
    TForm7* window = WaitForWindow<TForm7>();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->Image1->pixmap().isNull());
}

}  // namespace
