#pragma once

#include "platform/rtl/dates.h"

#include <cstdint>
#include <string>
#include <vector>

// One Pralto reminder and its file in the user's tasks folder.
class TTask final {
public:
    enum TRepeat : std::int16_t { rpOnce = 0, rpWeekly = 1, rpMonthly = 2, rpYearly = 3, rpDaily = 4 };

    std::string TaskID;
    std::string Date;
    std::string Time;
    std::string LastDisplayed { "1/1/1900 12:00:00 AM" };
    std::int16_t Repeat { rpOnce };
    std::string Text;
    bool Completed { false };

    // The due test at now; a once-reminder it finds due becomes Completed. Texts
    // that are no date or time are never due.
    bool CheckDue(TDateTime now);
    // Date + " " + Time + " - " + Text, and " (Recuring)" for a repeating one.
    std::string NodeText() const;
};

// The user's tasks folder with its trailing separator; "" for a name that would lead outside.
std::string TasksFolder(const std::string& user);
// folder + id + ".tsk"; "" for an id that is no plain file name.
std::string TaskFileName(const std::string& folder, const std::string& id);
// Writes all seven keys; false when the id is no plain file name.
bool SaveTaskFile(const std::string& folder, const TTask& task);
// Reads a task file with the defaults for missing keys.
TTask ReadTaskFile(const std::string& fileName);
// DateToStr + TimeToStr of now and a random number, without ' ', '/' and ':'.
std::string NewTaskId(TDateTime now, int random);

// The entry form's 48 half-hour times, "12:00 AM" to "11:30 PM".
std::vector<std::string> HalfHourTimes();
// The five repeat choices for a date and a time text.
std::vector<std::string> RepeatChoices(TDateTime date, const std::string& time);
