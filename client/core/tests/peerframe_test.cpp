#include "client/core/peerframe.h"

#include <gtest/gtest.h>

TEST(PeerFrame, BuilderWritesTheFrameByteForByte)
{
    EXPECT_EQ(BuildPeerFrame("inf", "alice", "a@x.org", "bob"), "\xFB" "inf,alice,\"a@x.org\",\"bob\"");
    EXPECT_EQ(BuildPeerFrame("ping", "alice", "", ""), "\xFB" "ping,alice,\"\",\"\"");
}

TEST(PeerFrame, BuilderQuotesAPathSoItsCommasSurvive)
{
    const std::string frame = BuildPeerFrame("startsendfile", "bob", "/home/b/one, two.txt", "4000");
    EXPECT_EQ(frame, "\xFB" "startsendfile,bob,\"/home/b/one, two.txt\",\"4000\"");
    EXPECT_EQ(SplitPeerFrame(frame).f3, "/home/b/one, two.txt");
    EXPECT_EQ(SplitPeerFrame(frame).f4, "4000");
}

TEST(PeerFrame, SplitterReadsTheFourFields)
{
    const TPeerFrame frame = SplitPeerFrame("\xFB" "away,bob,\"b@x.org\",\"at lunch\"");
    EXPECT_EQ(frame.f1, "away");
    EXPECT_EQ(frame.f2, "bob");
    EXPECT_EQ(frame.f3, "b@x.org");
    EXPECT_EQ(frame.f4, "at lunch");
}

TEST(PeerFrame, CommasInsideQuotedFieldsSurviveButNotInTheFirstTwo)
{
    const TPeerFrame frame = SplitPeerFrame("\xFB" "note,bob,\"link, and date\",\"hello, you\"");
    EXPECT_EQ(frame.f3, "link, and date");
    EXPECT_EQ(frame.f4, "hello, you");
    const TPeerFrame spoof = SplitPeerFrame("\xFB" "inf,bob,carol,\"x\",\"me\"");
    EXPECT_EQ(spoof.f2, "bob");
    EXPECT_EQ(spoof.f3, "carol");
}

TEST(PeerFrame, AnEmptyF3StillYieldsF4)
{
    const TPeerFrame frame = SplitPeerFrame(BuildPeerFrame("inf", "bob", "", "alice"));
    EXPECT_EQ(frame.f3, "");
    EXPECT_EQ(frame.f4, "alice");
}

TEST(PeerFrame, DoubledCommasCountAsOne)
{
    const TPeerFrame frame = SplitPeerFrame("\xFB" "ping,,bob,,\"e\",,\"f\"");
    EXPECT_EQ(frame.f1, "ping");
    EXPECT_EQ(frame.f2, "bob");
    EXPECT_EQ(frame.f3, "e");
    EXPECT_EQ(frame.f4, "f");
}

TEST(PeerFrame, AMissingClosingQuoteRunsToTheByteBeforeTheLast)
{
    const TPeerFrame frame = SplitPeerFrame("\xFB" "away,bob,\"e\",\"gone fishing!");
    EXPECT_EQ(frame.f3, "e");
    EXPECT_EQ(frame.f4, "gone fishing");
}

TEST(PeerFrame, HighBytesPassUnchanged)
{
    const std::string text = "gr\xFC\xDF \xB6 \xEF" "quoted\xEF \xFF";
    EXPECT_EQ(SplitPeerFrame(BuildPeerFrame("away", "bob", "", text)).f4, text);
}

TEST(PeerFrame, AFrameOf1022CharactersFitsAnd1023DoesNot)
{
    const std::string head = BuildPeerFrame("chat", "bob", "alice", "");
    const std::string fits = BuildPeerFrame("chat", "bob", "alice", std::string(1022 - head.size(), 'x'));
    ASSERT_EQ(fits.size(), 1022u);
    EXPECT_TRUE(FrameFits(fits));
    const std::string over = BuildPeerFrame("chat", "bob", "alice", std::string(1023 - head.size(), 'x'));
    ASSERT_EQ(over.size(), 1023u);
    EXPECT_FALSE(FrameFits(over));
    EXPECT_EQ(SplitPeerFrame(fits).f4, std::string(1022 - head.size(), 'x'));
}

TEST(PeerFrame, LinesNotShapedAsTheBuilderWritesThemFollowTheSameRules)
{
    // A comma at a quoted field's end is trimmed as a delimiter.
    EXPECT_EQ(SplitPeerFrame("\xFB" "away,bob,\"e\",\",x,\"").f4, "x");
    EXPECT_EQ(SplitPeerFrame("\xFB" "away,bob,\",e\",\"x\"").f3, "e");
    // A quote inside the last field ends it.
    EXPECT_EQ(SplitPeerFrame("\xFB" "away,bob,\"e\",\"say \"hi\"\"").f4, "say ");
    // Bytes after the last quoted field are not part of it.
    const TPeerFrame extra = SplitPeerFrame("\xFB" "ping,bob,\"e\",\"f\",extra");
    EXPECT_EQ(extra.f3, "e");
    EXPECT_EQ(extra.f4, "f");
}
