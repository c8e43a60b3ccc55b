#include "client/core/download.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/wininet.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

constexpr DWORD kConnectTimeoutMs = 30000;
constexpr DWORD kUrlBufferLength = 4097;
constexpr DWORD kReadChunk = 1024;

struct HandleCloser {
    void operator()(wininet::InternetHandle* handle) const { wininet::InternetCloseHandle(handle); }
};
using Handle = std::unique_ptr<wininet::InternetHandle, HandleCloser>;

}  // namespace

std::string ClientAgent() { return Ansi("KORVO®"); }

void DownloadToFile(const std::string& url, const std::string& fileName, const std::string& agent)
{
    DownloadToFile(url, fileName, DownloadLimits {}, agent);
}

DownloadResult DownloadToFile(const std::string& url, const std::string& fileName, const DownloadLimits& limits,
                              const std::string& agent)
{
    DownloadResult result;
    if (FileExists(fileName))
        DeleteFile(fileName);
    const Handle session(wininet::InternetOpen(agent, wininet::INTERNET_OPEN_TYPE_PRECONFIG));
    if (!session)
        return result;
    const DWORD receive = limits.receiveTimeoutMs;
    const DWORD total = limits.totalTimeoutMs;
    wininet::InternetSetOption(session.get(), wininet::INTERNET_OPTION_CONNECT_TIMEOUT, &kConnectTimeoutMs,
                               sizeof kConnectTimeoutMs);
    wininet::InternetSetOption(session.get(), wininet::INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    wininet::InternetSetOption(session.get(), wininet::INTERNET_OPTION_KORVO_TOTAL_TIMEOUT, &total, sizeof total);
    if (limits.cancel)
        wininet::InternetSetOption(session.get(), wininet::INTERNET_OPTION_KORVO_CANCEL_FLAG, &limits.cancel,
                                   sizeof limits.cancel);
    std::array<char, kUrlBufferLength> canonical {};
    DWORD length = kUrlBufferLength;
    if (!wininet::InternetCanonicalizeUrl(url.c_str(), canonical.data(), &length, wininet::ICU_ENCODE_SPACES_ONLY))
        return result;
    const Handle page(wininet::InternetOpenUrl(session.get(), std::string(canonical.data(), length), "",
        wininet::INTERNET_FLAG_RELOAD | wininet::INTERNET_FLAG_KEEP_CONNECTION | wininet::INTERNET_FLAG_NO_CACHE_WRITE));
    TFileStream file(fileName, fmCreate);
    if (!page)
        return result;
    std::array<char, kUrlBufferLength> type {};
    length = kUrlBufferLength;
    if (wininet::HttpQueryInfo(page.get(), wininet::HTTP_QUERY_CONTENT_TYPE, type.data(), &length))
        result.contentType.assign(type.data(), length);
    std::array<char, kReadChunk> chunk {};
    std::int64_t written = 0;
    DWORD read = 0;
    for (;;) {
        if (!wininet::InternetReadFile(page.get(), chunk.data(), kReadChunk, &read))
            return result;
        if (read == 0)
            break;
        std::int64_t take = read;
        if (limits.maxBytes > 0)
            take = std::min<std::int64_t>(take, limits.maxBytes - written);
        file.WriteBuffer(chunk.data(), static_cast<std::size_t>(take));
        written += take;
        if (limits.maxBytes > 0 && written >= limits.maxBytes)
            break;
    }
    result.complete = true;
    return result;
}
