#include "client/core/mainbar.h"

#include "client/core/buddyhint.h"
#include "client/core/buddytoast.h"
#include "client/core/chatrouting.h"
#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/core/mainbargeometry.h"
#include "client/core/onesecondtimer.h"
#include "client/core/peerlists.h"
#include "client/core/peersend.h"
#include "client/core/quicktips.h"
#include "client/core/session.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/filedialogs.h"
#include "platform/ui/label.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

// The bar's making: its components, its command buttons and its buddy menu.

TForm1* Form1 = nullptr;

namespace {

using namespace mainbar;

constexpr int kCommandLeftX = 4;
constexpr int kCommandLeftWidth = 58;
constexpr int kCommandRightX = 62;
constexpr int kCommandRightWidth = 49;
constexpr int kCommandHeight = 17;

// The scroll arrows are the up and down pictures of the window-control font.
QString ArrowGlyph(const char* letter) { return FontText(TFontSpec("Marlett", 8), letter); }


// The hourglass while a command works; normal again however the command ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Line edits hand Enter, Esc and the arrow keys to the bar as the key events it handles.
class FilterKeys final : public QObject {
public:
    explicit FilterKeys(TForm1* bar) : QObject(bar), m_bar(bar) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            WORD vk = VirtualKeyFromQt(key->key());
            if (vk != 0) {
                Application::Guarded([&] { m_bar->FilterKeyDown(vk, ShiftFromQt(key->modifiers())); });
                if (vk == 0)
                    return true;
            }
            char c = 0;
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                c = '\r';
            else if (key->key() == Qt::Key_Escape)
                c = 27;
            if (c != 0) {
                Application::Guarded([&] { m_bar->FilterKeyPress(c); });
                return c == 0;
            }
        } else if (event->type() == QEvent::MouseButtonPress) {
            ShowQuickTip("qtip1001");
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            m_bar->filter->clear();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TForm1* m_bar;
};

}  // namespace

std::string TForm1::CommandCaption(const char* text) { return std::string("\xF9") + text; }

TForm1::TForm1() : TForm("Form1")
{
    Form1 = this;
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    // The bar never shows a taskbar button: only the tray icon stands for the program.
    setWindowFlag(Qt::Tool, true);
    SetCaption(Ansi("KORVO®"));
    SetFont(TFontSpec("MS Sans Serif", 8));
    setAcceptDrops(true);
    setMouseTracking(true);
    CreateComponents();
    SetBounds(0, 0, kBarWidth, 449 + 2 * kFrame);
    setMinimumSize(kBarWidth, kMinHeight);
    setMaximumWidth(kBarWidth);
    OnResize = [this] { FormResize(); };
    OnShow = [this] {
        PaintBackground();
        if (Features().SignOn.TrimOldNews)
            Features().SignOn.TrimOldNews();
    };
    OnMouseDown = [this](TMouseButton button, TShiftState shift, int x, int y) { FormMouseDown(button, shift, x, y); };
    OnClose = [this](TCloseAction& action) {
        if (OnClosed)
            OnClosed();
        action = caFree;
    };
    FormResize();
    // The toast and the away hint belong to the bar and go with it.
    auto* toast = new TForm13();
    toast->setParent(this, toast->windowFlags());
    auto* hint = new TAwayMessageHint();
    hint->setParent(this, hint->windowFlags());
    hint->Watched = Panel2;
    // The bar's hints can be switched off as a whole (FormMouseDown), so every control's pass by it.
    for (QWidget* child : ClientArea->findChildren<QWidget*>())
        child->installEventFilter(this);
    Loaded();
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::CreateComponents()
{
    ClientArea = new QWidget(this);
    ClientArea->setObjectName("ClientArea");
    ClientArea->move(kFrame, kFrame);

    Label3 = new TLabel(codepage::ToUnicode(Ansi("Korvo®")), ClientArea);
    Label3->setObjectName("Label3");
    Label3->move(4, 4);
    QFont labelFont = ToQFont(TFontSpec("MS Sans Serif", 10, fsBold));
    Label3->setFont(labelFont);
    Label3->adjustSize();
    Label3->setAttribute(Qt::WA_TransparentForMouseEvents);

    Panel7 = new TPanel(ClientArea, "Panel7", clBtnShadow);
    Panel7->setGeometry(86, 9, 7, 6);
    Panel7->setToolTip("Restore");
    Panel7->OnClick = [this] { Panel7Click(); };
    Panel6 = new TPanel(ClientArea, "Panel6", clBtnShadow);
    Panel6->setGeometry(98, 6, 11, 11);
    Panel6->setToolTip("Maximize");
    Panel6->OnClick = [this] { Panel6Click(); };

    Panel1 = new TPanel(ClientArea, "Panel1", clBlack);
    Panel1->setGeometry(kPanelLeft, kPanelTop, kPanelWidth, 220);
    Panel8 = new TPanel(Panel1, "Panel8", clBlack);
    Panel8->SetGlyph(ArrowGlyph("t"), clLime);
    ChnPanel = new TPanel(Panel1, "ChnPanel", clGreen);
    ChnName = new QLabel("CONNECTING...", ChnPanel);
    ChnName->setObjectName("ChnName");
    ChnName->setAlignment(Qt::AlignCenter);
    ChnName->setFont(ToQFont(TFontSpec("MS Sans Serif", 8, fsBold)));
    ChnName->setStyleSheet("color: #00ff00; background: #008000;");
    Time = new QLabel(Panel1);
    Time->setObjectName("Time");
    Time->setAlignment(Qt::AlignCenter);
    Time->setFont(ToQFont(TFontSpec("Verdana", 7)));
    Time->setStyleSheet("color: #00ff00; background: #008000;");
    PaintBox1 = new QWidget(Panel1);
    PaintBox1->setObjectName("PaintBox1");
    // The news ticker paints PaintBox1 and takes its mouse and the arrows Panel8 and Panel11.
    Panel11 = new TPanel(Panel1, "Panel11", clBlack);
    Panel11->SetGlyph(ArrowGlyph("u"), clLime);

    Panel2 = new TPanel(ClientArea, "Panel2", clBlack);
    Panel2->setGeometry(kPanelLeft, kPanelTop, kPanelWidth, 220);
    Panel2->hide();
    Panel5 = new TPanel(Panel2, "Panel5", clBlack);
    Panel5->SetGlyph(ArrowGlyph("t"), clYellow);
    Panel5->OnMouseDown = [this](TMouseButton, TShiftState, int, int) { Panel5MouseDown(); };
    Panel5->OnMouseUp = [this](TMouseButton, TShiftState, int, int) { PanelArrowMouseUp(); };
    frCanvas1 = new TBuddyPaintBox(Panel2);
    frCanvas1->setCursor(Qt::PointingHandCursor);
    frCanvas1->OnPaint = [this](QPainter& canvas) {
        const QImage& picture = BuddyCanvas.Picture();
        if (!picture.isNull())
            canvas.drawImage(QPoint(0, 0), picture, QRect(0, BuddyCanvas.Offset(), Width(), Height()));
    };
    frCanvas1->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) { frCanvas1MouseDown(b, s, x, y); };
    frCanvas1->OnMouseMove = [this](TShiftState s, int x, int y) { frCanvas1MouseMove(s, x, y); };
    frCanvas1->OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) { frCanvas1MouseUp(b, s, x, y); };
    frCanvas1->OnDblClick = [this] { frCanvas1DblClick(); };
    Panel4 = new TPanel(Panel2, "Panel4", clBlack);
    Panel4->SetGlyph(ArrowGlyph("u"), clYellow);
    Panel4->OnMouseDown = [this](TMouseButton, TShiftState, int, int) { Panel4MouseDown(); };
    Panel4->OnMouseUp = [this](TMouseButton, TShiftState, int, int) { PanelArrowMouseUp(); };
    m_arrowTimer = new QTimer(this);
    m_arrowTimer->setInterval(10);
    connect(m_arrowTimer, &QTimer::timeout, this, [this] { Application::Guarded([this] { HoldArrow(m_arrowDirection); }); });

    filter = new QLineEdit(ClientArea);
    filter->setObjectName("filter");
    filter->setGeometry(kPanelLeft, 262, kPanelWidth, kEditHeight);
    filter->setFont(ToQFont(TFontSpec("MS Sans Serif", 8)));
    filter->installEventFilter(new FilterKeys(this));

    SpeedButton9 = MakeToolButton("SpeedButton9", "Channel Guide", kToolButtonLefts[0]);
    SpeedButton8 = MakeToolButton("SpeedButton8", "Reminders", kToolButtonLefts[1]);
    SpeedButton7 = MakeToolButton("SpeedButton7", "Address Book", kToolButtonLefts[2]);
    SpeedButton10 = MakeToolButton("SpeedButton10", "Mail", kToolButtonLefts[3]);
    SpeedButton9->OnClick = [] {
        if (Features().Command.ToggleGuide)
            Features().Command.ToggleGuide();
        PlayAppSound(9, false);
    };
    SpeedButton8->OnClick = [] { CallFeature(Features().Command.EditReminder, std::string()); };
    SpeedButton7->OnMouseUp = [this](TMouseButton b, TShiftState, int, int) { SpeedButton7MouseUp(b); };
    SpeedButton10->OnClick = [this] { SpeedButton10Click(); };

    Panel3 = new TPanel(ClientArea, "Panel3", clNone);
    CreateCommandButtons();

    StatusBar1 = new QLabel(ClientArea);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFrameShape(QFrame::Panel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
    StatusBar1->setFont(ToQFont(TFontSpec("MS Sans Serif", 8)));
    StatusBar1->setIndent(2);
    SetStatusText("offline", clBtnShadow);
    StatusBar1->installEventFilter(this);

    CreateBuddyMenu();

    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, [] { Timer2Timer(QDateTime::currentDateTime()); });
    TakeDialUpSnapshot();
}

std::function<void(bool manual)>& MailCheckStarter()
{
    static std::function<void(bool manual)> starter;
    return starter;
}

std::function<void()>& MailCheckCanceller()
{
    static std::function<void()> canceller;
    return canceller;
}

TSpeedButton* TForm1::MakeToolButton(const char* name, const char* hint, int x)
{
    auto* button = new TSpeedButton(ClientArea, name);
    button->setGeometry(x, 287, kToolButtonSize, kToolButtonHeight);
    button->SetHint(hint);
    const std::string glyph = AppPath() + "assets/" + LowerCase(std::string(name)) + ".bmp";
    button->SetGlyph(QImage(QString::fromStdString(codepage::ToUtf8(glyph))));
    return button;
}

TSpeedButton* TForm1::MakeCommandButton(const char* name, const char* caption, int x, int y, int width)
{
    auto* button = new TSpeedButton(Panel3, name);
    button->setGeometry(x, y, width, kCommandHeight);
    TFontSpec font("Terminal", 9);
    font.Color = clBlack;
    button->SetFont(font);
    button->SetOemCharset(true);
    button->SetCaption(CommandCaption(caption));
    return button;
}

void TForm1::CreateCommandButtons()
{
    ActiveButton1 = MakeCommandButton("ActiveButton1", kBuddiesCaption, kCommandLeftX, 4, kCommandLeftWidth);
    QORExplorerButton17 = MakeCommandButton("QORExplorerButton17", "AWAY   ", kCommandRightX, 4, kCommandRightWidth);
    QORExplorerButton17->setCheckable(true);
    SpeedButton6 = MakeCommandButton("SpeedButton6", "FIND    ", kCommandLeftX, 22, kCommandLeftWidth);
    SpeedButton6->SetHint("Internet Search");
    ExplorerButton14 = MakeCommandButton("ExplorerButton14", "ADD    ", kCommandRightX, 22, kCommandRightWidth);
    ExplorerButton14->SetHint("Add Favorite");
    QORExplorerButton14 = MakeCommandButton("QORExplorerButton14", "AMBRO  ", kCommandLeftX, 40, kCommandLeftWidth);
    ExplorerButton17 = MakeCommandButton("ExplorerButton17", "CONF   ", kCommandRightX, 40, kCommandRightWidth);
    ExplorerButton17->SetHint("Host Conference");
    SpeedButton5 = MakeCommandButton("SpeedButton5", "PORTAL  ", kCommandLeftX, 58, kCommandLeftWidth);
    SpeedButton5->SetHint("Explore Websites");
    SpeedButton1 = MakeCommandButton("SpeedButton1", "SETUP  ", kCommandRightX, 58, kCommandRightWidth);
    SpeedButton1->SetHint("Customize Korvo");
    QORExplorerButton16 = MakeCommandButton("QORExplorerButton16", "CHECK   ", kCommandLeftX, 76, kCommandLeftWidth);
    QORExplorerButton16->SetHint("Check Messages");
    SpeedButton4 = MakeCommandButton("SpeedButton4", "HELP   ", kCommandRightX, 76, kCommandRightWidth);
    SpeedButton3 = MakeCommandButton("SpeedButton3", "DOCK    ", kCommandLeftX, 94, kCommandLeftWidth);
    SpeedButton2 = MakeCommandButton("SpeedButton2", "EXIT   ", kCommandRightX, 94, kCommandRightWidth);
    TFontSpec red = SpeedButton2->Font();
    red.Color = clRed;
    SpeedButton2->SetFont(red);

    ActiveButton1->OnMouseDown = [this](TMouseButton, TShiftState, int, int) { ActiveButton1MouseDown(); };
    ActiveButton1->OnMouseUp = [this](TMouseButton, TShiftState, int, int) { ActiveButton1MouseUp(); };
    QORExplorerButton17->OnClick = [this] { QORExplorerButton17Click(); };
    SpeedButton6->OnClick = [] {
        PlayAppSound(9, false);
        if (Features().Command.StartSearchBar)
            Features().Command.StartSearchBar();
    };
    ExplorerButton14->OnClick = [] {
        if (Features().Command.AddPageAsChannel)
            Features().Command.AddPageAsChannel(0);
    };
    QORExplorerButton14->OnClick = [] {
        const WaitCursor wait;
        if (Features().Command.StartAmbro)
            Features().Command.StartAmbro();
        ShowQuickTip("qtip1007");
    };
    ExplorerButton17->OnClick = [] {
        if (Features().Command.CloseUnlockedGuide)
            Features().Command.CloseUnlockedGuide();
        // One hosted conference at a time.
        if (PeerLists().FindChat("Conference*")) {
            MessageDlg("\rAn existing conference is open. Please close that conference, then retry.", mtWarning, mbOK, 0);
            return;
        }
        const WaitCursor wait;
        OpenChatWindow("Conference*", "");
    };
    SpeedButton5->OnClick = [this] { SpeedButton5Click(); };
    SpeedButton1->OnClick = [this] { ShowProperties(); };
    QORExplorerButton16->OnClick = [] {
        CallFeature(Features().SignOn.StartNivletRead);
        if (MailCheckStarter())
            MailCheckStarter()(true);
    };
    SpeedButton4->OnClick = [this] { ShowHelp(); };
    SpeedButton3->OnClick = [this] { SpeedButton3Click(); };
    SpeedButton2->OnClick = [this] { SignOff(); };
}

void TForm1::CreateBuddyMenu()
{
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    auto add = [this](const std::string& caption, std::function<void()> action, bool enabled) {
        QAction* item = PopupMenu2->addAction(codepage::ToUnicode(caption));
        item->setProperty("korvoCaption", QByteArray::fromStdString(caption));
        item->setEnabled(enabled);
        if (action)
            connect(item, &QAction::triggered, this, [action] { Application::Guarded(action); });
        return item;
    };
    add("&Chat", [this] {
        if (Tbuddy* buddy = BuddyCanvas.Hovered()) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            OpenChatWindow(buddy->Name, "");
            QApplication::restoreOverrideCursor();
        }
    }, false);
    add("Send &Nivlet", [this] {
        if (Tbuddy* buddy = BuddyCanvas.Hovered())
            CallFeature(Features().Command.ComposeNivlet, buddy->Name, std::string(), std::string());
    }, false);
    add("Send &Link", [this] { SendLinkClick(); }, false);
    add("Send &Mail", [this] {
        if (Tbuddy* buddy = BuddyCanvas.Hovered())
            MailBuddy(buddy->Name);
    }, false);
    add("Send &File", [this] {
        Tbuddy* buddy = BuddyCanvas.Hovered();
        if (!buddy)
            return;
        const std::string name = buddy->Name;
        TOpenDialog dialog;
        if (dialog.Execute(this))
            SendFileTo(name, dialog.FileName);
    }, false);
    add("C&all...", nullptr, false);
    add("&Properties", [this] { AddBuddyDialog(); }, false);
    PopupMenu2->addSeparator();
    add("&New Buddy...", [this] {
        ShowQuickTip("qtip1003");
        TIniFile(AppPath() + "Channels.ini").WriteString("settings", "Iselected", "");
        AddBuddyDialog();
    }, true);
    PopupMenu2->addSeparator();
    QAction* block = add("Bloc&k", [this] { BlockedClick(); }, false);
    block->setCheckable(true);
    PopupMenu2->addSeparator();
    add("&Delete", [this] {
        if (Tbuddy* buddy = BuddyCanvas.Hovered())
            DeleteBuddy(buddy->Name, true);
    }, false);
    PopupMenu2->addSeparator();
    PluginsMenu = new QMenu(codepage::ToUnicode("Pl&ugins"), PopupMenu2);
    PluginsMenu->setObjectName("PluginsMenu");
    QAction* plugins = PopupMenu2->addMenu(PluginsMenu);
    plugins->setProperty("korvoCaption", QByteArray("Pl&ugins"));
    plugins->setEnabled(false);
    PopupMenu2->addSeparator();
    QAction* help = add("&Help", [this] { ShowHelp(); }, true);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    PopupMenu2->addSeparator();
    add("Abo&ut...", [] {
        if (Features().Command.ShowAbout)
            Features().Command.ShowAbout();
    }, true);
    connect(PopupMenu2, &QMenu::aboutToShow, this, [this] { Application::Guarded([this] { PopupMenu2Popup(); }); });
}

QAction* TForm1::BuddyMenuItem(const std::string& caption) const
{
    for (QAction* item : PopupMenu2->actions()) {
        if (item->property("korvoCaption").toByteArray().toStdString() == caption)
            return item;
    }
    return nullptr;
}
