#include "client/core/mainbar.h"

#include "client/core/buddyfile.h"
#include "client/core/buddyhint.h"
#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/core/mainbargeometry.h"
#include "client/core/peersend.h"
#include "client/core/quicktips.h"
#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/win/dde.h"
#include "platform/win/process.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace {

constexpr WORD kVkF2 = VK_F1 + 1;

}  // namespace

// --- the painted list on the bar -------------------------------------------------

int TForm1::BuddyBoxHeight() const { return frCanvas1->height(); }

void TForm1::ClearBuddies()
{
    BuddyCanvas.Reset();
    PeerSockets.Clear();
    FriendsListBox.Clear();
}

void TForm1::PaintBuddyList()
{
    Session().lastBuddyIndex = FriendsListBox.LastIndex();
    BuddyCanvas.Paint(FriendsListBox);
}

void TForm1::RefreshBuddyList()
{
    PaintBuddyList();
    ScrollBuddyCanvas(BuddyCanvas.Offset());
}

void TForm1::RefreshBuddyListSoon()
{
    // What a buddy shows is known at once; only the picture waits.
    for (int i = 0; i < FriendsListBox.Count(); ++i)
        if (Tbuddy* buddy = FriendsListBox.Item(i))
            buddy->Color = TBuddyCanvas::NameColor(*buddy);
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        RefreshBuddyList();
    });
}

void TForm1::ScrollBuddyCanvas(int offset)
{
    BuddyCanvas.SetOffset(offset);
    frCanvas1->update();
}

void TForm1::frCanvas1MouseDown(TMouseButton, TShiftState, int x, int y)
{
    BuddyCanvas.MouseDown(x, y);
    if (AwayMessageHint) {
        AwayMessageHint->Timer1->stop();
        AwayMessageHint->Hide();
    }
}

void TForm1::frCanvas1MouseMove(TShiftState, int x, int y)
{
    if (FriendsListBox.Empty())
        return;
    ShowQuickTip("qtip1006");
    const TBuddyCanvas::MoveResult result = BuddyCanvas.MouseMove(FriendsListBox, x, y, BuddyBoxHeight());
    if (result.scrollSound)
        PlayAppSound(2, false);
    if (result.over && AwayMessageHint) {
        TAwayMessageHint& hint = *AwayMessageHint;
        const Tbuddy& over = *result.over;
        if (over.Away) {
            if (!SameText(hint.BuddyName(), over.Name)) {
                hint.SetBuddyName(over.Name);
                if (!BuddyCanvas.Dragging()) {
                    hint.SetTitle(over.Name + "'s message");
                    hint.SetMessage(over.AwayMessage);
                    hint.SetBounds(Left() - hint.Width() - 4, QCursor::pos().y() - 15, hint.Width(), hint.Height());
                    hint.Timer1->start();
                }
            }
        } else {
            hint.Dismiss();
        }
    }
    ScrollBuddyCanvas(BuddyCanvas.Offset());
}

void TForm1::frCanvas1MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    const bool click = BuddyCanvas.MouseUp(x, y);
    Tbuddy* hovered = BuddyCanvas.Hovered();
    if (shift == ssShift && x > 14 && hovered) {
        QApplication::clipboard()->setText(codepage::ToUnicode(hovered->PeerAddress));
        return;
    }
    if (click && button == mbRight)
        PopupMenu2->popup(QPoint(mainbar::BuddyMenuX(Left()), y + Top() + frCanvas1->y() + 32));
}

void TForm1::frCanvas1DblClick()
{
    BuddyCanvas.EndDrag();
    if (Tbuddy* buddy = BuddyCanvas.Hovered())
        CallFeature(Features().Command.ComposeNivlet, buddy->Name, std::string(), std::string());
}

void TForm1::FilterKeyDown(WORD& key, TShiftState)
{
    if ((key == VK_UP || key == VK_DOWN) && Panel2->isVisible()) {
        const bool sound = key == VK_UP ? BuddyCanvas.ScrollUpKey() : BuddyCanvas.ScrollDownKey(BuddyBoxHeight());
        if (sound)
            PlayAppSound(2, true);
        ScrollBuddyCanvas(BuddyCanvas.Offset());
    } else if (key == kVkF2) {
        ShowProperties();
    } else if (key == VK_F1) {
        ShowHelp();
    }
}

void TForm1::FilterKeyPress(char& key)
{
    if (key == '\r') {
        key = 0;
        const std::string text = codepage::FromUnicode(filter->text());
        if (!Trim(text).empty()) {
            const TFeatures::TCommand& hooks = Features().Command;
            if (!(hooks.OpenChannel && hooks.OpenChannel(text)) && hooks.SearchWeb)
                hooks.SearchWeb(text);
        }
    } else if (key == 27) {
        key = 0;
        filter->clear();
    }
}

void TForm1::Panel5MouseDown()
{
    Panel5->SetBevelLowered(true);
    m_arrowDirection = -1;
    HoldArrow(-1);
    m_arrowTimer->start();
}

void TForm1::Panel4MouseDown()
{
    Panel4->SetBevelLowered(true);
    m_arrowDirection = 1;
    HoldArrow(1);
    m_arrowTimer->start();
}

void TForm1::PanelArrowMouseUp()
{
    Panel5->SetBevelLowered(false);
    Panel4->SetBevelLowered(false);
    m_arrowTimer->stop();
    m_arrowDirection = 0;
}

void TForm1::HoldArrow(int direction)
{
    const bool moved = direction < 0 ? BuddyCanvas.StepUp() : BuddyCanvas.StepDown(BuddyBoxHeight());
    if (!moved) {
        m_arrowTimer->stop();
        return;
    }
    ScrollBuddyCanvas(BuddyCanvas.Offset());
}

void TForm1::PopupMenu2Popup()
{
    const std::string name = BuddyCanvas.Hovered() ? BuddyCanvas.Hovered()->Name : std::string();
    if (AwayMessageHint && BuddyCanvas.Hovered()) {
        AwayMessageHint->Timer1->stop();
        AwayMessageHint->Hide();
    }
    SaveSelectedChannel(name);
    UpdateBuddyMenu(name);
}

void TForm1::UpdateBuddyMenu(const std::string& name)
{
    QAction* chat = BuddyMenuItem("&Chat");
    QAction* file = BuddyMenuItem("Send &File");
    QAction* block = BuddyMenuItem("Bloc&k");
    QAction* properties = BuddyMenuItem("&Properties");
    QAction* remove = BuddyMenuItem("&Delete");
    QAction* link = BuddyMenuItem("Send &Link");
    QAction* mail = BuddyMenuItem("Send &Mail");
    QAction* nivlet = BuddyMenuItem("Send &Nivlet");
    Tbuddy* hovered = BuddyCanvas.Hovered();
    if (!BuddyCanvas.HoveredName().empty() && !name.empty() && hovered) {
        chat->setEnabled(hovered->Online);
        file->setEnabled(hovered->Online);
        block->setEnabled(true);
        block->setChecked(IsBuddyBlocked(name));
        properties->setEnabled(true);
        remove->setEnabled(true);
        for (QAction* item : { link, mail, nivlet })
            item->setEnabled(Session().online);
        if (hovered->Away) {
            file->setEnabled(false);
            chat->setEnabled(false);
        }
        return;
    }
    for (QAction* item : { remove, chat, file, mail, nivlet, link, block, properties })
        item->setEnabled(false);
    if (hovered)
        block->setChecked(hovered->Blocked);
    ScrollBuddyCanvas(BuddyCanvas.Offset());
}

void TForm1::BlockedClick()
{
    Tbuddy* buddy = BuddyCanvas.Hovered();
    if (!buddy)
        return;
    QAction* block = BuddyMenuItem("Bloc&k");
    // The menu item toggles its own check when it is triggered; a direct call flips it here.
    const bool blocked = !buddy->Blocked;
    block->setChecked(blocked);
    WriteBuddyValue(buddy->Name, "BLOCK", blocked ? "1" : "0");
    buddy->Blocked = blocked;
    if (blocked) {
        BlockBuddy(buddy->Name);
    } else {
        LoginToService(buddy->Name);
    }
    RefreshBuddyList();
}

void TForm1::DeleteBuddy(const std::string& name, bool ask)
{
    if (ask) {
        QApplication::beep();
        const std::string question =
            "\rAre you sure you want to delete '" + UpperCase(name) + "'" + " from your buddy list?";
        if (MessageDlg(question, mtConfirmation, mbYes | mbNo, 0) != mrYes)
            return;
    }
    if (const std::string file = BuddyFileName(name); !file.empty())
        DeleteFile(file);
    PeerSockets.Remove(name);
    if (Tbuddy* buddy = FriendsListBox.Find(name)) {
        if (buddy->Online && buddy->Socket)
            buddy->Socket->Close();
        if (BuddyCanvas.Hovered() == buddy)
            BuddyCanvas.ForgetHovered();
        FriendsListBox.Remove(name);
    }
    RefreshBuddyList();
    BuddyCanvas.ForgetHovered();
    frCanvas1->update();
}

void TForm1::AddBuddy(const Tbuddy& buddy)
{
    if (!IsValidBuddyName(buddy.Name))
        return;
    WriteBuddyIdentity(buddy.Name);
    LoadBuddyFiles(false);
    RefreshBuddyList();
    if (Session().online)
        LoginToService(buddy.Name);
}

void TForm1::AddBuddyDialog()
{
    if (Features().Command.CloseGuide)
        Features().Command.CloseGuide();
    if (!Features().Command.ShowBuddyDialog)
        return;
    const QPointer<TForm1> alive(this);
    const std::string name = Features().Command.ShowBuddyDialog();
    // The session may have ended while the dialog was open.
    if (name.empty() || !alive)
        return;
    LoadBuddyFiles(false);
    RefreshBuddyList();
    if (Session().online) {
        SetStatusText("One Moment...", clBlue);
        StatusBar1->repaint();
        LoginToService(name);
    }
}

void TForm1::MailBuddy(const std::string& name)
{
    TIniFile(AppPath() + "Channels.ini").WriteString("Settings", "ccMail", "");
    ShellExecute(Handle(), "open", MailtoUrl(GetBuddyEmail(name)), "", "", SW_SHOWNORMAL);
}

// --- the browser's page ------------------------------------------------------------

std::string GetBrowserWindowInfo()
{
    std::string answer = dde::Request("IExplore", "WWW_GetWindowInfo", "DoGetWindowInfo");
    if (answer.empty())
        answer = dde::Request("IExplore", "WWW_GetWindowInfo", "-1");
    if (answer.empty())
        answer = dde::Request("netscape", "WWW_GetWindowInfo", "0xFFFFFFFF");
    return answer;
}

BrowserPage ParseBrowserAnswer(const std::string& answer)
{
    BrowserPage page;
    const std::size_t pair = answer.find("\",");
    if (pair == std::string::npos)
        return page;
    const std::size_t first = answer.find('"');
    page.url = answer.substr(first + 1, pair - first - 1);
    // Past the comma and the title's opening quote; its last character is the closing quote.
    std::string rest = answer.substr(pair + 2);
    if (!rest.empty() && rest.front() == '"')
        rest.erase(0, 1);
    if (!rest.empty())
        rest.pop_back();
    page.title = rest;
    return page;
}
