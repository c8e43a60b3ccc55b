#include "client/features/notefeatures.h"

#include "client/core/features.h"
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
    TFeatures& features = Features();
    features.SignOn.StartNivletRead = StartNivletRead;
    features.SignOn.LoadNivlets = LoadNivlets;
    features.SignOn.LoadReminders = [] {
        Tasks().Clear();
        Tasks().Folder = TasksFolder(Session().userId);
        Tasks().LoadReminders();
    };
    features.SignOn.LoadAwayPresets = [] { AwayWindow().LoadPresets(); };
    features.Tick.RunDueReminders = [] { Tasks().RunDueReminders(Now()); };
    features.Command.ComposeNivlet = ComposeNivlet;
    features.Command.ShowNoteWindow = [](const std::string& from, const std::string& linkField, const std::string& text,
                                         int kind) { ShowNoteWindow(from, linkField, text, kind); };
    features.Command.EditReminder = EditReminder;
    features.Command.AwayChanged = [](bool away) {
        if (away)
            AwayWindow().ShowAway();
        else if (AwayMessageFrm)
            AwayMessageFrm->Close();
    };
    features.SignOff.CloseNotes = CloseSessionNotes;
    features.PeerFrame.SaveNivlet = SaveNivlet;
    NoteAlertShower() = ShowNoteAlert;
    Tasks().OnShow = [](const std::string& from, const std::string& linkField, const std::string& text) {
        ShowNoteWindow(from, linkField, text, TForm8::nkReminder);
    };
}
