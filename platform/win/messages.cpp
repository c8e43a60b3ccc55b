#include "platform/win/messages.h"

#include "platform/rtl/exceptions.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <QTimerEvent>

#include <atomic>
#include <map>
#include <mutex>
#include <unordered_map>

namespace {

const QEvent::Type kMessageEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent final : public QEvent {
public:
    MessageEvent(const TMessage& message, std::function<void()> taken)
        : QEvent(kMessageEventType), m_message(message), m_taken(std::move(taken))
    {
    }
    ~MessageEvent() override
    {
        if (m_taken)
            m_taken();
    }
    MessageEvent(const MessageEvent&) = delete;
    MessageEvent& operator=(const MessageEvent&) = delete;
    TMessage& message() { return m_message; }

private:
    TMessage m_message;
    std::function<void()> m_taken;
};

class UtilityWindow final : public QObject {
public:
    explicit UtilityWindow(TWndMethod method) : m_method(std::move(method)) {}

    LRESULT dispatch(TMessage& message)
    {
        if (m_dead || !m_method)
            return 0;
        ++m_depth;
        Application::Guarded([&] { m_method(message); });
        --m_depth;
        return message.Result;
    }

    void setTimer(UINT_PTR id, UINT elapseMs)
    {
        killTimerById(id);
        const int qtId = startTimer(static_cast<int>(elapseMs == 0 ? 1 : elapseMs), Qt::PreciseTimer);
        if (qtId != 0)
            m_timers[id] = qtId;
    }

    bool killTimerById(UINT_PTR id)
    {
        auto it = m_timers.find(id);
        if (it == m_timers.end())
            return false;
        killTimer(it->second);
        m_timers.erase(it);
        return true;
    }

    void markDead() { m_dead = true; }
    bool dispatching() const { return m_depth > 0; }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == kMessageEventType) {
            dispatch(static_cast<MessageEvent*>(e)->message());
            return true;
        }
        return QObject::event(e);
    }

    void timerEvent(QTimerEvent* e) override
    {
        for (const auto& [id, qtId] : m_timers) {
            if (qtId == e->timerId()) {
                TMessage message { WM_TIMER, id, 0, 0 };
                dispatch(message);
                return;
            }
        }
    }

private:
    TWndMethod m_method;
    std::map<UINT_PTR, int> m_timers;
    int m_depth { 0 };
    bool m_dead { false };
};

struct Registry {
    std::mutex lock;
    std::unordered_map<HWND, UtilityWindow*> windows;
    std::atomic<HWND> next { 0x1000 };
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

UtilityWindow* find(HWND wnd)
{
    std::lock_guard guard(registry().lock);
    auto it = registry().windows.find(wnd);
    return it == registry().windows.end() ? nullptr : it->second;
}

}  // namespace

HWND AllocateHWnd(TWndMethod method)
{
    const HWND handle = registry().next.fetch_add(1);
    auto* window = new UtilityWindow(std::move(method));
    std::lock_guard guard(registry().lock);
    registry().windows.emplace(handle, window);
    return handle;
}

void DeallocateHWnd(HWND wnd)
{
    UtilityWindow* window = nullptr;
    {
        std::lock_guard guard(registry().lock);
        auto it = registry().windows.find(wnd);
        if (it == registry().windows.end())
            return;
        window = it->second;
        registry().windows.erase(it);
    }
    window->markDead();
    // Deleting the QObject drops its posted events; inside its own handler, or from a
    // foreign thread, let its own loop do it.
    if (window->dispatching() || window->thread() != QThread::currentThread())
        window->deleteLater();
    else
        delete window;
}

bool IsWindow(HWND wnd) { return find(wnd) != nullptr; }

bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostMessageTracked(wnd, msg, wParam, lParam, nullptr);
}

bool PostMessageTracked(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, std::function<void()> taken)
{
    // Posting under the lock keeps the window alive until the event is queued.
    std::lock_guard guard(registry().lock);
    auto it = registry().windows.find(wnd);
    if (it == registry().windows.end())
        return false;
    QCoreApplication::postEvent(it->second, new MessageEvent(TMessage { msg, wParam, lParam, 0 }, std::move(taken)));
    return true;
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    UtilityWindow* window = find(wnd);
    if (!window)
        return 0;
    TMessage message { msg, wParam, lParam, 0 };
    if (window->thread() == QThread::currentThread())
        return window->dispatch(message);
    LRESULT result = 0;
    QMetaObject::invokeMethod(
        window, [&] { result = window->dispatch(message); }, Qt::BlockingQueuedConnection);
    return result;
}

LRESULT DefWindowProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs)
{
    UtilityWindow* window = find(wnd);
    if (!window)
        return 0;
    window->setTimer(id, elapseMs);
    return id;
}

bool KillTimer(HWND wnd, UINT_PTR id)
{
    UtilityWindow* window = find(wnd);
    return window && window->killTimerById(id);
}
