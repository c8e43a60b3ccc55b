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

TEST_F(PoolFixture, ZeroMultipleFiresOnEveryTick)
{
    pool.AddItem(4, 0, 0)->Start();
    ticks(3);
    EXPECT_EQ(fired, (std::vector<Firing> { { 4, 1 }, { 4, 2 }, { 4, 3 } }));
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

namespace {

struct TimerFixture : ::testing::Test {
    TQORTimerPool pool { 50 };
    void SetUp() override { pool.Loaded(); }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            pool.TimerTick();
    }
};

}  // namespace

TEST(TimerItem, NeedsAPool)
{
    try {
        TQORTimerItem item(nullptr);
        FAIL();
    } catch (const EInvalidOperation& error) {
        EXPECT_EQ(error.Message(), "TQORTimerItem: Invalid Owner or List");
    }
}

TEST_F(TimerFixture, AddedTimerFiresAtItsIntervalWithItsData)
{
    int data = 0;
    std::vector<int> counters;
    EXPECT_EQ(pool.AddTimer(0xFD01, 150, [&](TQORTimerPool*) { counters.push_back(pool.FindTimer(0xFD01)->Counter); }, &data), 0);
    EXPECT_TRUE(pool.Running());
    TQORTimerItem* item = pool.FindTimer(0xFD01);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Data, &data);
    EXPECT_EQ(item->TickCount, 3);
    EXPECT_TRUE(item->Enabled());
    ticks(7);
    EXPECT_EQ(counters, (std::vector<int> { 1, 2 }));
}

TEST_F(TimerFixture, ATimerOfTheDefaultIntervalFiresOncePerSecond)
{
    int calls = 0;
    pool.AddTimer(0xFD02, 1000, [&](TQORTimerPool*) { ++calls; }, nullptr);
    EXPECT_EQ(pool.FindTimer(0xFD02)->TickCount, 20);
    ticks(40);  // two seconds of 50 ms ticks
    EXPECT_EQ(calls, 2);
}

TEST_F(TimerFixture, DuplicateIdentifierIsRefused)
{
    pool.AddTimer(7, 50, nullptr, nullptr);
    pool.AddTimer(8, 50, nullptr, nullptr);
    try {
        pool.AddTimer(8, 100, nullptr, nullptr);
        FAIL();
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "List index out of bounds (1)");
    }
    EXPECT_EQ(pool.ItemCount(), 2);
    EXPECT_EQ(pool.IndexOfTimer(8), 1);
    EXPECT_EQ(pool.IndexOfTimer(9), -1);
    EXPECT_EQ(pool.FindTimer(9), nullptr);
}

TEST_F(TimerFixture, IntervalMustBeAMultipleOfTheMinimum)
{
    for (int interval : { 0, 30, 75 }) {
        try {
            pool.AddTimer(1, interval, nullptr, nullptr);
            FAIL() << interval;
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), "Interval does'nt fit to given MinInterval!");
        }
    }
    EXPECT_EQ(pool.ItemCount(), 0);
}

TEST_F(TimerFixture, RemovingTheLastTimerStopsThePool)
{
    pool.AddTimer(1, 50, nullptr, nullptr);
    pool.AddTimer(2, 50, nullptr, nullptr);
    pool.RemoveTimer(1);
    EXPECT_TRUE(pool.Running());
    EXPECT_EQ(pool.IndexOfTimer(2), 0);
    pool.RemoveTimer(2);
    EXPECT_FALSE(pool.Running());
    EXPECT_EQ(pool.ItemCount(), 0);
}

TEST_F(TimerFixture, TimerMayRemoveItselfFromItsOwnEvent)
{
    int calls = 0;
    pool.AddTimer(3, 50, [&](TQORTimerPool* p) {
        ++calls;
        p->RemoveTimer(3);
    }, nullptr);
    ticks(3);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(pool.ItemCount(), 0);
}

TEST_F(TimerFixture, EnablingResetsTheCounterAndNeedsCallsLeft)
{
    pool.AddTimer(4, 50, nullptr, nullptr);
    TQORTimerItem& item = *pool.FindTimer(4);
    ticks(2);
    EXPECT_EQ(item.Counter, 2);
    SetTimerItemEnabled(item, false);
    EXPECT_EQ(item.Counter, 0);
    EXPECT_FALSE(pool.Running());
    item.MaxCount = 0;
    SetTimerItemEnabled(item, true);
    EXPECT_FALSE(item.Enabled());
    item.MaxCount = -1;
    SetTimerItemEnabled(item, true);
    EXPECT_TRUE(item.Enabled());
    EXPECT_TRUE(pool.Running());
}

TEST_F(TimerFixture, IntervalSetterTakesOnlyMultiplesAndZeroMeansTheMinimum)
{
    pool.AddTimer(5, 200, nullptr, nullptr);
    TQORTimerItem& item = *pool.FindTimer(5);
    SetTimerItemInterval(item, 120);
    EXPECT_EQ(item.Interval, 200);
    SetTimerItemInterval(item, 500);
    EXPECT_EQ(item.TickCount, 10);
    SetTimerItemInterval(item, 0);
    EXPECT_EQ(item.Interval, 50);
    EXPECT_EQ(item.TickCount, 1);
}
