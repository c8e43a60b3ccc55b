#include "kit/qorwndproc.h"

#include "kit/qorapplication.h"
#include "platform/ui/form.h"

#include <QCloseEvent>
#include <QEvent>
#include <QObject>
#include <QWindowStateChangeEvent>

#include <algorithm>

// Stands where the subclassed window procedure stood: an event filter on the
// owner form that turns the window system's events into the owner's messages.
class TQORWndProcComponent::EventHook final : public QObject {
public:
    explicit EventHook(TQORWndProcComponent* component) : m_component(component) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A form half way through destruction is no longer a TForm: nothing to hand on.
        const auto* form = dynamic_cast<const TForm*>(watched);
        if (!form || form != m_component->OwnerForm())
            return false;
        if (event->type() == QEvent::Close) {
            TMessage message { WM_SYSCOMMAND, SC_CLOSE, 0, 0 };
            if (m_component->DeliverMessage(message))
                return false;
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::WindowStateChange && m_component->OwnerForm()->isMinimized()) {
            // The form has already minimised; keeping the message from it means undoing that.
            const auto oldState = static_cast<QWindowStateChangeEvent*>(event)->oldState();
            TMessage message { WM_SYSCOMMAND, SC_MINIMIZE, 0, 0 };
            if (!m_component->DeliverMessage(message) && m_component->OwnerForm())
                m_component->OwnerForm()->setWindowState(oldState);
        }
        return false;
    }

private:
    TQORWndProcComponent* m_component;
};

namespace {

// Every window-procedure component alive, in the order they were made (main thread).
std::vector<TQORWndProcComponent*>& liveComponents()
{
    static std::vector<TQORWndProcComponent*> components;
    return components;
}

}  // namespace

TQORWndProcComponent::TQORWndProcComponent(TForm* owner) : m_owner(owner)
{
    liveComponents().push_back(this);
    if (owner)
        m_ownerGone = QObject::connect(owner, &QObject::destroyed, [this] { OwnerGone(); });
}

TQORWndProcComponent::~TQORWndProcComponent()
{
    std::erase(liveComponents(), this);
    MarkDestroying();
    QObject::disconnect(m_ownerGone);
    RestoreWndProc();
}

HWND TQORWndProcComponent::OwnerHandle() const { return m_owner ? m_owner->Handle() : 0; }

bool TQORWndProcComponent::IsHandleReady() const
{
    return OwnerHandle() != 0 && !Loading() && !Destroying();
}

void TQORWndProcComponent::SetEnabled(bool value)
{
    m_enabled = value;
    if (value)
        Hook();
    else
        Unhook();
}

void TQORWndProcComponent::SetMainHook(bool value)
{
    if (Loading())
        m_mainHookWanted = value;
}

void TQORWndProcComponent::Loaded()
{
    TQORComponent::Loaded();
    Hook();
}

void TQORWndProcComponent::Hook()
{
    if (m_enabled && !m_hook)
        InstallHook();
}

void TQORWndProcComponent::Unhook() { RestoreWndProc(); }

bool TQORWndProcComponent::InstallHook()
{
    if (OwnerHandle() == 0 || m_hook)
        return false;
    m_ownerDestroying = false;
    if (m_mainHookWanted && QORApplication())
        m_mainHookId = QORApplication()->HookMainWindow([this](TMessage& message) { return MainWindowHook(message); });
    m_hook = std::make_unique<EventHook>(this);
    m_owner->installEventFilter(m_hook.get());
    return true;
}

void TQORWndProcComponent::RestoreWndProc()
{
    if (m_hook && m_owner)
        m_owner->removeEventFilter(m_hook.get());
    m_hook.reset();
    if (m_mainHookId != 0 && QORApplication())
        QORApplication()->UnhookMainWindow(m_mainHookId);
    m_mainHookId = 0;
    m_ownerDestroying = false;
}

void TQORWndProcComponent::OwnerGone()
{
    TMessage message { WM_DESTROY, 0, 0, 0 };
    DeliverMessage(message);
    // The form is going; there is nothing left to restore the hook on.
    m_hook.reset();
    if (m_mainHookId != 0 && QORApplication())
        QORApplication()->UnhookMainWindow(m_mainHookId);
    m_mainHookId = 0;
}

bool TQORWndProcComponent::DeliverMessage(TMessage& message)
{
    m_passedOn = false;
    WndProc(message);
    return m_passedOn;
}

void TQORWndProcComponent::WndProc(TMessage& message)
{
    if (m_ownerDestroying)
        return;
    if (message.Msg == WM_DESTROY)
        m_ownerDestroying = true;
    m_passedOn = true;
}

std::vector<TQORWndProcComponent*> ComponentsOnForm(const TForm* owner)
{
    std::vector<TQORWndProcComponent*> found;
    if (!owner)
        return found;
    for (TQORWndProcComponent* component : liveComponents())
        if (component->OwnerForm() == owner)
            found.push_back(component);
    return found;
}

bool IsOneOfKindOnForm(const QObject* owner, const TKitClassTest& isOfClass, bool allowDataModule)
{
    const auto* form = dynamic_cast<const TForm*>(owner);
    if (!form) {
        const bool dataModule = owner && !owner->isWidgetType();
        return !(allowDataModule && dataModule);
    }
    const auto onForm = ComponentsOnForm(form);
    return std::count_if(onForm.begin(), onForm.end(), [&](const TQORWndProcComponent* c) { return isOfClass(c); }) > 1;
}
