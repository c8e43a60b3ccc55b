#include "net/nmpop3.h"
#include "net/tests/rawpeer.h"
#include "platform/rtl/thread.h"
#include "platform/testing/dovecot.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using psock::TNMPOP3;

namespace {

std::string Message(const std::string& from, const std::string& subject, const std::string& body = "hello\n")
{
    std::string text = "From: " + from + "\nTo: ann@example.org\n";
    if (!subject.empty())
        text += "Subject: " + subject + "\n";
    else
        text += "Subject:\n";
    return text + "Message-ID: <m@x>\n\n" + body;
}

class Pop3Dovecot : public ::testing::Test {
public:
    void SetUp() override
    {
        if (!DovecotServer::Available())
            GTEST_SKIP() << "dovecot is not installed";
        server.addUser("ann", "secret");
    }
    void startServer() { ASSERT_TRUE(server.start()) << server.error(); }
    void point(TNMPOP3& pop)
    {
        pop.Host = "127.0.0.1";
        pop.Port = static_cast<std::uint16_t>(server.port());
        pop.TimeOut = 20000;
        pop.UserID = "ann";
        pop.Password = "secret";
    }
    DovecotServer server;
};

// Runs a scripted server for one connection on its own thread.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::function<void(RawPeer&)> script)
        : m_thread([this, script = std::move(script)] {
            RawPeer peer = m_listener.accept(20000);
            if (peer.valid())
                script(peer);
        })
    {
    }
    ~ScriptedPeer() { m_thread.join(); }
    std::uint16_t port() const { return m_listener.port(); }

private:
    RawListener m_listener;
    std::thread m_thread;
};

// Reads one command line from the client.
std::string Command(RawPeer& peer)
{
    std::string line;
    while (line.find('\n') == std::string::npos) {
        const std::string more = peer.receiveSome(10000, 1);
        if (more.empty())
            break;
        line += more;
    }
    return line;
}

void Login(RawPeer& peer, const std::string& stat = "+OK 1 100\r\n")
{
    peer.sendAll("+OK ready\r\n");
    Command(peer);
    peer.sendAll("+OK\r\n");
    Command(peer);
    peer.sendAll("+OK logged in\r\n");
    Command(peer);
    peer.sendAll(stat);
}

void Point(TNMPOP3& pop, std::uint16_t port)
{
    pop.Host = "127.0.0.1";
    pop.Port = port;
    pop.TimeOut = 20000;
    pop.UserID = "ann";
    pop.Password = "secret";
}

std::string ConnectError(TNMPOP3& pop)
{
    try {
        pop.Connect();
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

// True when the first connection waiting at the listener is one made now: a connection
// the client made before would be ahead of it in the queue.
bool NoEarlierConnection(RawListener& listener)
{
    RawPeer mine = RawPeer::ConnectTo(listener.port());
    mine.sendAll("mine");
    RawPeer first = listener.accept(5000);
    return first.receiveExactly(4, 5000) == "mine";
}

}  // namespace

TEST_F(Pop3Dovecot, CountsTheMailboxAndReadsEachSummary)
{
    server.deliver("ann", Message("\"Ann Lee\" <a@x>", "Lunch"));
    server.deliver("ann", Message("bob@x", ""));
    server.deliver("ann", "From: carol@x\nSubject: a long\n subject folded\n\nbody\n");
    startServer();
    TNMPOP3 pop;
    point(pop);
    bool connected = false;
    pop.OnConnect = [&](psock::TPowersock*) { connected = true; };
    pop.Connect();
    EXPECT_TRUE(connected);
    ASSERT_EQ(pop.MailCount(), 3);

    pop.GetSummary(1);
    EXPECT_EQ(pop.Summary().From, " \"Ann Lee\" <a@x>");
    EXPECT_EQ(pop.Summary().Subject, " Lunch");
    EXPECT_GT(pop.Summary().Bytes, 50);
    pop.GetSummary(2);
    EXPECT_EQ(pop.Summary().Subject, "");
    pop.GetSummary(3);
    EXPECT_EQ(pop.Summary().Subject, " a long");
    EXPECT_NE(pop.Summary().Header.IndexOf(" subject folded"), -1);
    pop.Disconnect();
    EXPECT_FALSE(pop.Connected());
}

TEST_F(Pop3Dovecot, WrongPasswordAsksOnceThenFails)
{
    startServer();
    TNMPOP3 pop;
    point(pop);
    pop.Password = "wrong";
    int asked = 0;
    pop.OnAuthenticationFailed = [&](bool& handled) {
        ++asked;
        pop.Password = "still wrong";
        handled = true;
    };
    EXPECT_EQ(ConnectError(pop), "Authentication failed");
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(pop.Connected());
}

TEST_F(Pop3Dovecot, AFixedPasswordFromTheHandlerLogsIn)
{
    server.deliver("ann", Message("a@x", "one"));
    startServer();
    TNMPOP3 pop;
    point(pop);
    pop.Password = "wrong";
    pop.OnAuthenticationFailed = [&](bool& handled) {
        pop.Password = "secret";
        handled = true;
    };
    pop.Connect();
    EXPECT_EQ(pop.MailCount(), 1);
    pop.Disconnect();
}

TEST_F(Pop3Dovecot, ConnectsAgainAfterDisconnecting)
{
    startServer();
    TNMPOP3 pop;
    point(pop);
    pop.Connect();
    pop.Disconnect();
    pop.Connect();
    EXPECT_TRUE(pop.Connected());
    pop.Disconnect();
}

TEST_F(Pop3Dovecot, WorksWhollyOnAWorkerThread)
{
    server.deliver("ann", Message("a@x", "one"));
    server.deliver("ann", Message("b@x", "two"));
    startServer();
    struct Worker : TThread {
        explicit Worker(Pop3Dovecot& test) : TThread(true), test(test) {}
        ~Worker() override { WaitFor(); }
        void Execute() override
        {
            TNMPOP3 pop;
            test.point(pop);
            pop.Connect();
            for (int n = 1; n <= pop.MailCount(); ++n) {
                pop.GetSummary(n);
                subjects += pop.Summary().Subject;
            }
            pop.Disconnect();
        }
        Pop3Dovecot& test;
        std::string subjects;
    } worker(*this);
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(worker.FatalMessage(), "");
    EXPECT_EQ(worker.subjects, " one two");
}

TEST(Pop3, EmptyUserFailsBeforeAnyConnection)
{
    RawListener listener;
    TNMPOP3 pop;
    Point(pop, listener.port());
    pop.UserID = "";
    EXPECT_EQ(ConnectError(pop), "Authentication failed");
    EXPECT_TRUE(NoEarlierConnection(listener));
}

TEST(Pop3, ALoginHoldingALineBreakIsNeverSent)
{
    RawListener listener;
    TNMPOP3 pop;
    Point(pop, listener.port());
    pop.UserID = "ann\r\nDELE 1";
    EXPECT_EQ(ConnectError(pop), "Authentication failed");
    EXPECT_TRUE(NoEarlierConnection(listener));
}

TEST(Pop3, ARefusedPortFailsTheConnection)
{
    TNMPOP3 pop;
    Point(pop, UnusedPort());
    bool failed = false;
    pop.OnConnectionFailed = [&](psock::TPowersock*) { failed = true; };
    EXPECT_EQ(ConnectError(pop), "Connection Failed");
    EXPECT_TRUE(failed);
}

TEST(Pop3, ASilentServerEndsTheWait)
{
    ScriptedPeer peer([](RawPeer& p) { p.waitClosed(20000); });
    TNMPOP3 pop;
    Point(pop, peer.port());
    pop.ReplyTimeOut = 300;
    EXPECT_EQ(ConnectError(pop), "Socket readln timed out");
    EXPECT_FALSE(pop.Connected());
}

TEST(Pop3, ASilentServerAfterTheGreetingIsDroppedWithoutAQuit)
{
    // What the server got after the USER line, up to the client's hang-up.
    std::string afterUser;
    {
        ScriptedPeer peer([&](RawPeer& p) {
            p.sendAll("+OK ready\r\n");
            Command(p);
            for (std::string more = p.receiveSome(20000); !more.empty(); more = p.receiveSome(20000))
                afterUser += more;
        });
        TNMPOP3 pop;
        Point(pop, peer.port());
        pop.ReplyTimeOut = 300;
        EXPECT_EQ(ConnectError(pop), "Socket readln timed out");
        EXPECT_FALSE(pop.Connected());
        pop.Disconnect();
    }
    EXPECT_EQ(afterUser, "") << "a server that stopped answering is not asked to QUIT";
}

TEST(Pop3, EndlessHeaderLinesFailTheSummaryAsAHangUpDoes)
{
    bool hungUp = false;
    {
        ScriptedPeer peer([&](RawPeer& p) {
            Login(p);
            Command(p);
            p.sendAll("+OK\r\n");
            // Far more than any header, and never the closing ".".
            const std::string lines = [] {
                std::string text;
                for (int i = 0; i < 1000; ++i)
                    text += "X-Filler-" + std::to_string(i) + ": " + std::string(60, 'f') + "\r\n";
                return text;
            }();
            for (int sent = 0; sent < 64 && p.sendAll(lines); ++sent) {
            }
            p.sendAll(".\r\n");
            // A client that read it all asks for LIST next.
            hungUp = Command(p).empty();
            if (!hungUp)
                p.sendAll("+OK 1 100\r\n");
        });
        TNMPOP3 pop;
        Point(pop, peer.port());
        pop.Connect();
        try {
            pop.GetSummary(1);
            ADD_FAILURE() << "the summary was read";
        } catch (const psock::ESockError& error) {
            EXPECT_STREQ(error.what(), "Reply too long");
        }
        EXPECT_FALSE(pop.Connected());
        EXPECT_EQ(pop.Summary().Header.Count(), TNMPOP3::MaxHeaderLines);
    }
    EXPECT_TRUE(hungUp);
}

TEST(Pop3, HeaderLinesTrickledPastTheReplyTimeOutFailTheSummary)
{
    ScriptedPeer peer([](RawPeer& p) {
        Login(p);
        Command(p);
        p.sendAll("+OK\r\n");
        // A line every 50 ms, each well within the reply time-out, until the client
        // hangs up or ten seconds of them have gone by.
        for (int i = 0; i < 200; ++i) {
            if (!p.sendAll("X-Slow: " + std::to_string(i) + "\r\n") || p.waitClosed(50))
                return;
        }
        p.sendAll(".\r\n");
        Command(p);
        p.sendAll("+OK 1 100\r\n");
        p.waitClosed(20000);
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    pop.ReplyTimeOut = 1000;
    pop.Connect();
    try {
        pop.GetSummary(1);
        ADD_FAILURE() << "the summary was read";
    } catch (const psock::ESockError& error) {
        EXPECT_STREQ(error.what(), "Socket readln timed out");
    }
    EXPECT_FALSE(pop.Connected());
}

TEST(Pop3, ABusyGreetingIsTheError)
{
    ScriptedPeer peer([](RawPeer& p) {
        p.sendAll("-ERR busy\r\n");
        EXPECT_EQ(Command(p), "QUIT\r\n");
        p.close();
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    EXPECT_EQ(ConnectError(pop), "-ERR busy\r\n");
}

TEST(Pop3, AHangUpBeforeTheGreetingFails)
{
    ScriptedPeer peer([](RawPeer& p) { p.close(); });
    TNMPOP3 pop;
    Point(pop, peer.port());
    EXPECT_EQ(ConnectError(pop), "Connection closed");
    EXPECT_FALSE(pop.Connected());
}

TEST(Pop3, LoneLineFeedsKeepWholeHeaderValues)
{
    ScriptedPeer peer([](RawPeer& p) {
        p.sendAll("+OK ready\n");
        Command(p);
        p.sendAll("+OK\n");
        Command(p);
        p.sendAll("+OK\n");
        Command(p);
        p.sendAll("+OK 1 300\n");
        Command(p);
        p.sendAll("+OK\nSUBJECT: Hi\nFrom: a@x\n.\n");
        Command(p);
        p.sendAll("+OK 1 5120\n");
        Command(p);
        p.sendAll("+OK bye\n");
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    pop.Connect();
    EXPECT_EQ(pop.MailCount(), 1);
    pop.GetSummary(1);
    EXPECT_EQ(pop.Summary().Subject, " Hi");
    EXPECT_EQ(pop.Summary().From, " a@x");
    EXPECT_EQ(pop.Summary().Bytes, 5120);
    pop.Disconnect();
}

TEST(Pop3, AHangUpInsideTopFailsTheSummary)
{
    ScriptedPeer peer([](RawPeer& p) {
        Login(p);
        Command(p);
        p.sendAll("+OK\r\nSubject: cut\r\n");
        p.close();
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    pop.Connect();
    EXPECT_THROW(pop.GetSummary(1), psock::ESockError);
    EXPECT_FALSE(pop.Connected());
}

TEST(Pop3, AnOverlongLineIsRefused)
{
    ScriptedPeer peer([](RawPeer& p) {
        Login(p);
        Command(p);
        p.sendAll("+OK\r\n" + std::string(1024 * 1024, 'x'));
        p.waitClosed(10000);
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    pop.Connect();
    try {
        pop.GetSummary(1);
        ADD_FAILURE() << "the summary was read";
    } catch (const psock::ESockError& error) {
        EXPECT_STREQ(error.what(), "Reply line too long");
    }
    pop.Abort();
}

TEST(Pop3, AStatCountThatIsNoNumberReadsAsZero)
{
    ScriptedPeer peer([](RawPeer& p) {
        Login(p, "+OK x 9\r\n");
        Command(p);
        p.sendAll("+OK\r\n");
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    pop.Connect();
    EXPECT_EQ(pop.MailCount(), 0);
    pop.Disconnect();
}

TEST(Pop3, AStatCountPast32BitsReadsAsZero)
{
    ScriptedPeer peer([](RawPeer& p) {
        Login(p, "+OK 4294967299 9\r\n");
        Command(p);
        p.sendAll("+OK\r\n");
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    pop.Connect();
    EXPECT_EQ(pop.MailCount(), 0);
    pop.Disconnect();
}

TEST(Pop3, AListSizeThatIsNoNumberFailsTheSummary)
{
    ScriptedPeer peer([](RawPeer& p) {
        Login(p);
        Command(p);
        p.sendAll("+OK\r\nSubject: x\r\n.\r\n");
        Command(p);
        p.sendAll("+OK 1 abc\r\n");
        Command(p);
        p.sendAll("+OK\r\n");
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    pop.Connect();
    EXPECT_THROW(pop.GetSummary(1), EConvertError);
    pop.Disconnect();
}

// No message has fewer than no bytes: such a size fails the summary as a non-number does.
TEST(Pop3, ANegativeListSizeFailsTheSummary)
{
    ScriptedPeer peer([](RawPeer& p) {
        Login(p);
        Command(p);
        p.sendAll("+OK\r\nSubject: x\r\n.\r\n");
        Command(p);
        p.sendAll("+OK 1 -20\r\n");
        Command(p);
        p.sendAll("+OK bye\r\n");
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    pop.Connect();
    EXPECT_THROW(pop.GetSummary(1), EConvertError);
    EXPECT_GE(pop.Summary().Bytes, 0);
    pop.Disconnect();
    EXPECT_FALSE(pop.Connected());
}

TEST(Pop3, ARejectedStatStillReportsTheLogin)
{
    ScriptedPeer peer([](RawPeer& p) {
        Login(p, "-ERR locked\r\n");
        Command(p);
        p.sendAll("+OK\r\n");
    });
    TNMPOP3 pop;
    Point(pop, peer.port());
    bool connected = false;
    pop.OnConnect = [&](psock::TPowersock*) { connected = true; };
    EXPECT_EQ(ConnectError(pop), "-ERR locked\r\n");
    EXPECT_TRUE(connected);
}

TEST(Pop3, NthWordCountsEmptyFields)
{
    EXPECT_EQ(psock::TPowersock::NthWord("+OK  5120", ' ', 3), "5120");
    EXPECT_EQ(psock::TPowersock::NthWord("+OK 3", ' ', 3), "");
}

TEST(Pop3, ErrorTextsUseThisLayersWording)
{
    EXPECT_EQ(psock::SocketErrorText(10065), "10065:No route to Host");
    EXPECT_EQ(psock::SocketErrorText(10101), "Unknown Error No. 10101");
    EXPECT_EQ(psock::SocketErrorText(0), "");
}

TEST(Pop3, TheFirstInstanceRecordsTheWinsockStartUp)
{
    TNMPOP3 pop;
    EXPECT_GE(TNMPOP3::InstanceCount(), 1);
    const auto info = TNMPOP3::WinsockInfo();
    ASSERT_EQ(info.size(), 6u);
    EXPECT_EQ(info[0], "Version= 1.1");
}
