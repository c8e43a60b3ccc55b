#pragma once

#include <functional>
#include <string>

// The windows and workers of the client features that the core's commands open.
// The program fills these in at start; an empty one does nothing.
struct TFeatureWindows {
    // The properties window, modal.
    std::function<void()> ShowSetup;
    // The buddy dialog, modal, for Channels.ini [settings] Iselected (empty: a new
    // buddy); the name it wrote, "" when it was cancelled.
    std::function<std::string()> ShowBuddyDialog;
    // The about box, modal.
    std::function<void()> ShowAbout;
    // The advertisement refresh and update check, started by the first log-on.
    std::function<void()> StartUpdateCheck;
};

TFeatureWindows& FeatureWindows();
