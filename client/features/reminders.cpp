#include "client/features/reminders.h"

#include "client/features/notetree.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

#include <algorithm>

TTask& TTaskList::AddReminder(const std::string& id, const std::string& date, const std::string& time,
                              const std::string& lastDisplayed, bool save, bool completed, const std::string& text,
                              int repeat)
{
    std::erase_if(m_tasks, [&](const std::unique_ptr<TTask>& task) { return task->TaskID == id; });
    auto task = std::make_unique<TTask>();
    task->TaskID = id.substr(0, 255);
    task->Date = date;
    task->Time = time;
    task->LastDisplayed = lastDisplayed;
    task->Completed = completed;
    task->Text = text;
    task->Repeat = static_cast<std::int16_t>(repeat);
    if (save)
        SaveReminder(*task);
    NoteTree().SetReminder(task->TaskID, task->NodeText());
    m_tasks.push_back(std::move(task));
    return *m_tasks.back();
}

void TTaskList::SaveReminder(const TTask& task) { SaveTaskFile(Folder, task); }

bool TTaskList::DeleteReminder(const std::string& id, bool ask)
{
    if (ask
        && MessageDlg("\rDelete this Reminder permanently. Are you sure (y/n)?", mtConfirmation, mbYes | mbNo, 0)
            != IDYES)
        return false;
    const std::string path = TaskFileName(Folder, id);
    if (!path.empty())
        DeleteFile(path);
    std::erase_if(m_tasks, [&](const std::unique_ptr<TTask>& task) { return task->TaskID == id; });
    NoteTree().RemoveReminder(id);
    return true;
}

void TTaskList::LoadReminders()
{
    if (Folder.empty())
        return;
    for (const TSearchRec& entry : ListDirectory(Folder + "*.tsk", 0)) {
        TTask task = ReadTaskFile(Folder + entry.Name);
        // A file without its id still lists, under its own name, so it can be deleted.
        if (task.TaskID.empty())
            task.TaskID = ChangeFileExt(entry.Name, "");
        AddReminder(task.TaskID, task.Date, task.Time, task.LastDisplayed, false, task.Completed, task.Text,
                    task.Repeat);
    }
}

void TTaskList::RunDueReminders(TDateTime now)
{
    // Showing a reminder may delete others, so the ids are taken first.
    std::vector<std::string> ids;
    for (const auto& task : m_tasks)
        ids.push_back(task->TaskID);
    for (const std::string& id : ids) {
        TTask* task = Find(id);
        if (!task || !task->CheckDue(now))
            continue;
        task->LastDisplayed = DateTimeToStr(Clock());
        SaveReminder(*task);
        const std::string linkField = task->TaskID + '\xB6' + task->Date + " " + task->Time;
        const std::string text = task->Text;
        if (OnShow)
            OnShow("Korvo", linkField, text);
    }
}

void TTaskList::Clear()
{
    m_tasks.clear();
    Folder.clear();
}

TTask* TTaskList::Find(const std::string& id)
{
    const auto found = std::find_if(m_tasks.begin(), m_tasks.end(),
                                    [&](const std::unique_ptr<TTask>& task) { return task->TaskID == id; });
    return found == m_tasks.end() ? nullptr : found->get();
}

TTaskList& Tasks()
{
    static TTaskList list;
    return list;
}
