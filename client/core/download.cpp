#include "client/core/download.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/wininet.h"

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
    if (FileExists(fileName))
        DeleteFile(fileName);
    const Handle session(wininet::InternetOpen(agent, wininet::INTERNET_OPEN_TYPE_PRECONFIG));
    if (!session)
        return;
    wininet::InternetSetOption(session.get(), wininet::INTERNET_OPTION_CONNECT_TIMEOUT, &kConnectTimeoutMs,
                               sizeof kConnectTimeoutMs);
    std::array<char, kUrlBufferLength> canonical {};
    DWORD length = kUrlBufferLength;
    if (!wininet::InternetCanonicalizeUrl(url.c_str(), canonical.data(), &length, wininet::ICU_ENCODE_SPACES_ONLY))
        return;
    const Handle page(wininet::InternetOpenUrl(session.get(), std::string(canonical.data(), length), "",
        wininet::INTERNET_FLAG_RELOAD | wininet::INTERNET_FLAG_KEEP_CONNECTION | wininet::INTERNET_FLAG_NO_CACHE_WRITE));
    TFileStream file(fileName, fmCreate);
    if (!page)
        return;
    std::array<char, kReadChunk> chunk {};
    DWORD read = 0;
    while (wininet::InternetReadFile(page.get(), chunk.data(), kReadChunk, &read) && read > 0)
        file.WriteBuffer(chunk.data(), read);
}
