#include "platform/win/winsock.h"

#include "nettest.h"
#include "rawpeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

using namespace winsock;

namespace {

constexpr UINT kSelect = WM_USER + 1;
constexpr UINT kLookup = WM_USER + 2;

struct Note {
    SOCKET socket;
    int event;
    int error;
};

// A window that records select notifications.
class Recorder {
public:
    Recorder()
    {
        wnd = AllocateHWnd([this](TMessage& m) {
            if (m.Msg == kSelect)
                notes.push_back({ static_cast<SOCKET>(m.WParam), WSAGETSELECTEVENT(m.LParam), WSAGETSELECTERROR(m.LParam) });
            if (m.Msg == kLookup) {
                lookupTask = m.WParam;
                lookupError = WSAGETASYNCERROR(m.LParam);
                answers.push_back(m.WParam);
            }
        });
        WSAData data;
        WSAStartup(0x0101, &data);
    }
    ~Recorder()
    {
        DeallocateHWnd(wnd);
        WSACleanup();
    }
    int count(int event) const
    {
        int n = 0;
        for (const auto& note : notes)
            n += note.event == event;
        return n;
    }
    bool answered(HANDLE task) const { return std::find(answers.begin(), answers.end(), task) != answers.end(); }
    const Note* last(int event) const
    {
        for (auto it = notes.rbegin(); it != notes.rend(); ++it)
            if (it->event == event)
                return &*it;
        return nullptr;
    }
    HWND wnd { 0 };
    std::vector<Note> notes;
    HANDLE lookupTask { 0 };
    int lookupError { -1 };
    std::vector<HANDLE> answers;
};

sockaddr_in Loopback(std::uint16_t port)
{
    sockaddr_in sa {};
    sa.sin_family = WS_AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = inet_addr("127.0.0.1");
    return sa;
}

SOCKET ConnectAsync(Recorder& r, std::uint16_t port, long events)
{
    SOCKET s = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
    WSAAsyncSelect(s, r.wnd, kSelect, events);
    sockaddr_in sa = Loopback(port);
    const int rc = connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    EXPECT_EQ(rc, SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK) << "a non-blocking connect completes by message";
    return s;
}

// True once whatever the watcher was to post by now has been handled. A byte on a
// connection of its own is noticed only after the one before it was taken, so the third
// comes in a round of the watcher begun after this call, queued behind all it posted before.
bool WatcherCaughtUp()
{
    Recorder r;
    RawListener listener;
    const SOCKET s = ConnectAsync(r, listener.port(), FD_READ | FD_CONNECT);
    RawPeer peer = listener.accept(5000);
    bool answered = WaitFor([&] { return r.count(FD_CONNECT) > 0; });
    for (int round = 1; answered && round <= 3; ++round) {
        char byte;
        answered = peer.sendAll(".") && WaitFor([&] { return r.count(FD_READ) == round; }) && recv(s, &byte, 1, 0) == 1;
    }
    closesocket(s);
    return answered;
}

}  // namespace

TEST(WinsockStandIn, HandlesAreNeverReused)
{
    Recorder r;
    SOCKET first = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
    ASSERT_NE(first, INVALID_SOCKET);
    closesocket(first);
    SOCKET second = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(closesocket(first), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    closesocket(second);
}

TEST(WinsockStandIn, WithoutStartupSocketsAreRefused)
{
    EXPECT_EQ(socket(WS_AF_INET, WS_SOCK_STREAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST(WinsockStandIn, ConnectPostsConnectThenWriteOnce)
{
    Recorder r;
    RawListener listener;
    SOCKET s = ConnectAsync(r, listener.port(), FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_WRITE) > 0; }));
    ASSERT_TRUE(WatcherCaughtUp());
    ASSERT_GE(r.notes.size(), 2u);
    EXPECT_EQ(r.notes[0].event, FD_CONNECT);
    EXPECT_EQ(r.notes[0].error, 0);
    EXPECT_EQ(r.notes[0].socket, s);
    EXPECT_EQ(r.count(FD_WRITE), 1) << "FD_WRITE comes once, not while the socket stays writable";
    closesocket(s);
}

TEST(WinsockStandIn, ARefusedConnectReports10061)
{
    Recorder r;
    SOCKET s = ConnectAsync(r, UnusedPort(), FD_CONNECT | FD_CLOSE);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_CONNECT) > 0; }));
    EXPECT_EQ(r.last(FD_CONNECT)->error, WSAECONNREFUSED);
    ASSERT_TRUE(WatcherCaughtUp());
    EXPECT_EQ(r.count(FD_CLOSE), 0);
    closesocket(s);
}

TEST(WinsockStandIn, ReadIsPostedOnceUntilRecvAndAgainWhileDataRemains)
{
    Recorder r;
    RawListener listener;
    SOCKET s = ConnectAsync(r, listener.port(), FD_READ | FD_CONNECT | FD_CLOSE);
    RawPeer peer = listener.accept(5000);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_CONNECT) > 0; }));
    ASSERT_TRUE(peer.sendAll("abcdef"));
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_READ) > 0; }));
    ASSERT_TRUE(peer.sendAll("ghi"));
    ASSERT_TRUE(WatcherCaughtUp());
    EXPECT_EQ(r.count(FD_READ), 1) << "no second FD_READ before recv";
    char buf[16];
    EXPECT_EQ(recv(s, buf, 4, 0), 4);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_READ) == 2; }));
    EXPECT_EQ(recv(s, buf, sizeof buf, 0), 5);
    EXPECT_EQ(std::string(buf, 5), "efghi");
    ASSERT_TRUE(WatcherCaughtUp());
    EXPECT_EQ(r.count(FD_READ), 2) << "nothing left, nothing posted";
    EXPECT_EQ(recv(s, buf, sizeof buf, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    closesocket(s);
}

TEST(WinsockStandIn, AnOrderlyEndIsOneCloseAfterTheData)
{
    Recorder r;
    RawListener listener;
    SOCKET s = ConnectAsync(r, listener.port(), FD_READ | FD_CONNECT | FD_CLOSE);
    RawPeer peer = listener.accept(5000);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_CONNECT) > 0; }));
    peer.sendAll("bye");
    peer.close();
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_READ) > 0; }));
    ASSERT_TRUE(WatcherCaughtUp());
    EXPECT_EQ(r.count(FD_CLOSE), 0) << "the end waits until the data is read";
    char buf[8];
    EXPECT_EQ(recv(s, buf, sizeof buf, 0), 3);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_CLOSE) > 0; }));
    ASSERT_TRUE(WatcherCaughtUp());
    EXPECT_EQ(r.count(FD_CLOSE), 1);
    EXPECT_EQ(r.last(FD_CLOSE)->error, 0);
    closesocket(s);
}

TEST(WinsockStandIn, AResetFromThePeerCloses10054)
{
    Recorder r;
    RawListener listener;
    SOCKET s = ConnectAsync(r, listener.port(), FD_READ | FD_CONNECT | FD_CLOSE);
    RawPeer peer = listener.accept(5000);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_CONNECT) > 0; }));
    peer.reset();
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_CLOSE) > 0; }));
    EXPECT_EQ(r.last(FD_CLOSE)->error, WSAECONNRESET);
    char buf[4];
    EXPECT_LE(send(s, buf, 4, 0), 4) << "a send after a reset raises no signal";
    closesocket(s);
}

TEST(WinsockStandIn, WriteComesAgainOnlyAfterASendWouldBlock)
{
    Recorder r;
    RawListener listener;
    SOCKET s = ConnectAsync(r, listener.port(), FD_WRITE | FD_CONNECT | FD_CLOSE);
    RawPeer peer = listener.accept(5000);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_WRITE) == 1; }));
    std::string block(65536, 'x');
    std::size_t sent = 0;
    for (int i = 0; i < 10000; ++i) {
        const int n = send(s, block.data(), static_cast<int>(block.size()), 0);
        if (n == SOCKET_ERROR)
            break;
        sent += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    ASSERT_TRUE(WatcherCaughtUp());
    EXPECT_EQ(r.count(FD_WRITE), 1);
    EXPECT_EQ(peer.receiveExactly(sent, 10000).size(), sent);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_WRITE) == 2; }));
    closesocket(s);
}

TEST(WinsockStandIn, AcceptIsPostedOnceUntilAccepted)
{
    Recorder r;
    SOCKET l = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
    sockaddr_in sa = Loopback(0);
    ASSERT_EQ(bind(l, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    WSAAsyncSelect(l, r.wnd, kSelect, FD_ACCEPT);
    ASSERT_EQ(listen(l, 5), 0);
    int len = sizeof sa;
    getsockname(l, reinterpret_cast<sockaddr*>(&sa), &len);
    RawPeer a = RawPeer::ConnectTo(ntohs(sa.sin_port));
    RawPeer b = RawPeer::ConnectTo(ntohs(sa.sin_port));
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_ACCEPT) > 0; }));
    ASSERT_TRUE(WatcherCaughtUp());
    EXPECT_EQ(r.count(FD_ACCEPT), 1);
    SOCKET first = accept(l, nullptr, nullptr);
    EXPECT_NE(first, INVALID_SOCKET);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_ACCEPT) == 2; })) << "the second waiting connection";
    closesocket(first);
    closesocket(l);
}

TEST(WinsockStandIn, ListenersRebindAPortInTimeWait)
{
    Recorder r;
    SOCKET l = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
    sockaddr_in sa = Loopback(0);
    bind(l, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    listen(l, 5);
    int len = sizeof sa;
    getsockname(l, reinterpret_cast<sockaddr*>(&sa), &len);
    {
        RawPeer peer = RawPeer::ConnectTo(ntohs(sa.sin_port));
        SOCKET c = INVALID_SOCKET;
        WaitFor([&] {
            c = accept(l, nullptr, nullptr);
            return c != INVALID_SOCKET;
        });
        closesocket(c);  // this side closes first, so the port lingers in TIME_WAIT
        peer.waitClosed(2000);
    }
    closesocket(l);
    SOCKET again = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
    EXPECT_EQ(bind(again, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    EXPECT_EQ(listen(again, 5), 0);
    closesocket(again);
}

TEST(WinsockStandIn, AClosedListenerFreesItsPortAtOnceEvenWhileWatched)
{
    // A session that ends and starts again listens on the same port straight away.
    Recorder r;
    sockaddr_in sa = Loopback(0);
    for (int round = 0; round < 100; ++round) {
        SOCKET l = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
        ASSERT_EQ(bind(l, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0) << "round " << round;
        WSAAsyncSelect(l, r.wnd, kSelect, FD_ACCEPT);
        ASSERT_EQ(listen(l, 5), 0);
        int len = sizeof sa;
        getsockname(l, reinterpret_cast<sockaddr*>(&sa), &len);
        // Long enough for the watcher to be waiting on it.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        closesocket(l);
    }
}

TEST(WinsockStandIn, LookupsAnswerByMessageAndFailWithHostCodes)
{
    Recorder r;
    std::vector<char> buf(MAXGETHOSTSTRUCT);
    HANDLE task = WSAAsyncGetHostByName(r.wnd, kLookup, "localhost", buf.data(), static_cast<int>(buf.size()));
    ASSERT_NE(task, 0u);
    ASSERT_TRUE(WaitFor([&] { return r.lookupTask == task; }));
    EXPECT_EQ(r.lookupError, 0);
    auto* host = reinterpret_cast<hostent*>(buf.data());
    winsock::u_long address = 0;
    std::memcpy(&address, host->h_addr_list[0], 4);
    EXPECT_EQ(address, inet_addr("127.0.0.1"));

    task = WSAAsyncGetHostByName(r.wnd, kLookup, "no-such-host.invalid", buf.data(), static_cast<int>(buf.size()));
    ASSERT_TRUE(WaitFor([&] { return r.lookupTask == task; }));
    EXPECT_GE(r.lookupError, WSAHOST_NOT_FOUND);
    EXPECT_LE(r.lookupError, WSANO_DATA);

    const winsock::u_long loop = inet_addr("127.0.0.1");
    task = WSAAsyncGetHostByAddr(r.wnd, kLookup, reinterpret_cast<const char*>(&loop), 4, WS_AF_INET, buf.data(), static_cast<int>(buf.size()));
    ASSERT_TRUE(WaitFor([&] { return r.lookupTask == task; }));
    EXPECT_EQ(r.lookupError, 0);
    EXPECT_STREQ(host->h_name, "localhost");
}

TEST(WinsockStandIn, ACancelledLookupNeverWritesItsBuffer)
{
    Recorder r;
    std::atomic<bool> release { false };
    std::atomic<std::thread::id> cancelledOn {};
    std::atomic<bool> landed { false };
    std::atomic<int> held { 0 };
    std::atomic<bool> letGo { false };
    SetLookupHook([&](const std::string& query) {
        if (query == "localhost") {
            cancelledOn = std::this_thread::get_id();
            while (!release)
                std::this_thread::yield();
        } else if (std::this_thread::get_id() == cancelledOn.load()) {
            landed = true;
        } else {
            // Every other worker is held, so a later lookup goes to the cancelled one's.
            ++held;
            while (!letGo)
                std::this_thread::yield();
        }
    });
    std::vector<char> buf(MAXGETHOSTSTRUCT, '\x55');
    HANDLE task = WSAAsyncGetHostByName(r.wnd, kLookup, "localhost", buf.data(), static_cast<int>(buf.size()));
    const bool running = Await([&] { return cancelledOn.load() != std::thread::id(); });
    EXPECT_TRUE(running) << "the lookup reached its worker";
    EXPECT_EQ(WSACancelAsyncRequest(task), 0);
    release = true;
    // That worker answers a lookup it takes next only once it is done with the cancelled one.
    std::vector<char> later(MAXGETHOSTSTRUCT);
    std::vector<HANDLE> behind;
    while (running && !landed && behind.size() < 8) {
        const int heldBefore = held;
        behind.push_back(WSAAsyncGetHostByName(r.wnd, kLookup, "127.0.0.1", later.data(), static_cast<int>(later.size())));
        Await([&] { return landed || held > heldBefore; });
    }
    EXPECT_TRUE(landed && WaitFor([&] { return r.answered(behind.back()); }));
    EXPECT_FALSE(r.answered(task));
    EXPECT_EQ(buf[0], '\x55');
    EXPECT_EQ(WSACancelAsyncRequest(task), SOCKET_ERROR);
    letGo = true;
    EXPECT_TRUE(WaitFor([&] { return std::all_of(behind.begin(), behind.end(), [&](HANDLE h) { return r.answered(h); }); }));
    SetLookupHook(nullptr);
}

TEST(WinsockStandIn, AServiceWithoutEntryHasNoData)
{
    Recorder r;
    std::vector<char> buf(MAXGETHOSTSTRUCT);
    HANDLE task = WSAAsyncGetServByName(r.wnd, kLookup, "pop3", "tcp", buf.data(), static_cast<int>(buf.size()));
    ASSERT_TRUE(WaitFor([&] { return r.lookupTask == task; }));
    ASSERT_EQ(r.lookupError, 0);
    EXPECT_EQ(ntohs(static_cast<winsock::u_short>(reinterpret_cast<servent*>(buf.data())->s_port)), 110);
    task = WSAAsyncGetServByPort(r.wnd, kLookup, htons(8096), "tcp", buf.data(), static_cast<int>(buf.size()));
    ASSERT_TRUE(WaitFor([&] { return r.lookupTask == task; }));
    EXPECT_EQ(r.lookupError, WSANO_DATA);
}

TEST(WinsockStandIn, ASimulatedHostReportsAndSpeaksFromItsAddress)
{
    setenv("KORVO_LOCAL_ADDRESS", "127.0.0.3", 1);
    Recorder r;
    EXPECT_EQ(LocalAddresses(), std::vector<winsock::u_long> { inet_addr("127.0.0.3") });
    RawListener listener;
    SOCKET s = ConnectAsync(r, listener.port(), FD_CONNECT);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_CONNECT) > 0; }));
    sockaddr_in local {};
    int len = sizeof local;
    getsockname(s, reinterpret_cast<sockaddr*>(&local), &len);
    EXPECT_STREQ(inet_ntoa(local.sin_addr), "127.0.0.3");
    closesocket(s);
    unsetenv("KORVO_LOCAL_ADDRESS");
    const auto addresses = LocalAddresses();
    ASSERT_FALSE(addresses.empty());
    if (addresses.size() > 1) {
        EXPECT_NE(ntohl(addresses.front()) >> 24, 127u) << "an outside address comes first";
    }
}

TEST(WinsockStandIn, DatagramsArriveWithTheirSender)
{
    Recorder r;
    SOCKET a = socket(WS_AF_INET, WS_SOCK_DGRAM, 0);
    SOCKET b = socket(WS_AF_INET, WS_SOCK_DGRAM, 0);
    sockaddr_in sa = Loopback(0);
    ASSERT_EQ(bind(a, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    ASSERT_EQ(bind(b, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    WSAAsyncSelect(b, r.wnd, kSelect, FD_READ);
    sockaddr_in to {};
    int len = sizeof to;
    getsockname(b, reinterpret_cast<sockaddr*>(&to), &len);
    ASSERT_EQ(sendto(a, "datagram", 8, 0, reinterpret_cast<sockaddr*>(&to), sizeof to), 8);
    ASSERT_TRUE(WaitFor([&] { return r.count(FD_READ) == 1; }));
    char buf[32];
    sockaddr_in from {};
    int fromLen = sizeof from;
    EXPECT_EQ(recvfrom(b, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLen), 8);
    EXPECT_EQ(std::string(buf, 8), "datagram");
    sockaddr_in mine {};
    len = sizeof mine;
    getsockname(a, reinterpret_cast<sockaddr*>(&mine), &len);
    EXPECT_EQ(from.sin_port, mine.sin_port);
    closesocket(a);
    closesocket(b);
}

TEST(WinsockStandIn, AReceiverThatReadsBitByBitNeverHasTwoReadsWaiting)
{
    // Every small recv re-arms the notification while the peer keeps sending: only
    // one may wait in the queue however often that happens.
    SOCKET s = INVALID_SOCKET;
    std::size_t received = 0;
    int reads = 0;
    int mostSeen = 0;
    const HWND wnd = AllocateHWnd([&](TMessage& m) {
        if (m.Msg != kSelect || WSAGETSELECTEVENT(m.LParam) != FD_READ)
            return;
        ++reads;
        char byte[64];
        for (int i = 0; i < 200; ++i) {
            const int got = recv(s, byte, sizeof byte, 0);
            if (got <= 0)
                break;
            received += static_cast<std::size_t>(got);
        }
        mostSeen = std::max(mostSeen, ReadNotifications(s).waiting);
    });
    WSAData data;
    WSAStartup(0x0101, &data);
    RawListener listener;
    s = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
    WSAAsyncSelect(s, wnd, kSelect, FD_READ | FD_CLOSE);
    sockaddr_in sa = Loopback(listener.port());
    connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    RawPeer peer = listener.accept(5000);
    constexpr std::size_t total = 8u << 20;
    std::thread sender([&] { peer.sendAll(std::string(total, 'f')); });
    EXPECT_TRUE(WaitFor([&] { return received == total; }, 60000));
    sender.join();
    EXPECT_GT(reads, 1);
    EXPECT_LE(mostSeen, 1);
    EXPECT_EQ(ReadNotifications(s).most, 1) << "one read notification waited at a time";
    closesocket(s);
    DeallocateHWnd(wnd);
    WSACleanup();
}
