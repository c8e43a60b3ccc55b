#include "client/features/searchquery.h"

#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(SearchQuery, CommaSeparatedTermsFillTheirSlots)
{
    EXPECT_EQ(BuildQueryUrl("find?q=%1&in=%2", "red car, paris", true), "find?q=red+car&in=paris");
}

TEST(SearchQuery, AnEmptyTermTakesNoNumber)
{
    EXPECT_EQ(BuildQueryUrl("find?q=%1&in=%2", "red car,, paris", true), "find?q=red+car&in=paris");
}

TEST(SearchQuery, SlotTenIsNotSlotOne)
{
    EXPECT_EQ(BuildQueryUrl("s?a=%1&j=%10", "a,b,c,d,e,f,g,h,i,j", true), "s?a=a&j=j");
    EXPECT_EQ(BuildQueryUrl("s?a=%1&j=%10", "only", true), "s?a=only&j=%10");
}

TEST(SearchQuery, AnInsertedTermIsNeverReadAsASlot)
{
    EXPECT_EQ(BuildQueryUrl("s?a=%1&b=%2", "50%2, x", true), "s?a=50%252&b=x");
}

TEST(SearchQuery, ReservedBytesInTermsAreEncoded)
{
    EXPECT_EQ(BuildQueryUrl("s?q=%1", "C++ & a=b #1", true), "s?q=C%2B%2B+%26+a%3Db+%231");
    EXPECT_EQ(BuildQueryUrl("s?q=%1", " two words ", false), "s?q=two words ");
}

TEST(SearchQuery, OneShotSearchUsesTheQueryAsTyped)
{
    EXPECT_EQ(SearchWebUrl("s?q=%1", " C++ now"), "s?q= C%2B%2B now");
    EXPECT_EQ(SearchWebUrl("s?q=%10", "x"), "");
    EXPECT_EQ(SearchWebUrl("s?q=", "x"), "");
}

TEST(SearchQuery, ThirtyQueriesLeaveTwentySixNewestFirst)
{
    std::vector<std::string> history;
    for (int i = 1; i <= 30; ++i)
        AddToSearchHistory(history, "q" + std::to_string(i));
    ASSERT_EQ(history.size(), 26u);
    EXPECT_EQ(history.front(), "q30");
    AddToSearchHistory(history, "q29");
    EXPECT_EQ(history.front(), "q30");
}

TEST(SearchQuery, HistoryFileRoundTrips)
{
    ScratchDirs dirs;
    const std::string file = dirs.appDir() + "/queries.txt";
    SaveSearchHistory(file, { "b", "a" });
    EXPECT_EQ(dirs.read("app/queries.txt").empty() ? dirs.read("queries.txt") : dirs.read("app/queries.txt"), "b\r\na\r\n");
    EXPECT_EQ(LoadSearchHistory(file), (std::vector<std::string> { "b", "a" }));
}

TEST(SearchQuery, TheEngineOfAQueryIsRememberedUnlessItWouldCorruptTheFile)
{
    ScratchDirs dirs;
    const std::string file = dirs.appDir() + "/research.txt";
    RememberEngine(file, " red car ", "/e/a.inf");
    RememberEngine(file, "a=b", "/e/b.inf");
    RememberEngine(file, "[x]", "/e/b.inf");
    RememberEngine(file, "line\nbreak", "/e/b.inf");
    EXPECT_EQ(RememberedEngine(file, "red car"), "/e/a.inf");
    EXPECT_EQ(RememberedEngine(file, "a=b"), "");
    std::string text;
    for (const char* name : { "/research.txt" }) {
        FILE* f = fopen((dirs.appDir() + name).c_str(), "rb");
        ASSERT_NE(f, nullptr);
        char buffer[256] = {};
        text.assign(buffer, fread(buffer, 1, sizeof buffer, f));
        fclose(f);
    }
    EXPECT_EQ(text, "[Research]\r\nred car=/e/a.inf\r\n");
}

TEST(SearchQuery, EnginesAreListedSortedWithTheirFields)
{
    ScratchDirs dirs;
    const std::string folder = dirs.appDir() + "/engines";
    ForceDirectories(folder);
    FILE* f = fopen((folder + "/b.inf").c_str(), "wb");
    fputs("[Engine]\r\nname=Bee\r\nPost=http://b/?q=%1\r\nProcess=0\r\n", f);
    fclose(f);
    f = fopen((folder + "/A.INF").c_str(), "wb");
    fputs("[Engine]\r\nname=Ay\r\n", f);
    fclose(f);
    const auto engines = ListSearchEngines(folder);
    ASSERT_EQ(engines.size(), 2u);
    EXPECT_EQ(ReadSearchEngine(engines[0]).name, "Ay");
    EXPECT_TRUE(ReadSearchEngine(engines[0]).Process);
    EXPECT_FALSE(ReadSearchEngine(engines[1]).Process);
    EXPECT_EQ(ReadSearchEngine(engines[1]).Group, "A");
}
