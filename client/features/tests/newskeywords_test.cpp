#include "client/features/newskeywords.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(News, KeywordsAreSplitAtCommasAndTrimmed)
{
    TStringList lines;
    lines.Add("gold, silver ,,");
    TStringList keywords;
    ParseNewsKeywords(lines, keywords);
    ASSERT_EQ(keywords.Count(), 2);
    EXPECT_EQ(keywords[0], "gold");
    EXPECT_EQ(keywords[1], "silver");
}

TEST(News, LongKeywordKeepsItsFirstTwentyFiveBytes)
{
    TStringList lines;
    lines.Add("abcdefghijklmnopqrstuvwxyzabcd");
    TStringList keywords;
    ParseNewsKeywords(lines, keywords);
    ASSERT_EQ(keywords.Count(), 1);
    EXPECT_EQ(keywords[0], "abcdefghijklmnopqrstuvwxy");
}

TEST(News, KeywordCountIsBounded)
{
    TStringList lines;
    std::string line;
    for (int i = 0; i < 3000; ++i)
        line += "k" + std::to_string(i) + ",";
    lines.Add(line);
    TStringList keywords;
    ParseNewsKeywords(lines, keywords);
    EXPECT_EQ(keywords.Count(), kMaxNewsKeywords);
}

TEST(News, MissingOrBlankKeywordFileMeansNoKeywords)
{
    ScratchDirs dirs;
    TStringList lines;
    TStringList keywords;
    ReadNewsKeywords(dirs.appDir() + "/keywords.txt", lines, keywords);
    EXPECT_EQ(keywords.Count(), 0);
    dirs.write("app/keywords.txt", "  \r\n\r\n");
    ReadNewsKeywords(dirs.appDir() + "/keywords.txt", lines, keywords);
    EXPECT_EQ(keywords.Count(), 0);
    dirs.write("app/keywords.txt", "Gold\r\nOil, gas\r\n");
    ReadNewsKeywords(dirs.appDir() + "/keywords.txt", lines, keywords);
    EXPECT_EQ(keywords.Count(), 3);
}

TEST(News, KeywordMatchIgnoresCaseAndSkipsSeenHeadlines)
{
    TStringList keywords;
    keywords.Add("GOLD");
    TStringList seen;
    seen.SetCaseSensitive(false);
    seen.SetSorted(true);
    EXPECT_TRUE(HeadlineMatches("Gold price rises", keywords, seen));
    EXPECT_FALSE(HeadlineMatches("Silver falls", keywords, seen));
    seen.Add("GOLD PRICE RISES");
    EXPECT_FALSE(HeadlineMatches("Gold price rises", keywords, seen));
}

TEST(News, SeenListReadsAtMostFourThousandLines)
{
    ScratchDirs dirs;
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "headline " + std::to_string(i) + "\r\n";
    dirs.write("app/oldnews.tmp", text);
    TStringList seen;
    ReadSeenNews(dirs.appDir() + "/oldnews.tmp", seen);
    EXPECT_EQ(seen.Count(), kMaxSeenLines);
    EXPECT_TRUE(seen.Sorted());
    int index = 0;
    EXPECT_TRUE(seen.Find("HEADLINE 3999", index));
}
