#include "net/tokens.h"

#include "platform/rtl/codepage.h"

#include <gtest/gtest.h>

namespace {

const std::string kQuotes = "\"\"";

}  // namespace

TEST(TrimCharSet, DropsOnlyTheSetAtBothEnds)
{
    EXPECT_EQ(TrimCharSet(",", ",,a,b,,"), "a,b");
    EXPECT_EQ(TrimCharSet(",", ",,,"), "");
    EXPECT_EQ(TrimCharSet(". ", " .x. "), "x");
}

TEST(NextToken, ADoubledCommaCountsAsOne)
{
    std::string source = "a,,b";
    std::string token;
    NextToken(",", source, token);
    EXPECT_EQ(token, "a");
    EXPECT_EQ(source, "b");
}

TEST(NextToken, ASourceWithoutDelimiterIsTakenWhole)
{
    std::string source = "ping";
    std::string token;
    NextToken(",", source, token);
    EXPECT_EQ(token, "ping");
    EXPECT_EQ(source, "");
}

TEST(NextToken, AnEmptySourceGivesAnEmptyToken)
{
    std::string source;
    std::string token = "old";
    NextToken(",", source, token);
    EXPECT_EQ(token, "");
    EXPECT_EQ(source, "");
}

TEST(NextTokenQuoted, AQuotedFieldKeepsItsComma)
{
    std::string source = "\"x,y\",\"z\"";
    std::string token;
    NextTokenQuoted(",", kQuotes, source, token);
    EXPECT_EQ(token, "x,y");
    EXPECT_EQ(source, "\"z\"");
    NextTokenQuoted(",", kQuotes, source, token);
    EXPECT_EQ(token, "z");
    EXPECT_EQ(source, "");
}

TEST(NextTokenQuoted, AQuoteAsTheLastByteIsNoQuote)
{
    std::string source = "ab,\"";
    std::string token;
    NextTokenQuoted(",", kQuotes, source, token);
    EXPECT_EQ(token, "ab");
    EXPECT_EQ(source, "\"");
    NextTokenQuoted(",", kQuotes, source, token);
    EXPECT_EQ(token, "\"");
    EXPECT_EQ(source, "");
}

TEST(NextTokenQuoted, APeerFrameSplitsIntoItsFourFields)
{
    // A chat frame as a buddy sends it, with code-page bytes in the text.
    std::string source = "chat,anna,\"bert\",\"" + Ansi("Grüße, «Bert»") + "\"";
    std::string f1, f2, f3, f4;
    NextToken(",", source, f1);
    NextToken(",", source, f2);
    NextTokenQuoted(",", kQuotes, source, f3);
    NextTokenQuoted(",", kQuotes, source, f4);
    EXPECT_EQ(f1, "chat");
    EXPECT_EQ(f2, "anna");
    EXPECT_EQ(f3, "bert");
    EXPECT_EQ(f4, Ansi("Grüße, «Bert»"));
    EXPECT_EQ(source, "");
}

TEST(NextTokenQuoted, AnEmptyThirdFieldStillLeavesTheFourth)
{
    std::string source = "inf,anna,\"\",\"bert\"";
    std::string f1, f2, f3, f4;
    NextToken(",", source, f1);
    NextToken(",", source, f2);
    NextTokenQuoted(",", kQuotes, source, f3);
    NextTokenQuoted(",", kQuotes, source, f4);
    EXPECT_EQ(f3, "");
    EXPECT_EQ(f4, "bert");
}

TEST(NextTokenQuoted, AnUnclosedQuoteEndsBeforeTheLastByte)
{
    std::string source = "\"abc,d";
    std::string token;
    NextTokenQuoted(",", kQuotes, source, token);
    EXPECT_EQ(token, "abc");
    EXPECT_EQ(source, "");
}

TEST(NextTokenQuoted, HostileLinesNeverOverrun)
{
    for (const std::string& line : { std::string("\""), std::string("\"\""), std::string(",\",\""), std::string(",,,,"),
                                     std::string("\"a\"\"b\""), std::string(1, '\0') + "\",x" }) {
        std::string source = line;
        std::string token;
        for (int i = 0; i < 6; ++i)
            NextTokenQuoted(",", kQuotes, source, token);
        EXPECT_EQ(source, "") << "every field of " << line.size() << " bytes is consumed";
    }
}
