#pragma once

class TScroller;

// The news feature's part in the main bar and the session: the ticker in the
// bar's paint box with its mouse and arrow buttons, and the hooks the core calls.

// Sets the session's news hooks (fetch duty, tree, ticker, sign-off).
void InstallNewsFeature();

// Sign-on: the ticker made and filled, wired to the bar's paint box and arrows.
void CreateNewsTicker();
// Rebuilds the ticker from News.ini.
void ResetNewsScroller();
// Sign-off: the ticker freed.
void FreeNewsTicker();
// The session's ticker, or nullptr.
TScroller* NewsScroller();
