#include "chess/chessform.h"
#include "chess/tests/boardsquares.h"
#include "kit/qorforma.h"
#include "platform/rtl/inifile.h"
#include "platform/testing/automationclient.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/win/messages.h"

#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kProgramDir = KORVO_BIN_DIR "/plugins/chess";

std::string PidKey()
{
    return TIniFile(kProgramDir + "/plugin.inf").ReadString("Larkspire.Plugin", "PIDKey", "");
}

// What larkspire's plug-in port is to the chess program: a listener on port 8090
// of a simulated host, reading and writing CR LF lines.
class ScriptedPort {
public:
    explicit ScriptedPort(const std::string& host)
    {
        m_listening = m_server.listen(QHostAddress(QString::fromStdString(host)), 8090);
    }

    bool listening() const { return m_listening; }

    bool waitForClient(int timeoutMs = 15000)
    {
        return Application::ProcessMessagesUntil(
            [this] {
                if (!m_client && m_server.hasPendingConnections())
                    m_client = m_server.nextPendingConnection();
                return m_client != nullptr;
            },
            timeoutMs);
    }

    // A call not taken yet has come in. Asked once a program has ended, it sees every call that program made.
    bool callWaiting() { return m_server.hasPendingConnections() || m_server.waitForNewConnection(0); }

    // The next line without its CR LF; "" when none came.
    std::string line(int timeoutMs = 10000)
    {
        std::string result;
        Application::ProcessMessagesUntil(
            [&] {
                if (m_client)
                    m_buffer += m_client->readAll().toStdString();
                const std::size_t end = m_buffer.find("\r\n");
                if (end == std::string::npos)
                    return false;
                result = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 2);
                return true;
            },
            timeoutMs);
        return result;
    }

    // The client signs off or ends.
    void hangUp() { m_client->close(); }

    void send(const std::string& line)
    {
        m_client->write(QByteArray::fromStdString(line + "\r\n"));
        m_client->flush();
    }

private:
    QTcpServer m_server;
    QTcpSocket* m_client { nullptr };
    std::string m_buffer;
    bool m_listening { false };
};

// One chess program started as the client starts it, driven through its automation socket.
class ChessProcess {
public:
    ChessProcess(const ScratchDirs& dirs, const QStringList& arguments)
        : m_socketPath(QString::fromStdString(dirs.root() + "/a.sock"))
        , m_automation(dirs.root() + "/a.sock.chess")
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KORVO_WINDIR", QString::fromStdString(dirs.windowsDir()));
        env.insert("KORVO_APPDIR", QString::fromStdString(dirs.appDir()));
        env.insert("KORVO_AUTOMATION", m_socketPath);
        m_process.setProcessEnvironment(env);
        m_process.start(QString::fromStdString(kProgramDir + "/chess"), arguments);
    }

    ~ChessProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool waitForEnd(int timeoutMs = 15000)
    {
        return Application::ProcessMessagesUntil([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    }

    std::string errors()
    {
        m_stderr += m_process.readAllStandardError();
        return m_stderr.toStdString();
    }

    // One automation command; the reply without its line end.
    std::string command(const std::string& line) { return m_automation.command(line); }
    std::string text(const std::string& control) { return m_automation.text("Form1", control); }
    bool waitForText(const std::string& control, const std::string& wanted)
    {
        return m_automation.waitForText("Form1", control, wanted, 10000);
    }

private:
    QString m_socketPath;
    QProcess m_process;
    QByteArray m_stderr;
    AutomationClient m_automation;
};

// A scratch Windows directory whose larkspire.ini names the user and the simulated host.
struct Desk {
    ScratchDirs dirs;
    std::string host { LoopbackHost(90) };
    ScriptedPort port { host };

    explicit Desk(const std::string& user)
    {
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nUserLoginName=" + user + "\r\nlocalAddress=" + host + "\r\n");
    }
};

const std::string kStart = "rnbqkbnrpppppppp" + std::string(32, ' ') + "PPPPPPPPRNBQKBNR";

std::string Relay(const std::string& own, const std::string& opponent, const std::string& payload)
{
    return "\xFB\xF9" + PidKey() + "," + own + "," + opponent + ",\"" + payload + "\"";
}

}  // namespace

TEST(ChessProgram, HostRegistersInvitesAndSendsItsMovesByteForByte)
{
    Desk desk("alice");
    ASSERT_TRUE(desk.port.listening());
    ChessProcess chess(desk.dirs, { "/ext", "/s" });
    ASSERT_TRUE(desk.port.waitForClient());
    EXPECT_EQ(desk.port.line(), "\xFC" + PidKey());
    EXPECT_EQ(chess.text("Panel0"), "alice (w)");
    EXPECT_EQ(chess.text("Panel2"), "Invite opponent from the menu above.");

    desk.port.send("\xF8" "bob");
    desk.port.send("\xF8" "BOB");
    desk.port.send("\xF8" "Alice");
    desk.port.send("\xF8" "carol");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return chess.command("menu\tForm1\tcarol") != "error no menu item carol"; }, 10000));
    desk.port.line();
    EXPECT_EQ(chess.command("menu\tForm1\tBOB"), "error no menu item BOB") << "one item a buddy, whatever the case";
    EXPECT_EQ(chess.command("menu\tForm1\tAlice"), "error no menu item Alice") << "no item for the own name";

    EXPECT_EQ(chess.command("menu\tForm1\tbob"), "ok");
    EXPECT_EQ(desk.port.line(), "\xFBpluginrequest,alice,bob,\"chess\\\"");
    EXPECT_EQ(chess.text("Panel2"), "Inviting bob, Waiting for reply...");
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("e2") + "\t" + SquareCentre("e4")), "error control disabled or hidden ChessBrd1")
        << "no move before the guest has joined";

    desk.port.send("\xFA" "bob");
    ASSERT_TRUE(chess.waitForText("Panel2", "Connected. alice moves first."));
    EXPECT_EQ(chess.text("Panel1"), "bob (b)");
    // Only the invited buddy's copy joins; a line after it shows it was read.
    desk.port.send("\xFA" "carol,\"x");
    desk.port.send("\xFB" "x,y");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return chess.errors().find("opponent's move 0,0 ignored: not a move") != std::string::npos; }, 10000));
    EXPECT_EQ(chess.text("Panel1"), "bob (b)");
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("e2") + "\t" + SquareCentre("e4")), "ok");
    EXPECT_EQ(desk.port.line(), Relay("alice", "bob", "\xFB" "53,37"));
    EXPECT_EQ(chess.text("Panel2"), "Waiting for bob to move...");
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("d2") + "\t" + SquareCentre("d4")), "error control disabled or hidden ChessBrd1");
    QDir().mkpath(KORVO_BUILD_DIR "/screenshots");
    EXPECT_EQ(chess.command("grab\tForm1\t" KORVO_BUILD_DIR "/screenshots/chess_window.png").rfind("ok ", 0), 0u);

    // A line that is no move is not played; the opponent's real move is, and is not sent back.
    desk.port.send("\xFB" "x,99");
    desk.port.send("\xFB" "13,29");
    std::string after = kStart;
    after[52] = ' ';
    after[36] = 'P';
    after[12] = ' ';
    after[28] = 'p';
    ASSERT_TRUE(chess.waitForText("ChessBrd1", after));
    EXPECT_EQ(chess.text("Panel2"), "Your move...");
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("g1") + "\t" + SquareCentre("f3")), "ok");
    EXPECT_EQ(desk.port.line(), Relay("alice", "bob", "\xFB" "63,46")) << "the next line is our own move, no echo before it";

    EXPECT_EQ(chess.command("menu\tForm1\tNew Game"), "ok");
    EXPECT_EQ(desk.port.line(), Relay("alice", "bob", "newgame"));
    ASSERT_TRUE(chess.waitForText("ChessBrd1", kStart));
}

// alice hosts bob's game: invited, joined, her board waiting for her first move.
void HostAfterTheGuestJoined(Desk& desk, ChessProcess& chess)
{
    ASSERT_TRUE(desk.port.waitForClient());
    EXPECT_EQ(desk.port.line(), "\xFC" + PidKey());
    desk.port.send("\xF8" "bob");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return chess.command("menu\tForm1\tbob") == "ok"; }, 10000));
    EXPECT_EQ(desk.port.line(), "\xFBpluginrequest,alice,bob,\"chess\\\"");
    desk.port.send("\xFA" "bob");
    ASSERT_TRUE(chess.waitForText("Panel2", "Connected. alice moves first."));
}

TEST(ChessProgram, TheHostIgnoresAMoveOfItsOwnColourFromThePeer)
{
    Desk desk("alice");
    ASSERT_TRUE(desk.port.listening());
    ChessProcess chess(desk.dirs, { "/ext", "/s" });
    HostAfterTheGuestJoined(desk, chess);

    desk.port.send("\xFB" "52,36");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return chess.errors().find("opponent's move 52,36 ignored: not the opponent's turn") != std::string::npos; }, 10000))
        << chess.errors();
    EXPECT_EQ(chess.text("ChessBrd1"), kStart);
    EXPECT_EQ(chess.text("Panel2"), "Connected. alice moves first.");
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("e2") + "\t" + SquareCentre("e4")), "ok");
    EXPECT_EQ(desk.port.line(), Relay("alice", "bob", "\xFB" "53,37"));

    // Another buddy leaving changes nothing; the opponent leaving ends the game.
    desk.port.send("\xF9" "carol");
    desk.port.send("\xF9" "bob");
    ASSERT_TRUE(chess.waitForText("Panel2", "bob has left the game."));
    EXPECT_EQ(chess.text("Panel1"), "bob (b)");
    desk.port.send("\xFB" "13,29");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return chess.errors().find("opponent's move 13,29 ignored: the opponent has left") != std::string::npos; }, 10000))
        << chess.errors();
    EXPECT_EQ(chess.text("Panel2"), "bob has left the game.");
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("d2") + "\t" + SquareCentre("d4")),
        "error control disabled or hidden ChessBrd1");

    // The client going ends the program.
    desk.port.hangUp();
    EXPECT_TRUE(chess.waitForEnd());
}

TEST(ChessProgram, AfterTheGuestsNewGameTheHostMovesFirst)
{
    Desk desk("alice");
    ASSERT_TRUE(desk.port.listening());
    ChessProcess chess(desk.dirs, { "/ext", "/s" });
    HostAfterTheGuestJoined(desk, chess);
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("e2") + "\t" + SquareCentre("e4")), "ok");
    EXPECT_EQ(desk.port.line(), Relay("alice", "bob", "\xFB" "53,37"));

    // The guest's "&New Game": its joined line, then its new-game line.
    desk.port.send("\xFA" "bob");
    desk.port.send("newgame");
    ASSERT_TRUE(chess.waitForText("ChessBrd1", kStart));
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("d2") + "\t" + SquareCentre("d4")), "ok");
    EXPECT_EQ(desk.port.line(), Relay("alice", "bob", "\xFB" "52,36"));
}

TEST(ChessProgram, GuestSendsJoinedBeforeRegisteringAndMovesOnlyOnItsTurn)
{
    Desk desk("bob");
    ASSERT_TRUE(desk.port.listening());
    ChessProcess chess(desk.dirs, { "/ext", "/c", "alice" });
    ASSERT_TRUE(desk.port.waitForClient());
    EXPECT_EQ(desk.port.line(), Relay("bob", "alice", "\xFA" "bob"));
    EXPECT_EQ(desk.port.line(), "\xFC" + PidKey());
    EXPECT_EQ(chess.text("Panel0"), "alice (w)");
    EXPECT_EQ(chess.text("Panel1"), "bob (b)");
    EXPECT_EQ(chess.text("Panel2"), "alice moves first.");
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("e7", true) + "\t" + SquareCentre("e5", true)),
        "error control disabled or hidden ChessBrd1");

    desk.port.send("\xFB" "53,37");
    ASSERT_TRUE(chess.waitForText("Panel2", "Your move..."));
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("e7", true) + "\t" + SquareCentre("e5", true)), "ok");
    EXPECT_EQ(desk.port.line(), Relay("bob", "alice", "\xFB" "13,29"));

    // A move that is no legal move of White's is ignored and leaves the board disabled for Black.
    desk.port.send("\xFB" "13,21");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return chess.errors().find("opponent's move 13,21 ignored: not a legal move") != std::string::npos; }, 10000))
        << chess.errors();
    EXPECT_EQ(chess.text("Panel2"), "Waiting for alice to move...");
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("d7", true) + "\t" + SquareCentre("d5", true)),
        "error control disabled or hidden ChessBrd1");

    desk.port.send("newgame");
    EXPECT_EQ(desk.port.line(), Relay("bob", "alice", "\xFA" "bob")) << "a new game joins again";
    ASSERT_TRUE(chess.waitForText("ChessBrd1", kStart));

    desk.port.send("reject");
    ASSERT_TRUE(chess.waitForText("Panel2", "Sorry, player did not respond."));

    EXPECT_EQ(chess.command("menu\tForm1\tAbout"), "ok");
    EXPECT_EQ(chess.command("ping"), "ok pong");
    EXPECT_NE(chess.errors().find("Version: " + TIniFile(kProgramDir + "/plugin.inf").ReadString("Larkspire.Plugin", "version", "?")),
        std::string::npos);
    EXPECT_EQ(chess.command("menu\tForm1\tExit"), "ok");
    EXPECT_TRUE(chess.waitForEnd()) << "closing the window ends the program";
}

TEST(ChessProgram, ASecondStartShowsNothing)
{
    Desk desk("alice");
    ASSERT_TRUE(desk.port.listening());
    ChessProcess first(desk.dirs, { "/ext", "/s" });
    ASSERT_TRUE(desk.port.waitForClient());
    ASSERT_EQ(first.command("ping"), "ok pong");
    ChessProcess second(desk.dirs, { "/ext", "/s" });
    ASSERT_TRUE(second.waitForEnd());
    EXPECT_FALSE(desk.port.callWaiting());
    EXPECT_EQ(second.errors().find("Unable to execute"), std::string::npos) << "no message box either";
}

TEST(ChessProgram, AStartWithoutExtShowsTheErrorBoxAndNoWindow)
{
    Desk desk("alice");
    ASSERT_TRUE(desk.port.listening());
    ChessProcess chess(desk.dirs, {});
    ASSERT_TRUE(chess.waitForEnd());
    EXPECT_NE(chess.errors().find("Unable to execute externally."), std::string::npos);
    EXPECT_FALSE(desk.port.callWaiting()) << "no window, no connection";
}

TEST(ChessProgram, WithAForeignLocalAddressTheWindowStillComesUp)
{
    ScratchDirs dirs;
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nUserLoginName=alice\r\nlocalAddress=192.0.2.7\r\n");
    // It calls the client's port at 127.0.0.1 instead, and its window stays once it got there.
    ScriptedPort port("127.0.0.1");
    if (!port.listening())
        GTEST_SKIP() << "127.0.0.1:8090 is held by another program here";
    ChessProcess chess(dirs, { "/ext", "/s" });
    ASSERT_TRUE(port.waitForClient()) << chess.errors();
    EXPECT_EQ(port.line(), "\xFC" + PidKey());
    EXPECT_NE(chess.command("windows").find("Form1:"), std::string::npos) << chess.errors();
}

TEST(ChessProgram, AMateAgainstTheHostIsAnnouncedAndStartsANewGame)
{
    Desk desk("alice");
    ASSERT_TRUE(desk.port.listening());
    ChessProcess chess(desk.dirs, { "/ext", "/s" });
    ASSERT_TRUE(desk.port.waitForClient());
    desk.port.line();
    desk.port.send("\xF8" "bob");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return chess.command("menu\tForm1\tbob") == "ok"; }, 10000));
    desk.port.line();
    desk.port.send("\xFA" "bob");
    ASSERT_TRUE(chess.waitForText("Panel2", "Connected. alice moves first."));
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("f2") + "\t" + SquareCentre("f3")), "ok");
    EXPECT_EQ(desk.port.line(), Relay("alice", "bob", "\xFB" "54,46"));
    desk.port.send("\xFB" "13,29");
    ASSERT_TRUE(chess.waitForText("Panel2", "Your move..."));
    EXPECT_EQ(chess.command("drag\tForm1\tChessBrd1\t" + SquareCentre("g2") + "\t" + SquareCentre("g4")), "ok");
    EXPECT_EQ(desk.port.line(), Relay("alice", "bob", "\xFB" "55,39"));
    desk.port.send("\xFB" "4,40");
    EXPECT_EQ(desk.port.line(), Relay("alice", "bob", "newgame")) << "the host starts the next game";
    EXPECT_NE(chess.errors().find("Checkmate!"), std::string::npos);
    EXPECT_EQ(chess.text("Panel2"), "[CHECK] Your move...");
    EXPECT_EQ(chess.text("ChessBrd1"), kStart);
}

TEST(ChessProgram, TheWindowHasAnEmptyTitleBarAndTheKitsFormStyler)
{
    TForm1 form({ "/ext", "/s" });
    EXPECT_EQ(form.windowTitle(), " ") << "the desktop would show the program's name in an empty title";
    ASSERT_NE(form.FormStyler1, nullptr);
    EXPECT_EQ(form.FormStyler1->CaptionImage().width(), form.width());
}
