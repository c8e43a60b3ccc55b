#include "kit/timerex.h"

#include "platform/rtl/eventloop.h"
#include "platform/rtl/thread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>

namespace {

// Runs the loop until the condition holds; false when it never did.
bool Until(const std::function<bool()>& done, int ms = 5000) { return Application::ProcessMessagesUntil(done, ms); }

// Runs the loop until a twin of `like`, running the same way on the same interval (the
// shortest that fires when its own is 0), has fired `periods` times: `like` would have
// fired by then had it been running.
bool PeriodsPassed(const TTimerEx& like, int periods)
{
    TTimerEx twin;
    twin.SetInterval(std::max(1u, like.Interval()));
    twin.SetThreaded(like.Threaded());
    twin.SetThreadSafe(like.ThreadSafe());
    std::atomic<int> fired { 0 };
    twin.SetOnTimer([&](TTimerEx*) { ++fired; });
    return Until([&] { return fired >= periods; });
}

// Runs call when the loop takes the next queued call off its queue, before that call runs.
class BeforeNextQueuedCall final : public QObject {
public:
    explicit BeforeNextQueuedCall(std::function<void()> call) : m_call(std::move(call))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~BeforeNextQueuedCall() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_call && watched == QCoreApplication::instance() && event->type() == QEvent::MetaCall)
            std::exchange(m_call, nullptr)();
        return false;
    }

private:
    std::function<void()> m_call;
};

}  // namespace

TEST(TimerEx, StartsWithItsDefaults)
{
    TTimerEx timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_TRUE(timer.Threaded());
    EXPECT_EQ(timer.ThreadPriority(), tpNormal);
    EXPECT_FALSE(timer.ThreadSafe());
}

TEST(TimerEx, ZeroIntervalNeverFires)
{
    TTimerEx timer;
    timer.SetThreaded(false);
    timer.SetInterval(0);
    int fired = 0;
    timer.SetOnTimer([&](TTimerEx*) { ++fired; });
    ASSERT_TRUE(PeriodsPassed(timer, 3));
    EXPECT_EQ(fired, 0);
    timer.SetThreaded(true);
    ASSERT_TRUE(PeriodsPassed(timer, 3));
    EXPECT_EQ(fired, 0);
}

TEST(TimerEx, ThreadedEventRunsOnTheMainThreadUnlessThreadSafe)
{
    TTimerEx timer;
    timer.SetInterval(10);
    std::atomic<int> onMain { 0 };
    std::atomic<int> onWorker { 0 };
    timer.SetOnTimer([&](TTimerEx*) { (TThread::IsMainThread() ? onMain : onWorker)++; });
    ASSERT_TRUE(Until([&] { return onMain >= 2; }));
    EXPECT_EQ(onWorker, 0);
    timer.SetThreadSafe(true);
    ASSERT_TRUE(Until([&] { return onWorker >= 2; }));
}

TEST(TimerEx, HandsOverFromWorkerToWindowTimer)
{
    TTimerEx timer;
    timer.SetInterval(10);
    timer.SetThreadSafe(true);
    std::atomic<int> onWorker { 0 };
    std::atomic<int> onMain { 0 };
    timer.SetOnTimer([&](TTimerEx*) { (TThread::IsMainThread() ? onMain : onWorker)++; });
    ASSERT_TRUE(Until([&] { return onWorker >= 1; }));
    timer.SetThreaded(false);
    const int workerCount = onWorker;
    ASSERT_TRUE(Until([&] { return onMain >= 3; }));
    EXPECT_EQ(onWorker, workerCount) << "the worker stopped firing";
    EXPECT_EQ(timer.Interval(), 10u);
}

TEST(TimerEx, ClearingTheEventStopsFiring)
{
    TTimerEx timer;
    timer.SetInterval(5);
    timer.SetThreadSafe(true);
    std::atomic<int> fired { 0 };
    // Every copy of the event holds the token: once only ours is left no call is under way.
    const auto token = std::make_shared<int>();
    timer.SetOnTimer([&, token](TTimerEx*) { ++fired; });
    ASSERT_TRUE(Until([&] { return fired >= 1; }));
    timer.SetOnTimer(nullptr);
    ASSERT_TRUE(Until([&] { return token.use_count() == 1; }));
    const int count = fired;
    ASSERT_TRUE(PeriodsPassed(timer, 3));
    EXPECT_EQ(fired, count);
}

TEST(TimerEx, DisabledTimerStaysQuiet)
{
    TTimerEx timer;
    timer.SetInterval(5);
    timer.SetEnabled(false);
    int fired = 0;
    timer.SetOnTimer([&](TTimerEx*) { ++fired; });
    ASSERT_TRUE(PeriodsPassed(timer, 3));
    EXPECT_EQ(fired, 0);
    timer.SetEnabled(true);
    EXPECT_TRUE(Until([&] { return fired > 0; }));
}

TEST(TimerEx, DestroyedInsideItsOwnEvent)
{
    auto* timer = new TTimerEx;
    timer->SetInterval(5);
    int fired = 0;
    timer->SetOnTimer([&](TTimerEx* sender) {
        ++fired;
        delete sender;
    });
    ASSERT_TRUE(Until([&] { return fired == 1; }));
    // Its worker ended with it, so only what was queued before could still come.
    bool queuedBefore = false;
    TThread::Queue([&] { queuedBefore = true; });
    ASSERT_TRUE(Until([&] { return queuedBefore; }));
    EXPECT_EQ(fired, 1);
}

TEST(TimerEx, NothingFiresAfterDestruction)
{
    std::atomic<int> fired { 0 };
    auto timer = std::make_unique<TTimerEx>();
    timer->SetInterval(1);
    timer->SetOnTimer([&](TTimerEx*) { ++fired; });
    // The timer goes when its first event is taken off the queue, before that event runs.
    BeforeNextQueuedCall destroy([&] { timer.reset(); });
    ASSERT_TRUE(Until([&] { return !timer; }));
    EXPECT_EQ(fired, 0);
}

TEST(TimerEx, DestroyedWhileAThreadSafeEventRuns)
{
    std::atomic<bool> inside { false };
    auto timer = std::make_unique<TTimerEx>();
    timer->SetInterval(1);
    timer->SetThreadSafe(true);
    timer->SetOnTimer([&](TTimerEx* sender) {
        inside = true;
        // Runs on until the destruction has begun: disabling is the destructor's first step.
        while (sender->Enabled())
            std::this_thread::yield();
    });
    ASSERT_TRUE(Until([&] { return inside.load(); }));
    timer.reset();
    SUCCEED();
}

TEST(TimerEx, FailingEventKeepsTheTimerGoing)
{
    int failures = 0;
    Application::SetExceptionHandler([&](const std::exception&) { ++failures; });
    TTimerEx timer;
    timer.SetInterval(5);
    int fired = 0;
    timer.SetOnTimer([&](TTimerEx*) {
        ++fired;
        throw std::runtime_error("broken handler");
    });
    EXPECT_TRUE(Until([&] { return fired >= 3; }));
    timer.SetOnTimer(nullptr);
    Application::SetExceptionHandler([](const std::exception& error) {
        ADD_FAILURE() << "exception left a message handler: " << error.what();
    });
    EXPECT_GE(failures, 3);
}
