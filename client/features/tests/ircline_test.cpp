#include "client/features/ircline.h"

#include <gtest/gtest.h>

TEST(IrcLine, SplitsPrefixCommandAndParametersAsServersDo)
{
    const auto line = ParseIrcLine(":ann!a@host.example PRIVMSG #lobby :hello there\r\n");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->prefix, "ann!a@host.example");
    EXPECT_EQ(line->Sender(), "ann");
    EXPECT_EQ(line->command, "PRIVMSG");
    ASSERT_EQ(line->params.size(), 2u);
    EXPECT_EQ(line->Param(0), "#lobby");
    EXPECT_EQ(line->Trailing(), "hello there");
}

TEST(IrcLine, AnIpv6HostInThePrefixKeepsTheMessageWhole)
{
    const auto line = ParseIrcLine(":bob!b@2001:db8::1 PRIVMSG #lobby :a: b");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->Sender(), "bob");
    EXPECT_EQ(line->Trailing(), "a: b");
}

TEST(IrcLine, EmptyLinesALonePrefixAndNoCommandAreNoLines)
{
    EXPECT_FALSE(ParseIrcLine(""));
    EXPECT_FALSE(ParseIrcLine(":"));
    EXPECT_FALSE(ParseIrcLine(":prefix.only"));
    EXPECT_FALSE(ParseIrcLine(":prefix   "));
    EXPECT_FALSE(ParseIrcLine("   "));
}

TEST(IrcLine, APrefixWithoutBangIsTheSenderWhole)
{
    const auto line = ParseIrcLine(":irc.example.net 376 ann :End of MOTD");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->Sender(), "irc.example.net");
    EXPECT_EQ(line->command, "376");
}

TEST(IrcLine, PastFifteenParametersTheRestIsOne)
{
    std::string text = "CMD";
    for (int i = 0; i < 20; ++i)
        text += " p" + std::to_string(i);
    const auto line = ParseIrcLine(text);
    ASSERT_TRUE(line);
    ASSERT_EQ(line->params.size(), 15u);
    EXPECT_EQ(line->params.back().substr(0, 4), "p14 ");
}

TEST(IrcLine, TypedLineBreaksBecomeBlanks)
{
    EXPECT_EQ(IrcSafeText("hi\r\nQUIT :bye"), "hi  QUIT :bye");
}

TEST(IrcLine, ReceivedUtf8BecomesTheCodePageAndOtherBytesStay)
{
    EXPECT_EQ(IrcTextToAnsi("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(IrcTextToAnsi("caf\xE9"), "caf\xE9");
    EXPECT_EQ(IrcTextToAnsi("\xC3"), "\xC3");
    EXPECT_EQ(AnsiToIrcText("caf\xE9"), "caf\xC3\xA9");
}
