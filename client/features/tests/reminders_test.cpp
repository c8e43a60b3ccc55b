#include "client/features/reminders.h"

#include "client/core/session.h"
#include "client/features/notetree.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TDateTime At(int year, int month, int day, int hour, int minute)
{
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, 0, 0);
}

// A user's task list with a fixed clock, recording what it showed.
class Reminders : public ::testing::Test {
protected:
    void SetUp() override
    {
        Tasks().Clear();
        NoteTree().Clear();
        Tasks().Folder = TasksFolder("bob");
        Tasks().OnShow = [this](const std::string& from, const std::string& linkField, const std::string& text) {
            shown.push_back(from + "|" + linkField + "|" + text);
        };
        Tasks().Clock = [this] { return clock; };
    }
    void TearDown() override
    {
        Tasks().Clear();
        Tasks().OnShow = nullptr;
        Tasks().Clock = [] { return Now(); };
        NoteTree().Clear();
    }

    void add(const std::string& date, const std::string& time, int repeat)
    {
        Tasks().AddReminder("t1", date, time, "1/1/1900 12:00:00 PM", true, false, "call mom", repeat);
    }
    // One check of the timer at a moment; true when the reminder showed.
    bool checkAt(TDateTime when)
    {
        clock = when;
        const std::size_t before = shown.size();
        Tasks().RunDueReminders(when);
        return shown.size() > before;
    }
    std::string onDisk(const std::string& key) { return TIniFile(TaskFileName(Tasks().Folder, "t1")).ReadString("Task", key, "?"); }

    ScratchDirs scratch;
    TDateTime clock { 0 };
    std::vector<std::string> shown;
};

TEST_F(Reminders, AOnceReminderShowsInItsMinuteAndNeverAgain)
{
    add("12/9/2026", "10:30 AM", TTask::rpOnce);
    EXPECT_FALSE(checkAt(At(2026, 12, 9, 10, 29)));
    EXPECT_TRUE(checkAt(At(2026, 12, 9, 10, 30)));
    EXPECT_EQ(shown.back(), "Korvo|t1\xB6" "12/9/2026 10:30 AM|call mom");
    EXPECT_EQ(onDisk("Completed"), "1");
    EXPECT_EQ(onDisk("LastDisplayed"), "12/9/2026 10:30:00 AM");
    EXPECT_FALSE(checkAt(At(2026, 12, 9, 10, 30)));
    EXPECT_FALSE(checkAt(At(2026, 12, 10, 10, 30)));
}

TEST_F(Reminders, AOnceReminderWhoseMinuteWasMissedStillShowsOnce)
{
    add("12/9/2026", "10:30 AM", TTask::rpOnce);
    // The timer looked at 10:29:50 and next at 10:31; or the program was off all day.
    EXPECT_TRUE(checkAt(At(2026, 12, 11, 8, 0)));
    EXPECT_FALSE(checkAt(At(2026, 12, 11, 8, 1)));
}

TEST_F(Reminders, ADailyReminderShowsOnceBetweenFiveBeforeAndTheEndOfItsHour)
{
    add("12/1/2026", "10:30 AM", TTask::rpDaily);
    EXPECT_FALSE(checkAt(At(2026, 12, 9, 10, 24)));
    EXPECT_TRUE(checkAt(At(2026, 12, 9, 10, 25)));
    EXPECT_FALSE(checkAt(At(2026, 12, 9, 10, 40)));
    EXPECT_FALSE(checkAt(At(2026, 12, 10, 11, 0)));
    EXPECT_FALSE(checkAt(At(2026, 12, 10, 22, 30)));
    EXPECT_TRUE(checkAt(At(2026, 12, 10, 10, 59)));
    EXPECT_EQ(onDisk("LastDisplayed"), "12/10/2026 10:59:00 AM");
}

TEST_F(Reminders, AWeeklyReminderShowsAtTheFirstCheckOfItsWeekday)
{
    add("12/9/2026", "3:00 PM", TTask::rpWeekly);  // a Wednesday
    EXPECT_FALSE(checkAt(At(2026, 12, 15, 8, 0)));
    EXPECT_TRUE(checkAt(At(2026, 12, 16, 0, 1)));
    EXPECT_FALSE(checkAt(At(2026, 12, 16, 15, 0)));
    EXPECT_TRUE(checkAt(At(2026, 12, 23, 9, 0)));
}

TEST_F(Reminders, AMonthlyReminderForThe31stSkipsShortMonths)
{
    add("1/31/2026", "9:00 AM", TTask::rpMonthly);
    EXPECT_TRUE(checkAt(At(2026, 1, 31, 9, 0)));
    EXPECT_FALSE(checkAt(At(2026, 1, 31, 18, 0)));
    for (int day = 1; day <= 28; ++day)
        EXPECT_FALSE(checkAt(At(2026, 2, day, 9, 0))) << day;
    EXPECT_FALSE(checkAt(At(2026, 4, 30, 9, 0)));
    EXPECT_TRUE(checkAt(At(2026, 3, 31, 9, 0)));
}

TEST_F(Reminders, AMonthlyReminderShowsInJanuaryAfterNeverBeingShown)
{
    // Never shown means January 1900: a January reminder still shows.
    add("1/5/2026", "9:00 AM", TTask::rpMonthly);
    EXPECT_TRUE(checkAt(At(2027, 1, 5, 9, 0)));
    EXPECT_FALSE(checkAt(At(2027, 1, 5, 10, 0)));
    EXPECT_TRUE(checkAt(At(2027, 2, 5, 9, 0)));
}

TEST_F(Reminders, AYearlyReminderShowsOnceOnItsDay)
{
    add("3/14/2026", "8:00 AM", TTask::rpYearly);
    EXPECT_FALSE(checkAt(At(2026, 3, 13, 8, 0)));
    EXPECT_TRUE(checkAt(At(2026, 3, 14, 7, 0)));
    EXPECT_FALSE(checkAt(At(2026, 3, 14, 12, 0)));
    EXPECT_FALSE(checkAt(At(2026, 4, 14, 12, 0)));
    EXPECT_TRUE(checkAt(At(2027, 3, 14, 12, 0)));
}

TEST_F(Reminders, NoRepeatingReminderShowsBeforeItsDate)
{
    // Each starts on Thursday 12/31/2026: its weekday, day or month comes round
    // earlier, but it waits for its date.
    struct Case {
        int repeat;
        TDateTime earlier;
    };
    const Case cases[] = { { TTask::rpDaily, At(2026, 12, 20, 10, 30) },
                           { TTask::rpWeekly, At(2026, 12, 24, 10, 30) },
                           { TTask::rpMonthly, At(2026, 10, 31, 10, 30) },
                           { TTask::rpYearly, At(2025, 12, 31, 10, 30) } };
    for (const Case& c : cases) {
        add("12/31/2026", "10:30 AM", c.repeat);
        EXPECT_FALSE(checkAt(At(2026, 12, 10, 10, 30))) << c.repeat;
        EXPECT_FALSE(checkAt(c.earlier)) << c.repeat;
        EXPECT_FALSE(checkAt(At(2026, 12, 30, 10, 30))) << c.repeat;
        EXPECT_TRUE(checkAt(At(2026, 12, 31, 10, 30))) << c.repeat;
    }
    // Once started, the rules of the repeat hold again.
    add("12/31/2026", "10:30 AM", TTask::rpWeekly);
    EXPECT_TRUE(checkAt(At(2027, 1, 7, 8, 0)));
}

TEST_F(Reminders, AMalformedTaskFileIsListedButNeverDue)
{
    scratch.write("windows/my friends/bob/tasks/broken.tsk", "[Task]\r\nDate=soon\r\nTime=later\r\nRepeat=banana\r\n");
    scratch.write("windows/my friends/bob/tasks/binary.tsk", std::string("\0\x01\xFF[Task\r\n=\r\n", 13));
    scratch.write("windows/my friends/bob/tasks/badlast.tsk",
                  "[Task]\r\nTaskID=badlast\r\nDate=1/1/2020\r\nTime=1:00 AM\r\nLastDisplayed=yesterday\r\nRepeat=4\r\n");
    Tasks().LoadReminders();
    EXPECT_EQ(Tasks().Count(), 3);
    EXPECT_EQ(NoteTree().Praltos.children.size(), 3u);
    EXPECT_FALSE(checkAt(At(2026, 12, 9, 1, 0)));
    EXPECT_TRUE(Tasks().DeleteReminder("broken", false));
    EXPECT_FALSE(scratch.exists("windows/my friends/bob/tasks/broken.tsk"));
}

TEST_F(Reminders, ASavedReminderLoadsBackWithItsNode)
{
    Tasks().AddReminder("r9", "12/24/2026", "6:30 PM", "1/1/1900 12:00:00 PM", true, false, "gifts", TTask::rpYearly);
    Tasks().Clear();
    NoteTree().Clear();
    Tasks().Folder = TasksFolder("bob");
    Tasks().LoadReminders();
    ASSERT_NE(Tasks().Find("r9"), nullptr);
    EXPECT_EQ(Tasks().Find("r9")->Text, "gifts");
    ASSERT_EQ(NoteTree().Praltos.children.size(), 1u);
    EXPECT_EQ(NoteTree().Praltos.children[0].text, "12/24/2026 6:30 PM - gifts (Recuring)");
    EXPECT_EQ(NoteTree().Praltos.children[0].data, "r9");
}

TEST_F(Reminders, DeletingWithTheQuestionNeedsYes)
{
    add("12/9/2026", "10:30 AM", TTask::rpOnce);
    dialogs::QueueAnswer(IDNO);
    EXPECT_FALSE(Tasks().DeleteReminder("t1", true));
    EXPECT_EQ(Tasks().Count(), 1);
    dialogs::QueueAnswer(IDYES);
    EXPECT_TRUE(Tasks().DeleteReminder("t1", true));
    EXPECT_EQ(Tasks().Count(), 0);
    EXPECT_TRUE(NoteTree().Praltos.children.empty());
    EXPECT_FALSE(scratch.exists("windows/my friends/bob/tasks/t1.tsk"));
}

}  // namespace
