#include "client/core/peerdispatch.h"

#include "peersessiontest.h"

#include <filesystem>

namespace {

class PeerDispatch : public PeerSessionTest {};

}  // namespace

TEST_F(PeerDispatch, InfFromUnknownIsAnsweredFD)
{
    ScriptedPeer peer = Call(4);
    peer.sendLine(Frame("inf", "Unknown", "", "alice"));
    EXPECT_EQ(peer.readLine(), "\xFD");
    EXPECT_TRUE(Calls().empty());
}

TEST_F(PeerDispatch, InfAddressedToAnotherUserIsRefusedEvenFromABuddy)
{
    ScriptedPeer peer = Call(2);
    peer.sendLine(Frame("inf", "bob", "", "zoe"));
    EXPECT_EQ(peer.readLine(), "\xFE");
    EXPECT_FALSE(Buddy("bob").Online);
}

TEST_F(PeerDispatch, InfFromABlockedBuddyIsRefused)
{
    ScriptedPeer peer = Call(2);
    peer.sendLine(Frame("inf", "mallory", "", "ALICE"));
    EXPECT_EQ(peer.readLine(), "\xFE");
    EXPECT_FALSE(Buddy("mallory").Online);
}

TEST_F(PeerDispatch, InfFromAListedBuddyIsAcceptedAndShowsItOnline)
{
    ScriptedPeer peer = Online("bob", 2);
    EXPECT_TRUE(Buddy("bob").Online);
    EXPECT_EQ(Buddy("bob").PeerAddress, LoopbackHost(2));
    EXPECT_TRUE(Contains(Cnt("bob"), "online=1"));
    EXPECT_TRUE(Contains(Cnt("bob"), "email=bob@example.org"));
    EXPECT_TRUE(HasPeerSocket("BOB"));
}

TEST_F(PeerDispatch, InfWhileAwayIsFollowedByTheAwayMessage)
{
    Session().away = true;
    Session().awayMessage = "at lunch";
    ScriptedPeer peer = Online("bob", 2);
    EXPECT_EQ(peer.readLine(), Frame("away", "alice", "alice@example.org", "at lunch"));
}

TEST_F(PeerDispatch, AnUnlistedCallerIsPromptedOnceAndGetsNoAnswerMeanwhile)
{
    ScriptedPeer peer = Call(4);
    peer.sendLine(Frame("inf", "dave", "dave@example.org", "alice"));
    peer.sendLine(Frame("inf", "dave", "dave@example.org", "alice"));
    // Closed after both were handled, with nothing said to it.
    peer.hangUp();
    EXPECT_TRUE(peer.waitClosed());
    EXPECT_EQ(peer.drain(0), "");
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0], "RequestPrompt|5|dave|dave@example.org|DAVE is requesting to be added your buddy list.\r"
                          "Email: dave@example.org\rDo you want to accept?");
    EXPECT_TRUE(PeerLists().IsPending("DAVE"));
    EXPECT_FALSE(dirs.exists("windows/my friends/alice/dave.cnt"));

    // With the pending list full, a caller is refused rather than left hanging.
    for (std::size_t i = 1; i < TPeerLists::kMaxPending; ++i)
        ASSERT_TRUE(PeerLists().AddPending("n" + std::to_string(i)));
    ScriptedPeer erin = Call(5);
    erin.sendLine(Frame("inf", "erin", "", "alice"));
    EXPECT_EQ(erin.readLine(), "\xFE");
    EXPECT_TRUE(erin.waitClosed());
    EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(PeerDispatch, AnInfNameThatCannotBeABuddyIsRefusedWithoutPromptOrFile)
{
    for (const std::string name : { "..", "a\\b", "x:y" }) {
        ScriptedPeer peer = Call(4);
        peer.sendLine(Frame("inf", name, "", "alice"));
        EXPECT_EQ(peer.readLine(), "\xFE") << name;
    }
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(PeerLists().IsPending(".."));
}

TEST_F(PeerDispatch, AcceptingAPendingCallerBindsItsConnection)
{
    ScriptedPeer peer = Call(4);
    TBuddySocket* prompted = nullptr;
    Features().PeerFrame.RequestPrompt = [&](const peerhooks::TRequest& request) { prompted = PeerNetwork()->Live(request.connection); };
    peer.sendLine(Frame("inf", "dave", "", "alice"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return prompted != nullptr; }, 5000));
    // The prompt's "accept" adds the caller with the connection it came on.
    SetBuddyOnline("dave", "", prompted, true);
    peer.sendLine(Frame("away", "dave", "", "brb"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("dave").Away; }, 5000));
    EXPECT_EQ(Buddy("dave").AwayMessage, "brb");
}

TEST_F(PeerDispatch, PingRestartsTheKeepAlive)
{
    ScriptedPeer peer = Online("bob", 2);
    Buddy("bob").KeepAlive = 7;
    peer.sendLine(Frame("ping", "bob", "bob@example.org"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("bob").KeepAlive == 300; }, 5000));
}

TEST_F(PeerDispatch, AwayIsCutTo255AndNotAwayClearsIt)
{
    ScriptedPeer peer = Online("bob", 2);
    peer.sendLine(Frame("away", "bob", "", std::string(300, 'z')));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("bob").Away; }, 5000));
    EXPECT_EQ(Buddy("bob").AwayMessage, std::string(255, 'z'));
    peer.sendLine(Frame("notaway", "bob"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Buddy("bob").Away; }, 5000));
    EXPECT_EQ(Buddy("bob").AwayMessage, "");
}

TEST_F(PeerDispatch, BlockmeTakesTheBuddyOfflineAndHangsUp)
{
    ScriptedPeer peer = Online("bob", 2);
    peer.sendLine(Frame("blockme", "bob"));
    EXPECT_TRUE(peer.waitClosed());
    EXPECT_FALSE(Buddy("bob").Online);
    EXPECT_TRUE(Contains(Cnt("bob"), "online=0"));
}

TEST_F(PeerDispatch, FramesBeforeAnAcceptedInfAreDropped)
{
    ScriptedPeer peer = Call(2);
    peer.sendLine(Frame("away", "bob", "", "spoofed"));
    peer.sendLine(Frame("note", "bob", "link", "spoofed"));
    peer.sendLine(Frame("decline", "bob"));
    EXPECT_EQ(Introduce(peer, "bob"), "\xFC");
    EXPECT_FALSE(Buddy("bob").Away);
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/bob.cnt"));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(PeerDispatch, AConnectionCannotSpeakForAnotherBuddy)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer carol = Online("carol", 3);
    bob.sendLine(Frame("away", "carol", "", "spoofed"));
    bob.sendLine(Frame("blockme", "carol"));
    bob.sendLine(Frame("decline", "carol"));
    bob.sendLine(Frame("inf", "carol", "", "alice"));
    EXPECT_EQ(Introduce(bob, "bob"), "\xFC") << "nothing answered before";
    EXPECT_TRUE(Buddy("carol").Online);
    EXPECT_FALSE(Buddy("carol").Away);
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/carol.cnt"));
    EXPECT_TRUE(Buddy("bob").Online);
}

TEST_F(PeerDispatch, AnInfForABuddyFromElsewhereThanItsLookedUpAddressIsRefusedAndHungUp)
{
    // The lookup said bob is at host 2; nobody answers there yet.
    ConnectToBuddy("bob", LoopbackHost(2));
    const std::string before = Cnt("bob");
    ScriptedPeer mallory = Call(4);
    mallory.send(Frame("inf", "BOB", "x@evil", "alice") + "\r\n" + Frame("decline", "bob") + "\r\n");
    EXPECT_EQ(mallory.readLine(), "\xFE");
    // Closed: nothing more it sent is heard.
    EXPECT_TRUE(mallory.waitClosed());
    EXPECT_EQ(Cnt("bob"), before);
    ASSERT_NE(bar->FindBuddy("bob"), nullptr);
    EXPECT_FALSE(Buddy("bob").Online);
    EXPECT_TRUE(Calls().empty());

    // bob himself, from where the lookup said, is welcome and his e-mail kept.
    ScriptedPeer bob = Call(2);
    bob.sendLine(Frame("inf", "bob", "bob@example.org", "alice"));
    EXPECT_EQ(bob.readLine(), "\xFC");
    EXPECT_TRUE(Buddy("bob").Online);
    EXPECT_TRUE(Contains(Cnt("bob"), "email=bob@example.org"));
}

TEST_F(PeerDispatch, AnInfCannotTakeOverABuddysLiveConnectionFromAnotherAddress)
{
    ScriptedPeer bob = Online("bob", 2);
    const std::string before = Cnt("bob");
    ScriptedPeer mallory = Call(4);
    mallory.sendLine(Frame("inf", "Bob", "x@evil", "alice"));
    EXPECT_EQ(mallory.readLine(), "\xFE");
    EXPECT_TRUE(mallory.waitClosed());
    EXPECT_EQ(Cnt("bob"), before);

    // bob's own connection still carries both ways.
    ASSERT_TRUE(SendToBuddy("bob", "away", "back soon"));
    EXPECT_EQ(bob.readLine(), Frame("away", "alice", "alice@example.org", "back soon"));
    bob.sendLine(Frame("away", "bob", "", "lunch"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("bob").Away; }, 5000));
    EXPECT_EQ(Buddy("bob").PeerAddress, LoopbackHost(2));
}

TEST_F(PeerDispatch, DeclineDeletesOnlyTheSendersOwnEntry)
{
    ScriptedPeer peer = Online("bob", 2);
    peer.sendLine(Frame("decline", "bob"));
    EXPECT_TRUE(peer.waitClosed());
    EXPECT_FALSE(dirs.exists("windows/my friends/alice/bob.cnt"));
    EXPECT_EQ(bar->FindBuddy("bob"), nullptr);
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/carol.cnt"));
}

TEST_F(PeerDispatch, AnEmptySenderClosesThatConnectionOnly)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer stranger = Call(4);
    stranger.sendLine("\xFB" "ping,  ,\"\",\"\"");
    EXPECT_TRUE(stranger.waitClosed());
    EXPECT_TRUE(Buddy("bob").Online);
    bob.sendLine(Frame("away", "bob", "", "still here"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("bob").Away; }, 5000));
}

TEST_F(PeerDispatch, PlainLinesAndUnknownCommandsAreIgnored)
{
    ScriptedPeer peer = Online("bob", 2);
    peer.sendLine("hello there");
    peer.sendLine("\xFC");
    peer.sendLine(Frame("format", "bob", "c:", "now"));
    peer.sendLine(Frame("pluginclose", "bob", "", "{927971f5-1}"));
    EXPECT_EQ(Introduce(peer, "bob"), "\xFC") << "nothing answered before";
    EXPECT_TRUE(Buddy("bob").Online);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(PeerDispatch, NoteGoesToTheNivletStore)
{
    ScriptedPeer peer = Online("bob", 2);
    peer.sendLine(Frame("note", "bob", "http://x\xB6" "2026", "hi \xBF" "there\xBF"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Calls().empty(); }, 5000));
    EXPECT_EQ(Calls()[0], "SaveNivlet|bob|http://x\xB6" "2026|hi \xBF" "there\xBF");
}

TEST_F(PeerDispatch, ChatFromABuddyPromptsOnceUntilAnswered)
{
    ScriptedPeer peer = Online("bob", 2);
    peer.sendLine(Frame("chat", "bob", "alice", "{\\rtf1 hi}"));
    peer.sendLine(Frame("chat", "bob", "alice", "{\\rtf1 again}"));
    ASSERT_EQ(Introduce(peer, "bob"), "\xFC");
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0], "RequestPrompt|3|bob|{\\rtf1 hi}|BOB is requesting to chat with you.\rDo you want to accept? (y/n)");
    EXPECT_TRUE(Buddy("bob").ChatRequested);
}

TEST_F(PeerDispatch, ChatIntoAnOpenWindowIsAppended)
{
    ScriptedPeer peer = Online("bob", 2);
    OpenChatWindow("bob", "");
    peerCalls.Clear();
    peer.sendLine(Frame("chat", "bob", "alice", "{\\rtf1 hi}"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Calls().empty(); }, 5000));
    EXPECT_EQ(Calls()[0], "AppendChatText|bob|{\\rtf1 hi}");
}

TEST_F(PeerDispatch, ConferenceInvitationPromptsKind4)
{
    ScriptedPeer peer = Online("bob", 2);
    peer.sendLine(Frame("conferenceopen", "bob", "alice", "{\\rtf1 join}"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Calls().empty(); }, 5000));
    EXPECT_EQ(Calls()[0],
              "RequestPrompt|4|bob|{\\rtf1 join}|BOB is requesting you join a chat conference.\rDo you want to accept? (y/n)");
    EXPECT_TRUE(Buddy("bob").ConferenceRequested);
}

TEST_F(PeerDispatch, ConferenceOpenWhileInItIsAnsweredAtOnce)
{
    ScriptedPeer peer = Online("bob", 2);
    OpenChatWindow("bob*", "");
    peer.sendLine(Frame("conferenceopen", "bob", "alice", "{\\rtf1 join}"));
    EXPECT_EQ(peer.readLine(), Frame("conference", "alice", "bob", "\xFA" "alice"));
}

TEST_F(PeerDispatch, ChatFromAStrangerIsIgnored)
{
    ScriptedPeer peer = Call(4);
    peer.sendLine(Frame("chat", "dave", "alice", "hi"));
    ASSERT_EQ(Introduce(peer, "Unknown"), "\xFD");
    EXPECT_TRUE(Calls().empty());
}

TEST_F(PeerDispatch, ChatCloseAndConferenceLinesReachTheirWindows)
{
    ScriptedPeer peer = Online("bob", 2);
    OpenChatWindow("bob", "");
    OpenChatWindow("bob*", "");
    peerCalls.Clear();
    peer.sendLine(Frame("chatclose", "bob"));
    peer.sendLine(Frame("conferencehost", "bob", "alice", "\xFA" "carol"));
    peer.sendLine(Frame("conferenceclose", "bob"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Calls().size() >= 5; }, 5000));
    EXPECT_EQ(Calls()[0], "ChatNotice|bob|closed|bob");
    EXPECT_EQ(Calls()[1], "ChatNotice|bob*|statusclear|carol");
    EXPECT_EQ(Calls()[2], "ChatNotice|bob*|joined|carol");
    EXPECT_EQ(Calls()[3], "ChatPersons|bob*|carol");
    EXPECT_EQ(Calls()[4], "ChatNotice|bob*|closed|bob (Host)");
}

TEST_F(PeerDispatch, RequestToSendFilePromptsKind1)
{
    ScriptedPeer peer = Online("bob", 2);
    peer.sendLine(Frame("requesttosendfile", "bob", "/home/bob/a, b.txt", "1234"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Calls().empty(); }, 5000));
    EXPECT_EQ(Calls()[0], "RequestPrompt|1|bob|/home/bob/a, b.txt|1234");
}

TEST_F(PeerDispatch, StartSendFileSendsOnlyAFileOfferedToThatBuddyAndOnlyOnce)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer carol = Online("carol", 3);
    dirs.write("share/a, b.txt", "12345");
    const std::string path = dirs.root() + "/share/a, b.txt";
    SendFileTo("bob", path);
    EXPECT_EQ(bob.readLine(), Frame("requesttosendfile", "alice", path, "5"));
    carol.sendLine(Frame("startsendfile", "carol", path, "4000"));
    bob.sendLine("\xFB" "startsendfile,bob,/etc/passwd,\"4000\"");
    ASSERT_EQ(Introduce(carol, "carol"), "\xFC");
    ASSERT_EQ(Introduce(bob, "bob"), "\xFC");
    EXPECT_TRUE(Calls().empty());
    bob.sendLine(Frame("startsendfile", "bob", path, "4000"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Calls().empty(); }, 5000));
    EXPECT_EQ(Calls()[0], "SendFileWindow|bob|" + path + "|4000|5");
    bob.sendLine(Frame("startsendfile", "bob", path, "4000"));
    ASSERT_EQ(Introduce(bob, "bob"), "\xFC");
    EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(PeerDispatch, StartSendFileReadsAnUnquotedPath)
{
    ScriptedPeer bob = Online("bob", 2);
    dirs.write("share/plain.txt", "12");
    const std::string path = dirs.root() + "/share/plain.txt";
    SendFileTo("bob", path);
    bob.readLine();
    bob.sendLine("\xFB" "startsendfile,bob," + path + ",\"4001\"");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Calls().empty(); }, 5000));
    EXPECT_EQ(Calls()[0], "SendFileWindow|bob|" + path + "|4001|2");
}

TEST_F(PeerDispatch, RejectedTellsTheUserOnlyAboutAnOfferedFile)
{
    ScriptedPeer bob = Online("bob", 2);
    bob.sendLine(Frame("rejected", "bob", "file"));
    ASSERT_EQ(Introduce(bob, "bob"), "\xFC");
    EXPECT_TRUE(dialogs::History().empty());
    dirs.write("share/x.txt", "1");
    SendFileTo("bob", dirs.root() + "/share/x.txt");
    bob.readLine();
    bob.sendLine(Frame("rejected", "bob", "file"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !dialogs::History().empty(); }, 5000));
    EXPECT_EQ(dialogs::History().back().request.text, "\rYour request to transfer a file was rejected by the recepient.");
}

TEST_F(PeerDispatch, PluginRequestNamesOnlyAnExistingPluginFolder)
{
    dirs.write("app/Plugins/chess/plugin.inf", "[plugin]\r\n");
    dirs.write("outside/plugin.inf", "[plugin]\r\n");
    std::filesystem::create_directory_symlink(dirs.root() + "/outside", dirs.appDir() + "/Plugins/linked");
    ScriptedPeer bob = Online("bob", 2);
    for (const std::string folder : { "..", "..\\..\\x", "../../windows", "chess/../..", "nothere", "/etc", "linked",
                                      "chess\\\\" })
        bob.sendLine(Frame("pluginrequest", "bob", "", folder));
    ASSERT_EQ(Introduce(bob, "bob"), "\xFC");
    EXPECT_TRUE(Calls().empty());
    bob.sendLine(Frame("pluginrequest", "bob", "", "CHESS\\"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Calls().empty(); }, 5000));
    EXPECT_EQ(Calls()[0], "RequestPrompt|2|bob|" + dirs.appDir() + "/Plugins/chess");
}

TEST_F(PeerDispatch, PluginRequestFromAStrangerStartsNothing)
{
    dirs.write("app/plugins/chess/plugin.inf", "[plugin]\r\n");
    ScriptedPeer dave = Call(4);
    dave.sendLine(Frame("inf", "dave", "", "alice"));
    dave.sendLine(Frame("pluginrequest", "dave", "", "chess\\"));
    // Closed once both were handled.
    dave.hangUp();
    ASSERT_TRUE(dave.waitClosed());
    for (const std::string& call : Calls())
        EXPECT_EQ(call.find("RequestPrompt|2"), std::string::npos) << call;
}

TEST_F(PeerDispatch, PluginPayloadGoesOnlyToARegisteredPlugin)
{
    ScriptedPeer bob = Online("bob", 2);
    PeerLists().AddPluginSocket("{927971f5-7}");
    bob.sendLine(Frame("\xF9" "{nobody}", "bob", "", "move e2e4"));
    bob.sendLine(Frame("\xF9" "{927971f5-7}", "bob", "", "move e2e4"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Calls().empty(); }, 5000));
    ASSERT_EQ(Introduce(bob, "bob"), "\xFC");
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0], "WritePluginLine|{927971f5-7}|move e2e4");

    // A joined line names the buddy whose connection carried it, by a name the name check passes.
    bob.sendLine(Frame("\xF9" "{927971f5-7}", "bob", "", "\xFA" "carol"));
    bob.sendLine(Frame("\xF9" "{927971f5-7}", "bob", "", "\xFA" "carol,\"x"));
    bob.sendLine(Frame("\xF9" "{927971f5-7}", "bob", "", "\xFA" "bob"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Calls().size() >= 2; }, 5000));
    EXPECT_EQ(Calls()[1], "WritePluginLine|{927971f5-7}|\xFA" "bob");

    // The buddy's copy closing, and the buddy going, both reach the plug-in as that buddy leaving.
    bob.sendLine(Frame("pluginclose", "bob", "", "{927971f5-7}"));
    bob.sendLine(Frame("blockme", "bob"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Calls().size() >= 4; }, 5000));
    EXPECT_EQ(Calls()[2], "WritePluginLine|{927971f5-7}|\xF9" "bob");
    EXPECT_EQ(Calls()[3], "WritePluginLine|{927971f5-7}|\xF9" "bob");
    // Hung up by the blockme: nothing later of bob's is heard.
    EXPECT_TRUE(bob.waitClosed());
    EXPECT_EQ(Calls().size(), 4u);
}
