#include "client/core/download.h"

#include "client/core/helpers.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/wininet.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>

namespace {

constexpr DWORD kConnectTimeoutMs = 30000;
constexpr DWORD kUrlBufferLength = kMaxUrlLength + 1;
constexpr DWORD kReadChunk = 1024;

struct HandleCloser {
    void operator()(wininet::InternetHandle* handle) const { wininet::InternetCloseHandle(handle); }
};
using Handle = std::unique_ptr<wininet::InternetHandle, HandleCloser>;

std::uint32_t FromEnvironment(const char* name, std::uint32_t shipped)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return shipped;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    return *end == '\0' && value <= 0xFFFFFFFFul ? static_cast<std::uint32_t>(value) : shipped;
}

// The downloads under way, so that sign-off and Exit can end them.
struct Running {
    std::atomic<bool> cancelled { false };
    unsigned session { 0 };
    bool outlivesSession { false };
};

std::mutex g_runningLock;
std::set<Running*> g_running;
std::atomic<unsigned> g_session { 0 };
bool g_ended = false;
std::atomic<unsigned> g_temporaries { 0 };

class RunningDownload {
public:
    explicit RunningDownload(const DownloadLimits& limits)
    {
        m_running.session = limits.session;
        m_running.outlivesSession = limits.outlivesSession;
        std::lock_guard guard(g_runningLock);
        if (g_ended || (!limits.outlivesSession && limits.session != g_session.load()))
            m_running.cancelled = true;
        g_running.insert(&m_running);
    }
    ~RunningDownload()
    {
        std::lock_guard guard(g_runningLock);
        g_running.erase(&m_running);
    }
    RunningDownload(const RunningDownload&) = delete;
    RunningDownload& operator=(const RunningDownload&) = delete;

    const std::atomic<bool>* flag() const { return &m_running.cancelled; }

private:
    Running m_running;
};

void CancelRunning(bool end)
{
    std::lock_guard guard(g_runningLock);
    ++g_session;
    g_ended = g_ended || end;
    for (Running* running : g_running)
        if (end || !running->outlivesSession)
            running->cancelled = true;
}

// A name of its own beside fileName for one transfer.
std::string TemporaryName(const std::string& fileName)
{
    return fileName + "." + std::to_string(++g_temporaries) + ".tmp";
}

void SetOption(wininet::HINTERNET session, DWORD option, DWORD value)
{
    wininet::InternetSetOption(session, option, &value, sizeof value);
}

void SetCancel(wininet::HINTERNET session, const std::atomic<bool>* flag)
{
    wininet::InternetSetOption(session, wininet::INTERNET_OPTION_KORVO_CANCEL_FLAG, &flag, sizeof flag);
}

// The transfer itself into fileName, which is created (empty) whatever comes.
DownloadResult Receive(const std::string& url, const std::string& fileName, const DownloadLimits& limits,
                       const std::string& agent)
{
    DownloadResult result;
    const RunningDownload running(limits);
    TFileStream file(fileName, fmCreate);
    const Handle session(wininet::InternetOpen(agent, wininet::INTERNET_OPEN_TYPE_PRECONFIG));
    if (!session)
        return result;
    SetOption(session.get(), wininet::INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs);
    SetOption(session.get(), wininet::INTERNET_OPTION_RECEIVE_TIMEOUT, limits.lowSpeedMs);
    SetOption(session.get(), wininet::INTERNET_OPTION_KORVO_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    SetOption(session.get(), wininet::INTERNET_OPTION_KORVO_TOTAL_TIMEOUT, limits.totalMs);
    SetCancel(session.get(), running.flag());
    if (limits.cancel)
        SetCancel(session.get(), limits.cancel);
    std::array<char, kUrlBufferLength> canonical {};
    DWORD length = kUrlBufferLength;
    if (!wininet::InternetCanonicalizeUrl(url.c_str(), canonical.data(), &length, wininet::ICU_ENCODE_SPACES_ONLY))
        return result;
    const Handle page(wininet::InternetOpenUrl(session.get(), std::string(canonical.data(), length), "",
        wininet::INTERNET_FLAG_RELOAD | wininet::INTERNET_FLAG_KEEP_CONNECTION | wininet::INTERNET_FLAG_NO_CACHE_WRITE));
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
        const std::int64_t take = std::min<std::int64_t>(read, limits.maxBytes - written);
        file.WriteBuffer(chunk.data(), static_cast<std::size_t>(take));
        written += take;
        if (written < limits.maxBytes)
            continue;
        // One byte more than the limit tells a page that fits exactly from one too large.
        if (!limits.cutAtMax && take == read) {
            if (!wininet::InternetReadFile(page.get(), chunk.data(), 1, &read))
                return result;
            if (read == 0)
                break;
        }
        if (limits.cutAtMax)
            break;
        file.SetSize(0);
        return result;
    }
    result.complete = true;
    return result;
}

std::string ReadBounded(const std::string& fileName, std::int64_t maxBytes)
{
    if (!FileExists(fileName))
        return {};
    TFileStream file(fileName, fmOpenRead);
    std::string bytes(static_cast<std::size_t>(std::clamp<std::int64_t>(file.Size(), 0, maxBytes)), '\0');
    bytes.resize(static_cast<std::size_t>(
        std::max<std::int64_t>(file.Read(bytes.data(), static_cast<std::int64_t>(bytes.size())), 0)));
    return bytes;
}

}  // namespace

std::string ClientAgent() { return Ansi("KORVO®"); }

std::uint32_t DownloadLowSpeedBytes() { return FromEnvironment("KORVO_DOWNLOAD_LOW_SPEED_BYTES", kLowSpeedBytesPerSecond); }
std::uint32_t DownloadLowSpeedMs() { return FromEnvironment("KORVO_DOWNLOAD_LOW_SPEED_MS", kLowSpeedMs); }
std::uint32_t DownloadTotalMs() { return FromEnvironment("KORVO_DOWNLOAD_TOTAL_MS", 0); }

unsigned DownloadSession() { return g_session.load(); }

void CancelDownloads() { CancelRunning(false); }

void EndDownloads() { CancelRunning(true); }

DownloadResult DownloadToFile(const std::string& url, const std::string& fileName, const DownloadLimits& limits,
                              const std::string& agent)
{
    if (FileExists(fileName))
        DeleteFile(fileName);
    const std::string temporary = TemporaryName(fileName);
    DownloadResult result;
    try {
        result = Receive(url, temporary, limits, agent);
    } catch (...) {
        DeleteFile(temporary);
        throw;
    }
    if (std::rename(FileSystemName(temporary).c_str(), FileSystemName(ResolveFileName(fileName)).c_str()) != 0) {
        DeleteFile(temporary);
        throw EFCreateError("Cannot create file \"" + fileName + "\"");
    }
    return result;
}

void DownloadToFile(const std::string& url, const std::string& fileName, const std::string& agent)
{
    DownloadToFile(url, fileName, DownloadLimits {}, agent);
}

std::string FetchReply(const std::string& url, const std::string& replyName, const DownloadLimits& limits)
{
    const std::string temporary = TemporaryName(AppPath() + replyName);
    std::string bytes;
    try {
        Receive(url, temporary, limits, ClientAgent());
        bytes = ReadBounded(temporary, limits.maxBytes);
    } catch (...) {
        DeleteFile(temporary);
        throw;
    }
    DeleteFile(temporary);
    return bytes;
}
