#include "client/features/ambrowindow.h"

#include "client/core/helpers.h"
#include "client/core/session.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/graphics.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// Site windows by their own keys, never a buddy's name: a site called like a
// buddy or "Conference*" must not receive that one's chat lines.
std::vector<TAmbroWindow*>& SiteWindows()
{
    static std::vector<TAmbroWindow*> windows;
    return windows;
}

QString Text(const std::string& s) { return codepage::ToUnicode(s); }

constexpr int kBufferSize = 5024;
constexpr int kTimeOutSeconds = 15;

}  // namespace

TAmbroWindow* FindSiteWindow(const std::string& sitename)
{
    for (TAmbroWindow* window : SiteWindows()) {
        if (LowerCase(window->Sitename()) == LowerCase(sitename))
            return window;
    }
    return nullptr;
}

void OpenSiteWindow(const std::string& sitename)
{
    if (TAmbroWindow* open = FindSiteWindow(sitename)) {
        if (open->isMinimized())
            open->showNormal();
        open->Show();
        open->raise();
        open->activateWindow();
        return;
    }
    auto* window = new TAmbroWindow(sitename);
    window->ShowSite();
}

TAmbroWindow::TAmbroWindow(const std::string& sitename) : TForm("TForm14"), m_sitename(sitename)
{
    SiteWindows().push_back(this);
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName("MainMenu1");
    QMenu* options = MainMenu->addMenu("&Options");
    SoundItem = options->addAction("S&ound");
    SoundItem->setObjectName("Sound1");
    SoundItem->setCheckable(true);
    IRCRooms = MainMenu->addMenu("&Rooms");
    IRCRooms->setObjectName("IRCRooms");
    layout->setMenuBar(MainMenu);

    auto* middle = new QHBoxLayout();
    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName("Memo2");
    Memo2->setReadOnly(true);
    Memo2->setMaximumBlockCount(static_cast<int>(TAmbroRoom::kMaxTranscript));
    QPalette info = Memo2->palette();
    info.setColor(QPalette::Base, ToQColor(clInfoBk));
    Memo2->setPalette(info);
    middle->addWidget(Memo2, 1);
    auto* listPanel = new QVBoxLayout();
    Panel2 = new QLabel("Persons (0)", this);
    Panel2->setObjectName("Panel2");
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSortingEnabled(true);
    ListBox1->setFixedWidth(120);
    listPanel->addWidget(Panel2);
    listPanel->addWidget(ListBox1, 1);
    Whisper = new QPushButton("Whisper", this);
    Whisper->setObjectName("Whisper");
    listPanel->addWidget(Whisper);
    middle->addLayout(listPanel);
    layout->addLayout(middle, 1);
    memo3 = new QLineEdit(this);
    memo3->setObjectName("memo3");
    memo3->setMaxLength(500);
    memo3->setFixedHeight(40);
    layout->addWidget(memo3);
    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName("StatusBar1");
    layout->addWidget(StatusBar1);
    Timer1 = new QTimer(this);
    Timer1->setInterval(500);

    QObject::connect(memo3, &QLineEdit::returnPressed, this, [this] { Application::Guarded([this] { Enter(); }); });
    QObject::connect(Whisper, &QPushButton::clicked, this, [this] { Application::Guarded([this] { WhisperClick(); }); });
    QObject::connect(Timer1, &QTimer::timeout, this, [this] {
        m_flashPhase = !m_flashPhase;
        SetCaption(m_flashPhase ? std::string() : m_room.Caption);
    });

    m_room.Sitename = sitename;
    m_room.SendLine = [this](const std::string& line) {
        // Send errors are ignored: a dead connection shows when it closes.
        try {
            if (TSocketBase* socket = TextClient1.GetSocket(); socket && socket->Connected())
                static_cast<TLineSocketBase*>(socket)->WriteLine(line);
        } catch (const std::exception&) {
        }
    };
    // A fill of the socket hands on many lines at once: the window shows them once.
    m_room.OnChange = [this] {
        if (m_showPending)
            return;
        m_showPending = true;
        QTimer::singleShot(0, this, [this] { ShowRoom(); });
    };
    m_room.OnMessage = [this] {
        if (isMinimized())
            Timer1->start();
        if (SoundItem->isChecked())
            PlayAppSound(14, false);
    };
    m_room.OnDisconnect = [this] { QTimer::singleShot(0, this, [this] { Disconnect(); }); };
    m_room.RandomSuffix = [] {
        static std::mt19937 random(std::random_device {}());
        return std::uniform_int_distribution<int>(1, 100)(random);
    };
    OnClose = [this](TCloseAction& action) {
        // Closing sends no QUIT and no chat-close to anyone: the site is no buddy.
        m_room.SiteMode = false;
        TextClient1.Close();
        action = caFree;
    };
}

TAmbroWindow::~TAmbroWindow()
{
    auto& windows = SiteWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    m_room.OnChange = nullptr;
    m_room.OnDisconnect = nullptr;
    m_room.SiteMode = false;
    TextClient1.OnLineReceived = nullptr;
    TextClient1.Close();
}

void TAmbroWindow::ShowSite()
{
    StatusBar1->setText("One Moment, Connecting...");
    SoundItem->setChecked(TIniFile(AppPath() + "Channels.ini").ReadBool("Settings", "ChatSound", true));
    m_room.SiteMode = true;
    const TIniFile user(WindowsDir() + "/my friends/" + Session().userId + "/user.dat");
    m_room.Nick = user.ReadString("user", "alias", "korvo_user");
    m_room.RegisteredNick = m_room.Nick;
    m_room.Email = Session().userEmail;
    const TAmbroSite site = ReadAmbroSite(AppPath() + "ambro.inf");
    IRCRooms->clear();
    for (const TAmbroRoomItem& item : site.Rooms) {
        QAction* action = IRCRooms->addAction(Text("&" + item.caption));
        action->setToolTip(Text(item.room));
        const std::string room = item.room;
        QObject::connect(action, &QAction::triggered, this, [this, room] { Application::Guarded([&] { RoomClick(room); }); });
    }
    resize(474, 380);
    m_room.Sitename = site.Sitename.empty() ? m_sitename : site.Sitename;
    m_room.DefaultRoom = site.DefaultRoom;
    m_room.CurrentRoom = site.DefaultRoom;
    m_room.Caption = "Korvo Ambro\xAE";
    SetCaption(m_room.Caption);
    Show();
    TextClient1.ReadBufferSize = kBufferSize;
    TextClient1.WriteBufferSize = kBufferSize;
    TextClient1.LineType = lstCRLF;
    TextClient1.SetTimeOut(kTimeOutSeconds);
    TextClient1.OnConnect = [this](TSockCtrl*, TSocketBase* socket) {
        if (socket && socket->Connected())
            m_room.Register();
        else
            Application::Guarded([this] { m_room.ConnectFailed(); ShowRoom(); });
    };
    TextClient1.OnLineReceived = [this](TLineSocketBase*, const std::string& line, bool) { m_room.HandleLine(line); };
    TextClient1.OnReadBufferFull = [this](TBufferedSocketBase* socket) {
        // A line longer than the buffer is no server's line: this chat ends.
        m_room.LineTooLong();
        socket->Close();
    };
    bool opened = site.Port != 0 && !Trim(site.Server).empty();
    if (opened) {
        try {
            TextClient1.SetAddress(Trim(site.Server));
            TextClient1.SetPort(std::to_string(site.Port));
            TextClient1.Open(SocketClassOf<TLineSocket>());
        } catch (const std::exception&) {
            opened = false;
        }
    }
    if (!opened)
        m_room.ConnectFailed();
    ShowRoom();
    memo3->setFocus();
}

void TAmbroWindow::ShowRoom()
{
    m_showPending = false;
    const auto& transcript = m_room.Transcript();
    if (m_room.Clears() != m_shownClears) {
        Memo2->clear();
        m_shownClears = m_room.Clears();
        m_shownLines = m_room.Appended() - transcript.size();
    }
    // Only what came since the last showing; the memo keeps as many lines as the room.
    const std::size_t fresh = std::min(m_room.Appended() - m_shownLines, transcript.size());
    for (std::size_t i = transcript.size() - fresh; i < transcript.size(); ++i)
        Memo2->appendPlainText(Text(transcript[i].Plain()));
    m_shownLines = m_room.Appended();

    if (m_room.PersonsRevision() != m_shownPersons) {
        m_shownPersons = m_room.PersonsRevision();
        ListBox1->clear();
        for (const std::string& person : m_room.Persons())
            ListBox1->addItem(Text(person));
    }
    Panel2->setText(Text(m_room.PersonsCaption()));
    StatusBar1->setText(Text(m_room.Status.empty() ? StatusBar1->text().toStdString() : m_room.Status));
    if (!Timer1->isActive())
        SetCaption(m_room.Caption);
    memo3->setEnabled(m_room.InputEnabled);
    if (!m_room.InputEnabled) {
        QPalette face = memo3->palette();
        face.setColor(QPalette::Base, ToQColor(clBtnFace));
        memo3->setPalette(face);
    }
}

void TAmbroWindow::Enter()
{
    const std::string text = codepage::FromUnicode(memo3->text());
    if (!m_room.SiteMode) {
        if (!text.empty())
            QApplication::beep();
        return;
    }
    if (m_room.Say(text)) {
        memo3->clear();
        memo3->setFocus();
    }
}

void TAmbroWindow::WhisperClick()
{
    QListWidgetItem* selected = ListBox1->currentItem();
    if (!selected || !selected->isSelected()) {
        MessageDlg("\rYou must first select the person to whom you want to whisper.", mtInformation, mbOK, 0);
        return;
    }
    m_room.Whisper(codepage::FromUnicode(selected->text()), codepage::FromUnicode(memo3->text()));
    memo3->clear();
    memo3->setFocus();
}

void TAmbroWindow::RoomClick(const std::string& room)
{
    if (!m_room.SiteMode)
        return;
    m_room.ChangeRoom(room);
}

void TAmbroWindow::Disconnect()
{
    TextClient1.Close();
    ShowRoom();
}

void TAmbroWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && Timer1->isActive()) {
        Timer1->stop();
        SetCaption(m_room.Caption);
    }
    TForm::changeEvent(event);
}
