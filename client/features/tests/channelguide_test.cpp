#include "client/features/channelguide.h"

#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "client/features/addchannel.h"
#include "client/features/newsthread.h"
#include "client/features/nivletcore.h"
#include "client/features/nivlets.h"
#include "client/features/noteform.h"
#include "client/features/notetree.h"
#include "client/features/reminderform.h"
#include "client/features/reminders.h"
#include "client/features/task.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "platform/win/dde.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

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
        NewsTree().sources.clear();
        NoteTree().Clear();
        Tasks().Clear();
        CreateChannelGuide();
        LoadChannelGuide();
        guide = ChannelGuide();
    }
    void TearDown() override
    {
        for (TForm* form : Screen::Forms())
            if (dynamic_cast<TForm8*>(form) || dynamic_cast<TForm15*>(form))
                form->Free();
        Tasks().Clear();
        NoteTree().Clear();
        NewsTree().sources.clear();
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
    // A guide of the note categories, shown with every branch open.
    void noteGuide()
    {
        dirs.write("app/Channels.ini", "[Categories]\r\n0=Nivlets\r\n1=Praltos\r\n");
        CreateChannelGuide();
        LoadChannelGuide();
        guide = ChannelGuide();
        guide->ShowGuide();
    }
    // The user clicks an item of the tree, as the mouse does it.
    void click(QTreeWidgetItem* item)
    {
        guide->TreeView1->scrollToItem(item);
        const QPoint at = guide->TreeView1->visualItemRect(item).center();
        QWidget* viewport = guide->TreeView1->viewport();
        QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &release);
    }
    void press(Qt::Key key)
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(guide->TreeView1, &down);
    }
    // The note branches redraw after the event that changed them.
    static bool Settles(const std::function<bool()>& done) { return Application::ProcessMessagesUntil(done, 10000); }
    template <class Form>
    static std::vector<Form*> Windows()
    {
        std::vector<Form*> found;
        for (TForm* form : Screen::Forms())
            if (auto* window = dynamic_cast<Form*>(form))
                found.push_back(window);
        return found;
    }
    static std::vector<std::string> Captions(const QTreeWidgetItem* node)
    {
        std::vector<std::string> captions;
        for (int i = 0; node && i < node->childCount(); ++i)
            captions.push_back(TForm5::CaptionOf(node->child(i)));
        return captions;
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

TEST_F(Guide, AHeadlineOrFavouriteOpensOnlyAWebAddress)
{
    dirs.write("app/News.ini", "[World]\r\n0=Passwords\xB6" "file:///etc/passwd#news/\r\n"
                               "1=Script\xB6javascript:alert(1)\r\n2=Local\xB6/etc/passwd\r\n"
                               "3=Rain\xB6http://w/1\r\n");
    dirs.write("Fav/Site.url", "[InternetShortcut]\r\nURL=file:///etc/passwd\r\n");
    guide->ShowGuide();
    guide->CheckBox1->setChecked(true);
    QTreeWidgetItem* world = guide->AddNode(guide->NewsHeadlines(), "World", giNews, "");
    guide->NodeClick(world);
    ASSERT_EQ(world->childCount(), 4);
    for (int i = 0; i < 3; ++i)
        guide->NodeClick(world->child(i));
    guide->NodeClick(guide->Favorites());
    guide->NodeClick(guide->Favorites()->child(1));
    // At most four links open at once: what was let through is out before the good one.
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return RunningUrlThreads() == 0; }, 10000));
    guide->NodeClick(world->child(3));
    ASSERT_TRUE(opened("http://w/1"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return RunningUrlThreads() == 0; }, 10000));
    EXPECT_EQ(dirs.read("opened.txt"), "http://w/1\r\n");
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
    guide->SpeedButton2->setText(QString(QChar(0x25BC)));
    guide->ExpandButtonClick();
    EXPECT_TRUE(guide->Favorites()->isExpanded());
    EXPECT_EQ(guide->SpeedButton2->text(), QString(QChar(0x25B2)));
    EXPECT_EQ(guide->SpeedButton2->toolTip(), "Collapse");
    guide->ExpandButtonClick();
    EXPECT_FALSE(guide->Favorites()->isExpanded());
    EXPECT_EQ(guide->SpeedButton2->text(), QString(QChar(0x25BC)));
    EXPECT_EQ(guide->SpeedButton2->toolTip(), "Expand");
}

TEST_F(Guide, TheHeaderButtonsShowTheirPicturesNotLetters)
{
    guide->ShowGuide();
    EXPECT_EQ(guide->SpeedButton1->text(), QString(QChar(0x2715)));
    EXPECT_EQ(guide->SpeedButton2->text(), QString(QChar(0x25BC)));
    for (QPushButton* button : { guide->SpeedButton1, guide->SpeedButton2 }) {
        const QFontMetrics metrics(button->font());
        EXPECT_TRUE(metrics.inFont(button->text().at(0)));
        EXPECT_LE(metrics.horizontalAdvance(button->text()), button->width());
    }
    // What the button paints is the picture: the same button with the letter looks different.
    const QImage shown = guide->SpeedButton1->grab().toImage();
    guide->SpeedButton1->setText("r");
    EXPECT_NE(guide->SpeedButton1->grab().toImage(), shown);
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

TEST_F(Guide, EveryNodeDrawsThePictureOfItsKind)
{
    guide->ShowGuide();
    guide->NodeClick(guide->Favorites());
    std::vector<QTreeWidgetItem*> nodes;
    for (int i = 0; i < guide->TreeView1->topLevelItemCount(); ++i)
        nodes.push_back(guide->TreeView1->topLevelItem(i));
    for (int i = 0; i < guide->Favorites()->childCount(); ++i)
        nodes.push_back(guide->Favorites()->child(i));
    ASSERT_EQ(nodes.size(), 5u);
    for (QTreeWidgetItem* node : nodes) {
        const QImage shown = node->icon(0).pixmap(16).toImage();
        EXPECT_FALSE(shown.isNull()) << TForm5::CaptionOf(node);
        EXPECT_EQ(shown, TForm5::Picture(TForm5::ImageOf(node)).pixmap(16).toImage()) << TForm5::CaptionOf(node);
    }

    // Each kind looks its own, a Nivlet's sender too; there is none past the slots.
    EXPECT_TRUE(TForm5::Picture(TForm5::kPictureSlots).isNull());
    std::vector<QImage> kinds;
    for (int image = 0; image < TForm5::kPictureSlots; ++image) {
        const QImage picture = TForm5::Picture(image).pixmap(16).toImage();
        ASSERT_FALSE(picture.isNull()) << image;
        for (const QImage& other : kinds)
            EXPECT_NE(picture, other) << image;
        kinds.push_back(picture);
    }
}

TEST_F(Guide, ANivletSenderAndItsNotesArePictured)
{
    noteGuide();
    NoteTree().AddNivlet("bob", "hi", "12/9/2026", "hi.txt");
    ASSERT_TRUE(Settles([&] { return guide->Nivlets()->childCount() == 1; }));
    QTreeWidgetItem* sender = guide->Nivlets()->child(0);
    EXPECT_EQ(TForm5::ImageOf(sender), 5);
    EXPECT_FALSE(sender->icon(0).isNull());
    ASSERT_EQ(sender->childCount(), 1);
    EXPECT_FALSE(sender->child(0)->icon(0).isNull());
}

TEST_F(Guide, TheNewsBranchListsTheSourcesToFetchAndAClickShowsTheirHeadlines)
{
    dirs.write("app/News.inf", "[World]\r\nGet=1\r\n[Sport]\r\nGet=0\r\n[Tech]\r\n[Local]\r\nGet=1\r\n");
    FillNewsTree();
    EXPECT_EQ(Captions(guide->NewsHeadlines()), (std::vector<std::string> { "World", "Local" }));
    EXPECT_EQ(TForm5::ImageOf(guide->NewsHeadlines()->child(0)), giNews);

    guide->ShowGuide();
    guide->NewsHeadlines()->setExpanded(true);
    click(guide->NewsHeadlines()->child(0));
    EXPECT_EQ(Captions(guide->NewsHeadlines()->child(0)), (std::vector<std::string> { "Rain" }));
    click(guide->NewsHeadlines()->child(0)->child(0));
    EXPECT_TRUE(opened("http://w/1"));

    // A later fetch lists the sources anew; a guide made after it lists them too.
    dirs.write("app/News.inf", "[Tech]\r\nGet=1\r\n");
    FillNewsTree();
    EXPECT_EQ(Captions(guide->NewsHeadlines()), (std::vector<std::string> { "Tech" }));
    CreateChannelGuide();
    LoadChannelGuide();
    guide = ChannelGuide();
    EXPECT_EQ(Captions(guide->NewsHeadlines()), (std::vector<std::string> { "Tech" }));
}

TEST_F(Guide, StoredNotesAreListedBySenderOpenOnClickAndDelDeletesThem)
{
    const std::string folder = nivlet::MessagesFolder("me");
    ForceDirectories(folder);
    const std::string first = nivlet::WriteStoredNote(folder, { "bob", "see you at noon", "x\xB6" "12/9/2026" }, Now(), 1);
    const std::string second = nivlet::WriteStoredNote(folder, { "bob", "bring the map", "x\xB6" "12/9/2026" }, Now(), 2);
    noteGuide();
    LoadNivlets();
    QTreeWidgetItem* nivlets = guide->Nivlets();
    ASSERT_TRUE(Settles([&] { return nivlets->childCount() == 1 && nivlets->child(0)->childCount() == 2; }));
    ASSERT_EQ(Captions(nivlets), (std::vector<std::string> { "bob" }));
    QTreeWidgetItem* bob = nivlets->child(0);
    ASSERT_EQ(bob->childCount(), 2);
    EXPECT_TRUE(nivlets->isExpanded());
    EXPECT_TRUE(bob->isExpanded());

    QTreeWidgetItem* note = nullptr;
    for (int i = 0; i < bob->childCount(); ++i)
        if (TForm5::PathOf(bob->child(i)) == first)
            note = bob->child(i);
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(TForm5::CaptionOf(note).starts_with("see you at noon  "));
    click(note);
    ASSERT_EQ(Windows<TForm8>().size(), 1u);
    EXPECT_EQ(Windows<TForm8>()[0]->Memo1->toPlainText(), "see you at noon");
    EXPECT_EQ(Windows<TForm8>()[0]->Label1->text(), "From: bob");

    guide->TreeView1->setCurrentItem(note);
    press(Qt::Key_Delete);
    EXPECT_FALSE(FileExists(first));
    EXPECT_TRUE(FileExists(second));
    ASSERT_TRUE(Settles([&] { return guide->Nivlets()->child(0)->childCount() == 1; }));
    EXPECT_EQ(TForm5::PathOf(guide->Nivlets()->child(0)->child(0)), second);
    // Deleting a note asks nothing.
    EXPECT_TRUE(dialogs::History().empty());
}

TEST_F(Guide, AReminderOpensForEditingAndDelRemovesItOnlyAfterYes)
{
    Tasks().Folder = TasksFolder("me");
    ForceDirectories(Tasks().Folder);
    noteGuide();
    Tasks().AddReminder("r1", "12/24/2026", "6:30 PM", "1/1/1900 12:00:00 PM", true, false, "gifts", 0);
    ASSERT_TRUE(Settles([&] { return guide->Praltos()->childCount() == 1; }));
    ASSERT_EQ(Captions(guide->Praltos()), (std::vector<std::string> { "12/24/2026 6:30 PM - gifts" }));
    guide->Praltos()->setExpanded(true);
    QTreeWidgetItem* reminder = guide->Praltos()->child(0);
    EXPECT_EQ(TForm5::ImageOf(reminder), giPralto);

    click(reminder);
    ASSERT_EQ(Windows<TForm15>().size(), 1u);
    EXPECT_EQ(Windows<TForm15>()[0]->Memo1->toPlainText(), "gifts");

    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDNO; });
    guide->TreeView1->setCurrentItem(reminder);
    press(Qt::Key_Delete);
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text, "\rDelete this Reminder permanently. Are you sure (y/n)?");
    EXPECT_EQ(guide->Praltos()->childCount(), 1);
    EXPECT_TRUE(FileExists(TaskFileName(Tasks().Folder, "r1")));

    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDYES; });
    guide->TreeView1->setCurrentItem(guide->Praltos()->child(0));
    press(Qt::Key_Delete);
    EXPECT_TRUE(Settles([&] { return guide->Praltos()->childCount() == 0; }));
    EXPECT_FALSE(FileExists(TaskFileName(Tasks().Folder, "r1")));
    EXPECT_EQ(Tasks().Find("r1"), nullptr);
}

TEST_F(Guide, PointingAtANoteSelectsItAndANewNoteKeepsTheSelection)
{
    const std::string folder = nivlet::MessagesFolder("me");
    ForceDirectories(folder);
    const std::string first = nivlet::WriteStoredNote(folder, { "bob", "one", "x\xB6" "12/9/2026" }, Now(), 1);
    noteGuide();
    LoadNivlets();
    ASSERT_TRUE(Settles([&] { return guide->Nivlets()->childCount() == 1; }));
    QTreeWidgetItem* note = guide->Nivlets()->child(0)->child(0);
    // Pointing selects only once something is selected.
    guide->TreeView1->setCurrentItem(guide->Nivlets());
    const QPoint at = guide->TreeView1->visualItemRect(note).center();
    QMouseEvent move(QEvent::MouseMove, at, guide->TreeView1->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(guide->TreeView1->viewport(), &move);
    EXPECT_EQ(guide->TreeView1->currentItem(), note);

    NoteTree().AddNivlet("carol", "two", "12/9/2026", folder + "other.txt");
    ASSERT_TRUE(Settles([&] { return guide->Nivlets()->childCount() == 2; }));
    EXPECT_EQ(Captions(guide->Nivlets()), (std::vector<std::string> { "bob", "carol" }));
    EXPECT_EQ(TForm5::PathOf(guide->TreeView1->currentItem()), first);
}

TEST_F(Guide, SignOffClosesAndFreesTheGuideAndLaterListsReachNoFreedOne)
{
    guide->ShowGuide();
    FreeChannelGuide();
    guide = nullptr;
    EXPECT_EQ(ChannelGuide(), nullptr);
    dirs.write("app/News.inf", "[World]\r\nGet=1\r\n");
    FillNewsTree();
    NoteTree().AddNivlet("bob", "late", "12/9/2026", "late.txt");
    EXPECT_EQ(NewsTree().sources, (std::vector<std::string> { "World" }));
    // The next sign-on's guide shows what was listed meanwhile.
    dirs.write("app/Channels.ini", "[Categories]\r\n0=Nivlets\r\n1=News Headlines\r\n");
    CreateChannelGuide();
    LoadChannelGuide();
    guide = ChannelGuide();
    EXPECT_EQ(Captions(guide->NewsHeadlines()), (std::vector<std::string> { "World" }));
    EXPECT_EQ(Captions(guide->Nivlets()), (std::vector<std::string> { "bob" }));
}
