#include "client/core/onesecondtimer.h"
#include "client/core/servicelogon.h"
#include "client/core/mainbar.h"
#include "client/core/featurehooks.h"

#include "client/core/buddyfile.h"
#include "client/core/buddyhint.h"
#include "client/core/buddytoast.h"
#include "client/core/channelsmenu.h"
#include "client/core/chatrouting.h"
#include "client/core/featurewindows.h"
#include "client/core/helpers.h"
#include "client/core/mainbargeometry.h"
#include "client/core/netmail.h"
#include "client/core/newshooks.h"
#include "client/core/peerlists.h"
#include "client/core/peersend.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "client/core/quicktips.h"
#include "client/core/notehooks.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/filedialogs.h"
#include "platform/ui/label.h"
#include "platform/win/dde.h"
#include "platform/win/shell.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

TForm1* Form1 = nullptr;

namespace {

using namespace mainbar;

constexpr int kArrowHeight = 12;
constexpr int kCommandLeftX = 4;
constexpr int kCommandLeftWidth = 58;
constexpr int kCommandRightX = 62;
constexpr int kCommandRightWidth = 49;
constexpr int kCommandHeight = 17;

const char* const kBuddiesCaption = "BUDDIES ";
const char* const kWebCaption = "WEB     ";

// The scroll arrows are the up and down pictures of the window-control font.
QString ArrowGlyph(const char* letter) { return FontText(TFontSpec("Marlett", 8), letter); }

QString Text(const std::string& s) { return codepage::ToUnicode(s); }

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
        if (News().trimOldNews)
            News().trimOldNews();
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

    Label3 = new TLabel(Text(Ansi("Korvo®")), ClientArea);
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
        if (FeatureHooks().ToggleGuide)
            FeatureHooks().ToggleGuide();
        PlayAppSound(9, false);
    };
    SpeedButton8->OnClick = [] { CallNoteHook(NoteHooks().EditReminder, std::string()); };
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
        if (FeatureHooks().StartSearchBar)
            FeatureHooks().StartSearchBar();
    };
    ExplorerButton14->OnClick = [] {
        if (FeatureHooks().AddPageAsChannel)
            FeatureHooks().AddPageAsChannel(0);
    };
    QORExplorerButton14->OnClick = [] {
        const WaitCursor wait;
        if (FeatureHooks().StartAmbro)
            FeatureHooks().StartAmbro();
        ShowQuickTip("qtip1007");
    };
    ExplorerButton17->OnClick = [] {
        if (FeatureHooks().CloseUnlockedGuide)
            FeatureHooks().CloseUnlockedGuide();
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
        CallNoteHook(NoteHooks().StartNivletRead);
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
        QAction* item = PopupMenu2->addAction(Text(caption));
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
            CallNoteHook(NoteHooks().ComposeNivlet, buddy->Name, std::string(), std::string());
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
    PluginsMenu = new QMenu(Text("Pl&ugins"), PopupMenu2);
    PluginsMenu->setObjectName("PluginsMenu");
    QAction* plugins = PopupMenu2->addMenu(PluginsMenu);
    plugins->setProperty("korvoCaption", QByteArray("Pl&ugins"));
    plugins->setEnabled(false);
    PopupMenu2->addSeparator();
    QAction* help = add("&Help", [this] { ShowHelp(); }, true);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    PopupMenu2->addSeparator();
    add("Abo&ut...", [] {
        if (FeatureWindows().ShowAbout)
            FeatureWindows().ShowAbout();
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

// --- window rules ------------------------------------------------------------

void TForm1::RememberRestorePlace(int top, int height)
{
    Session().barTop = top;
    Session().barHeight = height;
}

void TForm1::PlaceBar(int left, int top, int height)
{
    SetBounds(left, top, kBarWidth, ClampHeight(height));
    // Setting the bounds lifts the window's size limits; they hold for every later drag too.
    setMinimumSize(kBarWidth, kMinHeight);
    setMaximumWidth(kBarWidth);
}

bool TForm1::Tucked() const { return IsTucked(Left(), Screen::Width()); }

void TForm1::Tuck() { PlaceBar(TuckedLeft(Screen::Width()), Top(), Height()); }

void TForm1::Untuck() { PlaceBar(Session().dockedLeft, Top(), Height()); }

int TForm1::HitTest(int x, int y)
{
    const HitCode code = BarHitTest(x, y, Width(), Height());
    if (code == HTCAPTION)
        Session().barTop = Top();
    return code;
}

void TForm1::FormResize()
{
    ClientArea->resize(width() - 2 * kFrame, height() - 2 * kFrame);
    const Layout l = LayoutFor(ClientArea->height());
    const int clientWidth = ClientArea->width();
    StatusBar1->setGeometry(0, l.statusTop, clientWidth, kStatusHeight);
    Panel3->setGeometry(0, l.commandPanelTop, clientWidth, kCommandPanelHeight);
    for (TSpeedButton* b : { SpeedButton9, SpeedButton8, SpeedButton7, SpeedButton10 })
        b->move(b->x(), l.toolButtonTop);
    filter->move(filter->x(), l.filterTop);
    const int panelHeight = std::max(3 * kArrowHeight, l.panelHeight);
    Panel2->resize(kPanelWidth, panelHeight);
    Panel1->resize(kPanelWidth, panelHeight);
    Panel5->setGeometry(0, 0, kPanelWidth, kArrowHeight);
    frCanvas1->setGeometry(0, kArrowHeight, kPanelWidth, panelHeight - 2 * kArrowHeight);
    Panel4->setGeometry(0, panelHeight - kArrowHeight, kPanelWidth, kArrowHeight);
    Panel8->setGeometry(0, 0, kPanelWidth, kArrowHeight);
    ChnPanel->setGeometry(0, kArrowHeight, kPanelWidth, 18);
    ChnName->setGeometry(0, 0, kPanelWidth, 18);
    Time->setGeometry(0, kArrowHeight + 18, kPanelWidth, 14);
    PaintBox1->setGeometry(0, kArrowHeight + 32, kPanelWidth, panelHeight - 2 * kArrowHeight - 32);
    Panel11->setGeometry(0, panelHeight - kArrowHeight, kPanelWidth, kArrowHeight);
    if (Top() != 0)
        RememberRestorePlace(Top(), Height());
}

void TForm1::PaintBackground() { PaintBackground(ScreenColorDepth()); }

void TForm1::PaintBackground(int colorDepth)
{
    const int w = Width();
    const int h = Screen::Height();
    if (colorDepth < 9 || w <= 0 || h <= 0) {
        m_background = QImage();
        update();
        return;
    }
    SetColor(clBtnFace);
    m_background = QImage(w, h, QImage::Format_RGB32);
    QPainter painter(&m_background);
    FillBands(painter, QRect(0, 0, w / 2, h), clBtnFace, clWhite, 64, true);
    // The right pass takes the odd column too, so no unpainted stripe is left at the edge.
    FillBands(painter, QRect(w / 2, 0, w - w / 2, h), clWhite, clBtnFace, 64, true);
    update();
}

void TForm1::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_background.isNull())
        painter.drawImage(0, 0, m_background);
    else
        painter.fillRect(rect(), ToQColor(clBtnFace));
    // The sizing frame: a raised edge inside the window's own border.
    const QRect r = rect().adjusted(0, 0, -1, -1);
    painter.setPen(ToQColor(clBtnHighlight));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(ToQColor(cl3DDkShadow));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

void TForm1::Panel7Click()
{
    PlaceBar(Left(), Session().barTop, Session().barHeight);
    Panel7->update();
    Panel6->update();
}

void TForm1::Panel6Click()
{
    const QRect area = Screen::WorkAreaRect();
    PlaceBar(Left(), 0, MaximizedHeight(area.top() + area.height()));
    Panel7->update();
    Panel6->update();
}

void TForm1::SpeedButton3Click()
{
    const int tucked = TuckedLeft(Screen::Width());
    if (tucked >= Session().dockedLeft) {
        // A slide into the tucked place, one pixel a step.
        for (int left = Session().dockedLeft; left <= tucked; ++left) {
            SetLeft(left);
            Application::ProcessMessages();
        }
    }
    ShowQuickTip("qtip1008");
}

void TForm1::FormMouseDown(TMouseButton button, TShiftState, int, int)
{
    if (button == mbRight && Tucked()) {
        Untuck();
        m_showHints = false;
    }
}

void TForm1::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const int code = event->button() == Qt::LeftButton ? HitTest(p.x(), p.y()) : HTCLIENT;
    if (code == HTCAPTION || code == HTTOP || code == HTBOTTOM) {
        QWindow* window = windowHandle();
        const bool system = window && (code == HTCAPTION ? window->startSystemMove()
                                                          : window->startSystemResize(code == HTTOP ? Qt::TopEdge : Qt::BottomEdge));
        if (!system) {
            m_frameDrag = code;
            m_frameDragStart = event->globalPosition().toPoint();
            m_frameDragBounds = QRect(Left(), Top(), Width(), Height());
        }
        return;
    }
    TForm::mousePressEvent(event);
}

void TForm1::mouseMoveEvent(QMouseEvent* event)
{
    if (m_frameDrag == 0) {
        const QPoint p = event->position().toPoint();
        const int code = BarHitTest(p.x(), p.y(), Width(), Height());
        // Only the top and bottom edges size the bar, so only they show the sizing pointer.
        setCursor(code == HTTOP || code == HTBOTTOM ? Qt::SizeVerCursor : Qt::ArrowCursor);
        TForm::mouseMoveEvent(event);
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - m_frameDragStart;
    const QRect b = m_frameDragBounds;
    if (m_frameDrag == HTCAPTION)
        PlaceBar(b.left() + d.x(), b.top() + d.y(), b.height());
    else if (m_frameDrag == HTTOP) {
        const int height = ClampHeight(b.height() - d.y());
        PlaceBar(b.left(), b.bottom() + 1 - height, height);
    } else
        PlaceBar(b.left(), b.top(), b.height() + d.y());
}

void TForm1::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_frameDrag != 0) {
        m_frameDrag = 0;
        return;
    }
    TForm::mouseReleaseEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !m_showHints)
        return true;
    if (watched == StatusBar1 && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        Application::Guarded([&] { StatusBar1MouseUp(MouseButtonFromQt(mouse->button())); });
        return true;
    }
    return TForm::eventFilter(watched, event);
}

bool TForm1::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !m_showHints)
        return true;
    return TForm::event(event);
}

void TForm1::SignOff()
{
    if (m_signingOff)
        return;
    m_signingOff = true;
    if (!OnSignOff) {
        Close();
        return;
    }
    try {
        OnSignOff();
    } catch (...) {
        // EXIT must work again after a sign-off that failed.
        m_signingOff = false;
        throw;
    }
}

void TForm1::CloseForSignOff()
{
    m_signingOff = true;
    Close();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The window manager's close box signs off like EXIT, so nothing of the session keeps
    // running; the sign-off runs once this close is refused, and closes the bar itself.
    if (!m_signingOff && OnSignOff) {
        event->ignore();
        QTimer::singleShot(0, this, [this] { Application::Guarded([this] { SignOff(); }); });
        return;
    }
    TForm::closeEvent(event);
}

void TForm1::ShowPartner()
{
    const std::string& partner = Session().partner;
    if (partner.empty())
        return;
    // The label breaks its line where the banner's CR stands.
    Label3->setText(codepage::ToUnicode(Ansi("KORVO®") + "\n" + partner));
    Label3->adjustSize();
}

QImage TForm1::Snapshot()
{
    return grab().toImage();
}

// --- commands ------------------------------------------------------------------

bool TForm1::BuddiesShowing() const { return ActiveButton1->Caption() == CommandCaption(kWebCaption); }

void TForm1::ActiveButton1MouseDown()
{
    PlayAppSound(9, true);
    if (ActiveButton1->Caption() == CommandCaption(kBuddiesCaption)) {
        ShowQuickTip("qtip1000");
        ActiveButton1->SetCaption(CommandCaption(kWebCaption));
    } else {
        ActiveButton1->SetCaption(CommandCaption(kBuddiesCaption));
    }
    if (BuddiesShowing()) {
        ExplorerButton14->SetHint("Add Buddy");
        Panel1->hide();
        Panel2->show();
    } else {
        ExplorerButton14->SetHint("Add Favorite");
        Panel1->show();
        Panel2->hide();
    }
}

void TForm1::ActiveButton1MouseUp() { ScrollBuddyCanvas(BuddyCanvas.Offset()); }

void TForm1::QORExplorerButton17Click()
{
    Session().away = !Session().away;
    QORExplorerButton17->setChecked(Session().away);
    Application::ProcessMessages();
    CallNoteHook(NoteHooks().AwayChanged, Session().away);
}

void TForm1::ShowChannelMenu()
{
    PlayAppSound(9, false);
    m_channelMenu = std::make_unique<QMenu>();
    m_channelMenu->setObjectName("ChannelMenu");
    BuildChannelMenu(m_channelMenu.get(), nullptr, "Index");
    m_channelMenu->popup(QPoint(ChannelMenuX(Left()), Top()));
}

void TForm1::SpeedButton7MouseUp(TMouseButton button)
{
    const std::string prefix = "\\SOFTWARE\\Clients\\Contacts\\" + Session().addressBook;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    if (button == mbLeft)
        LaunchRegisteredClient(prefix + "\\shell\\open\\command", "", "/default");
    else if (button == mbRight)
        LaunchRegisteredClient(prefix + "\\Protocols\\new\\open\\command", "", "/default");
    QApplication::restoreOverrideCursor();
}

void SetChannelLabel(const std::string& text)
{
    if (Form1 && Form1->ChnName)
        Form1->ChnName->setText(codepage::ToUnicode(text));
}

void TForm1::SpeedButton10Click()
{
    ChnName->setText("WELCOME!");
    SpeedButton10->SetGlyph(QImage(QString::fromStdString(codepage::ToUtf8(AppPath() + "assets/tool_email.bmp"))));
    SpeedButton10->SetHint("Mail");
    const std::string client = Session().mailClient;
    if (IsWebMailClient(client))
        OpenWebMail(client);
    LaunchRegisteredClient("\\SOFTWARE\\Clients\\Mail\\" + client + "\\shell\\open\\command", "", "");
}

void TForm1::OpenWebMail(const std::string& clientName)
{
    const TIniFile ini("larkspire.ini");
    const std::string section = "Online Mail." + Session().userName;
    const std::string address = WebMailAddress(WebMailUrl(clientName), ini.ReadString(section, "userName", ""),
                                               ini.ReadString(section, "userPassword", ""));
    if (!address.empty())
        NavigateTo(address);
}

void TForm1::SetStatusText(const std::string& text, TColor color)
{
    StatusBar1->setText(Text(text));
    QPalette palette = StatusBar1->palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    StatusBar1->setPalette(palette);
}

std::string TForm1::StatusText() const { return codepage::FromUnicode(StatusBar1->text()); }

void TForm1::UpdateStatusBar()
{
    try {
        const TSession& s = Session();
        TColor color = clBlue;
        std::string text;
        if (s.logOnRunning)
            text = "Registering";
        else if (s.loggedOn)
            text = s.userId;
        else {
            text = "no connection";
            color = clBtnShadow;
        }
        if (s.away)
            text = "I'm Away";
        if (s.notifyState)
            text = "Hidden";
        if (!s.online) {
            text = "offline";
            color = clBtnShadow;
        }
        SetStatusText(text, color);
    } catch (const std::exception&) {
        // The status line is a courtesy; a failure to set it must not disturb the caller.
    }
}

void TForm1::StatusBar1MouseUp(TMouseButton button)
{
    if (button == mbRight) {
        if (StatusText() != Session().localAddress)
            SetStatusText(Session().localAddress, clBlue);
        else
            UpdateStatusBar();
        return;
    }
    SetStatusText("One Moment", clBlue);
    StatusBar1->repaint();
    LoginToService("");
}

void TForm1::ShowProperties()
{
    if (FeatureWindows().ShowSetup)
        FeatureWindows().ShowSetup();
    LoadBuddyFiles(false);
    RefreshBuddyList();
    LoadSettings();
    ShowPartner();
}

void TForm1::ShowHelp() { NavigateTo(kHelpPage); }

void TForm1::SendLinkClick()
{
    Tbuddy* buddy = BuddyCanvas.Hovered();
    const BrowserPage page = ParseBrowserAnswer(GetBrowserWindowInfo());
    if (!Trim(page.url).empty() && buddy) {
        CallNoteHook(NoteHooks().ComposeNivlet, buddy->Name, page.url, page.title + " ");
        return;
    }
    PlayAppSound(6, true);
    MessageDlg("\rThis feature works with your Web browser. Please open Browser, then retry.", mtWarning, mbOK, 0);
}

void TForm1::WMDropFiles(const std::string& path, int x, int y)
{
    const QPoint at(x, y);
    if (Panel2->isVisible()) {
        const QPoint inCanvas = frCanvas1->mapFrom(ClientArea, at);
        if (frCanvas1->rect().contains(inCanvas)) {
            Tbuddy* buddy = TBuddyCanvas::BuddyAt(FriendsListBox, inCanvas.y() + BuddyCanvas.Offset());
            if (!buddy)
                return;
            SendFileTo(buddy->Name, path);
            return;
        }
    }
    if (Panel1->isVisible() && Panel1->geometry().contains(at)) {
        if (DirectoryExists(path))
            return;
        Activate();
        if (filter->isVisible())
            filter->setFocus();
        if (FeatureHooks().AddDroppedShortcut) {
            const std::string name = ExtractFileName(path);
            FeatureHooks().AddDroppedShortcut(path, name.substr(0, name.find('.')));
        }
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> files = shell::DroppedFiles(event->mimeData());
    // The platform's drop buffer holds 255 characters; longer paths cannot name a file here.
    if (files.empty() || files.front().size() > 255)
        return;
    const std::string path = files.front();
    const QPoint at = ClientArea->mapFrom(this, event->position().toPoint());
    event->acceptProposedAction();
    Application::Guarded([&] { WMDropFiles(path, at.x(), at.y()); });
}
