#include "net/sockctrl.h"

#include "net/bufferedcomponents.h"
#include "nettest.h"
#include "rawpeer.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

// A text server with one raw peer connected, recording its lines.
struct LineServer {
    LineServer()
    {
        server.SetAddress("127.0.0.1");
        server.SetPort("0");
        server.OnAccept = [this](TSockCtrl*, TSocketBase*) { ++accepts; };
        server.OnLineReceived = [this](TLineSocketBase*, const std::string& line, bool) { lines.push_back(line); };
        server.Listen();
        peer = RawPeer::ConnectTo(server.GetPortNumber());
        WaitFor([&] { return accepts == 1; });
    }
    TTextServer server;
    RawPeer peer;
    int accepts { 0 };
    std::vector<std::string> lines;
};

// Clears the lookup hook whatever the test's outcome.
struct HookGuard {
    ~HookGuard() { winsock::SetLookupHook(nullptr); }
};

// Runs a call on the loop, the way a timer or a user's click would come in during a wait.
struct Later {
    explicit Later(std::function<void()> call) : m_call(std::move(call))
    {
        wnd = AllocateHWnd([this](TMessage&) { m_call(); });
    }
    ~Later() { DeallocateHWnd(wnd); }
    void post() { PostMessage(wnd, WM_USER, 0, 0); }
    HWND wnd { 0 };

private:
    std::function<void()> m_call;
};

}  // namespace

TEST(SockCtrl, APortNumberNoPortHasIsRefused)
{
    TCustomClientSocket client;
    client.SetPort("8096");
    for (const char* bad : { "99999", "65536", "-5" }) {
        try {
            client.SetPort(bad);
            ADD_FAILURE() << bad;
        } catch (const ESockError& error) {
            EXPECT_STREQ(error.what(), "Invalid argument") << bad;
        }
        EXPECT_EQ(client.Port(), "8096") << bad;
        EXPECT_EQ(client.GetPortNumber(), 8096) << bad;
    }
    client.SetPort("65535");
    EXPECT_EQ(client.GetPortNumber(), 65535);
}

TEST(SockCtrl, LookupsResolveNamesAndAddresses)
{
    TCustomClientSocket c;
    EXPECT_EQ(c.ResolveHostAddressText("localhost"), "127.0.0.1");
    EXPECT_EQ(c.ResolveAddressHostName("127.0.0.1"), "localhost");
    EXPECT_EQ(c.LookupServicePort("pop3"), 110);
    EXPECT_EQ(c.LookupServiceName(110), "pop3");
    EXPECT_EQ(c.LookupServiceName(8096), "");
}

TEST(SockCtrl, AFailedHostLookupRaisesWithItsContext)
{
    TCustomClientSocket c;
    try {
        c.ResolveHostAddress("no-such-host.invalid");
        ADD_FAILURE() << "the lookup must fail";
    } catch (const ESockError& e) {
        EXPECT_NE(std::string(e.what()).find("finding address for host"), std::string::npos) << e.what();
    }
    try {
        c.ResolveAddressHostName("0.0.0.0");
        ADD_FAILURE() << "the reverse lookup of 0.0.0.0 must be refused";
    } catch (const ESockError& e) {
        EXPECT_STREQ(e.what(), "Can't do reverse lookup on address 0.0.0.0");
    }
}

TEST(SockCtrl, ANotificationDuringALookupIsDeliveredAfterIt)
{
    LineServer s;
    bool queued = false;
    HookGuard guard;  // after what the hook uses, so it goes first
    winsock::SetLookupHook([&](const std::string&) {
        s.peer.sendAll("hello\r\n");
        queued = Await([] { return DeferredEventCount() > 0; });
    });
    TCustomClientSocket other;
    other.ResolveHostAddress("localhost");
    EXPECT_TRUE(queued) << "the read notification was held back";
    EXPECT_TRUE(s.lines.empty()) << "no handler ran inside the wait";
    ASSERT_TRUE(WaitFor([&] { return s.lines.size() == 1; }));
    EXPECT_EQ(s.lines[0], "hello");
    EXPECT_EQ(DeferredEventCount(), 0u);
}

TEST(SockCtrl, ANestedWaitDoesNotReleaseWhatTheOuterOneHolds)
{
    LineServer s;
    TCustomClientSocket outer;
    TCustomClientSocket inner;
    std::atomic<bool> innerDone { false };
    std::size_t linesAfterInner = 99;
    Later nested([&] {
        inner.ResolveHostAddress("127.0.0.1");
        linesAfterInner = s.lines.size();
        innerDone = true;
    });
    std::atomic<bool> behind { false };
    Later barrier([&] { behind = true; });
    HookGuard guard;  // after what the hook uses, so it goes first
    winsock::SetLookupHook([&](const std::string& query) {
        if (query != "localhost")
            return;
        s.peer.sendAll("held\r\n");
        Await([] { return DeferredEventCount() > 0; });
        PostMessage(nested.wnd, WM_USER, 0, 0);
        Await([&] { return innerDone.load(); });
        // Queued behind anything the inner wait let go: once it has run, so has that.
        barrier.post();
        Await([&] { return behind.load(); });
    });
    outer.ResolveHostAddress("localhost");
    EXPECT_TRUE(innerDone);
    ASSERT_TRUE(behind);
    EXPECT_EQ(linesAfterInner, 0u);
    EXPECT_TRUE(s.lines.empty()) << "still held when the outer wait ended";
    ASSERT_TRUE(WaitFor([&] { return s.lines.size() == 1; }));
}

// A client component that a handler run during its next lookup frees.
struct FreedDuringLookup {
    FreedDuringLookup()
    {
        winsock::SetLookupHook([this](const std::string&) {
            destroy.post();
            Await([this] { return gone.load(); });
        });
    }

    std::unique_ptr<TCustomClientSocket> client { std::make_unique<TCustomClientSocket>() };
    TCustomClientSocket* const raw { client.get() };
    std::atomic<bool> gone { false };
    Later destroy { [this] {
        client.reset();
        gone = true;
    } };
    HookGuard guard;  // after what the hook uses, so it goes first
};

TEST(SockCtrl, ALookupWhoseComponentGoesFailsInsteadOfReadingNothing)
{
    TCustomClientSocket keepSocketsStarted;
    FreedDuringLookup lookup;
    try {
        lookup.raw->ResolveHostAddress("localhost");
        ADD_FAILURE() << "an aborted lookup must fail";
    } catch (const ESockError& e) {
        EXPECT_STREQ(e.what(), "Interrupted system call");
    }
    EXPECT_EQ(lookup.client, nullptr);
}

TEST(SockCtrl, AServiceLookupWhoseComponentGoesFailsWithoutTouchingIt)
{
    TCustomClientSocket keepSocketsStarted;
    for (const char* port : { "pop3", "110" }) {
        FreedDuringLookup lookup;
        EXPECT_THROW(lookup.raw->SetPort(port), ESockError) << port;
        EXPECT_EQ(lookup.client, nullptr);
    }
}

TEST(SockCtrl, ClosingDuringTheConnectLookupAbortsIt)
{
    TTextClient client;
    client.SetAddress("localhost");
    client.SetPort("1");
    Later close([&] { client.Close(); });
    std::atomic<bool> closed { false };
    client.OnInfo = [&](TSockCtrl*, int code, TSocketBase*) {
        if (code == siClosed)
            closed = true;
    };
    HookGuard guard;  // after what the hook uses, so it goes first
    winsock::SetLookupHook([&](const std::string&) {
        close.post();
        Await([&] { return closed.load(); });
    });
    try {
        client.Open();
        ADD_FAILURE() << "the connect must not go on";
    } catch (const ESockError& e) {
        EXPECT_STREQ(e.what(), "Error 10004 (Interrupted system call) finding address for host");
    }
    EXPECT_FALSE(client.Connected());
}

TEST(SockCtrl, ALookupThatTakesTooLongTimesOut)
{
    TCustomClientSocket client;
    std::atomic<bool> timedOut { false };
    client.SetTimeOut(1);
    client.OnTimeOut = [&](TSockCtrl*, TSocketBase*) { timedOut = true; };
    HookGuard guard;  // after what the hook uses, so it goes first
    winsock::SetLookupHook([&](const std::string&) { Await([&] { return timedOut.load(); }); });
    try {
        client.ResolveHostAddress("localhost");
        ADD_FAILURE() << "the lookup must time out";
    } catch (const ESockError& e) {
        EXPECT_STREQ(e.what(), "Error 10060 (Connection timed out) finding address for host");
    }
    EXPECT_TRUE(client.TimedOut());
    EXPECT_FALSE(client.Timing());
}

TEST(SockCtrl, ATimeOutTickSurvivesHandlersThatFreeComponents)
{
    std::vector<std::unique_ptr<TCustomClientSocket>> clients;
    int fired = 0;
    for (int i = 0; i < 3; ++i) {
        auto c = std::make_unique<TCustomClientSocket>();
        c->SetTimeOut(1);
        c->OnTimeOut = [&](TSockCtrl*, TSocketBase*) {
            ++fired;
            clients.clear();  // the first to fire frees every one, itself included
        };
        c->StartTimeOut();
        clients.push_back(std::move(c));
    }
    // The wait sees the count only once the tick has run to its end; with every component
    // gone the clock has stopped, so no later tick can come.
    ASSERT_TRUE(WaitFor([&] { return fired > 0; }));
    EXPECT_EQ(fired, 1);
}

TEST(SockCtrl, AnUnknownHandleAtTheServerIsReportedWithoutSocket)
{
    TTextServer server;
    std::vector<int> infos;
    bool nullSocket = false;
    server.OnInfo = [&](TSockCtrl*, int code, TSocketBase* s) {
        infos.push_back(code);
        nullSocket = s == nullptr;
    };
    PostMessage(server.Window(), WM_SOCKET_SELECT, 424242, winsock::WSAMAKESELECTREPLY(winsock::FD_READ, 0));
    ASSERT_TRUE(WaitFor([&] { return !infos.empty(); }));
    EXPECT_EQ(infos[0], siNoSuchSocket);
    EXPECT_TRUE(nullSocket);
}

TEST(SockCtrl, InfoCodesHaveTheirTexts)
{
    EXPECT_EQ(SocketInfoText(siLookUp), "Looking-up a host name");
    EXPECT_EQ(SocketInfoText(siNoSuchSocket), "Error: No such socket");
    EXPECT_EQ(SocketInfoText(siDisconnected), "Disconnected");
    EXPECT_EQ(SocketInfoText(13), "");
}

TEST(SockCtrl, WithoutASocketClassNothingIsMade)
{
    TCustomClientSocket c;
    c.SetSocketClass(nullptr);
    try {
        c.GetSocket();
        ADD_FAILURE() << "no class, no socket";
    } catch (const ESockError& e) {
        EXPECT_STREQ(e.what(), "No Socket Class Defined");
    }
}
