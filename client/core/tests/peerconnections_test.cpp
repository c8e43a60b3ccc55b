#include "client/core/peerconnections.h"

#include "peersessiontest.h"

namespace {

class PeerConnections : public PeerSessionTest {};

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
    ScriptedPeer second = Online("bob", 5);
    first = ScriptedPeer();
    Settle();
    EXPECT_TRUE(Buddy("bob").Online);
    EXPECT_EQ(Buddy("bob").PeerAddress, LoopbackHost(5));
    second = ScriptedPeer();
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !Buddy("bob").Online; }, 5000));
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
