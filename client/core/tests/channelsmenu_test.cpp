#include "client/core/channelsmenu.h"

#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Captions(const QMenu* menu)
{
    std::vector<std::string> captions;
    for (const QAction* item : menu->actions())
        captions.push_back(item->isSeparator() ? "-" : ChannelItemCaption(item));
    return captions;
}

const std::string kTitlePad = std::string(32, ' ') + '\b';

}  // namespace

TEST(ChannelMenu, FirstAmpersandIsDoubledOnly)
{
    EXPECT_EQ(ChannelCaption("News & Weather & More"), "News && Weather & More");
    EXPECT_EQ(ChannelCaption("Plain"), "Plain");
}

TEST(ChannelMenu, TopLevelIsSortedWithSeparatorsAndTitledSubMenus)
{
    ScratchDirs dirs;
    dirs.write("app/channels.inf",
               "[Index]\r\nSports=\xBBSports\r\nArts & Culture=http://arts.example/\r\nNews=\xBBNewsroom\r\n"
               "[Sports]\r\nSoccer=http://soccer.example/\r\nMore=\xBBMoreSports\r\n"
               "[MoreSports]\r\nChess=http://chess.example/\r\n");
    QMenu popup;
    BuildChannelMenu(&popup, nullptr, "Index");

    EXPECT_EQ(Captions(&popup), (std::vector<std::string> { "Arts && Culture", "-", "News", "-", "Sports" }));
    QAction* arts = popup.actions()[0];
    EXPECT_EQ(ChannelItemHint(arts), "http://arts.example/");
    ASSERT_NE(arts->menu(), nullptr);
    EXPECT_EQ(Captions(arts->menu()), (std::vector<std::string> { "Arts && Culture" + kTitlePad, "-" }));

    // Opening "Sports" builds its section under it, once.
    QAction* sports = popup.actions()[4];
    EXPECT_EQ(ChannelItemHint(sports), "\xBBSports");
    ChannelMenuItemClick(sports);
    EXPECT_EQ(ChannelItemHint(sports), "");
    EXPECT_EQ(Captions(sports->menu()),
              (std::vector<std::string> { "Sports" + kTitlePad, "-", "More", "Soccer" }));
    ChannelMenuItemClick(sports);
    EXPECT_EQ(sports->menu()->actions().size(), 4);

    // A nested section gets its own title when it is a sub-section, and fills when opened.
    QAction* more = sports->menu()->actions()[2];
    ASSERT_NE(more->menu(), nullptr);
    EXPECT_EQ(Captions(more->menu()), (std::vector<std::string> { "More" + kTitlePad, "-" }));
    ChannelMenuItemClick(more);
    EXPECT_EQ(Captions(more->menu()), (std::vector<std::string> { "More" + kTitlePad, "-", "Chess" }));
    QAction* soccer = sports->menu()->actions()[3];
    EXPECT_EQ(soccer->menu(), nullptr);
    EXPECT_EQ(ChannelItemHint(soccer), "http://soccer.example/");
}

TEST(ChannelMenu, MissingFileGivesAnEmptyMenu)
{
    ScratchDirs dirs;
    QMenu popup;
    BuildChannelMenu(&popup, nullptr, "Index");
    EXPECT_TRUE(popup.actions().isEmpty());
}
