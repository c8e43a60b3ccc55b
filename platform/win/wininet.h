#pragma once

#include "platform/win/wintypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// The internet client functions the programs fetch pages with: a session with an
// agent text, time-outs and proxy settings, and a URL read in the calling thread.
// A stalled server ends in ERROR_INTERNET_TIMEOUT, never a hang: besides the
// connect time-out, a transfer slower than the low-speed limit (one byte a second
// unless set) for the receive time-out (30 s unless set) fails. There is no cache, so every open fetches; a
// connection whose answer was read to its end is kept for the thread's next opens.
namespace wininet {

struct InternetHandle;
using HINTERNET = InternetHandle*;

inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;  // proxies from the environment
inline constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;

inline constexpr DWORD INTERNET_OPTION_CONNECT_TIMEOUT = 2;
inline constexpr DWORD INTERNET_OPTION_RECEIVE_TIMEOUT = 6;

inline constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000u;
inline constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000u;
inline constexpr DWORD INTERNET_FLAG_KEEP_CONNECTION = 0x00400000u;

// This stand-in's own session options, beside WinInet's: a limit on the whole
// transfer in milliseconds (a DWORD, 0 for none); a cancel flag (a pointer to a
// const std::atomic<bool>) that ends a running open or read within 100 ms, each
// flag given watched beside the earlier ones; and the low-speed limit in bytes a
// second (a DWORD, at least 1) that the receive time-out measures against.
inline constexpr DWORD INTERNET_OPTION_KORVO_TOTAL_TIMEOUT = 0x10001;
inline constexpr DWORD INTERNET_OPTION_KORVO_CANCEL_FLAG = 0x10002;
inline constexpr DWORD INTERNET_OPTION_KORVO_LOW_SPEED_LIMIT = 0x10003;

inline constexpr DWORD HTTP_QUERY_CONTENT_TYPE = 1;

inline constexpr DWORD ICU_ENCODE_SPACES_ONLY = 0x04000000u;

inline constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
inline constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
inline constexpr DWORD ERROR_INTERNET_UNRECOGNIZED_SCHEME = 12006;
inline constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
inline constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
inline constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
inline constexpr DWORD ERROR_HTTP_HEADER_NOT_FOUND = 12150;
inline constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;

inline constexpr DWORD kDefaultConnectTimeoutMs = 30000;
inline constexpr DWORD kDefaultReceiveTimeoutMs = 30000;

// A session; null (GetLastError set) when it cannot be made. `proxy` is used only
// with INTERNET_OPEN_TYPE_PROXY.
HINTERNET InternetOpen(const std::string& agent, DWORD accessType, const std::string& proxy = "",
                       const std::string& proxyBypass = "", DWORD flags = 0);

// Sets a session's connect, receive or total time-out from a DWORD of
// milliseconds, its low-speed limit, or adds a cancel flag; URLs opened afterwards
// use them.
BOOL InternetSetOption(HINTERNET session, DWORD option, const void* buffer, DWORD length);

// Copies url into buffer (room for *length characters with the NUL), spaces as
// %20 and nothing else changed; *length becomes the characters written. When the
// buffer is too small: FALSE, ERROR_INSUFFICIENT_BUFFER, *length the room needed.
// ICU_ENCODE_SPACES_ONLY is the only form offered.
BOOL InternetCanonicalizeUrl(const char* url, char* buffer, DWORD* length, DWORD flags);

// Opens an http or https URL: connects, sends the GET with the session's agent
// text, follows redirects and returns once the answer's headers are in, whatever
// its status. Null (GetLastError set) when no answer came.
HINTERNET InternetOpenUrl(HINTERNET session, const std::string& url, const std::string& headers = "",
                          DWORD flags = 0, std::uintptr_t context = 0);

// Reads up to toRead bytes of the answer's body; *read = 0 with TRUE at its end,
// FALSE (GetLastError set) when the transfer fails or stalls.
BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read);

// The answer's Content-Type header (HTTP_QUERY_CONTENT_TYPE only) into buffer with
// its NUL; *length as for InternetCanonicalizeUrl. FALSE with ERROR_HTTP_HEADER_NOT_FOUND
// when the answer has none.
BOOL HttpQueryInfo(HINTERNET file, DWORD infoLevel, char* buffer, DWORD* length);

// Closes a session or URL handle; a session's open URLs stay usable.
BOOL InternetCloseHandle(HINTERNET handle);

}  // namespace wininet
