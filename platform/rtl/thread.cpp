#include "platform/rtl/thread.h"

#include "platform/rtl/eventloop.h"
#include "platform/rtl/exceptions.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <climits>
#include <condition_variable>
#include <mutex>
#include <set>

struct TThread::State {
    std::mutex lock;
    std::condition_variable changed;
    TThread* owner { nullptr };
    std::thread::id worker;
    bool autoStart { false };
    bool started { false };
    bool finished { false };
    bool destroying { false };
    int returnValue { 0 };
};

namespace {

// Every thread object alive, so the program's end can free those nobody else will.
std::mutex g_liveLock;
std::set<TThread*>& LiveThreads()
{
    static std::set<TThread*> live;
    return live;
}

}  // namespace

TThread::TThread(bool createSuspended) : m_state(std::make_shared<State>())
{
    {
        std::lock_guard guard(g_liveLock);
        LiveThreads().insert(this);
    }
    m_state->owner = this;
    if (createSuspended)
        return;
    m_state->autoStart = true;
    // The subclass is not built yet; its Execute may run only once the constructor is done.
    if (QCoreApplication::instance()) {
        std::shared_ptr<State> state = m_state;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [state] {
                TThread* owner = nullptr;
                {
                    std::lock_guard guard(state->lock);
                    if (!state->owner || state->started || state->destroying)
                        return;
                    owner = state->owner;
                }
                launch(state, owner);
            },
            Qt::QueuedConnection);
    }
}

TThread::~TThread()
{
    bool running;
    {
        std::lock_guard guard(m_state->lock);
        running = m_state->started && !m_state->finished;
        m_state->destroying = true;
    }
    const bool self = m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id();
    if (running && !self) {
        Terminate();
        WaitFor();
    }
    {
        std::lock_guard guard(m_state->lock);
        m_state->owner = nullptr;
    }
    if (m_thread.joinable()) {
        if (self)
            m_thread.detach();
        else
            m_thread.join();
    }
    std::lock_guard guard(g_liveLock);
    LiveThreads().erase(this);
}

namespace {

TThread* AnAbandonedThread()
{
    std::lock_guard guard(g_liveLock);
    for (TThread* thread : LiveThreads())
        if (thread->FreeOnTerminate)
            return thread;
    return nullptr;
}

}  // namespace

bool TThread::AbandonedAlive() { return AnAbandonedThread() != nullptr; }

void TThread::FreeAbandoned()
{
    {
        std::lock_guard guard(g_liveLock);
        for (TThread* thread : LiveThreads())
            if (thread->FreeOnTerminate)
                thread->Terminate();
    }
    // Most have finished and wait only for the loop to free them; the rest get a while.
    if (QCoreApplication::instance() && IsMainThread())
        Application::ProcessMessagesUntil([] { return AnAbandonedThread() == nullptr; }, 10000);
    // One at a time: ending one runs the loop, which may free others meanwhile.
    while (TThread* abandoned = AnAbandonedThread())
        delete abandoned;
}

void TThread::launch(const std::shared_ptr<State>& state, TThread* owner)
{
    // The worker and the finishing call take this lock first, so the handle is stored
    // before either can look at it or free the object.
    std::lock_guard guard(state->lock);
    if (state->started)
        return;
    state->started = true;
    owner->m_thread = std::thread([owner] { owner->run(); });
}

void TThread::Start()
{
    {
        std::lock_guard guard(m_state->lock);
        if (m_state->started)
            throw EThread("Cannot call Start on a running or suspended thread");
    }
    launch(m_state, this);
}

void TThread::run()
{
    {
        std::lock_guard guard(m_state->lock);
        m_state->worker = std::this_thread::get_id();
    }
    try {
        Execute();
    } catch (...) {
        m_fatalException = std::current_exception();
    }
    std::shared_ptr<State> state = m_state;
    {
        std::lock_guard guard(state->lock);
        state->returnValue = m_returnValue;
    }
    // From here on the object may be freed by the main thread; only the state is used.
    if (QCoreApplication::instance())
        QMetaObject::invokeMethod(QCoreApplication::instance(), [state] { finish(state); }, Qt::QueuedConnection);
    else
        finish(state);
}

void TThread::finish(const std::shared_ptr<State>& state)
{
    TThread* owner = nullptr;
    {
        std::lock_guard guard(state->lock);
        if (state->finished)
            return;
        owner = state->owner;
    }
    if (owner && owner->OnTerminate)
        Application::Guarded([&] { owner->OnTerminate(owner); });
    bool freeIt = false;
    {
        std::lock_guard guard(state->lock);
        state->finished = true;
        freeIt = owner && state->owner && owner->FreeOnTerminate && !state->destroying;
    }
    state->changed.notify_all();
    if (freeIt)
        delete owner;
}

int TThread::WaitFor()
{
    std::shared_ptr<State> state = m_state;
    bool pendingStart = false;
    {
        std::lock_guard guard(state->lock);
        if (state->started && state->worker == std::this_thread::get_id())
            throw EThread("A thread cannot wait for itself");
        if (!state->started) {
            if (!state->autoStart)
                throw EThread("Cannot wait for a thread that was never started");
            pendingStart = true;
        }
    }
    if (pendingStart)
        launch(state, this);
    if (QCoreApplication::instance() && IsMainThread()) {
        // The loop keeps running, so a Synchronize or the OnTerminate call gets through.
        while (!Application::ProcessMessagesUntil(
            [&] {
                std::lock_guard guard(state->lock);
                return state->finished;
            },
            INT_MAX)) {
        }
    } else {
        std::unique_lock guard(state->lock);
        state->changed.wait(guard, [&] { return state->finished; });
    }
    std::lock_guard guard(state->lock);
    return state->returnValue;
}

bool TThread::Finished() const
{
    std::lock_guard guard(m_state->lock);
    return m_state->finished;
}

int TThread::ReturnValue() const
{
    std::lock_guard guard(m_state->lock);
    return m_state->returnValue;
}

std::string TThread::FatalMessage() const
{
    if (!m_fatalException)
        return {};
    try {
        std::rethrow_exception(m_fatalException);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unknown exception";
    }
}

bool TThread::IsMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void TThread::Synchronize(const std::function<void()>& call)
{
    if (!call)
        return;
    if (IsMainThread()) {
        call();
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            try {
                call();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

void TThread::Queue(std::function<void()> call)
{
    if (!call)
        return;
    if (!QCoreApplication::instance()) {
        Application::Guarded(call);
        return;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [call = std::move(call)] { Application::Guarded(call); }, Qt::QueuedConnection);
}
