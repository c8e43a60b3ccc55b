#pragma once

#include <functional>
#include <string>

// What the bar, the sign-on chain, the log-on and the timer ask of the note,
// reminder and away windows, which live with the features; a hook nobody
// filled does nothing.
struct TNoteHooks {
    std::function<void()> StartNivletRead;
    std::function<void(const std::string& to, const std::string& link, const std::string& text)> ComposeNivlet;
    // The note window for a received note (0), a quick tip (1) or a due reminder (2).
    std::function<void(const std::string& from, const std::string& linkField, const std::string& text, int kind)>
        ShowNoteWindow;
    std::function<void()> LoadNivlets;
    std::function<void()> LoadReminders;
    std::function<void()> RunDueReminders;
    // An empty id opens the form for a new reminder.
    std::function<void(const std::string& id)> EditReminder;
    std::function<void()> LoadAwayPresets;
    // The AWAY button changed the away flag: the window shows when away, closes when back.
    std::function<void(bool away)> AwayChanged;
    // Sign-off: the session's notes, reminders and away window go.
    std::function<void()> SessionClosed;
};

TNoteHooks& NoteHooks();

// Calls a hook when it is filled.
template<typename Hook, typename... Args>
void CallNoteHook(const Hook& hook, Args&&... args)
{
    if (hook)
        hook(std::forward<Args>(args)...);
}
