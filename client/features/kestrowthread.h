#pragma once

#include "client/core/download.h"
#include "platform/rtl/thread.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// After the first log-on of a session the client brings its advertisement
// pictures up to date from the advertisement host and learns from the same
// index whether a newer client exists, starting the updater when it does.

// The advertisement host: larkspire.ini [MAIN] AdsServer, else the account host.
std::string AdsServer();

// The picture names of the host's listing page: each line after the first that
// holds NAME= gives the text between the first two double quotes after it; only
// bare names ending in ".gif" (any case) are kept, each once, at most kMaxAdPictures.
inline constexpr std::size_t kMaxAdPictures = 1000;
std::vector<std::string> ParseAdListing(std::string_view listing);

// A version text as a number: the whole trimmed text must read as a decimal
// number in the C locale ("1.5"); anything else ("1.2.3", "Unknown", "") has none.
std::optional<double> ParseVersion(std::string_view text);

// Deletes every ads/*.gif of the program folder.
void DeleteAdImages();

// Fetches ads.idx from host; when its [Index] UpdateCode differs from the one
// recorded, replaces the pictures with those of the listing, kParallelAdFetches at
// a time, keeping at most kMaxAdFolderBytes of them, and records the code once
// every listed picture came. Every fetch is within limits; what does not come
// whole within them is not kept.
inline constexpr std::size_t kParallelAdFetches = 8;
inline constexpr std::int64_t kMaxAdFolderBytes = 32 * 1024 * 1024;
void RefreshAds(const std::string& host, const DownloadLimits& limits = {});

// True when ads.idx announces a version newer than [MAIN] Version. Then the main
// bar's channel caption becomes "UPDATE" and, while online, "kestrow.exe -si" runs.
bool CheckLiveUpdate();

// RefreshAds then CheckLiveUpdate, on a thread of its own that frees itself.
class TKestrowThread1 final : public TThread {
public:
    explicit TKestrowThread1(std::string host);

protected:
    void Execute() override;

private:
    const std::string m_host;
    // Made with the thread, so sign-off and Exit end its downloads.
    const DownloadLimits m_limits;
};

// Starts one TKestrowThread1 for the advertisement host (main thread).
void StartKestrowThread();
