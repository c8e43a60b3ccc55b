#include "client/features/newsfiles.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

namespace {

TDateTime At(int hour, int minute) { return EncodeDate(2026, 3, 10) + EncodeTime(hour, minute, 0, 0); }

}  // namespace

TEST(News, LastUpdatedRoundTrips)
{
    const TDateTime when = EncodeDate(2026, 1, 2) + EncodeTime(3, 4, 5, 0);
    EXPECT_EQ(FormatNewsTime(when), "2026-01-02 03:04:05");
    TDateTime read = 0;
    ASSERT_TRUE(ParseNewsTime("2026-01-02 03:04:05", read));
    EXPECT_EQ(FormatNewsTime(read), "2026-01-02 03:04:05");
    EXPECT_FALSE(ParseNewsTime("2026-02-30 03:04:05", read));
    EXPECT_FALSE(ParseNewsTime("1/2/2026 3:04:05 AM", read));
}

TEST(News, StaleAfterTwoHoursInAll)
{
    const TDateTime now = At(12, 0);
    EXPECT_FALSE(NewsIsStale(FormatNewsTime(At(11, 30)), now));
    EXPECT_FALSE(NewsIsStale(FormatNewsTime(At(10, 1)), now));
    EXPECT_TRUE(NewsIsStale(FormatNewsTime(At(10, 0)), now));
    EXPECT_TRUE(NewsIsStale(FormatNewsTime(At(11, 0) - 1.0), now));
    EXPECT_TRUE(NewsIsStale("", now));
    EXPECT_TRUE(NewsIsStale("yesterday", now));
    // A clock set back: the stored time lies ahead.
    EXPECT_TRUE(NewsIsStale(FormatNewsTime(At(13, 0)), now));
    EXPECT_FALSE(NewsIsStale(FormatNewsTime(now), now));
}

TEST(News, IniTextRoundTripsThroughTheReader)
{
    ScratchDirs dirs;
    const std::vector<NewsSection> sections {
        { "World", { { "One", "http://a/1" }, { "Two", "http://a/2" } } },
        { "Empty", {} },
        { "Sport", { { "Goal", "http://b/1" } } },
    };
    const std::string text = NewsIniText(sections);
    EXPECT_EQ(text, "[World]\r\n0=One\xB6http://a/1\r\n1=Two\xB6http://a/2\r\n[Sport]\r\n0=Goal\xB6http://b/1\r\n");
    dirs.write("app/News.ini", text);
    const auto read = ReadNewsIni(dirs.appDir() + "/news.INI");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].name, "World");
    ASSERT_EQ(read[0].entries.size(), 2u);
    EXPECT_EQ(read[0].entries[1].link, "http://a/2");
    EXPECT_EQ(read[1].entries[0].headline, "Goal");
}

TEST(News, ReaderStopsAtTheFirstMissingKey)
{
    ScratchDirs dirs;
    dirs.write("app/News.ini", "[A]\r\n0=x\xB6l0\r\n2=z\xB6l2\r\n1=y\xB6l1\r\n3=nolink\r\n5=gap\r\n");
    const auto read = ReadNewsIni(dirs.appDir() + "/News.ini");
    ASSERT_EQ(read.size(), 1u);
    ASSERT_EQ(read[0].entries.size(), 4u);
    EXPECT_EQ(read[0].entries[2].headline, "z");
    EXPECT_EQ(read[0].entries[3].headline, "");
    EXPECT_EQ(read[0].entries[3].link, "nolink");
}

TEST(News, TrimOldNewsDeletesOnlyALargeSeenList)
{
    ScratchDirs dirs;
    dirs.write("app/OldNews.tmp", std::string(8000, 'x'));
    TrimOldNews();
    EXPECT_TRUE(dirs.exists("app/OldNews.tmp"));
    dirs.write("app/OldNews.tmp", std::string(8001, 'x'));
    TrimOldNews();
    EXPECT_FALSE(dirs.exists("app/OldNews.tmp"));
}

TEST(News, SourcesAreTheSectionsWithGetInFileOrder)
{
    ScratchDirs dirs;
    dirs.write("app/News.inf", "[Zeta]\r\nGet=1\r\n[Alpha]\r\nGet=0\r\n[Beta]\r\nsrc=x\r\n[Gamma]\r\nGet=1\r\n");
    const auto listed = NewsSources(false);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0], "Zeta");
    EXPECT_EQ(listed[1], "Gamma");
    EXPECT_EQ(NewsSources(true).size(), 3u);
}
