#include "localservice/query.h"

#include <gtest/gtest.h>

namespace {

TEST(Query, DecodesEscapesToRawBytesAndKeepsPlus)
{
    const auto query = Query::Parse("Name=a%20b+c%B6&x=");
    ASSERT_TRUE(query);
    EXPECT_EQ(query->single("name"), "a b+c\xB6");
    EXPECT_EQ(query->single("x"), "");
}

TEST(Query, ARepeatedNameHasNoSingleValueButAllInOrder)
{
    const auto query = Query::Parse("buddy=b&BUDDY=a&Buddy=c");
    ASSERT_TRUE(query);
    EXPECT_FALSE(query->single("buddy"));
    EXPECT_EQ(query->all("buddy"), (std::vector<std::string> { "b", "a", "c" }));
}

TEST(Query, MalformedQueriesAreRefused)
{
    EXPECT_FALSE(Query::Parse("a=%4"));
    EXPECT_FALSE(Query::Parse("a=%g1"));
    EXPECT_FALSE(Query::Parse("a"));
    EXPECT_FALSE(Query::Parse("=1"));
    EXPECT_FALSE(Query::Parse("a=1&"));
    EXPECT_FALSE(Query::Parse("a=\xB6"));
    EXPECT_FALSE(Query::Parse("a=b c"));
    EXPECT_FALSE(Query::Parse(std::string(Query::kMaxLength + 1, 'a')));
}

TEST(Query, TooManyParametersAreRefused)
{
    std::string raw = "a=1";
    for (std::size_t i = 1; i < Query::kMaxParameters; ++i)
        raw += "&a=1";
    EXPECT_TRUE(Query::Parse(raw));
    EXPECT_FALSE(Query::Parse(raw + "&a=1"));
}

}  // namespace
