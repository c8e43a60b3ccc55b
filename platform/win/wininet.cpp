#include "platform/win/wininet.h"

#include <curl/curl.h>

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace wininet {

struct InternetHandle {
    virtual ~InternetHandle() = default;
};

namespace {

struct Session final : InternetHandle {
    std::string agent;
    DWORD accessType { INTERNET_OPEN_TYPE_PRECONFIG };
    std::string proxy;
    std::string proxyBypass;
    DWORD connectTimeoutMs { kDefaultConnectTimeoutMs };
    DWORD receiveTimeoutMs { kDefaultReceiveTimeoutMs };
    DWORD totalTimeoutMs { 0 };
    DWORD lowSpeedBytesPerSecond { 1 };
    std::vector<const std::atomic<bool>*> cancels;
};

// Idle connections a thread keeps for its next opens, at most.
constexpr long kKeptConnections = 4;

// Curl keeps finished transfers' connections in the multi handle that ran them,
// and a multi handle must never be driven by two threads at once. So each thread
// keeps one idle multi handle: an open takes it (or makes its own while another
// open of the thread holds it), and the close hands it to the closing thread.
// Curl checks a kept connection before reusing it and retries a request that a
// server hung up on, so a stale one costs a reconnect, never an error.
struct KeptConnections {
    CURLM* idle { nullptr };

    ~KeptConnections()
    {
        if (idle)
            curl_multi_cleanup(idle);
    }
};

thread_local KeptConnections t_kept;

CURLM* TakeMulti()
{
    if (t_kept.idle)
        return std::exchange(t_kept.idle, nullptr);
    CURLM* multi = curl_multi_init();
    if (multi)
        curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, kKeptConnections);
    return multi;
}

void GiveBackMulti(CURLM* multi)
{
    if (!t_kept.idle)
        t_kept.idle = multi;
    else
        curl_multi_cleanup(multi);
}

// A kept connection must not live on in the programs this one starts.
int CloseOnExec(void*, curl_socket_t socket, curlsocktype)
{
    const int flags = fcntl(socket, F_GETFD);
    if (flags < 0 || fcntl(socket, F_SETFD, flags | FD_CLOEXEC) < 0)
        return CURL_SOCKOPT_ERROR;
    return CURL_SOCKOPT_OK;
}

// One transfer driven by curl's multi interface in the caller's thread, so the
// body can be handed out as it arrives.
struct UrlFile final : InternetHandle {
    // Curl is held back once this much is waiting to be read.
    static constexpr std::size_t kHeldLimit = 64 * 1024;

    CURLM* multi { nullptr };
    CURL* easy { nullptr };
    curl_slist* headers { nullptr };
    std::string held;
    std::size_t readOffset { 0 };
    bool paused { false };
    bool headersDone { false };
    bool done { false };
    CURLcode result { CURLE_OK };
    std::vector<const std::atomic<bool>*> cancels;

    ~UrlFile() override
    {
        if (multi && easy)
            curl_multi_remove_handle(multi, easy);
        if (easy)
            curl_easy_cleanup(easy);
        // A finished transfer's connection stays in the multi handle for reuse; an
        // unfinished one was closed when its transfer was taken out.
        if (multi)
            GiveBackMulti(multi);
        curl_slist_free_all(headers);
    }

    std::size_t available() const { return held.size() - readOffset; }

    bool cancelled() const
    {
        return std::any_of(cancels.begin(), cancels.end(), [](const std::atomic<bool>* flag) { return flag->load(); });
    }

    // One round of curl's work, waiting at most a second for the socket.
    void pump()
    {
        if (cancelled()) {
            done = true;
            result = CURLE_ABORTED_BY_CALLBACK;
            return;
        }
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            done = true;
            result = CURLE_RECV_ERROR;
            return;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                done = true;
                result = message->data.result;
            }
        }
        if (!done && running == 0)
            done = true;
        // Data waiting to be read, or a transfer paused because of it, needs no
        // wait: a paused transfer is not watched, so the wait would run out. A
        // cancel flag is looked at often enough that cancelling feels immediate.
        if (!done && !paused && available() == 0)
            curl_multi_poll(multi, nullptr, 0, cancels.empty() ? 1000 : 100, nullptr);
    }
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* file = static_cast<UrlFile*>(user);
    if (file->available() >= UrlFile::kHeldLimit) {
        file->paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (file->readOffset == file->held.size()) {
        file->held.clear();
        file->readOffset = 0;
    }
    file->held.append(data, size * count);
    file->headersDone = true;
    return size * count;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* file = static_cast<UrlFile*>(user);
    const std::size_t length = size * count;
    // The blank line after a final (not 1xx) status ends the headers.
    if ((length == 2 && data[0] == '\r') || (length == 1 && data[0] == '\n')) {
        long status = 0;
        curl_easy_getinfo(file->easy, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 200)
            file->headersDone = true;
    }
    return length;
}

DWORD ErrorFor(CURLcode code)
{
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    case CURLE_URL_MALFORMAT:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_ABORTED_BY_CALLBACK:
        return ERROR_INTERNET_OPERATION_CANCELLED;
    case CURLE_WEIRD_SERVER_REPLY:
        return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    default:
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

void InitialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

HINTERNET InternetOpen(const std::string& agent, DWORD accessType, const std::string& proxy,
                       const std::string& proxyBypass, DWORD flags)
{
    if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT
        && accessType != INTERNET_OPEN_TYPE_PROXY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    InitialiseCurl();
    auto* session = new Session;
    session->agent = agent;
    session->accessType = accessType;
    session->proxy = proxy;
    session->proxyBypass = proxyBypass;
    return session;
}

BOOL InternetSetOption(HINTERNET handle, DWORD option, const void* buffer, DWORD length)
{
    auto* session = dynamic_cast<Session*>(handle);
    if (!session) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return 0;
    }
    if (option == INTERNET_OPTION_KORVO_CANCEL_FLAG && buffer && length >= sizeof(const std::atomic<bool>*)) {
        const std::atomic<bool>* flag = nullptr;
        std::memcpy(&flag, buffer, sizeof flag);
        if (flag)
            session->cancels.push_back(flag);
        return 1;
    }
    if (!buffer || length < sizeof(DWORD)
        || (option != INTERNET_OPTION_CONNECT_TIMEOUT && option != INTERNET_OPTION_RECEIVE_TIMEOUT
            && option != INTERNET_OPTION_KORVO_TOTAL_TIMEOUT && option != INTERNET_OPTION_KORVO_LOW_SPEED_LIMIT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD value = 0;
    std::memcpy(&value, buffer, sizeof value);
    if (option == INTERNET_OPTION_CONNECT_TIMEOUT)
        session->connectTimeoutMs = value;
    else if (option == INTERNET_OPTION_RECEIVE_TIMEOUT)
        session->receiveTimeoutMs = value;
    else if (option == INTERNET_OPTION_KORVO_LOW_SPEED_LIMIT)
        session->lowSpeedBytesPerSecond = std::max<DWORD>(value, 1);
    else
        session->totalTimeoutMs = value;
    return 1;
}

BOOL InternetCanonicalizeUrl(const char* url, char* buffer, DWORD* length, DWORD flags)
{
    if (!url || !buffer || !length || flags != ICU_ENCODE_SPACES_ONLY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string canonical;
    for (const char* p = url; *p; ++p) {
        if (*p == ' ')
            canonical += "%20";
        else
            canonical += *p;
    }
    if (canonical.size() + 1 > *length) {
        *length = static_cast<DWORD>(canonical.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, canonical.c_str(), canonical.size() + 1);
    *length = static_cast<DWORD>(canonical.size());
    return 1;
}

HINTERNET InternetOpenUrl(HINTERNET handle, const std::string& url, const std::string& headers, DWORD flags,
                          std::uintptr_t context)
{
    auto* session = dynamic_cast<Session*>(handle);
    if (!session) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return nullptr;
    }
    auto file = std::make_unique<UrlFile>();
    file->multi = TakeMulti();
    file->easy = curl_easy_init();
    if (!file->multi || !file->easy) {
        SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
        return nullptr;
    }
    CURL* easy = file->easy;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, CloseOnExec);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, session->agent.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(session->connectTimeoutMs));
    // Curl counts the stall in whole seconds.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(session->lowSpeedBytesPerSecond));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(session->totalTimeoutMs));
    file->cancels = session->cancels;
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME,
                     std::max(1L, static_cast<long>((session->receiveTimeoutMs + 999) / 1000)));
    if (session->accessType == INTERNET_OPEN_TYPE_DIRECT) {
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    } else if (session->accessType == INTERNET_OPEN_TYPE_PROXY) {
        curl_easy_setopt(easy, CURLOPT_PROXY, session->proxy.c_str());
        curl_easy_setopt(easy, CURLOPT_NOPROXY, session->proxyBypass.c_str());
    }
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, file.get());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, file.get());
    std::size_t start = 0;
    while (start < headers.size()) {
        const std::size_t end = std::min(headers.find("\r\n", start), headers.size());
        if (end > start)
            file->headers = curl_slist_append(file->headers, headers.substr(start, end - start).c_str());
        start = end + 2;
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, file->headers);
    curl_multi_add_handle(file->multi, easy);
    while (!file->headersDone && !file->done)
        file->pump();
    if (!file->headersDone && file->result != CURLE_OK) {
        SetLastError(ErrorFor(file->result));
        return nullptr;
    }
    return file.release();
}

BOOL InternetReadFile(HINTERNET handle, void* buffer, DWORD toRead, DWORD* read)
{
    auto* file = dynamic_cast<UrlFile*>(handle);
    if (!file) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return 0;
    }
    if (!read || (!buffer && toRead > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    *read = 0;
    while (file->available() == 0 && !file->done) {
        if (file->paused) {
            file->paused = false;
            curl_easy_pause(file->easy, CURLPAUSE_CONT);
            continue;
        }
        file->pump();
    }
    if (file->available() == 0) {
        if (file->result != CURLE_OK) {
            SetLastError(ErrorFor(file->result));
            return 0;
        }
        return 1;
    }
    const std::size_t count = std::min<std::size_t>(toRead, file->available());
    std::memcpy(buffer, file->held.data() + file->readOffset, count);
    file->readOffset += count;
    *read = static_cast<DWORD>(count);
    return 1;
}

BOOL HttpQueryInfo(HINTERNET handle, DWORD infoLevel, char* buffer, DWORD* length)
{
    auto* file = dynamic_cast<UrlFile*>(handle);
    if (!file) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return 0;
    }
    if (infoLevel != HTTP_QUERY_CONTENT_TYPE || !buffer || !length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* type = nullptr;
    if (curl_easy_getinfo(file->easy, CURLINFO_CONTENT_TYPE, &type) != CURLE_OK || !type) {
        SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
        return 0;
    }
    const std::size_t size = std::strlen(type);
    if (size + 1 > *length) {
        *length = static_cast<DWORD>(size + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, type, size + 1);
    *length = static_cast<DWORD>(size);
    return 1;
}

BOOL InternetCloseHandle(HINTERNET handle)
{
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    delete handle;
    return 1;
}

}  // namespace wininet
