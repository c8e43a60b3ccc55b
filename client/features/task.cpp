#include "client/features/task.h"

#include "client/core/helpers.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"


namespace {

bool IsAM(TDateTime dateTime) { return TimeToStr(dateTime).find("AM") != std::string::npos; }

// A month count, so "a later month" also means a later year's same month.
int MonthIndex(int year, int month) { return year * 12 + month; }

// Ordered as the calendar's days are.
int DayIndex(int year, int month, int day) { return MonthIndex(year, month) * 32 + day; }

}  // namespace

bool TTask::CheckDue(TDateTime now)
{
    TDateTime due = 0;
    TDateTime last = 0;
    if (!TryStrToDateTime(Date + " " + Time, due) || !TryStrToDateTime(LastDisplayed, last))
        return false;
    int nowYear, nowMonth, nowDay, dueYear, dueMonth, dueDay, lastYear, lastMonth, lastDay;
    DecodeDate(now, nowYear, nowMonth, nowDay);
    DecodeDate(due, dueYear, dueMonth, dueDay);
    DecodeDate(last, lastYear, lastMonth, lastDay);
    int nowHour, nowMinute, dueHour, dueMinute, second, msec;
    DecodeTime(now, nowHour, nowMinute, second, msec);
    DecodeTime(due, dueHour, dueMinute, second, msec);
    const bool shownToday = DateToStr(now) == DateToStr(last);
    // A repeating reminder starts on its day: the rules below look at weekday,
    // day and hour only, and would show it weeks before.
    if (Repeat != rpOnce && DayIndex(nowYear, nowMonth, nowDay) < DayIndex(dueYear, dueMonth, dueDay))
        return false;
    switch (Repeat) {
    case rpOnce:
        // The timer looks only every minute or so, and the program may have been
        // off: a missed minute still shows, once.
        if (Completed || now < due)
            return false;
        Completed = true;
        return true;
    case rpWeekly:
        return DayOfWeek(now) == DayOfWeek(due) && !shownToday;
    case rpMonthly:
        return MonthIndex(nowYear, nowMonth) > MonthIndex(lastYear, lastMonth) && nowDay == dueDay;
    case rpYearly:
        return nowYear > lastYear && nowMonth == dueMonth && nowDay == dueDay;
    case rpDaily:
        return IsAM(now) == IsAM(due) && !shownToday && nowHour == dueHour && nowMinute >= dueMinute - 5;
    default:
        return false;
    }
}

std::string TTask::NodeText() const
{
    return Date + " " + Time + " - " + Text + (Repeat != rpOnce ? " (Recuring)" : "");
}

std::string TasksFolder(const std::string& user)
{
    if (!IsSafeFileName(user))
        return {};
    return IncludeTrailingPathDelimiter(WindowsDir()) + "my friends" + PathDelim + user + PathDelim + "tasks" + PathDelim;
}

std::string TaskFileName(const std::string& folder, const std::string& id)
{
    if (folder.empty())
        return {};
    return SafeJoin(ExcludeTrailingPathDelimiter(folder), id + ".tsk");
}

bool SaveTaskFile(const std::string& folder, const TTask& task)
{
    if (!IsSafeFileName(task.TaskID))
        return false;
    const std::string path = TaskFileName(folder, task.TaskID);
    if (path.empty())
        return false;
    ForceDirectories(folder);
    TIniFile file(path);
    file.WriteString("Task", "TaskID", task.TaskID);
    file.WriteString("Task", "Date", task.Date);
    file.WriteString("Task", "Time", task.Time);
    file.WriteString("Task", "LastDisplayed", task.LastDisplayed);
    file.WriteInteger("Task", "Repeat", task.Repeat);
    file.WriteString("Task", "Text", task.Text);
    file.WriteBool("Task", "Completed", task.Completed);
    return true;
}

TTask ReadTaskFile(const std::string& fileName)
{
    const TIniFile file(fileName);
    TTask task;
    task.TaskID = file.ReadString("Task", "TaskID", "").substr(0, 255);
    task.Date = file.ReadString("Task", "Date", "");
    task.Time = file.ReadString("Task", "Time", "");
    task.LastDisplayed = file.ReadString("Task", "LastDisplayed", "1/1/1900 12:00:00 AM");
    const int repeat = file.ReadInteger("Task", "Repeat", TTask::rpOnce);
    task.Repeat = static_cast<std::int16_t>(repeat);
    task.Text = file.ReadString("Task", "Text", "");
    task.Completed = file.ReadBool("Task", "Completed", false);
    return task;
}

std::string NewTaskId(TDateTime now, int random)
{
    std::string id;
    for (const char ch : DateToStr(now) + TimeToStr(now) + IntToStr(random))
        if (ch != ' ' && ch != '/' && ch != ':')
            id += ch;
    return id;
}

std::vector<std::string> HalfHourTimes()
{
    std::vector<std::string> times;
    for (int i = 0; i < 48; ++i) {
        const int hour = i / 2;
        const int shown = hour % 12 == 0 ? 12 : hour % 12;
        times.push_back(IntToStr(shown) + (i % 2 ? ":30 " : ":00 ") + (hour < 12 ? "AM" : "PM"));
    }
    return times;
}

std::vector<std::string> RepeatChoices(TDateTime date, const std::string& time)
{
    int year, month, day;
    DecodeDate(date, year, month, day);
    return { "Occurs only once", "Repeat every " + LongDayName(DayOfWeek(date)),
             "Repeat on day " + IntToStr(day) + " of every Month",
             "Repeat every " + LongMonthName(month) + " " + IntToStr(day), "Repeat every day at " + time };
}
