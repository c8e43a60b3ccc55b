#include "peer_host.h"

#include "chess/tests/boardsquares.h"

#include <gtest/gtest.h>

namespace {

const std::string kStart = "rnbqkbnrpppppppp" + std::string(32, ' ') + "PPPPPPPPRNBQKBNR";
const char* const kPrompt = "Incoming Request...";

// The position after a move from one square to another (no captures of note here).
std::string Moved(std::string position, const char* from, const char* to)
{
    const auto index = [](const char* square) { return (8 - (square[1] - '0')) * 8 + (square[0] - 'a'); };
    position[index(to)] = position[index(from)];
    position[index(from)] = ' ';
    return position;
}

}  // namespace

TEST(ChessGame, TwoBuddiesPlayThroughTheirClients)
{
    Buddies users({ { "alice", 2 }, { "bob", 3 } });
    Host& alice = users[0];
    Host& bob = users[1];
    bob.lists("carol", "DirectConnect=" + LoopbackHost(4) + "\r\n");
    alice.installChess();
    bob.installChess();
    ASSERT_TRUE(users.signOn());

    // alice picks chess from the buddy menu; it learns bob is there and invites him.
    EXPECT_EQ(alice.process->command("menu\tForm1\tChess"), "ok");
    AutomationClient aliceChess(alice.socket() + ".chess");
    ASSERT_TRUE(aliceChess.waitFor("menu\tForm1\tbob", "ok")) << aliceChess.command("windows");
    EXPECT_TRUE(aliceChess.waitForText("Form1", "Panel2", "Inviting bob, Waiting for reply..."));

    // bob's client puts the invitation before him, naming his own chess folder, and he accepts it.
    ASSERT_TRUE(bob.peerHookSeen("RequestPrompt|2|alice|" + bob.dirs.appDir() + "/plugins/chess"))
        << bob.process->command("peerhooks");
    AutomationClient& bobClient = bob.process->automation();
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return bobClient.text(kPrompt, "Label1").find("alice would like to play chess.") != std::string::npos; }, 20000))
        << bobClient.command("windows");
    ASSERT_EQ(bobClient.command(std::string("click\t") + kPrompt + "\tButton1"), "ok");
    AutomationClient bobChess(bob.socket() + ".chess");
    ASSERT_TRUE(bobChess.waitForText("Form1", "Panel2", "alice moves first.")) << bobChess.text("Form1", "Panel2");
    ASSERT_TRUE(aliceChess.waitForText("Form1", "Panel2", "Connected. alice moves first.")) << aliceChess.text("Form1", "Panel2");
    EXPECT_NE(bobClient.command(std::string("find\t") + kPrompt).rfind("ok Form7\t1\t", 0), 0u) << "the prompt closed on the answer";
    EXPECT_EQ(bobChess.text("Form1", "Panel0"), "alice (w)");
    EXPECT_EQ(bobChess.text("Form1", "Panel1"), "bob (b)");

    std::string position = kStart;
    const struct {
        AutomationClient& mover;
        bool turned;
        const char* from;
        const char* to;
    } moves[] = {
        { aliceChess, false, "e2", "e4" },
        { bobChess, true, "e7", "e5" },
        { aliceChess, false, "g1", "f3" },
        { bobChess, true, "b8", "c6" },
    };
    for (const auto& move : moves) {
        ASSERT_EQ(move.mover.command("drag\tForm1\tChessBrd1\t" + SquareCentre(move.from, move.turned) + "\t" + SquareCentre(move.to, move.turned)),
                  "ok")
            << move.from;
        position = Moved(position, move.from, move.to);
        EXPECT_TRUE(aliceChess.waitForText("Form1", "ChessBrd1", position)) << move.from << move.to;
        EXPECT_TRUE(bobChess.waitForText("Form1", "ChessBrd1", position)) << move.from << move.to;
    }
    EXPECT_EQ(aliceChess.text("Form1", "Panel2"), "Your move...");
    EXPECT_EQ(bobChess.text("Form1", "Panel2"), "Waiting for alice to move...");

    // Another host on alice's plug-in port is closed before a byte is read: no buddy list, no relay.
    HostilePeer foreign(bob.address, alice.address, 8090);
    ASSERT_TRUE(foreign.connected());
    foreign.line("\xFC{927971f5-foreign}");
    foreign.line("\xFB\xF9{927971f5-foreign},alice,bob,\"x\"");
    EXPECT_TRUE(foreign.closedUnanswered());

    // A raw peer speaking as bob's buddy carol: a folder outside the plug-ins starts nothing.
    HostilePeer raw(LoopbackHost(4), bob.address);
    ASSERT_TRUE(raw.connected());
    raw.line(Frame("inf", "carol", "carol@example.org", "bob"));
    ASSERT_TRUE(bob.seesOnline("carol", true));
    raw.line(Frame("pluginrequest", "carol", "", "..\\..\\x"));
    raw.line(Frame("pluginrequest", "carol", "", "chess\\"));
    ASSERT_TRUE(bob.peerHookSeen("RequestPrompt|2|carol|" + bob.dirs.appDir() + "/plugins/chess"));
    const std::string hooks = bob.process->command("peerhooks");
    EXPECT_EQ(hooks.find("RequestPrompt|2|carol|" + bob.dirs.appDir() + "/plugins/chess"),
              hooks.rfind("RequestPrompt|2|carol|"))
        << "only the installed folder reached the prompt";

    // alice's client ends without a word: her chess ends with it, and bob's game ends with a message.
    alice.process.reset();
    EXPECT_TRUE(bobChess.waitForText("Form1", "Panel2", "alice has left the game.")) << bobChess.text("Form1", "Panel2");
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return ProcessesWith("chess", "KORVO_WINDIR=" + alice.dirs.windowsDir()).empty(); }, 20000))
        << "alice's chess outlived her client";
    EXPECT_EQ(bobChess.command("menu\tForm1\tExit"), "ok");
}
