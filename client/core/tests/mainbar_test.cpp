#include "client/core/mainbar.h"

#include "client/core/buddyhint.h"
#include "client/core/features.h"

#include "client/core/mainbargeometry.h"
#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "client/core/signon.h"
#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/windowcheck.h"
#include "platform/win/dde.h"
#include "platform/win/shell.h"
#include "platform/win/sound.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

#include <memory>
#include <string>
#include <vector>

namespace {

class MainBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        Session().userId = "me";
        Session().sound = true;
        dirs.write("windows/my friends/me/user.dat", "[user]\r\n");
        sound::SetObserver([this](const std::string& file, unsigned) {
            if (!file.empty())
                sounds.push_back(file.substr(file.find_last_of('/') + 1));
        });
        dialogs::ClearHistory();
        bar = std::make_unique<TForm1>();
    }
    void TearDown() override
    {
        sound::SetObserver(nullptr);
        dde::SetResponder(nullptr);
        bar.reset();
    }
    // Docks the bar as the session's reset does.
    void Dock()
    {
        const int height = bar->Height();
        Session().dockedLeft = mainbar::DockedLeft(Screen::Width(), bar->Width());
        bar->PlaceBar(Session().dockedLeft, mainbar::DockedTop(Screen::Height(), height), height);
        bar->RememberRestorePlace(bar->Top(), bar->Height());
    }
    void ShowBar()
    {
        bar->Show();
        Application::ProcessMessagesUntil([&] { return bar->isVisible(); }, 2000);
    }

    ScratchDirs dirs;
    std::vector<std::string> sounds;
    std::unique_ptr<TForm1> bar;
};

void AddBuddy(TForm1& bar, const std::string& name, bool online, bool away = false, bool blocked = false)
{
    auto buddy = std::make_unique<Tbuddy>();
    buddy->Name = name;
    buddy->Online = online;
    buddy->Away = away;
    buddy->Blocked = blocked;
    bar.FriendsListBox.Add(std::move(buddy));
}

}  // namespace

TEST_F(MainBar, ShowsAt123PixelsWithItsControlsInPlace)
{
    Dock();
    ShowBar();
    EXPECT_EQ(bar->Caption(), Ansi("KORVO®"));
    EXPECT_EQ(bar->Width(), 123);
    EXPECT_EQ(bar->Height(), 457);
    EXPECT_EQ(bar->ClientArea->geometry(), QRect(4, 4, 115, 449));
    EXPECT_EQ(bar->Panel1->geometry(), QRect(5, 37, 105, 221));
    EXPECT_EQ(bar->Panel2->geometry(), QRect(5, 37, 105, 221));
    EXPECT_FALSE(bar->Panel2->isVisible());
    EXPECT_TRUE(bar->Panel1->isVisible());
    EXPECT_EQ(bar->filter->geometry(), QRect(5, 263, 105, 22));
    EXPECT_EQ(bar->SpeedButton9->geometry(), QRect(5, 287, 26, 25));
    EXPECT_EQ(bar->SpeedButton10->geometry(), QRect(83, 287, 26, 25));
    EXPECT_EQ(bar->Panel3->geometry(), QRect(0, 313, 115, 115));
    EXPECT_EQ(bar->StatusBar1->geometry(), QRect(0, 428, 115, 21));
    EXPECT_EQ(bar->StatusText(), "offline");
    EXPECT_EQ(bar->SpeedButton10->Hint(), "Mail");
    EXPECT_EQ(bar->SpeedButton7->Hint(), "Address Book");
    EXPECT_EQ(bar->ChnName->text(), "CONNECTING...");
}

TEST_F(MainBar, CommandButtonsCarryTheirCaptionsAndPlaces)
{
    struct Expected {
        TSpeedButton* button;
        const char* caption;
        QRect place;
    };
    const std::vector<Expected> expected {
        { bar->ActiveButton1, "BUDDIES ", QRect(4, 4, 58, 17) },      { bar->QORExplorerButton17, "AWAY   ", QRect(62, 4, 49, 17) },
        { bar->SpeedButton6, "FIND    ", QRect(4, 22, 58, 17) },      { bar->ExplorerButton14, "ADD    ", QRect(62, 22, 49, 17) },
        { bar->QORExplorerButton14, "AMBRO  ", QRect(4, 40, 58, 17) }, { bar->ExplorerButton17, "CONF   ", QRect(62, 40, 49, 17) },
        { bar->SpeedButton5, "PORTAL  ", QRect(4, 58, 58, 17) },      { bar->SpeedButton1, "SETUP  ", QRect(62, 58, 49, 17) },
        { bar->QORExplorerButton16, "CHECK   ", QRect(4, 76, 58, 17) }, { bar->SpeedButton4, "HELP   ", QRect(62, 76, 49, 17) },
        { bar->SpeedButton3, "DOCK    ", QRect(4, 94, 58, 17) },      { bar->SpeedButton2, "EXIT   ", QRect(62, 94, 49, 17) },
    };
    for (const Expected& e : expected) {
        EXPECT_EQ(e.button->Caption(), std::string("\xF9") + e.caption);
        EXPECT_EQ(e.button->geometry(), e.place) << e.caption;
        EXPECT_EQ(e.button->Font().Name, "Terminal");
    }
    EXPECT_EQ(bar->SpeedButton2->Font().Color, clRed);
    EXPECT_TRUE(bar->ActiveButton1->DisplayText().startsWith(QChar(0x2219)));
}

TEST_F(MainBar, ResizeMovesTheButtonsAndStretchesThePanels)
{
    Dock();
    ShowBar();
    bar->PlaceBar(bar->Left(), 50, 657);
    EXPECT_EQ(bar->Height(), 657);
    EXPECT_EQ(bar->SpeedButton7->y(), 487);
    EXPECT_EQ(bar->SpeedButton9->y(), 487);
    EXPECT_EQ(bar->filter->y(), 463);
    EXPECT_EQ(bar->Panel2->height(), 421);
    EXPECT_EQ(bar->Panel1->height(), 421);
    EXPECT_EQ(bar->Panel3->y(), 513);
    EXPECT_EQ(Session().barTop, 50);
    EXPECT_EQ(Session().barHeight, 657);

    bar->PlaceBar(bar->Left(), 50, 100);
    EXPECT_EQ(bar->Height(), 372);
    EXPECT_EQ(bar->Width(), 123);
}

TEST_F(MainBar, DocksTucksAndComesBack)
{
    Dock();
    ShowBar();
    const int screen = Screen::Width();
    EXPECT_EQ(bar->Left(), screen - 123 - 20);
    EXPECT_EQ(bar->Top(), Screen::Height() / 2 - 457 / 2 + 3);
    EXPECT_FALSE(bar->Tucked());

    bar->SpeedButton3Click();
    EXPECT_EQ(bar->Left(), screen - 4);
    EXPECT_TRUE(bar->Tucked());

    EXPECT_TRUE(bar->ShowHints());
    bar->FormMouseDown(mbRight, 0, 1, 100);
    EXPECT_EQ(bar->Left(), screen - 123 - 20);
    EXPECT_FALSE(bar->ShowHints());
}

TEST_F(MainBar, MaximizeFillsTheWorkAreaAndRestoreGoesBack)
{
    Dock();
    ShowBar();
    const int top = bar->Top();
    bar->Panel6Click();
    EXPECT_EQ(bar->Top(), 0);
    EXPECT_EQ(bar->Height(), Screen::WorkAreaRect().top() + Screen::WorkAreaRect().height());
    bar->Panel7Click();
    EXPECT_EQ(bar->Top(), top);
    EXPECT_EQ(bar->Height(), 457);
}

TEST_F(MainBar, BuddiesButtonSwapsThePanels)
{
    ShowBar();
    bar->ActiveButton1MouseDown();
    EXPECT_EQ(bar->ActiveButton1->Caption(), "\xF9WEB     ");
    EXPECT_TRUE(bar->Panel2->isVisible());
    EXPECT_FALSE(bar->Panel1->isVisible());
    EXPECT_EQ(bar->ExplorerButton14->Hint(), "Add Buddy");
    bar->ActiveButton1MouseDown();
    EXPECT_EQ(bar->ActiveButton1->Caption(), "\xF9" "BUDDIES ");
    EXPECT_TRUE(bar->Panel1->isVisible());
    EXPECT_EQ(bar->ExplorerButton14->Hint(), "Add Favorite");
    EXPECT_EQ(sounds, (std::vector<std::string> { "roll.wav", "roll.wav" }));
}

TEST_F(MainBar, BuddyMenuStartsWithOnlyNewHelpAndAboutEnabled)
{
    std::vector<std::string> captions;
    for (QAction* item : bar->PopupMenu2->actions()) {
        const std::string caption = item->isSeparator() ? "-" : item->property("korvoCaption").toByteArray().toStdString();
        captions.push_back(caption);
        const bool enabled = caption == "&New Buddy..." || caption == "&Help" || caption == "Abo&ut...";
        if (caption != "-") {
            EXPECT_EQ(item->isEnabled(), enabled) << caption;
        }
    }
    EXPECT_EQ(captions, (std::vector<std::string> { "&Chat", "Send &Nivlet", "Send &Link", "Send &Mail", "Send &File", "C&all...",
                                                    "&Properties", "-", "&New Buddy...", "-", "Bloc&k", "-", "&Delete", "-",
                                                    "Pl&ugins", "-", "&Help", "-", "Abo&ut..." }));
}

TEST_F(MainBar, SendMailCarriesOnlyAPlainAddressOfTheBuddy)
{
    Session().online = true;
    dirs.write("windows/my friends/me/ann.cnt", "[Friend]\r\nUserID=ann\r\nemail=ann@example.org\r\n");
    dirs.write("windows/my friends/me/eve.cnt", "[Friend]\r\nUserID=eve\r\nemail=eve@x?bcc=spy@evil&subject=hi\r\n");
    AddBuddy(*bar, "ann", true);
    AddBuddy(*bar, "eve", true);
    std::vector<std::string> opened;
    shell::SetOpenHook([&](const std::string& url) { opened.push_back(url); });
    ShowBar();
    bar->ActiveButton1MouseDown();
    bar->PaintBuddyList();
    for (const int y : { 8, 8 + 21 }) {
        bar->frCanvas1MouseMove(0, 30, y);
        bar->PopupMenu2Popup();
        bar->BuddyMenuItem("Send &Mail")->trigger();
    }
    shell::SetOpenHook(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string> { "mailto:ann@example.org", "mailto:" }));
}

TEST_F(MainBar, MenuOverAnOnlineBuddyEnablesChatAndOverAnAwayOneDoesNot)
{
    Session().online = true;
    AddBuddy(*bar, "ann", true);
    AddBuddy(*bar, "zed", true, true);
    ShowBar();
    bar->ActiveButton1MouseDown();
    bar->PaintBuddyList();
    bar->frCanvas1MouseMove(0, 30, 8);
    bar->PopupMenu2Popup();
    EXPECT_TRUE(bar->BuddyMenuItem("&Chat")->isEnabled());
    EXPECT_TRUE(bar->BuddyMenuItem("Send &File")->isEnabled());
    EXPECT_TRUE(bar->BuddyMenuItem("&Delete")->isEnabled());
    EXPECT_TRUE(bar->BuddyMenuItem("Send &Nivlet")->isEnabled());

    bar->frCanvas1MouseMove(0, 30, 8 + 21);
    bar->PopupMenu2Popup();
    EXPECT_FALSE(bar->BuddyMenuItem("&Chat")->isEnabled());
    EXPECT_FALSE(bar->BuddyMenuItem("Send &File")->isEnabled());
    EXPECT_TRUE(bar->BuddyMenuItem("&Properties")->isEnabled());

    bar->frCanvas1MouseMove(0, 30, 150);
    bar->PopupMenu2Popup();
    EXPECT_FALSE(bar->BuddyMenuItem("&Delete")->isEnabled());
    EXPECT_FALSE(bar->BuddyMenuItem("&Chat")->isEnabled());
    EXPECT_TRUE(bar->BuddyMenuItem("&New Buddy...")->isEnabled());
}

TEST_F(MainBar, SendLinkWithoutABrowserWarns)
{
    AddBuddy(*bar, "ann", true);
    bar->PaintBuddyList();
    bar->frCanvas1MouseMove(0, 30, 8);
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDOK; });
    bar->SendLinkClick();
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text,
              "\rThis feature works with your Web browser. Please open Browser, then retry.");
    EXPECT_EQ(sounds, (std::vector<std::string> { "alert3.wav" }));
    dialogs::SetResponder(nullptr);
}

TEST_F(MainBar, BrowserQueryAsksExplorerThenNetscape)
{
    std::vector<std::string> asked;
    dde::SetResponder([&](const std::string& service, const std::string& topic, const std::string& item) {
        asked.push_back(service + "|" + topic + "|" + item);
        return service == "netscape" ? std::string("\"http://page.example/a\",\"A page\"") : std::string();
    });
    const BrowserPage page = ParseBrowserAnswer(GetBrowserWindowInfo());
    EXPECT_EQ(asked, (std::vector<std::string> { "IExplore|WWW_GetWindowInfo|DoGetWindowInfo", "IExplore|WWW_GetWindowInfo|-1",
                                                 "netscape|WWW_GetWindowInfo|0xFFFFFFFF" }));
    EXPECT_EQ(page.url, "http://page.example/a");
    EXPECT_EQ(page.title, "A page");
    EXPECT_EQ(ParseBrowserAnswer("").url, "");
}

TEST_F(MainBar, SearchBoxArrowsScrollTheBuddyList)
{
    for (int i = 0; i < 20; ++i)
        AddBuddy(*bar, "b" + std::to_string(10 + i), true);
    ShowBar();
    bar->ActiveButton1MouseDown();
    bar->PaintBuddyList();
    sounds.clear();
    WORD key = VK_DOWN;
    bar->FilterKeyDown(key, 0);
    EXPECT_EQ(bar->BuddyCanvas.Offset(), 18);
    EXPECT_EQ(sounds, (std::vector<std::string> { "beep.wav" }));
    key = VK_UP;
    bar->FilterKeyDown(key, 0);
    EXPECT_EQ(bar->BuddyCanvas.Offset(), 0);
    char esc = 27;
    bar->filter->setText("abc");
    bar->FilterKeyPress(esc);
    EXPECT_EQ(esc, 0);
    EXPECT_TRUE(bar->filter->text().isEmpty());
}

TEST_F(MainBar, StatusLineFollowsTheSession)
{
    Session().online = true;
    Session().loggedOn = true;
    bar->UpdateStatusBar();
    EXPECT_EQ(bar->StatusText(), "me");
    Session().away = true;
    bar->UpdateStatusBar();
    EXPECT_EQ(bar->StatusText(), "I'm Away");
    Session().online = false;
    bar->UpdateStatusBar();
    EXPECT_EQ(bar->StatusText(), "offline");
    Session().localAddress = "10.9.8.7";
    bar->StatusBar1MouseUp(mbRight);
    EXPECT_EQ(bar->StatusText(), "10.9.8.7");
    bar->StatusBar1MouseUp(mbRight);
    EXPECT_EQ(bar->StatusText(), "offline");
}

TEST_F(MainBar, CloseBoxSignsOffInsteadOfOnlyClosing)
{
    int signOffs = 0;
    int closings = 0;
    bar->OnSignOff = [&] {
        ++signOffs;
        bar->CloseForSignOff();
    };
    bar->OnClosed = [&] { ++closings; };
    ShowBar();
    bar->close();
    Application::ProcessMessagesUntil([&] { return Form1 == nullptr; }, 2000);
    EXPECT_EQ(signOffs, 1);
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(Form1, nullptr);
    bar.release();  // the bar freed itself on closing
}

TEST_F(MainBar, PortalMenuPopsUpBesideTheBar)
{
    dirs.write("app/channels.inf", "[Index]\r\nNews=http://news.example/\r\n");
    Dock();
    ShowBar();
    bar->ShowChannelMenu();
    ASSERT_NE(bar->ChannelMenu(), nullptr);
    EXPECT_EQ(bar->ChannelMenu()->actions().size(), 1);
    EXPECT_EQ(sounds, (std::vector<std::string> { "roll.wav" }));
    bar->ChannelMenu()->hide();
}

TEST_F(MainBar, GuideButtonPlaysItsSoundAfterTheGuideTurned)
{
    Features().Command.ToggleGuide = [this] { sounds.push_back("guide turned"); };
    bar->SpeedButton9->OnClick();
    Features().Command.ToggleGuide = nullptr;
    EXPECT_EQ(sounds, (std::vector<std::string> { "guide turned", "roll.wav" }));
}

TEST_F(MainBar, RendersWithAFewBuddies)
{
    // The shipped glyphs, so the picture shows the tool buttons as the program does.
    const QDir shipped(QString(KORVO_BIN_DIR) + "/assets");
    QDir().mkpath(QString::fromStdString(dirs.appDir()) + "/assets");
    for (const QString& name : shipped.entryList(QDir::Files))
        QFile::copy(shipped.filePath(name), QString::fromStdString(dirs.appDir()) + "/assets/" + name);
    bar.reset();
    bar = std::make_unique<TForm1>();
    AddBuddy(*bar, "alice", true);
    AddBuddy(*bar, "bob", true, true);
    AddBuddy(*bar, "carol", false);
    AddBuddy(*bar, "dave", false, false, true);
    Dock();
    ShowBar();
    Application::ProcessMessages();
    QDir().mkpath(QString(KORVO_BUILD_DIR) + "/screenshots");
    // The channel panel's state, where the first command reads BUDDIES.
    EXPECT_TRUE(bar->Snapshot().save(QString(KORVO_BUILD_DIR) + "/screenshots/mainbar_channels.png"));
    bar->ActiveButton1MouseDown();
    bar->RefreshBuddyList();
    Application::ProcessMessages();
    const QImage shot = bar->Snapshot();
    EXPECT_EQ(shot.width(), 123);
    // The first buddy's name shows lime inside the buddy panel.
    const QPoint origin = bar->frCanvas1->mapTo(bar.get(), QPoint(0, 0));
    int lime = 0;
    for (int y = 5; y < 18; ++y)
        for (int x = 16; x < 100; ++x)
            if ((shot.pixel(origin.x() + x, origin.y() + y) & 0xFFFFFF) == 0x00FF00)
                ++lime;
    EXPECT_GT(lime, 10);
    EXPECT_TRUE(shot.save(QString(KORVO_BUILD_DIR) + "/screenshots/mainbar.png"));
}

TEST_F(MainBar, CommandCaptionsFitTheirButtonsWithEvenSteps)
{
    for (TSpeedButton* button : bar->Panel3->findChildren<TSpeedButton*>()) {
        const QFontMetrics metrics(ToQFont(button->Font()));
        const QString caption = button->text().trimmed();
        // The caption starts 2 pixels in; nothing of it may be cut at the right edge.
        EXPECT_LE(2 + metrics.horizontalAdvance(caption), button->width()) << caption.toStdString();
        // Every character steps the same whole pixels, as the raster font does: no "PORT AL".
        EXPECT_EQ(metrics.horizontalAdvance(caption), caption.size() * metrics.horizontalAdvance(QLatin1Char('M')))
            << caption.toStdString();
    }
    EXPECT_EQ(bar->ActiveButton1->text().trimmed().toStdString(), "\u2219BUDDIES");
}

TEST_F(MainBar, EveryGreetingFitsTheChannelLabel)
{
    Dock();
    ShowBar();
    for (const int hour : { 0, 12, 17, 19 }) {
        const std::string greeting = GreetingForHour(hour);
        SetChannelLabel(greeting);
        ASSERT_EQ(bar->ChnName->text().toStdString(), greeting);
        for (const TControlFault& fault : CheckWindowControls(bar.get()))
            ADD_FAILURE() << fault.control << ": " << fault.fault << ": " << fault.text;
    }
}

TEST_F(MainBar, HoveringAnAwayBuddyShowsItsMessageBesideTheBar)
{
    AddBuddy(*bar, "ann", true);
    AddBuddy(*bar, "bob", true, true);
    bar->FindBuddy("bob")->AwayMessage = "at lunch";
    Dock();
    ShowBar();
    bar->ActiveButton1MouseDown();
    bar->PaintBuddyList();
    ASSERT_NE(AwayMessageHint, nullptr);

    bar->frCanvas1MouseMove(0, 30, 8 + 21);
    EXPECT_EQ(AwayMessageHint->BuddyName(), "bob");
    EXPECT_EQ(AwayMessageHint->Title(), "bob's message");
    EXPECT_EQ(AwayMessageHint->Message(), "at lunch");
    EXPECT_TRUE(AwayMessageHint->Timer1->isActive());
    EXPECT_EQ(AwayMessageHint->Left(), bar->Left() - AwayMessageHint->Width() - 4);

    bar->frCanvas1MouseMove(0, 30, 8);
    EXPECT_EQ(AwayMessageHint->BuddyName(), "");
    EXPECT_FALSE(AwayMessageHint->Timer1->isActive());
    EXPECT_FALSE(AwayMessageHint->Visible());
}

TEST_F(MainBar, ShiftClickOnANameCopiesTheBuddysAddress)
{
    AddBuddy(*bar, "ann", true);
    bar->PaintBuddyList();
    bar->FindBuddy("ann")->PeerAddress = "10.1.2.3";
    bar->frCanvas1MouseMove(0, 30, 8);
    bar->frCanvas1MouseDown(mbLeft, ssShift, 30, 8);
    bar->frCanvas1MouseUp(mbLeft, ssShift, 30, 8);
    EXPECT_EQ(QApplication::clipboard()->text(), "10.1.2.3");
}

TEST_F(MainBar, DraggingTheListScrollsItWithTheScrollSound)
{
    for (int i = 0; i < 20; ++i)
        AddBuddy(*bar, "b" + std::to_string(10 + i), false);
    ShowBar();
    bar->ActiveButton1MouseDown();
    bar->PaintBuddyList();
    sounds.clear();
    bar->frCanvas1MouseMove(0, 40, 100);
    bar->frCanvas1MouseDown(mbLeft, 0, 40, 100);
    bar->frCanvas1MouseMove(0, 40, 80);
    EXPECT_EQ(bar->BuddyCanvas.Offset(), 20);
    EXPECT_EQ(sounds, (std::vector<std::string> { "beep.wav" }));
    bar->frCanvas1MouseUp(mbLeft, 0, 40, 80);
    EXPECT_FALSE(bar->BuddyCanvas.Dragging());
}

TEST_F(MainBar, BackgroundRunsFromButtonFaceToWhiteAndBackExceptAt8Bits)
{
    Dock();
    ShowBar();
    bar->PaintBackground(24);
    const QImage& background = bar->Background();
    ASSERT_FALSE(background.isNull());
    EXPECT_EQ(background.width(), 123);
    EXPECT_EQ(background.height(), Screen::Height());
    const int face = qRed(ToQColor(clBtnFace).rgb());
    EXPECT_NEAR(qRed(background.pixel(0, 10)), face, 2);
    EXPECT_EQ(qRed(background.pixel(122, 10)), face);
    EXPECT_EQ(background.pixel(60, 10) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_GT(qRed(background.pixel(40, 10)), qRed(background.pixel(10, 10)));
    EXPECT_LT(qRed(background.pixel(110, 10)), qRed(background.pixel(80, 10)));

    bar->PaintBackground(8);
    EXPECT_TRUE(bar->Background().isNull());
}

TEST_F(MainBar, AFolderDroppedOnTheChannelPanelDoesNothing)
{
    ShowBar();
    const std::string folder = dirs.appDir();
    bar->WMDropFiles(folder, 50, 100);
    EXPECT_TRUE(dialogs::History().empty());
    EXPECT_TRUE(bar->Panel1->isVisible());
}

namespace {

void SendMouse(QWidget* widget, QEvent::Type type, QPoint local, QPoint global)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

TEST_F(MainBar, DraggingTheTopLeftCornerMovesTheBarAndTheBottomEdgeSizesIt)
{
    Dock();
    ShowBar();
    const QRect before(bar->Left(), bar->Top(), bar->Width(), bar->Height());
    const QPoint press(20, 20);
    SendMouse(bar.get(), QEvent::MouseButtonPress, press, before.topLeft() + press);
    SendMouse(bar.get(), QEvent::MouseMove, press + QPoint(-30, 40), before.topLeft() + press + QPoint(-30, 40));
    SendMouse(bar.get(), QEvent::MouseButtonRelease, press + QPoint(-30, 40), before.topLeft() + press + QPoint(-30, 40));
    EXPECT_EQ(bar->Left(), before.left() - 30);
    EXPECT_EQ(bar->Top(), before.top() + 40);
    EXPECT_EQ(bar->Height(), before.height());

    const QPoint edge(60, bar->Height() - 1);
    const QPoint at(bar->Left(), bar->Top());
    SendMouse(bar.get(), QEvent::MouseButtonPress, edge, at + edge);
    SendMouse(bar.get(), QEvent::MouseMove, edge + QPoint(0, 50), at + edge + QPoint(0, 50));
    SendMouse(bar.get(), QEvent::MouseButtonRelease, edge + QPoint(0, 50), at + edge + QPoint(0, 50));
    EXPECT_EQ(bar->Height(), before.height() + 50);
    EXPECT_EQ(bar->Width(), 123);

    // The right edge does not size it.
    const QPoint side(bar->Width() - 1, 200);
    SendMouse(bar.get(), QEvent::MouseButtonPress, side, at + side);
    SendMouse(bar.get(), QEvent::MouseMove, side + QPoint(40, 0), at + side + QPoint(40, 0));
    SendMouse(bar.get(), QEvent::MouseButtonRelease, side + QPoint(40, 0), at + side + QPoint(40, 0));
    EXPECT_EQ(bar->Width(), 123);
    EXPECT_EQ(bar->Left(), at.x());
}
