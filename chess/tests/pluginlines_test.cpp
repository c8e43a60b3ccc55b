#include "chess/pluginlines.h"

#include <gtest/gtest.h>

using namespace chess;
using Kind = PluginLine::Kind;

TEST(PluginLines, SentLinesHaveTheClientsRelayForm)
{
    EXPECT_EQ(RegisterLine("{k}"), "\xFC{k}");
    EXPECT_EQ(InviteLine("alice", "bob"), "\xFBpluginrequest,alice,bob,\"chess\\\"");
    EXPECT_EQ(PluginRelayLine("{k}", "alice", "bob", MovePayload(53, 37)), "\xFB\xF9{k},alice,bob,\"\xFB" "53,37\"");
    EXPECT_EQ(PluginRelayLine("{k}", "bob", "alice", JoinedPayload("bob")), "\xFB\xF9{k},bob,alice,\"\xFA" "bob\"");
}

TEST(PluginLines, ReceivedLinesAreRecognisedByTheirFirstByte)
{
    EXPECT_EQ(ParsePluginLine("\xF8" "bob").kind, Kind::Buddy);
    EXPECT_EQ(ParsePluginLine("\xF8" "bob").name, "bob");
    EXPECT_EQ(ParsePluginLine("\xFA" "bob").kind, Kind::Joined);
    EXPECT_EQ(ParsePluginLine("reject").kind, Kind::Reject);
    EXPECT_EQ(ParsePluginLine("newgame").kind, Kind::NewGame);
    EXPECT_EQ(ParsePluginLine("NEWGAME").kind, Kind::Other);
    EXPECT_EQ(ParsePluginLine("").kind, Kind::Other);
    EXPECT_EQ(ParsePluginLine("\xFC" "x").kind, Kind::Other);
}

TEST(PluginLines, AMoveNeedsTwoSquareNumbers)
{
    const PluginLine move = ParsePluginLine("\xFB" "13,29");
    EXPECT_EQ(move.kind, Kind::Move);
    EXPECT_EQ(move.from, 13);
    EXPECT_EQ(move.to, 29);
    for (const char* bad : { "\xFB" "0,5", "\xFB" "5,65", "\xFB" "x,5", "\xFB" "5", "\xFB" "5,", "\xFB" "-1,5", "\xFB" "5,6,7",
             "\xFB" "005,6", "\xFB" " 5,6" }) {
        const PluginLine parsed = ParsePluginLine(bad);
        EXPECT_EQ(parsed.kind, Kind::Move);
        EXPECT_EQ(parsed.from, 0) << bad + 1;
        EXPECT_EQ(parsed.to, 0) << bad + 1;
    }
}

TEST(PluginLines, ThePortIsReachedOnlyOnALoopbackAddress)
{
    EXPECT_EQ(PluginPortHost("127.4.5.6"), "127.4.5.6");
    EXPECT_EQ(PluginPortHost("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(PluginPortHost("192.0.2.7"), "127.0.0.1");
    EXPECT_EQ(PluginPortHost("10.127.0.1"), "127.0.0.1");
    EXPECT_EQ(PluginPortHost("localhost"), "127.0.0.1");
    EXPECT_EQ(PluginPortHost(""), "127.0.0.1");
    EXPECT_EQ(PluginPortHost("127.0.0.1 ; rm"), "127.0.0.1");
}
