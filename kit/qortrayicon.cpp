#include "kit/qortrayicon.h"

#include "platform/win/trayicon.h"

#include <QMenu>
#include <QMetaObject>

#include <algorithm>
#include <cstring>

namespace {

// Keys held during the shell's notification; its first parameter is the icon id,
// so only what that id's bits happen to say can show.
TShiftState KeysToShift(WPARAM keys)
{
    TShiftState shift = 0;
    if (keys & MK_SHIFT)
        shift |= ssShift;
    if (keys & MK_CONTROL)
        shift |= ssCtrl;
    if (keys & MK_LBUTTON)
        shift |= ssLeft;
    if (keys & MK_RBUTTON)
        shift |= ssRight;
    if (keys & MK_MBUTTON)
        shift |= ssMiddle;
    return shift;
}

}  // namespace

TQORTrayIcon::TQORTrayIcon(TForm* owner) : TQORWndProcComponent(owner)
{
    m_notifyWindow = AllocateHWnd([this](TMessage& message) { NotifyWndProc(message); });
}

TQORTrayIcon::~TQORTrayIcon()
{
    MarkDestroying();
    SetEnabled(false);
    m_hint.clear();
    Notify(NIM_DELETE);
    DeallocateHWnd(m_notifyWindow);
}

void TQORTrayIcon::Loaded()
{
    TQORWndProcComponent::Loaded();
    if (m_active) {
        m_active = false;
        SetActive(true);
    }
}

void TQORTrayIcon::SetActive(bool value)
{
    if (value == m_active)
        return;
    m_active = value;
    if (Loading())
        return;
    if (value) {
        Notify(NIM_ADD);
        SetEnabled(true);
    } else {
        Notify(NIM_DELETE);
        SetEnabled(false);
    }
}

void TQORTrayIcon::SetHint(const std::string& value)
{
    if (value == m_hint && !Loading())
        return;
    m_hint = value;
    if (m_active)
        Notify(NIM_MODIFY);
}

void TQORTrayIcon::SetIcon(const QIcon& value)
{
    m_icon = value;
    if (m_active)
        Notify(NIM_MODIFY);
}

void TQORTrayIcon::Notify(unsigned message)
{
    // Before Loaded the icon is not in the tray yet; changes wait for NIM_ADD.
    if (message == NIM_MODIFY && !m_added)
        return;
    if (message == NIM_DELETE && !m_added)
        return;
    NOTIFYICONDATA data;
    data.hWnd = m_notifyWindow;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = m_icon;
    const std::size_t n = std::min(m_hint.size(), kMaxTip);
    std::memcpy(data.szTip, m_hint.data(), n);
    data.szTip[n] = '\0';
    Shell_NotifyIcon(message, data);
    if (message == NIM_ADD)
        m_added = true;
    else if (message == NIM_DELETE)
        m_added = false;
}

void TQORTrayIcon::NotifyWndProc(TMessage& message)
{
    if (message.Msg != kCallbackMessage) {
        message.Result = DefWindowProc(m_notifyWindow, message.Msg, message.WParam, message.LParam);
        return;
    }
    POINT cursor;
    GetCursorPos(&cursor);
    m_cursorX = cursor.x;
    m_cursorY = cursor.y;
    HandleMouse(static_cast<UINT>(message.LParam), message.WParam);
}

void TQORTrayIcon::HandleMouse(UINT mouseMessage, WPARAM keys)
{
    const TShiftState shift = KeysToShift(keys);
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        if (OnMouseMove)
            OnMouseMove(this, shift, m_cursorX, m_cursorY);
        break;
    case WM_LBUTTONDOWN:
        MouseDown(mbLeft, shift);
        break;
    case WM_LBUTTONUP:
        Click();
        MouseUp(mbLeft, shift);
        break;
    case WM_LBUTTONDBLCLK:
        DblClick();
        MouseDown(mbLeft, shift | ssDouble);
        break;
    case WM_RBUTTONDOWN:
        MouseDown(mbRight, shift);
        if (m_popUpMenu) {
            if (OnPopUp)
                OnPopUp(this);
            Application::ProcessMessages();
            if (m_popUpMenu)
                m_popUpMenu->popup(QPoint(m_cursorX, m_cursorY));
        }
        break;
    case WM_RBUTTONUP:
        Click();
        MouseUp(mbRight, shift);
        break;
    case WM_RBUTTONDBLCLK:
        DblClick();
        MouseDown(mbRight, shift | ssDouble);
        break;
    case WM_MBUTTONDOWN:
        MouseDown(mbMiddle, shift);
        break;
    case WM_MBUTTONUP:
        Click();
        MouseUp(mbMiddle, shift);
        break;
    case WM_MBUTTONDBLCLK:
        DblClick();
        MouseDown(mbMiddle, shift | ssDouble);
        break;
    default:
        break;
    }
}

void TQORTrayIcon::Click()
{
    if (OnClick)
        OnClick(this);
}

void TQORTrayIcon::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TQORTrayIcon::MouseDown(TMouseButton button, TShiftState shift)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, m_cursorX, m_cursorY);
}

void TQORTrayIcon::MouseUp(TMouseButton button, TShiftState shift)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, m_cursorX, m_cursorY);
}

void TQORTrayIcon::HideOwner(bool deferred)
{
    TForm* form = OwnerForm();
    if (!form)
        return;
    if (!deferred) {
        form->Hide();
        return;
    }
    QPointer<TForm> alive(form);
    QMetaObject::invokeMethod(
        form, [alive] {
            if (alive)
                alive->Hide();
        },
        Qt::QueuedConnection);
}

void TQORTrayIcon::WndProc(TMessage& message)
{
    if (!OwnerDestroying() && message.Msg == WM_SYSCOMMAND) {
        if (message.WParam == SC_MINIMIZE) {
            TQORWndProcComponent::WndProc(message);
            HideOwner(true);
            return;
        }
        if (message.WParam == SC_CLOSE && NoClose && m_active) {
            HideOwner(false);
            return;
        }
    }
    TQORWndProcComponent::WndProc(message);
}
