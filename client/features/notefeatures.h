#pragma once

// Hands the notes, reminders and the away window to the core: the bar's
// commands, the sign-on chain, the log-on, the timer and the peer dispatcher
// reach them through the hooks this fills.
void InstallNoteFeatures();
