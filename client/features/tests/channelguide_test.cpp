#include "client/features/channelguide.h"

#include "client/core/session.h"
#include "client/features/addchannel.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "platform/win/dde.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Guide : public ::testing::Test {
protected:
    void SetUp() override
    {
        record = dirs.root() + "/opened.txt";
        setenv("KORVO_NO_BROWSER", record.c_str(), 1);
        Session() = TSession();
        Session().userId = "me";
        Session().favoritesFolder = dirs.root() + "/Fav";
        dirs.write("Fav/desktop.ini", "[x]\r\n");
        dirs.write("Fav/Work/Old.url", "[InternetShortcut]\r\nURL=http://old/\r\n");
        dirs.write("Fav/Site.url", "[InternetShortcut]\r\nURL=http://site/\r\nKeyword=news\r\n");
        dirs.write("app/Channels.ini", "[Categories]\r\n0=General\r\n1=Favorites\r\n2=News Headlines\r\n4=Programs\r\n");
        dirs.write("app/News.ini", "[World]\r\n0=Rain\xB6http://w/1\r\n1=No News\xB6\r\n2=Late\xB6http://w/3\r\n");
        dialogs::ClearHistory();
        CreateChannelGuide();
        guide = ChannelGuide();
    }
    void TearDown() override
    {
        dialogs::SetResponder(nullptr);
        dde::SetResponder(nullptr);
        delete guide;
        setenv("KORVO_NO_BROWSER", "1", 1);
    }
    QTreeWidgetItem* root(const std::string& caption)
    {
        for (int i = 0; i < guide->TreeView1->topLevelItemCount(); ++i) {
            if (TForm5::CaptionOf(guide->TreeView1->topLevelItem(i)) == caption)
                return guide->TreeView1->topLevelItem(i);
        }
        return nullptr;
    }
    bool opened(const std::string& url)
    {
        return Application::ProcessMessagesUntil([&] { return dirs.read("opened.txt").find(url + "\r\n") != std::string::npos; }, 10000);
    }
    void browserShows(const std::string& url, const std::string& title)
    {
        dde::SetResponder([=](const std::string&, const std::string&, const std::string&) { return "\"" + url + "\",\"" + title + "\""; });
    }

    ScratchDirs dirs;
    std::string record;
    TForm5* guide { nullptr };
};

}  // namespace

TEST_F(Guide, CategoriesStopAtTheFirstMissingKeyAndAreSorted)
{
    ASSERT_EQ(guide->TreeView1->topLevelItemCount(), 3);
    EXPECT_EQ(TForm5::CaptionOf(guide->TreeView1->topLevelItem(0)), "Favorites");
    EXPECT_EQ(TForm5::CaptionOf(guide->TreeView1->topLevelItem(1)), "General");
    EXPECT_EQ(TForm5::CaptionOf(guide->TreeView1->topLevelItem(2)), "News Headlines");
    EXPECT_EQ(guide->CategoryCount(), 3);
    EXPECT_EQ(guide->Favorites(), guide->Category(1));
    EXPECT_EQ(guide->Programs(), nullptr);
}

TEST_F(Guide, TheFavoritesBranchLoadsOnItsFirstClickAndEmptiesOnClose)
{
    guide->ShowGuide();
    guide->NodeClick(guide->Favorites());
    ASSERT_EQ(guide->Favorites()->childCount(), 2);
    EXPECT_EQ(TForm5::CaptionOf(guide->Favorites()->child(0)), " Work");
    EXPECT_EQ(TForm5::CaptionOf(guide->Favorites()->child(1)), "[news] Site");
    EXPECT_TRUE(guide->Favorites()->isExpanded());
    guide->NodeClick(guide->Favorites()->child(1));
    EXPECT_TRUE(opened("http://site/"));
    EXPECT_FALSE(guide->isVisible());
    EXPECT_EQ(guide->Favorites()->childCount(), 0);
}

TEST_F(Guide, WithLockTickedOpeningLeavesTheGuideShown)
{
    guide->ShowGuide();
    guide->CheckBox1->setChecked(true);
    guide->NodeClick(guide->Favorites());
    guide->NodeClick(guide->Favorites()->child(1));
    EXPECT_TRUE(opened("http://site/"));
    EXPECT_TRUE(guide->isVisible());
}

TEST_F(Guide, HeadlinesEndAtNoNewsAndOpenTheirOwnLink)
{
    guide->ShowGuide();
    QTreeWidgetItem* news = guide->NewsHeadlines();
    QTreeWidgetItem* world = guide->AddNode(news, "World", giNews, "");
    guide->NodeClick(world);
    ASSERT_EQ(world->childCount(), 1);
    // News.ini changes before the click: the headline keeps the link it was shown with.
    dirs.write("app/News.ini", "[World]\r\n0=Other\xB6http://w/9\r\n");
    guide->NodeClick(world->child(0));
    EXPECT_TRUE(opened("http://w/1"));
}

TEST_F(Guide, APlainCategoryWalksNothingAndF4AddsNothingThere)
{
    guide->ShowGuide();
    QTreeWidgetItem* general = root("General");
    guide->NodeClick(general);
    EXPECT_EQ(general->childCount(), 0);
    browserShows("http://birds.org/", "Birds");
    guide->TreeView1->setCurrentItem(general);
    guide->TreeKeyDown(VK_F1 + 3);
    EXPECT_EQ(general->childCount(), 0);
    EXPECT_FALSE(FileExists("/Birds.URL"));
}

TEST_F(Guide, F4AddsTheBrowsersPageToTheSelectedFolderOnce)
{
    guide->ShowGuide();
    browserShows("http://birds.org/hawks", "Hawks: what?");
    guide->TreeView1->setCurrentItem(guide->Favorites());
    guide->TreeKeyDown(VK_F1 + 3);
    guide->TreeView1->setCurrentItem(guide->Favorites());
    guide->TreeKeyDown(VK_F1 + 3);
    EXPECT_EQ(dirs.read("Fav/Hawks- what-.URL"), "[InternetShortcut]\r\nURL=http://birds.org/hawks\r\nKeyword=\r\n");
    int hawks = 0;
    for (int i = 0; i < guide->Favorites()->childCount(); ++i)
        hawks += TForm5::CaptionOf(guide->Favorites()->child(i)) == "Hawks- what-";
    EXPECT_EQ(hawks, 1);
}

TEST_F(Guide, ThePopUpOffersToAddThePageHere)
{
    guide->TreeView1->setCurrentItem(guide->Favorites());
    guide->PopupMenuPopup();
    EXPECT_FALSE(guide->Add1->isEnabled());
    browserShows("http://birds.org/", " Birds ");
    guide->PopupMenuPopup();
    EXPECT_TRUE(guide->Add1->isEnabled());
    EXPECT_EQ(guide->Add1->text(), "&Add - Birds Here");
    guide->TreeView1->setCurrentItem(guide->NewsHeadlines());
    guide->PopupMenuPopup();
    EXPECT_FALSE(guide->Add1->isEnabled());
}

TEST_F(Guide, DelAsksAboutALinkAndDeletesItsFileOnYes)
{
    guide->NodeClick(guide->Favorites());
    QTreeWidgetItem* site = guide->Favorites()->child(1);
    EXPECT_EQ(TForm5::DeleteQuestion(site), "\rDelete this link '[news] Site from Favorites'. Are you sure?");
    EXPECT_EQ(TForm5::DeleteQuestion(root("General")), "\rDelete this link 'General group'. Are you sure?");
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDNO; });
    guide->TreeView1->setCurrentItem(site);
    guide->TreeKeyDown(VK_DELETE);
    EXPECT_TRUE(FileExists(dirs.root() + "/Fav/Site.url"));
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDYES; });
    guide->TreeKeyDown(VK_DELETE);
    EXPECT_FALSE(FileExists(dirs.root() + "/Fav/Site.url"));
    EXPECT_EQ(guide->Favorites()->childCount(), 1);
    // A folder is asked about but kept.
    guide->TreeView1->setCurrentItem(guide->Favorites()->child(0));
    guide->TreeKeyDown(VK_DELETE);
    EXPECT_TRUE(DirectoryExists(dirs.root() + "/Fav/Work"));
}

TEST_F(Guide, TheExpandButtonTogglesEverything)
{
    guide->NodeClick(guide->Favorites());
    guide->Favorites()->setExpanded(false);
    guide->SpeedButton2->setText("6");
    guide->ExpandButtonClick();
    EXPECT_TRUE(guide->Favorites()->isExpanded());
    EXPECT_EQ(guide->SpeedButton2->text(), "5");
    EXPECT_EQ(guide->SpeedButton2->toolTip(), "Collapse");
    guide->ExpandButtonClick();
    EXPECT_FALSE(guide->Favorites()->isExpanded());
    EXPECT_EQ(guide->SpeedButton2->text(), "6");
}

TEST_F(Guide, StandsAtTheRightEdgeAndIsPictured)
{
    guide->ShowGuide();
    guide->NodeClick(guide->Favorites());
    EXPECT_EQ(guide->Left() + guide->Width(), Screen::Width());
    EXPECT_EQ(guide->Width(), 472);
    EXPECT_EQ(guide->Top(), 0);
    QDir().mkpath(QString(KORVO_BUILD_DIR) + "/screenshots");
    EXPECT_TRUE(guide->grab().save(QString(KORVO_BUILD_DIR) + "/screenshots/guide.png"));
}
