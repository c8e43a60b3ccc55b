#include "kit/qortimerpool.h"
#include "platform/rtl/exceptions.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Firing = std::pair<std::uint16_t, int>;

struct PoolFixture : ::testing::Test {
    TQORTimerPool pool;
    std::vector<Firing> fired;
    void SetUp() override
    {
        pool.Loaded();
        pool.OnTimer = [this](TQORTimerPool*, std::uint16_t ident, int counter) { fired.emplace_back(ident, counter); };
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            pool.TimerTick();
    }
};

}  // namespace

TEST_F(PoolFixture, PoolWithoutActiveItemKeepsTimerOff)
{
    pool.AddItem(1, 1, 0);
    pool.UpdateTimer(true);
    EXPECT_FALSE(pool.Running());
}

TEST_F(PoolFixture, StartingAnItemRunsTheTimer)
{
    pool.AddItem(1, 1, 0)->Start();
    EXPECT_TRUE(pool.Running());
    EXPECT_EQ(pool.TickCounter(), 1);
}

TEST_F(PoolFixture, ItemFiresOnEveryNthTick)
{
    pool.AddItem(7, 3, 0)->Start();
    ticks(7);  // ticks counted 1..7: the multiples of 3 are 3 and 6
    EXPECT_EQ(fired, (std::vector<Firing> { { 7, 1 }, { 7, 2 } }));
}

TEST_F(PoolFixture, ItemStopsAfterMaximumCount)
{
    TQORTimerItem* item = pool.AddItem(2, 1, 2);
    item->Start();
    ticks(5);
    EXPECT_EQ(fired.size(), 2u);
    EXPECT_FALSE(item->Active());
    EXPECT_FALSE(pool.Running());
}

TEST_F(PoolFixture, ItemEventTakesPrecedenceOverPoolEvent)
{
    int own = 0;
    TQORTimerItem* item = pool.AddItem(3, 1, 0);
    item->OnTimer = [&](TQORTimerPool* sender) {
        EXPECT_EQ(sender, &pool);
        ++own;
    };
    item->Start();
    ticks(2);
    EXPECT_EQ(own, 2);
    EXPECT_TRUE(fired.empty());
}

TEST_F(PoolFixture, ZeroIntervalItemNeverFires)
{
    pool.AddItem(4, 0, 0)->Start();
    ticks(3);
    EXPECT_TRUE(fired.empty());
}

TEST_F(PoolFixture, PausedPoolSkipsTicks)
{
    pool.AddItem(5, 1, 0)->Start();
    pool.Paused = true;
    ticks(3);
    EXPECT_TRUE(fired.empty());
    pool.Paused = false;
    ticks(1);
    EXPECT_EQ(fired, (std::vector<Firing> { { 5, 1 } }));
}

TEST_F(PoolFixture, TickInsideTickIsIgnored)
{
    int calls = 0;
    TQORTimerItem* item = pool.AddItem(6, 1, 0);
    item->OnTimer = [&](TQORTimerPool* p) {
        ++calls;
        p->TimerTick();
    };
    item->Start();
    ticks(1);
    EXPECT_EQ(calls, 1);
}

TEST_F(PoolFixture, ExceptionInItemGoesToHandlerAndPoolGoesOn)
{
    std::string seen;
    Application::SetExceptionHandler([&](const std::exception& e) { seen = e.what(); });
    TQORTimerItem* item = pool.AddItem(8, 1, 0);
    item->OnTimer = [](TQORTimerPool*) { throw Exception("boom"); };
    item->Start();
    ticks(1);
    Application::SetExceptionHandler([](const std::exception& e) { ADD_FAILURE() << e.what(); });
    EXPECT_EQ(seen, "boom");
    EXPECT_TRUE(pool.Running());
}

TEST(TimerPool, MinIntervalIsFixedOnceLoaded)
{
    TQORTimerPool pool(50);
    EXPECT_EQ(pool.MinInterval(), 50);
    pool.Loaded();
    pool.SetMinInterval(500);
    EXPECT_EQ(pool.MinInterval(), 50);
    TQORTimerPool fresh;
    EXPECT_EQ(fresh.MinInterval(), 1000);
    fresh.SetMinInterval(20);
    EXPECT_EQ(fresh.MinInterval(), 50);
}

TEST(TimerPool, WindowTimerDrivesTheItems)
{
    TQORTimerPool pool(50);
    pool.Loaded();
    int n = 0;
    pool.OnTimer = [&](TQORTimerPool*, std::uint16_t, int) { ++n; };
    pool.AddItem(1, 1, 2)->Start();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return n == 2; }, 5000));
}
