#include "client/features/guidefiles.h"

#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(ChannelGuide, CategoriesStopAtTheFirstMissingKey)
{
    ScratchDirs dirs;
    dirs.write("Channels.ini", "[Categories]\r\n0=General\r\n1=Favorites\r\n3=News Headlines\r\n");
    const auto categories = ReadCategories(dirs.root() + "/Channels.ini");
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].image, giFolder);
    EXPECT_EQ(categories[1].image, giFavorites);
}

TEST(ChannelGuide, SpecialCategoriesAreKnownWhateverTheirCase)
{
    ScratchDirs dirs;
    dirs.write("Channels.ini", "[Categories]\r\n0=NIVLETS\r\n1=Programs\r\n2=news headlines\r\n3=Praltos\r\n");
    const auto categories = ReadCategories(dirs.root() + "/Channels.ini");
    ASSERT_EQ(categories.size(), 4u);
    EXPECT_EQ(categories[0].image, giNivlets);
    EXPECT_EQ(categories[1].image, giPrograms);
    EXPECT_EQ(categories[2].image, giNews);
    EXPECT_EQ(categories[3].image, giPraltos);
}

TEST(ChannelGuide, AtMost501Categories)
{
    ScratchDirs dirs;
    std::string text = "[Categories]\r\n";
    for (int i = 0; i < 600; ++i)
        text += std::to_string(i) + "=C" + std::to_string(i) + "\r\n";
    dirs.write("Channels.ini", text);
    EXPECT_EQ(ReadCategories(dirs.root() + "/Channels.ini").size(), 501u);
}

TEST(ChannelGuide, FavoritesListFoldersFirstAndKeywordsInBrackets)
{
    ScratchDirs dirs;
    dirs.write("Fav/desktop.ini", "[x]\r\n");
    dirs.write("Fav/Work/a.url", "");
    dirs.write("Fav/Site.url", "[InternetShortcut]\r\nURL=http://site/\r\nKeyword=news\r\n");
    dirs.write("Fav/Alpha.url", "[InternetShortcut]\r\nURL=http://alpha/\r\n");
    const auto entries = FavoritesEntries(dirs.root() + "/Fav");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].caption, " Work");
    EXPECT_EQ(entries[0].image, giFolder);
    // Sorted by caption: the bracket of a keyword comes before the letters.
    EXPECT_EQ(entries[1].caption, "[news] Site");
    EXPECT_EQ(entries[1].image, giLink);
    EXPECT_EQ(entries[1].path, dirs.root() + "/Fav/Site.url");
    EXPECT_EQ(entries[2].caption, "Alpha");
}

TEST(ChannelGuide, NoFolderMeansNoWalk)
{
    EXPECT_TRUE(FavoritesEntries("").empty());
    EXPECT_TRUE(ProgramsEntries("").empty());
}

TEST(ChannelGuide, ProgramsListFoldersAndShortcuts)
{
    ScratchDirs dirs;
    dirs.write("Prog/Games/x.desktop", "");
    dirs.write("Prog/editor.desktop", "");
    const auto entries = ProgramsEntries(dirs.root() + "/Prog");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].caption, " Games");
    EXPECT_EQ(entries[0].image, giPrograms);
    EXPECT_EQ(entries[1].caption, "editor");
    EXPECT_EQ(entries[1].image, giProgram);
}

TEST(ChannelGuide, HeadlinesEndAtNoNewsAndKeepTheirLinks)
{
    ScratchDirs dirs;
    dirs.write("News.ini", "[World]\r\n0=Rain\xB6http://w/1\r\n1=Sun\xB6http://w/2\r\n2=No News\xB6\r\n3=Late\xB6http://w/3\r\n");
    const auto headlines = ReadHeadlines(dirs.root() + "/News.ini", "World");
    ASSERT_EQ(headlines.size(), 2u);
    EXPECT_EQ(headlines[1].caption, "Sun");
    EXPECT_EQ(headlines[1].link, "http://w/2");
    EXPECT_TRUE(ReadHeadlines(dirs.root() + "/News.ini", "Missing").empty());
}

TEST(ChannelGuide, BrowsersAreSqueezedLeftOfTheGuideAndRestored)
{
    EXPECT_TRUE(IsBrowserWindowTitle("Birds - Microsoft Internet Explorer"));
    EXPECT_TRUE(IsBrowserWindowTitle("Netscape - [Birds]"));
    EXPECT_FALSE(IsBrowserWindowTitle("Birds - Firefox"));
    const TBrowserPlace squeezed = BrowserPlace(1, 1024, 740, 472);
    EXPECT_EQ(squeezed.width, 552);
    EXPECT_EQ(squeezed.height, 740);
    const TBrowserPlace restored = BrowserPlace(0, 1024, 740, 472);
    EXPECT_EQ(restored.left, -4);
    EXPECT_EQ(restored.width, 1032);
    EXPECT_EQ(restored.height, 748);
}

TEST(GuideFiles, ACaptionIsTheFileNameUpToItsFirstDot)
{
    EXPECT_EQ(UpToFirstDot("Birds.of.prey.URL"), "Birds");
    EXPECT_EQ(UpToFirstDot("Notepad"), "Notepad");
    EXPECT_EQ(UpToFirstDot(".hidden"), "");
}
