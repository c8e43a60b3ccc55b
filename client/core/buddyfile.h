#pragma once

#include "client/core/buddy.h"

#include <string>
#include <vector>

// The buddies' contact files: one INI file "<name>.cnt" with a [Friend] section
// for each buddy, in the signed-on user's folder.

// The signed-on user's folder, with its trailing separator.
std::string UserRoot();
// The contact file of a buddy, or "" for a name that cannot be a file name.
std::string BuddyFileName(const std::string& name);

bool IsBuddyBlocked(const std::string& name);
std::string GetBuddyDirectConnect(const std::string& name);
std::string GetBuddyEmail(const std::string& name);

// Writes [Friend] key := value into the buddy's file (refused names write nothing).
void WriteBuddyValue(const std::string& name, const std::string& key, const std::string& value);
// A new contact file for a buddy: "UserID" and "UserRef" := name.
void WriteBuddyIdentity(const std::string& name);

// The buddies whose contact file is in the user's folder, in folder order: file
// names that are no valid buddy name are skipped; none without a signed-on user.
std::vector<std::string> BuddyFileNames();
// Reads every contact file of the user's folder into the store; with reset the
// store starts empty and every file is marked offline. Files whose name is no
// valid buddy name are skipped. Returns how many buddies did not fit.
int LoadBuddyFiles(TBuddyStore& store, bool reset);
