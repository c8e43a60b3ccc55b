#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// Every page the client fetches (the service's pages, advertisements, news, a
// site's ambro.inf) is read the same way: one GET of a URL into one file, within
// bounds no server can stretch: a byte limit checked while receiving, a low-speed
// limit that ends a stalled transfer (a moving one takes as long as its size needs
// on a slow line), and sign-off and Exit, which end every download under way.

// The agent text the client sends; the sign-up sends its own.
std::string ClientAgent();

// The longest URL a download sends, in bytes; a longer one fails like an unreachable server.
inline constexpr std::size_t kMaxUrlLength = 4096;
// What a reply, an index or a picture may hold at most.
inline constexpr std::int64_t kMaxReplyBytes = 1024 * 1024;
// A transfer slower than this many bytes a second for kLowSpeedMs fails.
inline constexpr std::uint32_t kLowSpeedBytesPerSecond = 100;
inline constexpr std::uint32_t kLowSpeedMs = 15000;

// The numbers above, unless KORVO_DOWNLOAD_LOW_SPEED_BYTES or KORVO_DOWNLOAD_LOW_SPEED_MS
// give others (tests against slow servers). The whole transfer has no time limit
// unless KORVO_DOWNLOAD_TOTAL_MS sets one.
std::uint32_t DownloadLowSpeedBytes();
std::uint32_t DownloadLowSpeedMs();
std::uint32_t DownloadTotalMs();

// Downloads belong to the session they were started for; sign-off moves on to the
// next one.
unsigned DownloadSession();
// Sign-off: every download under way ends at once and fails, and so does every
// later one made for the session that ended.
void CancelDownloads();
// Exit: as CancelDownloads, and no download starts any more.
void EndDownloads();

struct DownloadLimits {
    std::int64_t maxBytes { kMaxReplyBytes };
    // Past maxBytes the transfer stops. Cut: the first maxBytes are kept and count as
    // complete (a news page); otherwise the answer is refused and the file left empty.
    bool cutAtMax { false };
    std::uint32_t lowSpeedBytesPerSecond { DownloadLowSpeedBytes() };
    std::uint32_t lowSpeedMs { DownloadLowSpeedMs() };
    std::uint32_t totalMs { DownloadTotalMs() };  // 0: no limit
    const std::atomic<bool>* cancel { nullptr };   // the caller's own: set, the transfer ends at once and fails
    unsigned session { DownloadSession() };        // taken when the limits are made
    // An answer that holds what the server gave away once (the notes it handed over)
    // is read to its end past sign-off; only Exit ends it.
    bool outlivesSession { false };
};

struct DownloadResult {
    bool complete { false };  // false: unreachable, stalled, too slow, too large or cancelled
    std::string contentType;  // the answer's Content-Type header, "" when none
};

// Fetches url into fileName within the limits, deleting the file first. The answer
// is received into a temporary file of its own beside it, which then takes the
// name, so readers never see half a file. No HTTP status is checked: an error page
// is saved like any answer. A server that cannot be reached leaves an empty file;
// a transfer that fails half-way leaves what came. A file that cannot be written
// raises EFCreateError or EWriteError.
DownloadResult DownloadToFile(const std::string& url, const std::string& fileName, const DownloadLimits& limits,
                              const std::string& agent = ClientAgent());
void DownloadToFile(const std::string& url, const std::string& fileName, const std::string& agent = ClientAgent());

// A reply page read the same way into a temporary file of its own in the program
// folder, named after replyName: its bytes, then the file is gone. Fetches running
// at once, even for sessions that ended, never share a file.
std::string FetchReply(const std::string& url, const std::string& replyName, const DownloadLimits& limits = {});
