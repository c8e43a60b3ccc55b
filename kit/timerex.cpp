#include "kit/timerex.h"

#include "platform/rtl/exceptions.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// What the owner and its worker share. The worker never waits on the main
// thread's loop itself: an event for the main thread is queued and the worker
// waits for it to report back, or for the end, so a timer destroyed from
// inside its own event cannot deadlock.
struct TTimerEx::Worker {
    std::mutex lock;
    std::condition_variable wake;
    bool paused { true };
    bool stop { false };
    std::uint64_t queued { 0 };
    std::uint64_t done { 0 };
    TTimerEx* owner { nullptr };  // cleared under lock when the timer goes
    std::atomic<unsigned> interval { 1000 };
    std::atomic<bool> enabled { true };
    std::atomic<bool> threadSafe { false };
    std::atomic<int> priority { tpNormal };
    std::mutex eventLock;  // guards the owner's OnTimer against the worker's reads
    std::thread thread;
};

namespace {

// Lowering a thread's priority works for anyone; raising it may be refused, and then the thread keeps its own.
void ApplyPriority(int priority)
{
    static const int niceness[] = { 19, 10, 5, 0, -5, -10, -15 };
    const int index = priority < 0 ? 0 : priority > 6 ? 6 : priority;
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), niceness[index]);
}
}  // namespace

TTimerEx::TTimerEx()
{
    m_worker = std::make_shared<Worker>();
    m_worker->owner = this;
    auto shared = m_worker;
    m_worker->thread = std::thread([shared] { RunWorker(shared); });
}

TTimerEx::~TTimerEx()
{
    m_worker->enabled = false;
    UpdateTimer();
    {
        std::lock_guard guard(m_worker->lock);
        m_worker->owner = nullptr;
        m_worker->stop = true;
    }
    m_worker->wake.notify_all();
    if (m_worker->thread.get_id() == std::this_thread::get_id())
        m_worker->thread.detach();  // destroyed from its own worker's event
    else
        m_worker->thread.join();
    if (m_window)
        DeallocateHWnd(m_window);
}

bool TTimerEx::Enabled() const { return m_worker->enabled; }

void TTimerEx::SetEnabled(bool value)
{
    if (value == m_worker->enabled)
        return;
    m_worker->enabled = value;
    UpdateTimer();
}

unsigned TTimerEx::Interval() const { return m_worker->interval; }

void TTimerEx::SetInterval(unsigned value)
{
    if (value == m_worker->interval)
        return;
    m_worker->interval = value;
    UpdateTimer();
}

void TTimerEx::SetThreaded(bool value)
{
    if (value == m_threaded)
        return;
    m_threaded = value;
    UpdateTimer();
}

void TTimerEx::SetThreadPriority(TThreadPriority value)
{
    if (value == m_priority)
        return;
    m_priority = value;
    m_worker->priority = value;
    if (m_threaded)
        UpdateTimer();
}

bool TTimerEx::ThreadSafe() const { return m_worker->threadSafe; }

void TTimerEx::SetThreadSafe(bool value) { m_worker->threadSafe = value; }

void TTimerEx::SetOnTimer(TNotifyEvent value)
{
    {
        std::lock_guard guard(m_worker->eventLock);
        m_onTimer = std::move(value);
    }
    UpdateTimer();
}

void TTimerEx::UpdateTimer()
{
    {
        std::lock_guard guard(m_worker->lock);
        m_worker->paused = true;
    }
    if (m_window)
        KillTimer(m_window, 1);
    if (!m_threaded && !m_window)
        m_window = AllocateHWnd([this](TMessage& message) { WndProc(message); });
    if (m_threaded && m_window) {
        DeallocateHWnd(m_window);
        m_window = 0;
    }
    bool assigned;
    {
        std::lock_guard guard(m_worker->eventLock);
        assigned = static_cast<bool>(m_onTimer);
    }
    if (m_worker->interval == 0 || !m_worker->enabled || !assigned)
        return;
    if (m_threaded) {
        {
            std::lock_guard guard(m_worker->lock);
            m_worker->paused = false;
        }
        m_worker->wake.notify_all();
    } else if (SetTimer(m_window, 1, m_worker->interval) == 0) {
        throw EOutOfResources("No More Timers Available");
    }
}

void TTimerEx::Timer()
{
    if (!m_worker->enabled)
        return;
    TNotifyEvent event;
    {
        std::lock_guard guard(m_worker->eventLock);
        event = m_onTimer;
    }
    if (event)
        event(this);
}

void TTimerEx::WndProc(TMessage& message)
{
    if (message.Msg == WM_TIMER) {
        Application::Guarded([this] { Timer(); });
        return;
    }
    message.Result = DefWindowProc(m_window, message.Msg, message.WParam, message.LParam);
}

void TTimerEx::RunWorker(const std::shared_ptr<Worker>& shared)
{
    auto& worker = *shared;
    int applied = worker.priority;
    ApplyPriority(applied);
    std::unique_lock guard(worker.lock);
    while (!worker.stop) {
        if (worker.paused) {
            worker.wake.wait(guard, [&] { return worker.stop || !worker.paused; });
            continue;
        }
        if (applied != worker.priority) {
            applied = worker.priority;
            ApplyPriority(applied);
        }
        // A pause or the end cuts the sleep short; a resumed timer starts a fresh period.
        if (worker.wake.wait_for(guard, std::chrono::milliseconds(worker.interval.load()),
                [&] { return worker.stop || worker.paused; }))
            continue;
        TTimerEx* owner = worker.owner;
        if (!owner)
            break;
        if (worker.threadSafe) {
            guard.unlock();
            Application::Guarded([&] { owner->Timer(); });
            guard.lock();
            continue;
        }
        const std::uint64_t ticket = ++worker.queued;
        TThread::Queue([shared, ticket] {
            TTimerEx* target;
            {
                std::lock_guard inner(shared->lock);
                target = shared->stop ? nullptr : shared->owner;
            }
            // A failing event must still report back, or the worker would wait for ever.
            if (target)
                Application::Guarded([target] { target->Timer(); });
            {
                std::lock_guard inner(shared->lock);
                if (shared->done < ticket)
                    shared->done = ticket;
            }
            shared->wake.notify_all();
        });
        worker.wake.wait(guard, [&] { return worker.stop || worker.done >= ticket; });
    }
}
