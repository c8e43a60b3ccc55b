#pragma once

#include "kit/qorwndproc.h"
#include "platform/ui/form.h"
#include "platform/win/messages.h"

#include <QIcon>
#include <QMenu>
#include <QPointer>

#include <functional>
#include <string>

// One icon in the notification area: the shell's mouse messages become events,
// the right button pops up a menu, and the owner form can vanish into the tray
// instead of minimising or closing.
class TQORTrayIcon final : public TQORWndProcComponent {
public:
    using TNotifyEvent = std::function<void(TQORTrayIcon* Sender)>;
    using TMouseEvent = std::function<void(TQORTrayIcon* Sender, TMouseButton button, TShiftState shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TQORTrayIcon* Sender, TShiftState shift, int x, int y)>;

    // The message the shell sends the icon's window.
    static constexpr UINT kCallbackMessage = 1125;
    // The tip holds 63 characters and its end.
    static constexpr std::size_t kMaxTip = 63;

    explicit TQORTrayIcon(TForm* owner);
    ~TQORTrayIcon() override;

    // Adds the icon when Active, now that construction is over.
    void Loaded() override;

    bool Active() const { return m_active; }
    void SetActive(bool value);
    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& value);
    const QIcon& Icon() const { return m_icon; }
    void SetIcon(const QIcon& value);
    bool NoClose { false };
    // Forgotten when the menu is destroyed.
    QMenu* PopUpMenu() const { return m_popUpMenu.data(); }
    void SetPopUpMenu(QMenu* menu) { m_popUpMenu = menu; }

    // The window the shell's notifications reach.
    HWND NotifyWindow() const { return m_notifyWindow; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnPopUp;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    void WndProc(TMessage& message) override;

private:
    void NotifyWndProc(TMessage& message);
    void HandleMouse(UINT mouseMessage, WPARAM keys);
    void Notify(unsigned message);
    // Deferred hides wait until the window system has finished showing the minimised form.
    void HideOwner(bool deferred);
    void Click();
    void DblClick();
    void MouseDown(TMouseButton button, TShiftState shift);
    void MouseUp(TMouseButton button, TShiftState shift);

    bool m_active { true };
    bool m_added { false };
    std::string m_hint;
    QIcon m_icon;
    QPointer<QMenu> m_popUpMenu;
    HWND m_notifyWindow { 0 };
    int m_cursorX { 0 };
    int m_cursorY { 0 };
};
