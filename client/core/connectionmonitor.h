#pragma once

#include <string>

// Whether this machine is on a network, and with which address.

// The address of the local host name; "0.0.0.0" when there is none.
std::string GetLocalAddress();
// The text of a dial-up connection state, or of its Remote Access error when
// `error` is not 0; "" for a state it does not know.
std::string RasStateText(long state, long error);
// Finds the local address (a connected dial-up connection's first, unless the
// AOL setting is on), sets the session's online flag and returns it; an address
// found is written to larkspire.ini [MAIN] localAddress.
bool CheckConnection();
// Checks, then logs on when online and neither logged on nor logging on.
void ConnectionTick();
// The network went away: the session goes offline with every buddy.
void GoOffline();
