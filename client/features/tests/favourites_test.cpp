#include "client/features/favourites.h"

#include "client/core/mainbar.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(Favourites, ColonsAndQuestionMarksInATitleBecomeDashes)
{
    EXPECT_EQ(ShortcutPath("/f", " News: what? "), "/f/News- what-.URL");
    EXPECT_EQ(ShortcutPath("/f", "   "), "");
    EXPECT_EQ(ShortcutPath("/f", "../x"), "/f/..-x.URL");
}

TEST(Favourites, AShortcutAndItsKeywordOpenTheChannel)
{
    ScratchDirs dirs;
    const std::string path = ShortcutPath(dirs.windowsDir(), "Bird News");
    ASSERT_TRUE(WriteUrlShortcut(path, "birds", "http://birds.org/"));
    RegisterKeyword("birds", path);
    const TChannelTarget target = FindChannel(" birds ");
    EXPECT_EQ(target.address, "http://birds.org/");
    EXPECT_EQ(target.caption, "BIRD NEWS");
    EXPECT_TRUE(FindChannel("fish").address.empty());
}

TEST(Favourites, AKeywordOfBlanksIsWrittenButRegistersNothing)
{
    ScratchDirs dirs;
    const std::string path = ShortcutPath(dirs.windowsDir(), "Page");
    ASSERT_TRUE(WriteUrlShortcut(path, "   ", "http://x/"));
    RegisterKeyword("   ", path);
    EXPECT_TRUE(TIniFile(path).ValueExists("InternetShortcut", "Keyword"));
    EXPECT_FALSE(FileExists(dirs.appDir() + "/Channels.ini"));
}

TEST(Favourites, KeywordsThatWouldCorruptChannelsAreRefused)
{
    EXPECT_TRUE(AcceptableKeyword(""));
    EXPECT_TRUE(AcceptableKeyword("birds"));
    EXPECT_FALSE(AcceptableKeyword("a=b"));
    EXPECT_FALSE(AcceptableKeyword("[Settings]"));
    EXPECT_FALSE(AcceptableKeyword(";x"));
    EXPECT_FALSE(AcceptableKeyword("a\r\nb"));
    ScratchDirs dirs;
    RegisterKeyword("a=b", "/x.URL");
    EXPECT_FALSE(FileExists(dirs.appDir() + "/Channels.ini"));
}

TEST(Favourites, WritingIntoAMissingFolderFails)
{
    ScratchDirs dirs;
    EXPECT_FALSE(WriteUrlShortcut(ShortcutPath(dirs.windowsDir() + "/missing", "Page"), "", "http://x/"));
}

TEST(Favourites, TheBrowsersAnswerGivesAddressAndTitle)
{
    const BrowserPage page = ParseBrowserAnswer("\"http://a.org/x\",\"A \"quoted\" title\"");
    EXPECT_EQ(page.url, "http://a.org/x");
    EXPECT_EQ(page.title, "A \"quoted\" title");
    EXPECT_TRUE(ParseBrowserAnswer("").url.empty());
}
