#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Top-level window titles shared by every process of this system on one desktop,
// so "a window titled X exists" and "bring it to the front" work across programs.
// One desktop is one Windows directory: simulated hosts with their own Windows
// directory never see each other's windows. Titles are code-page text and match
// exactly; a hidden window counts until it is withdrawn.
namespace windowlist {

// Announces (or renames) a window of this process.
void Publish(std::uintptr_t windowId, const std::string& title);
void Withdraw(std::uintptr_t windowId);

bool TitleExists(const std::string& title);

// Asks the process owning a window with that title to raise it; its activation
// handler runs on that process's main thread. False when no such window exists
// or its owner could not be reached.
bool BringToFront(const std::string& title);

// Called on the main thread with the id of a window another process (or this one)
// asked to bring to the front.
void SetActivationHandler(std::function<void(std::uintptr_t windowId)> handler);

}  // namespace windowlist
