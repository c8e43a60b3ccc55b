#include "client/core/peerconnections.h"

#include "peersessiontest.h"

namespace {

class PeerConnections : public PeerSessionTest {};

// The wait for a caller's introduction, for one test.
struct IntroductionTime {
    explicit IntroductionTime(const char* ms) { setenv("KORVO_INTRODUCTION_MS", ms, 1); }
    ~IntroductionTime() { unsetenv("KORVO_INTRODUCTION_MS"); }
};

}  // namespace

TEST_F(PeerConnections, ALinePastTheBufferClosesThatConnectionAndTheOthersLive)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer carol = Online("carol", 3);
    bob.send(std::string(5000, 'x'));
    EXPECT_TRUE(bob.waitClosed());
    EXPECT_FALSE(Buddy("bob").Online);
    carol.sendLine(Frame("away", "carol", "", "fine"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("carol").Away; }, 5000));
}

TEST_F(PeerConnections, AnOlderConnectionClosingLeavesTheBuddyOnline)
{
    ScriptedPeer first = Online("bob", 2);
    ScriptedPeer second = Online("bob", 2);
    first.hangUp();
    ASSERT_TRUE(first.waitClosed());
    EXPECT_TRUE(Buddy("bob").Online);
    second.sendLine(Frame("away", "bob", "", "still here"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("bob").Away; }, 5000));
    second = ScriptedPeer();
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Buddy("bob").Online; }, 5000));
}

TEST_F(PeerConnections, ACallerThatNeverIntroducesItselfIsHungUp)
{
    IntroductionTime shortWait("1000");
    ScriptedPeer silent = Call(4);
    ScriptedPeer refused = Call(4);
    refused.sendLine(Frame("inf", "mallory", "", "alice"));
    EXPECT_EQ(refused.readLine(), "\xFE");
    ScriptedPeer bob = Online("bob", 2);
    EXPECT_TRUE(silent.waitClosed());
    EXPECT_TRUE(refused.waitClosed());
    // An introduced buddy stays.
    bob.sendLine(Frame("away", "bob", "", "here"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("bob").Away; }, 5000));
}

TEST_F(PeerConnections, OneAddressKeepsAtMostFourCallersWaitingToIntroduceThemselves)
{
    std::vector<ScriptedPeer> waiting;
    for (int i = 0; i < 4; ++i)
        waiting.push_back(Call(4));
    ScriptedPeer fifth = Call(4);
    EXPECT_TRUE(fifth.waitClosed());
    // The four are still heard, and another address is not held up.
    waiting[3].sendLine(Frame("inf", "mallory", "", "alice"));
    EXPECT_EQ(waiting[3].readLine(), "\xFE");
    ScriptedPeer carol = Online("carol", 3);
    // One that is answered makes room for the next; bob is not where this caller is.
    waiting[0].sendLine(Frame("inf", "bob", "", "alice"));
    EXPECT_EQ(waiting[0].readLine(), "\xFE");
    EXPECT_TRUE(waiting[0].waitClosed());
    EXPECT_FALSE(Buddy("bob").Online);
    ScriptedPeer next = Call(4);
    next.sendLine(Frame("inf", "mallory", "", "alice"));
    EXPECT_EQ(next.readLine(), "\xFE");
}

TEST_F(PeerConnections, CallingABuddySendsInfAndItsAnswerSetsThePresence)
{
    ScriptedListener bobsHost(LoopbackHost(2), kPeerPort);
    ASSERT_TRUE(bobsHost.valid());
    ConnectToBuddy("bob", LoopbackHost(2));
    EXPECT_TRUE(Buddy("bob").Connecting);
    ScriptedPeer bob = bobsHost.accept();
    ASSERT_TRUE(bob.valid());
    EXPECT_EQ(bob.readLine(), Frame("inf", "alice", "alice@example.org", "bob"));
    bob.sendLine("\xFC");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("bob").Online; }, 5000));
    EXPECT_FALSE(Buddy("bob").Connecting);
    bob.sendLine(Frame("away", "carol", "", "spoofed"));
    bob.sendLine("\xFE");
    EXPECT_TRUE(bob.waitClosed());
    EXPECT_FALSE(Buddy("bob").Online);
    EXPECT_FALSE(Buddy("carol").Away);
}

TEST_F(PeerConnections, DirectBuddiesAreCalledAtTheirFixedAddress)
{
    dirs.write("windows/my friends/alice/carol.cnt", "[Friend]\r\nUserID=carol\r\nDirectConnect=" + LoopbackHost(3) + "\r\n");
    LoadBuddyFiles(true);
    ScriptedListener carolsHost(LoopbackHost(3), kPeerPort);
    ConnectDirectBuddies();
    ScriptedPeer carol = carolsHost.accept();
    ASSERT_TRUE(carol.valid());
    EXPECT_EQ(carol.readLine(), Frame("inf", "alice", "alice@example.org", "carol"));
    EXPECT_FALSE(Buddy("bob").Connecting);
}

TEST_F(PeerConnections, AServerDisconnectTakesTheBuddyOffline)
{
    ScriptedPeer peer = Online("bob", 2);
    peer = ScriptedPeer();
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Buddy("bob").Online; }, 5000));
    EXPECT_TRUE(Contains(Cnt("bob"), "online=0"));
}

TEST_F(PeerConnections, APortAlreadyTakenLeavesTheSessionWithoutTheServer)
{
    StopPeerNetwork();
    ScriptedListener other(LoopbackHost(6), kPeerPort);
    ASSERT_TRUE(other.valid());
    setenv("KORVO_LOCAL_ADDRESS", LoopbackHost(6).c_str(), 1);
    StartPeerNetwork();
    EXPECT_FALSE(PeerNetwork()->Listening());
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_NE(dialogs::History()[0].request.text.find("8096"), std::string::npos);
    // The session goes on: buddies can still be called.
    ScriptedListener bobsHost(LoopbackHost(2), kPeerPort);
    ConnectToBuddy("bob", LoopbackHost(2));
    EXPECT_TRUE(bobsHost.accept().valid());
}
