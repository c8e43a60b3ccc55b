#pragma once

#include <functional>
#include <string>

// Quick tips: short help texts from the program folder's hints.txt, each shown
// once in the note window when the user first reaches a feature, and the
// welcome tip of a first run.

// The note window shown as a quick tip (kind 1): sender, tip name and text.
// Filled by the note window's side; a tip with nobody to show it goes unseen.
using TQuickTipShower = std::function<void(const std::string& sender, const std::string& tipName, const std::string& text)>;
TQuickTipShower& QuickTipShower();

// Asks for a tip by name; an empty name only checks for the first run.
void ShowQuickTip(const std::string& name);

inline constexpr const char* kWelcomeTip = "qtip0000";
