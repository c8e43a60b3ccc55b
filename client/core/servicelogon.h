#pragma once

#include "client/core/servicequery.h"

#include <string>
#include <vector>

// The log-on to the service, the buddy address lookup, the presence refresh and
// opening pages in the browser. Replies are files of the program folder.

// The channel label's greeting at log-on for an hour of 0..23.
std::string GreetingForHour(int hour);

// Logs on when not yet logged on, then looks up the named buddy, or every
// eligible one for an empty name; on a worker thread, one at a time.
void LoginToService(const std::string& buddyName);

// The "/lookup.asp" query for the named buddy, or for every buddy in list order
// that is not connected, not connecting, not blocked and has no fixed address;
// "" when there is nothing to ask. Built on the main thread from the buddy list.
std::string LookupQuery(const std::string& buddyName);
// The names that query asks for, in its order.
std::vector<std::string> LookupNames(const std::string& buddyName);
// Connects each buddy a lookup reply named at its address (main thread).
void ApplyBuddyLookup(const std::vector<BuddyLookupEntry>& entries);
// The same, and each asked name the reply left out is no longer online anywhere.
void ApplyBuddyLookup(const std::vector<std::string>& asked, const std::vector<BuddyLookupEntry>& entries);

// Sign-off: a log-on still running is left to end on its own, and what it
// would have done on the main thread is dropped; the next log-on may start.
void AbandonLogOn();

// TRefreshILS: tells the directory this user is still here.
void StartRefreshILS();

// Opens a web address (IsWebLink) in the browser on a TNavigate thread, at most four
// at a time; anything else opens nothing.
void NavigateTo(const std::string& url);
// The TNavigate threads now running.
int RunningUrlThreads();
