#pragma once

#include <functional>
#include <string>

// What the main bar asks of feature windows it cannot include: the program
// sets these at start; an unset one does nothing.
struct TFeatureHooks {
    // AMBRO: site chat with the browser's current site.
    std::function<void()> StartAmbro;
    // The search strip (the "find" button).
    std::function<void()> StartSearchBar;
    // A keyword typed in the keyword box: true when it named a channel and that opened.
    std::function<bool(const std::string& keyword)> OpenChannel;
    // A one-shot search through the default engine.
    std::function<void(const std::string& query)> SearchWeb;
    // "ADD": the browser's page as a favourite (mode 0 opens the wizard).
    std::function<void(int mode)> AddPageAsChannel;
    // A shortcut file dropped on the bar: the wizard with its address and name.
    std::function<void(const std::string& path, const std::string& name)> AddDroppedShortcut;
    // The channel guide button: shows the guide, or closes it when it is shown.
    std::function<void()> ToggleGuide;
    // CONF: the guide closes unless its "Lock" box is ticked.
    std::function<void()> CloseUnlockedGuide;
    // The buddy dialog: a shown guide closes first.
    std::function<void()> CloseGuide;
    // Sign-on: the guide is made with the main bar; its categories are built once.
    std::function<void()> CreateGuide;
    std::function<void()> LoadGuide;
    // Sign-off: the guide is closed and freed.
    std::function<void()> FreeGuide;
};

TFeatureHooks& FeatureHooks();
