#pragma once

#include <string>

// Quick tips: short help texts from the program folder's hints.txt, each shown
// once in the note window when the user first reaches a feature, and the
// welcome tip of a first run.

// Asks for a tip by name; an empty name only checks for the first run. A tip shows
// in the note window as a quick tip, with its name where a note has its link.
void ShowQuickTip(const std::string& name);

inline constexpr const char* kWelcomeTip = "qtip0000";
