#include "net/serversocket.h"

#include "net/bufferedcomponents.h"
#include "nettest.h"
#include "rawpeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <chrono>
#include <thread>

namespace {

struct Watched {
    Watched()
    {
        server.SetAddress("127.0.0.1");
        server.SetPort("0");
        server.OnAccept = [this](TSockCtrl*, TSocketBase*) { ++accepts; };
        server.OnReject = [this](TSockCtrl*, TSocketBase*) { ++rejects; };
        server.OnInfo = [this](TSockCtrl*, int code, TSocketBase*) { infos.push_back(code); };
    }
    int count(int code) const { return static_cast<int>(std::count(infos.begin(), infos.end(), code)); }
    TCustomBasicServerSocket server;
    int accepts { 0 };
    int rejects { 0 };
    std::vector<int> infos;
};

}  // namespace

TEST(ServerSocket, ListeningOnPortZeroShowsTheChosenPort)
{
    Watched w;
    w.server.Listen();
    EXPECT_NE(w.server.GetPortNumber(), 0);
    EXPECT_EQ(w.server.Port(), std::to_string(w.server.GetPortNumber()));
    EXPECT_EQ(w.server.GetSocket()->State(), ssListening);
    EXPECT_EQ(w.count(siListening), 1);
}

TEST(ServerSocket, ListeningByHostNameShowsTheAddressAndPortBound)
{
    TCustomBasicServerSocket server;
    server.SetAddress("localhost");
    server.SetPort("0");
    server.Listen();
    EXPECT_EQ(server.DottedAddress(), "127.0.0.1");
    EXPECT_NE(server.GetPortNumber(), 0);
    EXPECT_EQ(server.Port(), std::to_string(server.GetPortNumber()));
    RawPeer peer = RawPeer::ConnectTo(server.GetPortNumber());
    EXPECT_TRUE(peer.valid()) << "the port shown is the one listening";
}

TEST(ServerSocket, ASecondListenerOnATakenPortFails)
{
    Watched a;
    a.server.Listen();
    TCustomBasicServerSocket b;
    b.SetAddress("127.0.0.1");
    b.SetPort(a.server.Port());
    try {
        b.Listen();
        ADD_FAILURE() << "the port is taken";
    } catch (const ESockError& e) {
        EXPECT_STREQ(e.what(), "Error 10048 (Address already in use) Binding Socket");
    }
}

TEST(ServerSocket, TheSeventeenthConnectionIsRejectedAndClosed)
{
    Watched w;
    EXPECT_EQ(w.server.MaxConnections, 16);
    w.server.Listen();
    std::vector<RawPeer> peers;
    // One at a time, so the listen queue of 5 never overflows.
    for (int i = 0; i < 16; ++i) {
        peers.push_back(RawPeer::ConnectTo(w.server.GetPortNumber()));
        ASSERT_TRUE(WaitFor([&] { return w.accepts == i + 1; }));
    }
    RawPeer extra = RawPeer::ConnectTo(w.server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return w.rejects == 1; }));
    EXPECT_EQ(w.count(siReject), 1);
    EXPECT_TRUE(extra.waitClosed(5000)) << "the refused peer is closed";
    EXPECT_TRUE(WaitFor([&] { return w.server.Sockets().Count() == 16; }));
    EXPECT_EQ(w.accepts, 16);
    peers[0].close();
    ASSERT_TRUE(WaitFor([&] { return w.server.Sockets().Count() == 15; }));
    RawPeer again = RawPeer::ConnectTo(w.server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return w.accepts == 17; })) << "a freed place can be taken again";
}

TEST(ServerSocket, AServerMayBeFreedByItsOwnLineHandler)
{
    auto server = std::make_unique<TTextServer>();
    server->SetAddress("127.0.0.1");
    server->SetPort("0");
    int lines = 0;
    server->OnLineReceived = [&](TLineSocketBase*, const std::string&, bool) {
        ++lines;
        server.reset();
    };
    server->Listen();
    RawPeer peer = RawPeer::ConnectTo(server->GetPortNumber());
    peer.sendAll("one\r\ntwo\r\n");
    ASSERT_TRUE(WaitFor([&] { return server == nullptr; }));
    ASSERT_TRUE(HandledWhatWasPosted());
    EXPECT_EQ(lines, 1) << "nothing is delivered for a server that is gone";
    EXPECT_TRUE(peer.waitClosed(5000));
}

TEST(ServerSocket, AnEmptyDenyListAcceptsAndAnEmptyAcceptListRefuses)
{
    Watched deny;
    deny.server.Listen();
    RawPeer a = RawPeer::ConnectTo(deny.server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return deny.accepts == 1; }));

    Watched only;
    only.server.Restriction = hrAccept;
    only.server.Listen();
    RawPeer b = RawPeer::ConnectTo(only.server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return only.rejects == 1; }));
    EXPECT_EQ(only.accepts, 0);
}

TEST(ServerSocket, AnAcceptListLetsItsHostsIn)
{
    Watched w;
    w.server.Restriction = hrAccept;
    w.server.SetRestrictedHosts({ "10.*", "127.0.*" });
    w.server.Listen();
    RawPeer a = RawPeer::ConnectTo(w.server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return w.accepts == 1; }));
    EXPECT_EQ(w.rejects, 0);
}

TEST(ServerSocket, ADenyListKeepsItsHostsOut)
{
    Watched w;
    w.server.SetRestrictedHosts({ "127" });
    w.server.Listen();
    RawPeer a = RawPeer::ConnectTo(w.server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return w.rejects == 1; }));
    EXPECT_TRUE(a.waitClosed(5000));
}

TEST(ServerSocket, AddressPatternsMatchByComponentAndPrefix)
{
    TCustomBasicServerSocket s;
    s.SetRestrictedHosts({ "192.168.*" });
    EXPECT_TRUE(s.HostAllowed("192.168.4.7"));
    EXPECT_FALSE(s.HostAllowed("192.169.4.7"));
    s.SetRestrictedHosts({ "10.1" });
    EXPECT_TRUE(s.HostAllowed("10.1.200.3"));
    EXPECT_FALSE(s.HostAllowed("10.10.0.1"));
    s.SetRestrictedHosts({ "*" });
    EXPECT_TRUE(s.HostAllowed("8.8.8.8"));
    s.SetRestrictedHosts({});
    EXPECT_FALSE(s.HostAllowed("127.0.0.1"));
    s.SetRestrictedHosts({ "" });
    EXPECT_FALSE(s.HostAllowed("127.0.0.1")) << "a blank entry matches nothing";
}

TEST(ServerSocket, HostNamePatternsMatchTheReverseName)
{
    TCustomBasicServerSocket s;
    s.SetRestrictedHosts({ "localhost" });
    EXPECT_TRUE(s.HostAllowed("127.0.0.1"));
    s.SetRestrictedHosts({ "otherhost" });
    EXPECT_FALSE(s.HostAllowed("127.0.0.1"));
}

TEST(ServerSocket, AHostNamePatternWhoseLookupFailsMatchesNothing)
{
    TCustomBasicServerSocket s;
    s.SetRestrictedHosts({ "somehost", "127.0.0.9" });
    EXPECT_FALSE(s.HostAllowed("127.0.0.2"));
}

TEST(ServerSocket, OnlyPeersWithAReverseNameWhenAsked)
{
    Watched w;
    w.server.AllowOnlyIfReverseDNS = true;
    w.server.Listen();
    RawPeer a = RawPeer::ConnectTo(w.server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return w.accepts + w.rejects == 1; }));
    EXPECT_EQ(w.accepts, 1) << "127.0.0.1 is localhost";
}

TEST(ServerSocket, AnAcceptedSocketThatIsGoneIsNotWrittenTo)
{
    TTextServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    TSocketRef<TLineSocketBase> kept;
    int disconnects = 0;
    server.OnAccept = [&](TSockCtrl*, TSocketBase* s) { kept = TSocketRef<TLineSocketBase>(dynamic_cast<TLineSocketBase*>(s)); };
    server.OnDisconnect = [&](TSockCtrl*, TSocketBase*) { ++disconnects; };
    server.Listen();
    RawPeer peer = RawPeer::ConnectTo(server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return static_cast<bool>(kept); }));
    ASSERT_TRUE(kept.Lock()->WriteLine("first"));
    EXPECT_EQ(peer.receiveExactly(7, 5000), "first\r\n");
    peer.close();
    ASSERT_TRUE(WaitFor([&] { return disconnects == 1; }));
    ASSERT_TRUE(WaitFor([&] { return !kept; })) << "freed on its closing message";
    bool wrote = false;
    if (auto socket = kept.Lock())
        wrote = socket->WriteLine("late");
    EXPECT_FALSE(wrote);
}

TEST(ServerSocket, NotificationsOfOneConnectionSurviveAnotherClosing)
{
    TTextServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    std::vector<std::string> lines;
    int accepts = 0;
    server.OnAccept = [&](TSockCtrl*, TSocketBase*) { ++accepts; };
    server.OnLineReceived = [&](TLineSocketBase*, const std::string& line, bool) { lines.push_back(line); };
    server.Listen();
    RawPeer a = RawPeer::ConnectTo(server.GetPortNumber());
    RawPeer b = RawPeer::ConnectTo(server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return accepts == 2; }));
    // Both speak while a lookup holds notifications back; then a hangs up.
    winsock::SetLookupHook([&](const std::string&) {
        b.sendAll("from b\r\n");
        a.close();
        for (int i = 0; i < 500 && DeferredEventCount() < 2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    server.ResolveHostAddress("localhost");
    winsock::SetLookupHook(nullptr);
    ASSERT_TRUE(WaitFor([&] { return lines.size() == 1; }));
    EXPECT_EQ(lines[0], "from b");
}

TEST(ServerSocket, AConnectionResetBeforeItIsAcceptedIsDroppedUnseen)
{
    TTextServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    std::vector<TSocketBase*> accepted;
    std::vector<TSocketBase*> ended;
    int rejects = 0;
    server.OnAccept = [&](TSockCtrl*, TSocketBase* s) { accepted.push_back(s); };
    server.OnReject = [&](TSockCtrl*, TSocketBase*) { ++rejects; };
    server.OnDisconnect = [&](TSockCtrl*, TSocketBase* s) { ended.push_back(s); };
    server.Listen();
    // Reset while it still waits in the listen queue: no event has run yet.
    RawPeer gone = RawPeer::ConnectTo(server.GetPortNumber());
    gone.reset();
    RawPeer kept = RawPeer::ConnectTo(server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return accepted.size() == 1; }));
    EXPECT_EQ(server.Sockets().Count(), 1) << "the reset connection is not kept";
    kept.close();
    ASSERT_TRUE(WaitFor([&] { return server.Sockets().Count() == 0; }));
    EXPECT_EQ(rejects, 0);
    EXPECT_EQ(accepted.size(), 1u) << "the reset connection is never announced";
    EXPECT_EQ(ended, accepted) << "only the connection that was accepted ends";
}

TEST(ServerSocket, AFailureAfterThePeerResetNamesThePeersAddress)
{
    TTextServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    RawPeer peer;
    bool failed = false;
    server.OnLineReceived = [&](TLineSocketBase* socket, const std::string&, bool) {
        // The peer resets while its line is handled; the handler then fails.
        peer.reset();
        for (int i = 0; i < 500; ++i) {
            try {
                socket->GetPeerAddress();
            } catch (const ESockError&) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        failed = true;
        throw ESockError("the handler gave up");
    };
    server.Listen();
    peer = RawPeer::ConnectTo(server.GetPortNumber());
    ASSERT_TRUE(peer.sendAll("line\r\n"));
    testing::internal::CaptureStderr();
    const bool seen = WaitFor([&] { return failed; });
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(seen);
    EXPECT_NE(log.find("(127.0.0.1): the handler gave up"), std::string::npos) << log;
}
