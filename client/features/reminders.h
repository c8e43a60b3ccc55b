#pragma once

#include "client/features/task.h"
#include "platform/rtl/dates.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The signed-on user's reminders: listed from sign-on (or creation) to sign-off,
// one file each, one node each under the guide's Praltos branch.
class TTaskList final {
public:
    // The user's tasks folder; set at sign-on.
    std::string Folder;

    // Replaces a listed task of the same id; writes its file when save.
    TTask& AddReminder(const std::string& id, const std::string& date, const std::string& time,
                       const std::string& lastDisplayed, bool save, bool completed, const std::string& text,
                       int repeat);
    void SaveReminder(const TTask& task);
    // With ask, only after the user's Yes. False when it stays.
    bool DeleteReminder(const std::string& id, bool ask);
    // Lists every task file of the folder without writing them.
    void LoadReminders();
    // Runs the due test on every task; a due one is shown and its showing kept on disk.
    void RunDueReminders(TDateTime now);
    void Clear();

    TTask* Find(const std::string& id);
    int Count() const { return static_cast<int>(m_tasks.size()); }
    const TTask& Item(int index) const { return *m_tasks[static_cast<std::size_t>(index)]; }

    // Shows a due reminder: sender, link field (id 0xB6 date time) and text.
    std::function<void(const std::string& from, const std::string& linkField, const std::string& text)> OnShow;
    // Where "now" comes from for LastDisplayed; tests fix it.
    std::function<TDateTime()> Clock { [] { return Now(); } };

private:
    std::vector<std::unique_ptr<TTask>> m_tasks;
};

// The signed-on user's list.
TTaskList& Tasks();
