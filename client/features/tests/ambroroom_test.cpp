#include "client/features/ambroroom.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A room registered as "ann" in "#lobby" of site "Birds", recording what it sends.
struct RoomUnderTest {
    TAmbroRoom room;
    std::vector<std::string> sent;
    int messages { 0 };
    int disconnects { 0 };

    RoomUnderTest()
    {
        room.Sitename = "Birds";
        room.DefaultRoom = "#lobby";
        room.CurrentRoom = "#lobby";
        room.Nick = "ann";
        room.Email = "ann@example.org";
        room.SiteMode = true;
        room.SendLine = [this](const std::string& line) { sent.push_back(line); };
        room.OnMessage = [this] { ++messages; };
        room.OnDisconnect = [this] { ++disconnects; };
        room.RandomSuffix = [] { return 42; };
        room.Register();
        sent.clear();
    }
    std::string lastShown() const { return room.Transcript().empty() ? "" : room.Transcript().back().Plain(); }
};

}  // namespace

TEST(Ambro, RegistersWithTheEmailNickAndUser)
{
    TAmbroRoom room;
    std::vector<std::string> sent;
    room.Nick = "ann";
    room.Email = "ann@example.org";
    room.SendLine = [&](const std::string& line) { sent.push_back(line); };
    room.Register();
    EXPECT_EQ(sent, (std::vector<std::string> { "PASS ann@example.org", "NICK ann", "USER ann X Y: ann" }));
    EXPECT_EQ(room.RegisteredNick, "ann");
}

TEST(Ambro, JoinsTheDefaultRoomAfterTheMotdOrWhenThereIsNone)
{
    RoomUnderTest a;
    a.room.HandleLine(":irc.example 376 ann :End of MOTD command");
    RoomUnderTest b;
    b.room.HandleLine(":irc.example 422 ann :MOTD File is missing");
    EXPECT_EQ(a.sent, std::vector<std::string> { "JOIN #lobby" });
    EXPECT_EQ(b.sent, std::vector<std::string> { "JOIN #lobby" });
}

TEST(Ambro, AnswersPingWithThePayload)
{
    RoomUnderTest t;
    t.room.HandleLine("PING :irc.example.net");
    EXPECT_EQ(t.sent, std::vector<std::string> { "PONG irc.example.net" });
}

TEST(Ambro, EndOfNamesSetsCaptionAndStatus)
{
    RoomUnderTest t;
    t.room.HandleLine(":irc.example 353 ann = #lobby :ann @op bob");
    t.room.HandleLine(":irc.example 366 ann #lobby :End of NAMES list");
    EXPECT_EQ(t.room.Caption, "ann on Birds - Korvo Ambro\xAE");
    EXPECT_EQ(t.room.Status, "Now chatting in \"lobby\" room");
    EXPECT_EQ(t.room.PersonsCaption(), "Persons (3)");
}

TEST(Ambro, ANickCollisionTriesAgainWithANumber)
{
    RoomUnderTest t;
    t.room.HandleLine(":irc.example 433 * ann :Nickname already in use");
    EXPECT_EQ(t.room.Nick, "ann42");
    EXPECT_EQ(t.room.RegisteredNick, "ann42");
    EXPECT_EQ(t.sent, std::vector<std::string> { "NICK ann42" }) << "PASS and USER were taken already";
}

TEST(Ambro, TenCollisionsInARowEndTheChat)
{
    RoomUnderTest t;
    for (int i = 0; i < 12; ++i)
        t.room.HandleLine(":irc.example 433 * x :Nickname already in use");
    EXPECT_EQ(t.disconnects, 1);
    EXPECT_FALSE(t.room.SiteMode);
    EXPECT_NE(t.lastShown().find("Connection aborted"), std::string::npos);
    EXPECT_EQ(t.sent.size(), 9u);
}

TEST(Ambro, ANickHolding433IsNoCollision)
{
    RoomUnderTest t;
    t.room.HandleLine(":x433!u@h PRIVMSG #lobby :hi");
    EXPECT_EQ(t.room.Nick, "ann");
    EXPECT_EQ(t.lastShown(), "x433 says \"hi\"");
}

TEST(Ambro, AKickOfOursDisconnectsWithTheReason)
{
    RoomUnderTest t;
    t.room.HandleLine(":irc.example 353 ann = #lobby :ann bob");
    t.room.HandleLine(":op!o@h KICK #lobby ann :behave");
    EXPECT_EQ(t.disconnects, 1);
    EXPECT_EQ(t.room.Status, "Disconnected");
    EXPECT_FALSE(t.room.InputEnabled);
    EXPECT_EQ(t.room.PersonsCaption(), "Persons (0)");
    ASSERT_EQ(t.room.Transcript().size(), 1u);
    EXPECT_EQ(t.lastShown(), "Birds : behave");
    t.room.HandleLine(":bob!b@h PRIVMSG #lobby :still there?");
    EXPECT_EQ(t.room.Transcript().size(), 1u);
}

TEST(Ambro, AKickOfAnotherOrFromAKickerNickLeavesUsIn)
{
    RoomUnderTest t;
    t.room.HandleLine(":irc.example 353 ann = #lobby :ann bob");
    t.room.HandleLine(":op!o@h KICK #lobby bob :bye");
    t.room.HandleLine(":KICKer!k@h PRIVMSG #lobby :hello");
    EXPECT_EQ(t.disconnects, 0);
    EXPECT_EQ(t.room.PersonsCaption(), "Persons (1)");
    EXPECT_EQ(t.lastShown(), "KICKer says \"hello\"");
}

TEST(Ambro, ActionsShowTheSenderFollowedByTheWords)
{
    RoomUnderTest t;
    t.room.HandleLine(":bob!b@h PRIVMSG #lobby :\x01" "ACTION waves hello\x01");
    EXPECT_EQ(t.lastShown(), "bob waves hello");
    EXPECT_EQ(t.messages, 1);
}

TEST(Ambro, APrivateMessageNamesItsSender)
{
    RoomUnderTest t;
    t.room.HandleLine(":bob!b@h PRIVMSG ann :psst");
    EXPECT_EQ(t.lastShown(), "<PRIVATE MESSAGE from bob> says \"psst\"");
}

TEST(Ambro, AMessageWithoutTextShowsNothing)
{
    RoomUnderTest t;
    t.room.HandleLine(":p!q@r PRIVMSG #lobby");
    t.room.HandleLine(":p!q@r PRIVMSG ann");
    t.room.HandleLine(":irc.example 332 ann #lobby");
    EXPECT_TRUE(t.room.Transcript().empty()) << t.lastShown();
    EXPECT_EQ(t.messages, 0);
}

TEST(Ambro, ANickTheServerRefusesEndsTheChatWithItsReason)
{
    RoomUnderTest t;
    t.room.HandleLine(":irc.example 432 * bird:er :Erroneous nickname");
    EXPECT_FALSE(t.room.SiteMode);
    EXPECT_EQ(t.disconnects, 1);
    EXPECT_EQ(t.room.Status, "Disconnected");
    EXPECT_EQ(t.room.Caption, "Korvo Ambro\xAE - closed");
    ASSERT_EQ(t.room.Transcript().size(), 2u);
    EXPECT_EQ(t.room.Transcript()[0].Plain(), "Birds says \"Erroneous nickname\"");
    EXPECT_EQ(t.lastShown(), "*** Unable to successfully connect to Birds Connection aborted");
}

TEST(Ambro, TheTopicIsShownAsTheSitesNotice)
{
    RoomUnderTest t;
    t.room.HandleLine(":irc.example 332 ann #lobby :Welcome, birders");
    EXPECT_EQ(t.lastShown(), "Birds says \"Welcome, birders\"");
}

TEST(Ambro, JoinsPartsAndQuitsKeepThePersonList)
{
    RoomUnderTest t;
    t.room.HandleLine(":bob!b@h JOIN :#lobby");
    t.room.HandleLine(":cy!c@h join #LOBBY");
    t.room.HandleLine(":ann!a@h JOIN :#lobby");
    t.room.HandleLine(":dee!d@h JOIN :#other");
    EXPECT_EQ(t.room.Persons(), (std::vector<std::string> { "bob", "cy" }));
    t.room.HandleLine(":bob!b@h PART #lobby :bye");
    t.room.HandleLine(":cy!c@h QUIT :gone");
    EXPECT_EQ(t.room.PersonsCaption(), "Persons (0)");
    EXPECT_EQ(t.lastShown(), "cy has left this conference");
}

TEST(Ambro, SendingPutsTheWholeTextBehindAColonOnOneLine)
{
    RoomUnderTest t;
    EXPECT_TRUE(t.room.Say("hello all\r\nQUIT :x"));
    EXPECT_EQ(t.sent, std::vector<std::string> { "PRIVMSG #lobby :hello all  QUIT :x" });
    EXPECT_EQ(t.lastShown(), "ann says \"hello all  QUIT :x\"");
    EXPECT_FALSE(t.room.Say("   "));
}

TEST(Ambro, AWhisperGoesToTheSelectedPersonUnshown)
{
    RoomUnderTest t;
    EXPECT_FALSE(t.room.Whisper("", "hi"));
    EXPECT_TRUE(t.room.Whisper("@op", "two words"));
    EXPECT_EQ(t.sent, std::vector<std::string> { "PRIVMSG op :two words" });
    EXPECT_TRUE(t.room.Transcript().empty());
}

TEST(Ambro, ChangingRoomsPartsAndJoins)
{
    RoomUnderTest t;
    t.room.HandleLine(":bob!b@h JOIN :#lobby");
    t.room.ChangeRoom("#hawks");
    EXPECT_EQ(t.sent, (std::vector<std::string> { "PART #lobby", "JOIN #hawks" }));
    EXPECT_EQ(t.room.CurrentRoom, "#hawks");
    EXPECT_TRUE(t.room.Persons().empty());
    EXPECT_TRUE(t.room.Transcript().empty());
}

TEST(Ambro, MalformedLinesAreIgnored)
{
    RoomUnderTest t;
    for (const char* line : { "", ":", ":only", "  ", ":a!b@c", ":x!y@z PRIVMSG", "PRIVMSG", ":!@ 353", "KICK", "433x" })
        t.room.HandleLine(line);
    EXPECT_TRUE(t.room.Transcript().empty());
    EXPECT_EQ(t.room.Nick, "ann");
    EXPECT_EQ(t.disconnects, 0);
}

TEST(Ambro, ShownTextIsEscapedForTheTranscript)
{
    const TAmbroRoom::TSaid said = SaidLine("b{o}b", "a\\par } \xE9");
    EXPECT_NE(said.Rtf().find("b\\{o\\}b"), std::string::npos);
    EXPECT_NE(said.Rtf().find("a\\\\par \\} \\'e9"), std::string::npos);
}

TEST(Ambro, AFloodKeepsTheLastLinesAndABoundedPersonList)
{
    RoomUnderTest t;
    for (int i = 0; i < 2500; ++i)
        t.room.HandleLine(":bob!b@h PRIVMSG #lobby :line " + std::to_string(i));
    EXPECT_EQ(t.room.Transcript().size(), TAmbroRoom::kMaxTranscript);
    EXPECT_EQ(t.lastShown(), "bob says \"line 2499\"");
    std::string names;
    for (int i = 0; i < 6000; ++i)
        names += " p" + std::to_string(i);
    t.room.HandleLine(":irc.example 353 ann = #lobby :" + names);
    EXPECT_EQ(t.room.Persons().size(), TAmbroRoom::kMaxPersons);
}

TEST(Ambro, NothingIsHandledOnceTheSiteFlagIsOff)
{
    RoomUnderTest t;
    t.room.ConnectFailed();
    EXPECT_EQ(t.room.Caption, "Korvo Ambro\xAE - closed");
    EXPECT_EQ(t.lastShown(), "*** Unable to successfully connect to Birds Connection aborted");
    t.room.HandleLine("PING :x");
    EXPECT_TRUE(t.sent.empty());
}
