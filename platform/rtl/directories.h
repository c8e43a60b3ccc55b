#pragma once

#include <string>

// Where the system keeps its files. Names are code-page text without a trailing '/'.

// $KORVO_WINDIR, else $XDG_CONFIG_HOME/korvo, else ~/.config/korvo; created when missing.
std::string GetWindowsDir();
// The Windows directory's "system" folder; created when missing.
std::string GetSystemDir();
// $KORVO_APPDIR, else the folder of the running program.
std::string GetProgramDir();
