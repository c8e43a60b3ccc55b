#include "client/features/newsparser.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const std::string kExample = "<a href=\"news/a.htm\" target=\"_top\"><b>Title</b></a>";

std::vector<NewsEntry> Scan(const ScratchDirs& dirs, const std::string& page, const std::string& filter = "news/",
                            const std::string& contentType = "")
{
    dirs.write("app/page.htm", page);
    std::vector<NewsEntry> entries;
    ScanNewsPage(dirs.appDir() + "/page.htm", contentType, "site/", filter,
                 [&](const NewsEntry& entry) { entries.push_back(entry); });
    return entries;
}

}  // namespace

TEST(News, AnchorLineGivesHeadlineAndPrefixedLink)
{
    const auto entry = ScanNewsLine(kExample, "site/", "news/");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->headline, "Title");
    EXPECT_EQ(entry->link, "site/news/a.htm");
}

TEST(News, UnquotedLinkEndsAtTheBlank)
{
    const auto entry = ScanNewsLine("<a href=a.htm target=x>Words</a>", "", "a.");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->link, "a.htm");
    EXPECT_EQ(entry->headline, "Words");
}

TEST(News, EmptyOrMissingFilterKeepsNothing)
{
    EXPECT_FALSE(ScanNewsLine(kExample, "site/", ""));
    EXPECT_FALSE(ScanNewsLine(kExample, "site/", "sports/"));
}

TEST(News, PicturesAndFontTagsAreNotHeadlines)
{
    EXPECT_FALSE(ScanNewsLine("<a href=\"news/p.htm\"><img src=\"x.gif\"></a>", "", "news/"));
    EXPECT_FALSE(ScanNewsLine("<a href=\"news/p.htm\"><font face=\"Arial\">Big</font></a>", "", "news/"));
}

TEST(News, MalformedLinesGiveNoEntry)
{
    EXPECT_FALSE(ScanNewsLine("", "", "news/"));
    EXPECT_FALSE(ScanNewsLine("<a href=\"news/p.htm\" no end", "", "news/"));
    EXPECT_FALSE(ScanNewsLine("plain text news/ with no anchor", "", "news/"));
    EXPECT_FALSE(ScanNewsLine("<a href=\"news/p.htm\">no closing tag", "", "news/"));
}

TEST(News, SeparatorInsideHeadlineBecomesBlank)
{
    const auto entry = ScanNewsLine("<a href=\"news/a.htm\">Gold\xB6Silver</a>", "", "news/");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->headline, "Gold Silver");
}

TEST(News, PageKeepsAtMostThirtyOneEntries)
{
    ScratchDirs dirs;
    std::string page;
    for (int i = 0; i < 100; ++i)
        page += "<a href=\"news/" + std::to_string(i) + ".htm\">Story " + std::to_string(i) + "</a>\r\n";
    const auto entries = Scan(dirs, page);
    ASSERT_EQ(entries.size(), 31u);
    EXPECT_EQ(entries.front().headline, "Story 0");
    EXPECT_EQ(entries.back().headline, "Story 30");
    EXPECT_EQ(entries.back().link, "site/news/30.htm");
}

TEST(News, LoneCarriageReturnsEndLines)
{
    ScratchDirs dirs;
    const auto entries = Scan(dirs, "<a href=\"news/1.htm\">One</a>\r<a href=\"news/2.htm\">Two</a>\r");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].headline, "Two");
}

TEST(News, NulBytesAndEmptyPageDoNotStopTheScan)
{
    ScratchDirs dirs;
    EXPECT_TRUE(Scan(dirs, "").empty());
    const std::string page = std::string("<a href=\"news/1.htm\">O\0ne</a>\n", 30) + "<a href=\"news/2.htm\">Two</a>\n";
    const auto entries = Scan(dirs, page);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].headline, "O ne");
}

TEST(News, OverlongLineIsSkippedAndTheNextOneRead)
{
    ScratchDirs dirs;
    const std::string huge = "<a href=\"news/big.htm\">" + std::string(kMaxNewsLineBytes, 'x') + "</a>\n";
    const auto entries = Scan(dirs, huge + "<a href=\"news/2.htm\">After</a>\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].headline, "After");
}

TEST(News, Utf8PageIsStoredInTheCodePage)
{
    ScratchDirs dirs;
    const auto entries = Scan(dirs, "<a href=\"news/1.htm\">K\xC3\xB6ln</a>\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].headline, "K\xF6ln");
}

TEST(News, CodePageBytesThatAreNotUtf8StayAsTheyAre)
{
    ScratchDirs dirs;
    const auto entries = Scan(dirs, "<a href=\"news/1.htm\">K\xF6ln \x80 5</a>\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].headline, "K\xF6ln \x80 5");
}

TEST(News, DeclaredCharsetWins)
{
    ScratchDirs dirs;
    // Valid UTF-8 bytes, but the server says Latin-1: each byte is a character.
    auto entries = Scan(dirs, "<a href=\"news/1.htm\">\xC3\xA9</a>\n", "news/", "text/html; charset=ISO-8859-1");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].headline, "\xC3\xA9");
    // A meta tag declaring UTF-8 on a page with one stray byte: that byte alone is lost.
    entries = Scan(dirs, "<meta charset=\"utf-8\">\n<a href=\"news/1.htm\">\xC3\xB6 \xFF</a>\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].headline, "\xF6 ?");
}

TEST(News, OtherSingleByteCharsetsAreConverted)
{
    ScratchDirs dirs;
    // KOI8-R "Ж" has no place in the code page.
    const auto entries = Scan(dirs, "<a href=\"news/1.htm\">A\xF6</a>\n", "news/", "text/html; charset=koi8-r");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].headline, "A?");
}

TEST(News, MissingPageFileIsNoLines)
{
    EXPECT_FALSE(ForEachPageLine("/nonexistent/page.htm", [](std::string_view) { return true; }));
}
