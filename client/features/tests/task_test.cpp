#include "client/features/task.h"

#include "platform/rtl/dates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Task, TheFormOffersFortyEightHalfHours)
{
    const auto times = HalfHourTimes();
    ASSERT_EQ(times.size(), 48u);
    EXPECT_EQ(times[0], "12:00 AM");
    EXPECT_EQ(times[1], "12:30 AM");
    EXPECT_EQ(times[24], "12:00 PM");
    EXPECT_EQ(times[47], "11:30 PM");
}

TEST(Task, RepeatChoicesNameTheDaysAndMonths)
{
    const auto choices = RepeatChoices(EncodeDate(2026, 12, 9), "10:30 AM");
    EXPECT_EQ(choices, (std::vector<std::string> { "Occurs only once", "Repeat every Wednesday",
                                                   "Repeat on day 9 of every Month", "Repeat every December 9",
                                                   "Repeat every day at 10:30 AM" }));
}

TEST(Task, ANewIdHoldsNoBlanksSlashesOrColons)
{
    EXPECT_EQ(NewTaskId(EncodeDate(2026, 12, 9) + EncodeTime(20, 5, 7, 0), 12), "12920268" "0507PM12");
}

}  // namespace
