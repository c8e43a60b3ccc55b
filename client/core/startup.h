#pragma once

#include <string>

// larkspire runs once per desktop: the titles of the updater, the sign-on
// window and the main bar tell whether it may start.
enum class StartDecision { Start, UpdateInProgress, SignOnShown, AlreadyRunning };

StartDecision CheckOtherInstances();

// Acts on a decision that is not Start: the message, or the sign-on window
// brought to the front. True when the program may go on.
bool ActOnStartDecision(StartDecision decision);

std::string UpdaterTitle();   // "Kestrow®"
std::string MainBarTitle();   // "KORVO®"
std::string ApplicationTitle();  // "LARKSPIRE®"
