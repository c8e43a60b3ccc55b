#include "client/features/chatwindow.h"

#include "client/core/helpers.h"
#include "client/core/session.h"
#include "client/features/transcriptcap.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/graphics.h"
#include "platform/ui/richtext.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTextEdit>
#include <QTimer>

#include <random>

// The chat window in site mode: a room of a site's IRC server.

namespace {


// The site's line socket.
constexpr int kSiteBufferSize = 5024;
constexpr int kSiteTimeOutSeconds = 15;

}  // namespace

void TForm14::ShowSite()
{
    StatusPanel0->setText("One Moment, Connecting...");
    m_room.SiteMode = true;
    const TIniFile user(WindowsDir() + "/my friends/" + Session().userId + "/user.dat");
    m_room.Nick = user.ReadString("user", "alias", "korvo_user");
    m_room.RegisteredNick = m_room.Nick;
    m_room.Email = Session().userEmail;

    QPalette info = Memo2->palette();
    info.setColor(QPalette::Base, ToQColor(clInfoBk));
    Memo2->setPalette(info);
    IRCRooms->menuAction()->setVisible(true);
    Panel5->hide();
    memo3->setFixedHeight(40);
    const TAmbroSite site = ReadAmbroSite(AppPath() + "ambro.inf");
    IRCRooms->clear();
    for (const TAmbroRoomItem& item : site.Rooms) {
        QAction* action = IRCRooms->addAction(codepage::ToUnicode("&" + item.caption));
        action->setToolTip(codepage::ToUnicode(item.room));
        const std::string room = item.room;
        QObject::connect(action, &QAction::triggered, this, [this, room] { Application::Guarded([this, room] { RoomClick(room); }); });
    }
    WhisperPanel->show();
    ListPanel->show();
    resize(474, 380);

    m_room.Sitename = site.Sitename.empty() ? m_key : site.Sitename;
    m_room.DefaultRoom = site.DefaultRoom;
    m_room.CurrentRoom = site.DefaultRoom;
    m_room.Caption = "Korvo Ambro\xAE";
    SetCaption(m_room.Caption);
    m_room.SendLine = [this](const std::string& line) {
        // Send errors are ignored: a dead connection shows when it closes.
        try {
            if (TSocketBase* socket = TextClient1.GetSocket(); socket && socket->Connected())
                static_cast<TLineSocketBase*>(socket)->WriteLine(line);
        } catch (const std::exception&) {
        }
    };
    // One fill of the socket hands on many lines: the window shows them once.
    m_room.OnChange = [this] {
        if (m_showPending)
            return;
        m_showPending = true;
        QTimer::singleShot(0, this, [this] { ShowRoom(); });
    };
    m_room.OnMessage = [this] {
        if (isMinimized() && !Timer1->isActive())
            Timer1->start();
        if (Sound1->isChecked())
            PlayAppSound(14, false);
    };
    m_room.OnDisconnect = [this] {
        QTimer::singleShot(0, this, [this] {
            TextClient1.Close();
            ShowRoom();
        });
    };
    m_room.RandomSuffix = [] {
        static std::mt19937 random(std::random_device {}());
        return std::uniform_int_distribution<int>(1, 100)(random);
    };
    ConnectSite(site);
    ShowRoom();
    memo3->setFocus();
}

void TForm14::ConnectSite(const TAmbroSite& site)
{
    TextClient1.ReadBufferSize = kSiteBufferSize;
    TextClient1.WriteBufferSize = kSiteBufferSize;
    TextClient1.LineType = lstCRLF;
    TextClient1.SetTimeOut(kSiteTimeOutSeconds);
    TextClient1.OnConnect = [this](TSockCtrl*, TSocketBase* socket) {
        if (socket && socket->Connected())
            m_room.Register();
        else
            Application::Guarded([this] {
                m_room.ConnectFailed();
                ShowRoom();
            });
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
}

void TForm14::ShowRoom()
{
    m_showPending = false;
    const auto& transcript = m_room.Transcript();
    if (m_room.Clears() != m_shownClears) {
        // The saved file keeps what it had: only the user's Clear empties it.
        Memo2->clear();
        m_shownClears = m_room.Clears();
        m_shownLines = m_room.Appended() - transcript.size();
    }
    // Only what came since the last showing, and no more than the room still holds.
    const std::size_t fresh = std::min(m_room.Appended() - m_shownLines, transcript.size());
    if (fresh > 0) {
        QTextCursor cursor(Memo2->document());
        cursor.movePosition(QTextCursor::End);
        // Moves with the lines the window drops at its start.
        QTextCursor mark = cursor;
        mark.setKeepPositionOnInsert(true);
        // One edit for the lot: the transcript is laid out once, not per line.
        cursor.beginEditBlock();
        for (std::size_t i = transcript.size() - fresh; i < transcript.size(); ++i)
            richtext::Insert(cursor, transcript[i].Rtf());
        cursor.endEditBlock();
        Memo2->setTextCursor(cursor);
        Memo2->ensureCursorVisible();
        SaveGrowth(mark);
        TrimTranscript(*Memo2->document(), 1);
    }
    m_shownLines = m_room.Appended();

    if (m_room.PersonsRevision() != m_shownPersons) {
        m_shownPersons = m_room.PersonsRevision();
        SetPersons(m_room.Persons());
    }
    if (!m_room.Status.empty())
        StatusPanel0->setText(codepage::ToUnicode(m_room.Status));
    SetCaption(m_room.Caption);
    if (memo3->isEnabled() && !m_room.InputEnabled)
        EnableAndColour(memo3, false);
}

void TForm14::SendSiteInput()
{
    // Without the site flag the text would go the chat way, to a site that is
    // no buddy: it only beeps.
    if (!m_room.SiteMode) {
        QApplication::beep();
        return;
    }
    const std::string rtf = Trim(richtext::Write(*memo3->document()));
    if (!m_room.Say(codepage::FromUnicode(memo3->toPlainText())))
        return;
    m_lastSent = rtf;
    memo3->clear();
    memo3->setFocus();
}

void TForm14::ShowSaid(const std::string& name, const std::string& text) { m_room.ShowSaid(name, text); }

void TForm14::WhisperClick()
{
    QListWidgetItem* selected = ListBox1->currentItem();
    if (!selected || !selected->isSelected()) {
        MessageDlg("\rYou must first select the person to whom you want to whisper.", mtInformation, mbOK, 0);
        return;
    }
    m_room.Whisper(codepage::FromUnicode(selected->text()), codepage::FromUnicode(memo3->toPlainText()));
    memo3->clear();
    memo3->setFocus();
}

void TForm14::RoomClick(const std::string& room)
{
    if (m_room.SiteMode)
        m_room.ChangeRoom(room);
}
