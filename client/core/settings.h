#pragma once

// The settings files: larkspire.ini in the Windows directory (shared by all the
// programs), Channels.ini in the program folder and the installed servers.ini.

// Reads the three files into the session at every sign-on and before Setup opens;
// the windows show what they need of it (the main bar its partner) themselves.
void LoadSettings();
// Writes Channels.ini [Settings] Hint, UpdateTime and notiftyState back at sign-off.
void SaveSettings();
// Start values of the session state; the bar is docked by whoever holds it (DockMainBar).
void ResetSession();

// Where the docked main bar of a size goes on a screen; kept in the session.
void DockMainBar(int screenWidth, int screenHeight, int barWidth, int barHeight);

inline constexpr const char* kLarkspireIni = "larkspire.ini";
inline constexpr const char* kChannelsIni = "Channels.ini";
inline constexpr const char* kServersIni = "servers.ini";
