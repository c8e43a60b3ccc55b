#pragma once

#include <string>

// Whether this machine is on a network, and with which address.

// The address of the local host name; "0.0.0.0" when there is none.
std::string GetLocalAddress();
// Finds the local address, sets the session's online flag and returns it; an
// address found is written to larkspire.ini [MAIN] localAddress.
bool CheckConnection();
