#include "client/core/mainbar.h"

#include "client/core/channelsmenu.h"
#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/core/mainbargeometry.h"
#include "client/core/netmail.h"
#include "client/core/peersend.h"
#include "client/core/quicktips.h"
#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/win/shell.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

// The bar's commands: its buttons, its status line, dropped files and the sign-off.

using namespace mainbar;

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
    CallFeature(Features().Command.AwayChanged, Session().away);
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
    StatusBar1->setText(codepage::ToUnicode(text));
    QPalette palette = StatusBar1->palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    StatusBar1->setPalette(palette);
}

void TForm1::ClearFilter() { filter->clear(); }

void TForm1::SetTimerRunning(bool running)
{
    if (running)
        Timer2->start();
    else
        Timer2->stop();
}

void TForm1::ShowTime(const std::string& text) { Time->setText(codepage::ToUnicode(text)); }

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
    if (Features().Command.ShowSetup)
        Features().Command.ShowSetup();
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
        CallFeature(Features().Command.ComposeNivlet, buddy->Name, page.url, page.title + " ");
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
        if (Features().Command.AddDroppedShortcut) {
            const std::string name = ExtractFileName(path);
            Features().Command.AddDroppedShortcut(path, name.substr(0, name.find('.')));
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
