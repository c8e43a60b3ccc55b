#include "client/features/notefeatures.h"

#include "client/core/notehooks.h"
#include "client/core/peerhooks.h"
#include "client/core/session.h"
#include "client/features/awaymessageform.h"
#include "client/features/nivlets.h"
#include "client/features/noteform.h"
#include "client/features/notetree.h"
#include "client/features/reminderform.h"
#include "client/features/reminders.h"
#include "client/features/task.h"
#include "platform/rtl/dates.h"

namespace {

TAwayMessageFrm& AwayWindow()
{
    if (!AwayMessageFrm)
        new TAwayMessageFrm();
    return *AwayMessageFrm;
}

void CloseSessionNotes()
{
    AbandonNivletThreads();
    for (TForm* form : Screen::Forms())
        if (dynamic_cast<TForm8*>(form) || dynamic_cast<TForm15*>(form))
            form->Free();
    // Freed, not closed: closing would tell buddies this user is back.
    if (AwayMessageFrm)
        AwayMessageFrm->Free();
    Tasks().Clear();
    NoteTree().Clear();
}

}  // namespace

void InstallNoteFeatures()
{
    TNoteHooks& hooks = NoteHooks();
    hooks.StartNivletRead = StartNivletRead;
    hooks.ComposeNivlet = ComposeNivlet;
    hooks.ShowNoteWindow = [](const std::string& from, const std::string& linkField, const std::string& text,
                              int kind) { ShowNoteWindow(from, linkField, text, kind); };
    hooks.LoadNivlets = LoadNivlets;
    hooks.LoadReminders = [] {
        Tasks().Clear();
        Tasks().Folder = TasksFolder(Session().userId);
        Tasks().LoadReminders();
    };
    hooks.RunDueReminders = [] { Tasks().RunDueReminders(Now()); };
    hooks.EditReminder = EditReminder;
    hooks.LoadAwayPresets = [] { AwayWindow().LoadPresets(); };
    hooks.AwayChanged = [](bool away) {
        if (away)
            AwayWindow().ShowAway();
        else if (AwayMessageFrm)
            AwayMessageFrm->Close();
    };
    hooks.SessionClosed = CloseSessionNotes;
    peerhooks::Hooks().SaveNivlet = SaveNivlet;
    NoteAlertShower() = ShowNoteAlert;
    Tasks().OnShow = [](const std::string& from, const std::string& linkField, const std::string& text) {
        ShowNoteWindow(from, linkField, text, TForm8::nkReminder);
    };
}
