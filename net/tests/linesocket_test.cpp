#include "net/linesocket.h"

#include "net/bufferedcomponents.h"
#include "nettest.h"
#include "platform/rtl/codepage.h"
#include "rawpeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

// A text server with one raw peer, recording lines and reads in order.
struct Lines {
    explicit Lines(std::function<void(TTextServer&)> setup = {})
    {
        server.SetAddress("127.0.0.1");
        server.SetPort("0");
        server.OnAccept = [this](TSockCtrl*, TSocketBase* s) { socket = TSocketRef<TLineSocketBase>(dynamic_cast<TLineSocketBase*>(s)); };
        server.OnLineReceived = [this](TLineSocketBase*, const std::string& line, bool complete) {
            events.push_back("line:" + line);
            EXPECT_TRUE(complete);
        };
        server.OnRead = [this](TSockCtrl*, TSocketBase*) {
            events.push_back("read");
            ++reads;
        };
        server.OnDisconnect = [this](TSockCtrl*, TSocketBase*) { ++disconnects; };
        if (setup)
            setup(server);
        server.Listen();
        peer = RawPeer::ConnectTo(server.GetPortNumber());
        WaitFor([&] { return static_cast<bool>(socket); });
    }
    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.rfind("line:", 0) == 0)
                out.push_back(e.substr(5));
        return out;
    }
    TTextServer server;
    RawPeer peer;
    TSocketRef<TLineSocketBase> socket;
    std::vector<std::string> events;
    int reads { 0 };
    int disconnects { 0 };
};

}  // namespace

TEST(LineSocket, TwoLinesInOneReadComeInOrderBeforeTheRead)
{
    Lines l;
    l.peer.sendAll("one\r\ntwo\r\n");
    ASSERT_TRUE(WaitFor([&] { return l.reads >= 1; }));
    ASSERT_GE(l.events.size(), 3u);
    EXPECT_EQ(l.events[0], "line:one");
    EXPECT_EQ(l.events[1], "line:two");
    EXPECT_EQ(l.events[2], "read");
}

TEST(LineSocket, ALineSplitOverTwoReadsIsDeliveredOnceWhole)
{
    Lines l;
    l.peer.sendAll("hel");
    ASSERT_TRUE(WaitFor([&] { return l.reads >= 1; }));
    EXPECT_TRUE(l.lines().empty());
    l.peer.sendAll("lo\r\n");
    ASSERT_TRUE(WaitFor([&] { return l.lines().size() == 1; }));
    EXPECT_EQ(l.lines()[0], "hello");
}

TEST(LineSocket, ACrLfSplitBetweenReadsWaitsForItsLf)
{
    Lines l;
    l.peer.sendAll("abc\r");
    ASSERT_TRUE(WaitFor([&] { return l.reads >= 1; }));
    EXPECT_TRUE(l.lines().empty()) << "a CR alone is not the end yet";
    l.peer.sendAll("\nnext\r\n");
    ASSERT_TRUE(WaitFor([&] { return l.lines().size() == 2; }));
    EXPECT_EQ(l.lines(), (std::vector<std::string> { "abc", "next" }));
}

TEST(LineSocket, ALoneCrOrLfIsTextOfACrLfLine)
{
    Lines l;
    l.peer.sendAll("a\r\r\nb\nc\r\n\r\n");
    ASSERT_TRUE(WaitFor([&] { return l.lines().size() == 3; }));
    EXPECT_EQ(l.lines(), (std::vector<std::string> { "a\r", "b\nc", "" }));
}

TEST(LineSocket, LfAndCrLinesAreCutAtTheirByte)
{
    Lines lf([](TTextServer& s) { s.LineType = lstLF; });
    lf.peer.sendAll("x\r\ny\n");
    ASSERT_TRUE(WaitFor([&] { return lf.lines().size() == 2; }));
    EXPECT_EQ(lf.lines(), (std::vector<std::string> { "x\r", "y" }));

    Lines cr([](TTextServer& s) { s.LineType = lstCR; });
    cr.peer.sendAll("p\rq\r");
    ASSERT_TRUE(WaitFor([&] { return cr.lines().size() == 2; }));
    EXPECT_EQ(cr.lines(), (std::vector<std::string> { "p", "q" }));
}

TEST(LineSocket, ReturnLineCharsKeepsTheTerminator)
{
    Lines l([](TTextServer& s) { s.LineOptions = kDefaultLineOptions | lsoReturnLineChars; });
    l.peer.sendAll("keep\r\n");
    ASSERT_TRUE(WaitFor([&] { return l.lines().size() == 1; }));
    EXPECT_EQ(l.lines()[0], "keep\r\n");
}

TEST(LineSocket, HighBytesArriveUnchanged)
{
    Lines l;
    std::string line;
    for (int b = 0x80; b <= 0xFF; ++b)
        line += static_cast<char>(b);
    line += std::string("\xFB" "chat,anna,\"b\",\"x\"");
    l.peer.sendAll(line + "\r\n");
    ASSERT_TRUE(WaitFor([&] { return l.lines().size() == 1; }));
    EXPECT_EQ(l.lines()[0], line);
}

TEST(LineSocket, TheLongestLineThatFitsIsReceivedWhole)
{
    Lines l;
    const std::string line(1022, 'L');
    l.peer.sendAll(line + "\r\n" + "after\r\n");
    ASSERT_TRUE(WaitFor([&] { return l.lines().size() == 2; }));
    EXPECT_EQ(l.lines()[0], line);
    EXPECT_EQ(l.lines()[1], "after");
}

TEST(LineSocket, APeerThatNeverEndsItsLineIsCutOffWithoutAMessageBox)
{
    CapturedExceptions captured;
    Lines l;
    l.peer.sendAll(std::string(5000, 'z'));
    ASSERT_TRUE(WaitFor([&] { return l.disconnects == 1; }));
    EXPECT_TRUE(l.peer.waitClosed(5000)) << "the connection is closed, not left stalled";
    EXPECT_TRUE(captured.messages.empty()) << "a peer's bytes put nothing on the user's screen";
    EXPECT_TRUE(l.lines().empty());
}

TEST(LineSocket, AnOverlongLineClosesOnlyItsOwnConnection)
{
    CapturedExceptions captured;
    Lines l;
    RawPeer other = RawPeer::ConnectTo(l.server.GetPortNumber());
    ASSERT_TRUE(WaitFor([&] { return l.server.Sockets().Count() == 2; }));
    l.peer.sendAll(std::string(5000, 'z'));
    ASSERT_TRUE(WaitFor([&] { return l.disconnects == 1; }));
    EXPECT_TRUE(l.peer.waitClosed(5000));
    other.sendAll("still here\r\n");
    ASSERT_TRUE(WaitFor([&] { return l.lines().size() == 1; }));
    EXPECT_EQ(l.lines()[0], "still here");
    EXPECT_EQ(l.server.Sockets().Count(), 1) << "the other connection stays";
    EXPECT_TRUE(captured.messages.empty());
}

TEST(LineSocket, AHandlerFailingOnABadLineEndsThatConnectionOnly)
{
    CapturedExceptions captured;
    int bad = 0;
    Lines l([&](TTextServer& s) {
        s.OnLineReceived = [&](TLineSocketBase*, const std::string& line, bool) {
            if (line == "bad") {
                ++bad;
                throw Exception("not a command: bad");
            }
        };
    });
    l.peer.sendAll("bad\r\nbad\r\nbad\r\n");
    ASSERT_TRUE(WaitFor([&] { return l.disconnects == 1; }));
    EXPECT_TRUE(l.peer.waitClosed(5000));
    EXPECT_EQ(bad, 1) << "nothing more is read from a peer that sent a bad line";
    EXPECT_TRUE(captured.messages.empty()) << "no message box per bad line";
}

TEST(LineSocket, AFloodOfLinesLeavesTimersRunningAndArrivesWhole)
{
    // 65536 distinct lines of 32 bytes with their CR LF make 2 MiB, sent 128 times
    // without a pause: 256 MiB.
    constexpr std::size_t kLines = 65536;
    constexpr std::size_t kRepeats = 128;
    std::vector<std::string> expected(kLines);
    std::string block;
    for (std::size_t i = 0; i < kLines; ++i) {
        char text[40];
        std::snprintf(text, sizeof text, "%07zu-abcdefghijklmnopqrstuv", i);
        expected[i] = text;
        block += expected[i] + "\r\n";
    }
    const std::size_t total = kLines * kRepeats;

    CapturedExceptions captured;
    RawListener listener;
    TTextClient client;
    client.SetAddress("127.0.0.1");
    client.SetPort(std::to_string(listener.port()));
    std::size_t lines = 0;
    std::size_t wrong = 0;
    client.OnLineReceived = [&](TLineSocketBase*, const std::string& line, bool) {
        wrong += line != expected[lines % kLines];
        ++lines;
    };
    int mostWaiting = 0;
    client.OnRead = [&](TSockCtrl*, TSocketBase* s) {
        mostWaiting = std::max(mostWaiting, winsock::ReadNotifications(s->Handle()).waiting);
    };
    client.Open();
    RawPeer peer = listener.accept(5000);
    ASSERT_TRUE(WaitFor([&] { return client.Connected(); }));
    const winsock::SOCKET handle = client.GetSocket()->Handle();

    TickCounter ticks([&] { return lines > 0 && lines < total; });
    std::thread sender([&] {
        for (std::size_t r = 0; r < kRepeats; ++r)
            peer.sendAll(block);
    });
    const bool all = WaitFor([&] { return lines == total; }, 240000);
    sender.join();
    ASSERT_TRUE(all) << lines << " of " << total << " lines";
    EXPECT_EQ(wrong, 0u) << "every line arrives whole and in order";
    EXPECT_GE(ticks.ticks(), 5) << "the clock goes on ticking while the lines pour in";
    EXPECT_LE(mostWaiting, 1);
    EXPECT_EQ(winsock::ReadNotifications(handle).most, 1) << "one read notification waits at a time";
    EXPECT_TRUE(client.Connected());
    EXPECT_TRUE(captured.messages.empty());
}

TEST(LineSocket, CompleteLinesBeforeAnOverlongOneStillArrive)
{
    CapturedExceptions captured;
    Lines l;
    l.peer.sendAll("first\r\n" + std::string(3000, 'z'));
    ASSERT_TRUE(WaitFor([&] { return l.disconnects == 1; }));
    EXPECT_EQ(l.lines(), (std::vector<std::string> { "first" }));
}

TEST(LineSocket, ABurstOfLinesArrivesInOrderUpToAnOverlongOne)
{
    // Far more than one buffer's worth in one send: short lines, a line that just fits,
    // a line past the buffer, and lines behind it that must never arrive.
    CapturedExceptions captured;
    Lines l;
    std::vector<std::string> expected;
    std::string burst;
    for (int i = 0; i < 5000; ++i) {
        expected.push_back("ping " + std::to_string(i));
        burst += expected.back() + "\r\n";
    }
    expected.push_back(std::string(1022, 'f'));
    burst += expected.back() + "\r\n";
    burst += std::string(1023, 'z') + "\r\n";
    for (int i = 0; i < 100; ++i)
        burst += "behind " + std::to_string(i) + "\r\n";
    l.peer.sendAll(burst);
    ASSERT_TRUE(WaitFor([&] { return l.disconnects == 1; }));
    EXPECT_TRUE(l.peer.waitClosed(5000));
    EXPECT_EQ(l.lines(), expected);
    EXPECT_TRUE(captured.messages.empty());
}

TEST(LineSocket, WriteLineSendsWhatFitsAndRefusesTheRest)
{
    Lines l;
    auto socket = l.socket.Lock();
    EXPECT_FALSE(socket->WriteLine(std::string(1023, 'x')));
    EXPECT_EQ(socket->WriteCount(), 0) << "nothing of a refused line is written";
    EXPECT_TRUE(socket->WriteLine(std::string(1022, 'y')));
    EXPECT_EQ(l.peer.receiveExactly(1024, 5000), std::string(1022, 'y') + "\r\n");
}

TEST(LineSocket, LinesWrittenBeforeTheConnectCompletesAreSent)
{
    RawListener listener;
    TTextClient client;
    client.SetAddress("127.0.0.1");
    client.SetPort(std::to_string(listener.port()));
    client.Open();
    auto* socket = dynamic_cast<TLineSocketBase*>(client.GetSocket());
    ASSERT_TRUE(socket->WriteLine("early"));
    RawPeer peer = listener.accept(5000);
    ASSERT_TRUE(WaitFor([&] { return client.Connected(); }));
    EXPECT_EQ(peer.receiveExactly(7, 5000), "early\r\n");
}

TEST(LineSocket, ClosingEmptiesTheBuffersSoNothingLeadsTheNextConnection)
{
    RawListener listener;
    TTextClient client;
    client.SetAddress("127.0.0.1");
    client.SetPort(std::to_string(listener.port()));
    client.OnConnect = [](TSockCtrl*, TSocketBase* s) {
        if (s->Connected())
            dynamic_cast<TLineSocketBase*>(s)->WriteLine("fresh");
    };
    auto* socket = dynamic_cast<TLineSocketBase*>(client.GetSocket());
    socket->WriteLine("stale");
    client.Close();
    EXPECT_EQ(socket->WriteCount(), 0);
    client.Open();
    RawPeer peer = listener.accept(5000);
    ASSERT_TRUE(WaitFor([&] { return client.Connected(); }));
    EXPECT_EQ(peer.receiveExactly(7, 5000), "fresh\r\n");
}

TEST(LineSocket, TwoComponentsTalkInLines)
{
    TTextServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    server.OnLineReceived = [](TLineSocketBase* s, const std::string& line, bool) { s->WriteLine("echo " + line); };
    server.Listen();
    TTextClient client;
    client.SetAddress("127.0.0.1");
    client.SetPort(server.Port());
    std::vector<std::string> answers;
    client.OnConnect = [](TSockCtrl*, TSocketBase* s) {
        auto* line = dynamic_cast<TLineSocketBase*>(s);
        line->WriteLine("ping");
        line->WriteLine(Ansi("Grüße"));
    };
    client.OnLineReceived = [&](TLineSocketBase*, const std::string& line, bool) { answers.push_back(line); };
    client.Open();
    ASSERT_TRUE(WaitFor([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers, (std::vector<std::string> { "echo ping", "echo " + Ansi("Grüße") }));
}
