#include "platform/rtl/eventloop.h"

#include "platform/rtl/exceptions.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <string>

TEST(EventLoop, AFailureInAGuardedCallReachesTheHandlerAndGoesNoFurther)
{
    std::string caught;
    Application::SetExceptionHandler([&](const std::exception& e) { caught = e.what(); });
    Application::Guarded([] { throw EWriteError("Unable to write to x"); });
    Application::SetExceptionHandler(nullptr);
    EXPECT_EQ(caught, "Unable to write to x");
}

TEST(EventLoop, WaitingRunsTheLoopUntilTheConditionHolds)
{
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return fired; }, 5000));
}

TEST(EventLoop, WaitingGivesUpWhenTheConditionNeverHolds)
{
    EXPECT_FALSE(Application::ProcessMessagesUntil([] { return false; }, 20));
}
