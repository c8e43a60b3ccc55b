#include "kit/timerex.h"

#include "platform/rtl/eventloop.h"
#include "platform/rtl/thread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

// Runs the loop until the condition holds; false when it never did.
bool Until(const std::function<bool()>& done, int ms = 5000) { return Application::ProcessMessagesUntil(done, ms); }

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
    EXPECT_FALSE(Until([&] { return fired > 0; }, 200));
    timer.SetThreaded(true);
    EXPECT_FALSE(Until([&] { return fired > 0; }, 200));
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
    timer.SetOnTimer([&](TTimerEx*) { ++fired; });
    ASSERT_TRUE(Until([&] { return fired >= 1; }));
    timer.SetOnTimer(nullptr);
    const int count = fired;
    EXPECT_FALSE(Until([&] { return fired > count; }, 200));
}

TEST(TimerEx, DisabledTimerStaysQuiet)
{
    TTimerEx timer;
    timer.SetInterval(5);
    timer.SetEnabled(false);
    int fired = 0;
    timer.SetOnTimer([&](TTimerEx*) { ++fired; });
    EXPECT_FALSE(Until([&] { return fired > 0; }, 200));
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
    EXPECT_FALSE(Until([&] { return fired > 1; }, 100));
}

TEST(TimerEx, NothingFiresAfterDestruction)
{
    std::atomic<int> fired { 0 };
    {
        TTimerEx timer;
        timer.SetInterval(1);
        timer.SetOnTimer([&](TTimerEx*) { ++fired; });
        // Let the worker queue events the loop has not run yet.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    const int count = fired;
    EXPECT_FALSE(Until([&] { return fired > count; }, 100));
}

TEST(TimerEx, DestroyedWhileAThreadSafeEventRuns)
{
    std::atomic<bool> inside { false };
    std::atomic<bool> release { false };
    auto timer = std::make_unique<TTimerEx>();
    timer->SetInterval(1);
    timer->SetThreadSafe(true);
    timer->SetOnTimer([&](TTimerEx*) {
        inside = true;
        while (!release)
            std::this_thread::yield();
    });
    ASSERT_TRUE(Until([&] { return inside.load(); }));
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release = true;
    });
    timer.reset();
    releaser.join();
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
