#pragma once

// The fixed chain that opens a session after a good sign-on, and the sign-off
// that closes it again; each step is one call so the windows of the session
// slot in where they belong.

// Opens the sign-on window with the splash picture and the user list; a good
// sign-on there opens the session.
void ShowSignOn();

// Steps 8 to 20 of a sign-on, in their order.
void OpenSession();

void CreateSessionWindows();
void LoadAwayPresets();
void StartLocalServers();
void ClearSessionFlags();
void LoadSessionSettings();
void LoadMenusAndAds();
void LoadBuddies();
void LoadGuideNotesRemindersNews();
void StartOneSecondTimer();
void StartNewsTicker();
void ConnectToService();
void ShowMainBar();
void RunDueRemindersAtSignOn();

// The main bar's EXIT: ends the session, in its order.
void SignOffSession();

void StopOneSecondTimer();
void CloseAwayWindowAndTicker();
void FreeBuddies();
void WaitForSessionThreads();
void CloseSessionWindows();
void FreeSessionLists();
void CloseMainBar();

// What the main bar's closing does: back to the sign-on window, with sound 6.
void MainBarClosed();
