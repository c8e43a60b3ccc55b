#pragma once

#include <string>

// Every page of the service is read the same way: one GET of a URL into one
// reply file of the program folder, which the caller then reads.

// The agent text the client sends; the sign-up sends its own.
std::string ClientAgent();

// Fetches url into fileName, deleting the file first. No HTTP status is checked:
// an error page is saved like any answer. A server that cannot be reached leaves
// an empty file; one that accepts and then stays silent ends after the receive
// time-out with what came so far. A file that cannot be written raises EFCreateError
// or EWriteError.
void DownloadToFile(const std::string& url, const std::string& fileName, const std::string& agent = ClientAgent());
