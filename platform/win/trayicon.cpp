#include "platform/win/trayicon.h"

#include "platform/rtl/codepage.h"

#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>

#include <cstring>

namespace {

struct Icon {
    trayicon::IconState state;
    // Owned by the application, so none outlives it when the program ends with icons up.
    QPointer<QSystemTrayIcon> real;
};

std::vector<Icon>& icons()
{
    static std::vector<Icon> list;
    return list;
}

Icon* find(HWND wnd, UINT id)
{
    for (Icon& icon : icons())
        if (icon.state.wnd == wnd && icon.state.id == id)
            return &icon;
    return nullptr;
}

std::string tipText(const char (&tip)[64])
{
    return std::string(tip, strnlen(tip, sizeof tip - 1));
}

// A tray refuses an icon without a picture; the program's own icon, or a plain square, stands in.
QIcon showableIcon(const QIcon& icon)
{
    if (!icon.isNull())
        return icon;
    if (!QApplication::windowIcon().isNull())
        return QApplication::windowIcon();
    QPixmap square(16, 16);
    square.fill(Qt::darkBlue);
    return QIcon(square);
}

void post(HWND wnd, UINT id, std::initializer_list<UINT> mouseMessages)
{
    const Icon* icon = find(wnd, id);
    if (!icon || icon->state.callbackMessage == 0)
        return;
    for (UINT mouse : mouseMessages)
        PostMessage(wnd, icon->state.callbackMessage, id, static_cast<LPARAM>(mouse));
}

void showReal(Icon& icon)
{
    if (!icon.real) {
        if (!TrayAvailable())
            return;
        icon.real = new QSystemTrayIcon(QCoreApplication::instance());
        const HWND wnd = icon.state.wnd;
        const UINT id = icon.state.id;
        QObject::connect(icon.real.data(), &QSystemTrayIcon::activated, [wnd, id](QSystemTrayIcon::ActivationReason reason) {
            switch (reason) {
            case QSystemTrayIcon::Trigger:
                post(wnd, id, { WM_LBUTTONDOWN, WM_LBUTTONUP });
                break;
            case QSystemTrayIcon::DoubleClick:
                post(wnd, id, { WM_LBUTTONDBLCLK, WM_LBUTTONUP });
                break;
            case QSystemTrayIcon::Context:
                post(wnd, id, { WM_RBUTTONDOWN, WM_RBUTTONUP });
                break;
            case QSystemTrayIcon::MiddleClick:
                post(wnd, id, { WM_MBUTTONDOWN, WM_MBUTTONUP });
                break;
            case QSystemTrayIcon::Unknown:
                break;
            }
        });
    }
    icon.real->setIcon(showableIcon(icon.state.icon));
    icon.real->setToolTip(codepage::ToUnicode(icon.state.tip));
    icon.real->show();
    icon.state.shown = icon.real->isVisible();
}

void apply(Icon& icon, const NOTIFYICONDATA& data)
{
    if (data.uFlags & NIF_MESSAGE)
        icon.state.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON)
        icon.state.icon = data.hIcon;
    if (data.uFlags & NIF_TIP)
        icon.state.tip = tipText(data.szTip);
    showReal(icon);
}

}  // namespace

BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data)
{
    Icon* icon = find(data.hWnd, data.uID);
    switch (message) {
    case NIM_ADD:
        if (icon)
            return 0;
        icons().emplace_back();
        icons().back().state.wnd = data.hWnd;
        icons().back().state.id = data.uID;
        apply(icons().back(), data);
        return 1;
    case NIM_MODIFY:
        if (!icon)
            return 0;
        ++icon->state.modifications;
        apply(*icon, data);
        return 1;
    case NIM_DELETE:
        if (!icon)
            return 0;
        delete icon->real.data();
        icons().erase(icons().begin() + (icon - icons().data()));
        return 1;
    default:
        return 0;
    }
}

bool TrayAvailable()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) && QSystemTrayIcon::isSystemTrayAvailable();
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return 0;
    const QPoint position = QCursor::pos();
    point->x = position.x();
    point->y = position.y();
    return 1;
}

namespace trayicon {

std::vector<IconState> Icons()
{
    std::vector<IconState> states;
    for (const Icon& icon : icons())
        states.push_back(icon.state);
    return states;
}

bool SimulateMouse(HWND wnd, UINT id, UINT mouseMessage)
{
    if (!find(wnd, id))
        return false;
    post(wnd, id, { mouseMessage });
    return true;
}

}  // namespace trayicon
