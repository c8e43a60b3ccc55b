#include "platform/win/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

TEST(Messages, PostedMessagesArriveInOrderOnTheLoop)
{
    std::vector<UINT> seen;
    HWND wnd = AllocateHWnd([&](TMessage& m) { seen.push_back(m.Msg); });
    PostMessage(wnd, WM_USER + 1, 0, 0);
    PostMessage(wnd, WM_USER + 2, 0, 0);
    EXPECT_TRUE(seen.empty()) << "posting must not call the handler at once";
    Application::ProcessMessagesUntil([&] { return seen.size() == 2; }, 2000);
    EXPECT_EQ(seen, (std::vector<UINT> { WM_USER + 1, WM_USER + 2 }));
    DeallocateHWnd(wnd);
}

TEST(Messages, MessagesForAFreedWindowAreDroppedAndHandlesAreNotReused)
{
    int calls = 0;
    HWND first = AllocateHWnd([&](TMessage&) { ++calls; });
    PostMessage(first, WM_USER, 0, 0);
    DeallocateHWnd(first);
    HWND second = AllocateHWnd([&](TMessage&) { calls += 100; });
    EXPECT_NE(first, second);
    EXPECT_FALSE(PostMessage(first, WM_USER, 0, 0));
    Application::ProcessMessages();
    EXPECT_EQ(calls, 0);
    DeallocateHWnd(second);
}

TEST(Messages, ATrackedMessageReportsOnceItIsHandledOrDroppedWithItsWindow)
{
    std::vector<std::string> order;
    HWND wnd = AllocateHWnd([&](TMessage&) { order.push_back("handled"); });
    ASSERT_TRUE(PostMessageTracked(wnd, WM_USER, 0, 0, [&] { order.push_back("taken"); }));
    EXPECT_TRUE(order.empty());
    Application::ProcessMessagesUntil([&] { return order.size() == 2; }, 2000);
    EXPECT_EQ(order, (std::vector<std::string> { "handled", "taken" }));

    int dropped = 0;
    ASSERT_TRUE(PostMessageTracked(wnd, WM_USER, 0, 0, [&] { ++dropped; }));
    DeallocateHWnd(wnd);
    Application::ProcessMessages();
    EXPECT_EQ(dropped, 1) << "a message dropped with its window is taken too";
    EXPECT_FALSE(PostMessageTracked(wnd, WM_USER, 0, 0, [&] { ++dropped; }));
    EXPECT_EQ(dropped, 1) << "nothing is reported for a post that failed";
}

TEST(Messages, SendMessageCallsAtOnceAndReturnsTheResult)
{
    HWND wnd = AllocateHWnd([](TMessage& m) { m.Result = static_cast<LRESULT>(m.WParam * 2 + m.LParam); });
    EXPECT_EQ(SendMessage(wnd, WM_USER, 20, 2), 42);
    DeallocateHWnd(wnd);
}

TEST(Messages, PostFromAWorkerThreadReachesTheOwnerThread)
{
    std::thread::id handledOn;
    HWND wnd = AllocateHWnd([&](TMessage&) { handledOn = std::this_thread::get_id(); });
    std::thread worker([wnd] { PostMessage(wnd, WM_USER, 0, 0); });
    worker.join();
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return handledOn != std::thread::id(); }, 2000));
    EXPECT_EQ(handledOn, std::this_thread::get_id());
    DeallocateHWnd(wnd);
}

TEST(Messages, AWindowMayFreeItselfInsideItsHandler)
{
    int calls = 0;
    HWND wnd = 0;
    wnd = AllocateHWnd([&](TMessage&) {
        ++calls;
        DeallocateHWnd(wnd);
    });
    PostMessage(wnd, WM_USER, 0, 0);
    PostMessage(wnd, WM_USER, 0, 0);
    Application::ProcessMessagesUntil([] { return false; }, 50);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(IsWindow(wnd));
}

TEST(Messages, TimerTicksCarryTheirIdUntilKilled)
{
    std::vector<WPARAM> ticks;
    HWND wnd = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_TIMER)
            ticks.push_back(m.WParam);
    });
    ASSERT_EQ(SetTimer(wnd, 7, 5), 7u);
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return ticks.size() >= 3; }, 2000));
    EXPECT_TRUE(KillTimer(wnd, 7));
    const auto count = ticks.size();
    Application::ProcessMessagesUntil([] { return false; }, 40);
    EXPECT_EQ(ticks.size(), count);
    for (WPARAM id : ticks)
        EXPECT_EQ(id, 7u);
    DeallocateHWnd(wnd);
}

TEST(Messages, AnExceptionInAHandlerGoesToTheApplicationHandler)
{
    std::string caught;
    Application::SetExceptionHandler([&](const std::exception& e) { caught = e.what(); });
    HWND wnd = AllocateHWnd([](TMessage&) { throw std::runtime_error("boom"); });
    SendMessage(wnd, WM_USER, 0, 0);
    EXPECT_EQ(caught, "boom");
    Application::SetExceptionHandler(nullptr);
    DeallocateHWnd(wnd);
}
