#pragma once

#include "kit/qorobject.h"
#include "platform/win/messages.h"

#include <QMetaObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QObject;
class TForm;

// The owner-form messages the kit's components act on; the window system's own
// events reach them under these numbers.
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_CLOSE = 0xF060;

// A component that sees its owner form's messages before the form does and may
// keep them from it. The form's close box arrives as WM_SYSCOMMAND SC_CLOSE, its
// minimising as SC_MINIMIZE, its destruction as WM_DESTROY.
class TQORWndProcComponent : public TQORComponent {
public:
    explicit TQORWndProcComponent(TForm* owner);
    ~TQORWndProcComponent() override;

    TForm* OwnerForm() const { return m_owner.data(); }
    // 0 without an owner.
    HWND OwnerHandle() const;
    bool IsHandleReady() const;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    bool Hooked() const { return m_hook != nullptr; }

    // Also sees the application window's messages; chosen while loading only.
    bool MainHook() const { return m_mainHookWanted; }
    void SetMainHook(bool value);
    bool MainHookInstalled() const { return m_mainHookId != 0; }

    // After construction: hooks the owner when enabled.
    void Loaded() override;

    // Hands one owner message to the hook; true when it went on to the form.
    bool DeliverMessage(TMessage& message);

protected:
    virtual void Hook();
    virtual void Unhook();
    // Derived components act on their messages and hand the rest to this base,
    // which passes them on to the form; after WM_DESTROY nothing passes.
    virtual void WndProc(TMessage& message);
    // A message of the application window; true when handled. The base handles
    // nothing, so the message goes on to the other hooks and the window.
    virtual bool MainWindowHook(TMessage& message) { return false; }
    bool OwnerDestroying() const { return m_ownerDestroying; }

private:
    class EventHook;

    bool InstallHook();
    void RestoreWndProc();
    void OwnerGone();

    bool m_enabled { true };
    bool m_ownerDestroying { false };
    bool m_passedOn { false };
    bool m_mainHookWanted { false };
    int m_mainHookId { 0 };
    QPointer<TForm> m_owner;
    QMetaObject::Connection m_ownerGone;
    std::unique_ptr<EventHook> m_hook;
};

// The kit's window-procedure components that a form owns, oldest first.
std::vector<TQORWndProcComponent*> ComponentsOnForm(const TForm* owner);

// True when a component of a class may not stand on owner as the one of its kind:
// the owner is no form (nor a data module, a container without a window, where that
// is allowed), or it already holds more than one component of the class.
using TKitClassTest = std::function<bool(const TQORWndProcComponent*)>;
bool IsOneOfKindOnForm(const QObject* owner, const TKitClassTest& isOfClass, bool allowDataModule);

template <class T>
bool IsOneOfKindOnForm(const QObject* owner, bool allowDataModule)
{
    return IsOneOfKindOnForm(
        owner, [](const TQORWndProcComponent* component) { return dynamic_cast<const T*>(component) != nullptr; },
        allowDataModule);
}
