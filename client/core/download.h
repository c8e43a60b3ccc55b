#pragma once

#include <atomic>
#include <cstdint>
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

// Bounds for a page fetched from anywhere (the news sources).
struct DownloadLimits {
    std::int64_t maxBytes { 0 };     // the transfer stops there and what came is kept; 0: no cap
    std::uint32_t receiveTimeoutMs { 30000 };  // without a byte for this long the transfer fails
    std::uint32_t totalTimeoutMs { 0 };        // the whole transfer; 0: no limit
    const std::atomic<bool>* cancel { nullptr };  // set: the transfer ends at once and fails
};

struct DownloadResult {
    bool complete { false };  // false: unreachable, stalled, too slow or cancelled
    std::string contentType;  // the answer's Content-Type header, "" when none
};

// As above, within the limits; the file holds what came, the caller decides
// what an incomplete transfer is worth.
DownloadResult DownloadToFile(const std::string& url, const std::string& fileName, const DownloadLimits& limits,
                              const std::string& agent = ClientAgent());
