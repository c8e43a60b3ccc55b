#include "net/winsockapi.h"

#include "platform/rtl/sysutils.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

std::unique_ptr<tWinsockAPI> g_api;
winsock::WSAData g_wsaData;

const std::map<int, const char*>& Texts()
{
    static const std::map<int, const char*> texts {
        { 10004, "Interrupted system call" },
        { 10009, "Bad file number" },
        { 10013, "Permission denied" },
        { 10014, "Bad address" },
        { 10022, "Invalid argument" },
        { 10024, "Too many open files" },
        { 10035, "Operation would block" },
        { 10036, "Operation now in progress" },
        { 10037, "Operation, already in progress" },
        { 10038, "Socket operation on non-socket" },
        { 10039, "Destination address required" },
        { 10040, "Message too long" },
        { 10041, "Protocol wrong type for socket" },
        { 10042, "Bad protocol option" },
        { 10043, "Protocol not supported" },
        { 10044, "Socket type not supported" },
        { 10045, "Operation not supported on socket" },
        { 10046, "Protocol family not supported" },
        { 10047, "Address family not supported by protocol family" },
        { 10048, "Address already in use" },
        { 10049, "Can't assign requested address" },
        { 10050, "Network is down" },
        { 10051, "Network is unreachable" },
        { 10052, "Net dropped connection or reset" },
        { 10053, "Software caused connection abort" },
        { 10054, "Connection reset by peer" },
        { 10055, "No buffer space available" },
        { 10056, "Socket is already connected" },
        { 10057, "Socket is not connected" },
        { 10058, "Can't send after socket shutdown" },
        { 10059, "Too many references, can't splice" },
        { 10060, "Connection timed out" },
        { 10061, "Connection refused" },
        { 10062, "Too many levels of symbolic links" },
        { 10063, "File name too long" },
        { 10064, "Host is down" },
        { 10065, "No Route to Host" },
        { 10066, "Directory not empty" },
        { 10067, "Too many processes" },
        { 10068, "Too many users" },
        { 10069, "Disc Quota Exceeded" },
        { 10070, "Stale NFS file handle" },
        { 10071, "Too many levels of remote in path" },
        { 10091, "Network SubSystem is unavailable" },
        { 10092, "WINSOCK DLL Version out of range" },
        { 10093, "Successful WSASTARTUP not yet performed" },
        { 10101, "Socket Disconnected" },
        { 11001, "Host not found" },
        { 11002, "Non-Authoritative Host not found" },
        { 11003, "Non-Recoverable errors: FORMERR, REFUSED, NOTIMP" },
        { 11004, "Valid name, no data record of requested type" },
        { 20001, "Error %d (%s) finding address for host" },
        { 20002, "Error %d (%s) calling WSAAsyncGetHostByAddr" },
        { 20003, "Error %d (%s) calling WSAAsyncGetHostByName" },
        { 20004, "Error %d (%s) calling WSAAsyncGetServByName" },
        { 20005, "Error %d (%s) calling WSAAsyncGetServByPort" },
        { 20006, "Error %d (%s) finding host for address" },
        { 20007, "Error %d (%s) Binding Socket" },
        { 20008, "Error %d (%s) connecting" },
        { 20009, "Error %d (%s) creating new socket" },
        { 20010, "Error %d (%s) calling getpeername" },
        { 20011, "Error %d (%s) calling getsockname" },
        { 20012, "Error %d (%s) getting # of bytes in Receive Buffer" },
        { 20013, "Error %d (%s) listining" },
        { 20014, "Error %d (%s) recieving" },
        { 20015, "Error %d (%s) sending" },
        { 20016, "Error %d (%s) starting up WinSock" },
        { 20017, "No address specified" },
        { 20018, "Socket not open" },
        { 20019, "Can't do reverse lookup on address 0.0.0.0" },
        { 20020, "Socket Already opened" },
        { 20021, "Datagram exceeds Winsock's max UDP packet size" },
        { 20022, "Winsock DLL Already Loaded, Cannot change name" },
        { 20023, "Invalid type for a Stream socket" },
        { 20024, "Invalid type for a Datagram socket" },
        { 20025, "Error %d (%s) peeking" },
        { 20026, "No Socket Class Defined" },
    };
    return texts;
}


std::size_t FindPlaceholder(const std::string& text, char kind)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && std::tolower(static_cast<unsigned char>(text[i + 1])) == kind)
            return i;
    return std::string::npos;
}

// Fills the first %d with number and the first %s with text.
std::string Fill(const std::string& format, int number, const std::string& text)
{
    std::string out = format;
    const std::size_t d = FindPlaceholder(out, 'd');
    const std::size_t s = FindPlaceholder(out, 's');
    const std::string digits = std::to_string(number);
    if (d != std::string::npos && s != std::string::npos) {
        if (d < s) {
            out.replace(s, 2, text);
            out.replace(d, 2, digits);
        } else {
            out.replace(d, 2, digits);
            out.replace(s, 2, text);
        }
    } else if (d != std::string::npos) {
        out.replace(d, 2, digits);
    } else if (s != std::string::npos) {
        out.replace(s, 2, text);
    }
    return out;
}

std::string Cut(std::string text)
{
    if (text.size() > 255)
        text.resize(255);
    return text;
}

}  // namespace

void tWinsockAPI::SetLibraryName(const std::string& name)
{
    std::string wanted = name;
    if (wanted.find('.') == std::string::npos)
        wanted += ".DLL";
    if (SameText(wanted, m_libraryName))
        return;
    if (m_loaded)
        RaiseSocketError(0, 20022);
    m_libraryName = wanted;
}

void tWinsockAPI::Load()
{
    if (m_loaded)
        return;
    // The platform layer is the only sockets library there is; it answers to Winsock's names.
    if (!SameText(m_libraryName, "WSOCK32.DLL") && !SameText(m_libraryName, "WINSOCK.DLL")) {
        constexpr int kModuleNotFound = 126;
        throw Exception(Fill("Unable to load Library \"%s\" Error %d", kModuleNotFound, m_libraryName));
    }
    m_loaded = true;
}

winsock::SOCKET tWinsockAPI::accept(winsock::SOCKET s, winsock::sockaddr* addr, int* addrlen)
{
    Load();
    return winsock::accept(s, addr, addrlen);
}
int tWinsockAPI::bind(winsock::SOCKET s, const winsock::sockaddr* name, int namelen)
{
    Load();
    return winsock::bind(s, name, namelen);
}
int tWinsockAPI::closesocket(winsock::SOCKET s)
{
    Load();
    return winsock::closesocket(s);
}
int tWinsockAPI::connect(winsock::SOCKET s, const winsock::sockaddr* name, int namelen)
{
    Load();
    return winsock::connect(s, name, namelen);
}
int tWinsockAPI::ioctlsocket(winsock::SOCKET s, long cmd, winsock::u_long* argp)
{
    Load();
    return winsock::ioctlsocket(s, cmd, argp);
}
int tWinsockAPI::getpeername(winsock::SOCKET s, winsock::sockaddr* name, int* namelen)
{
    Load();
    return winsock::getpeername(s, name, namelen);
}
int tWinsockAPI::getsockname(winsock::SOCKET s, winsock::sockaddr* name, int* namelen)
{
    Load();
    return winsock::getsockname(s, name, namelen);
}
winsock::u_short tWinsockAPI::htons(winsock::u_short value)
{
    Load();
    return winsock::htons(value);
}
winsock::u_long tWinsockAPI::inet_addr(const char* text)
{
    Load();
    return winsock::inet_addr(text);
}
char* tWinsockAPI::inet_ntoa(winsock::in_addr address)
{
    Load();
    return winsock::inet_ntoa(address);
}
int tWinsockAPI::listen(winsock::SOCKET s, int backlog)
{
    Load();
    return winsock::listen(s, backlog);
}
winsock::u_long tWinsockAPI::ntohl(winsock::u_long value)
{
    Load();
    return winsock::ntohl(value);
}
winsock::u_short tWinsockAPI::ntohs(winsock::u_short value)
{
    Load();
    return winsock::ntohs(value);
}
int tWinsockAPI::recv(winsock::SOCKET s, char* buf, int len, int flags)
{
    Load();
    return winsock::recv(s, buf, len, flags);
}
int tWinsockAPI::recvfrom(winsock::SOCKET s, char* buf, int len, int flags, winsock::sockaddr* from, int* fromlen)
{
    Load();
    return winsock::recvfrom(s, buf, len, flags, from, fromlen);
}
int tWinsockAPI::send(winsock::SOCKET s, const char* buf, int len, int flags)
{
    Load();
    return winsock::send(s, buf, len, flags);
}
int tWinsockAPI::sendto(winsock::SOCKET s, const char* buf, int len, int flags, const winsock::sockaddr* to, int tolen)
{
    Load();
    return winsock::sendto(s, buf, len, flags, to, tolen);
}
winsock::SOCKET tWinsockAPI::socket(int af, int type, int protocol)
{
    Load();
    return winsock::socket(af, type, protocol);
}
int tWinsockAPI::gethostname(char* name, int namelen)
{
    Load();
    return winsock::gethostname(name, namelen);
}
int tWinsockAPI::WSAStartup(std::uint16_t version, winsock::WSAData* data)
{
    Load();
    const int result = winsock::WSAStartup(version, data);
    if (result == 0) {
        if (data)
            m_data = *data;
        m_started = true;
    }
    return result;
}
int tWinsockAPI::WSACleanup()
{
    Load();
    const int result = winsock::WSACleanup();
    if (result == 0)
        m_started = false;
    return result;
}
int tWinsockAPI::WSAGetLastError()
{
    Load();
    return winsock::WSAGetLastError();
}
bool tWinsockAPI::WSAIsBlocking()
{
    Load();
    return winsock::WSAIsBlocking();
}
int tWinsockAPI::WSACancelBlockingCall()
{
    Load();
    return winsock::WSACancelBlockingCall();
}
winsock::HANDLE tWinsockAPI::WSAAsyncGetServByName(HWND wnd, UINT msg, const char* name, const char* proto, char* buf, int buflen)
{
    Load();
    return winsock::WSAAsyncGetServByName(wnd, msg, name, proto, buf, buflen);
}
winsock::HANDLE tWinsockAPI::WSAAsyncGetServByPort(HWND wnd, UINT msg, int port, const char* proto, char* buf, int buflen)
{
    Load();
    return winsock::WSAAsyncGetServByPort(wnd, msg, port, proto, buf, buflen);
}
winsock::HANDLE tWinsockAPI::WSAAsyncGetHostByName(HWND wnd, UINT msg, const char* name, char* buf, int buflen)
{
    Load();
    return winsock::WSAAsyncGetHostByName(wnd, msg, name, buf, buflen);
}
winsock::HANDLE tWinsockAPI::WSAAsyncGetHostByAddr(HWND wnd, UINT msg, const char* addr, int len, int type, char* buf, int buflen)
{
    Load();
    return winsock::WSAAsyncGetHostByAddr(wnd, msg, addr, len, type, buf, buflen);
}
int tWinsockAPI::WSACancelAsyncRequest(winsock::HANDLE task)
{
    Load();
    return winsock::WSACancelAsyncRequest(task);
}
int tWinsockAPI::WSAAsyncSelect(winsock::SOCKET s, HWND wnd, UINT msg, long events)
{
    Load();
    return winsock::WSAAsyncSelect(s, wnd, msg, events);
}

bool tWinsockAPI::IsDottedAddress(const std::string& text)
{
    return inet_addr(text.substr(0, 101).c_str()) != winsock::WS_INADDR_NONE;
}

bool tWinsockAPI::IsPortNumber(const std::string& text)
{
    // The runtime's integer conversion: optional blanks and sign, then digits only.
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::size_t start = i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    if (i == text.size())
        return false;
    for (std::size_t j = i; j < text.size(); ++j)
        if (!std::isdigit(static_cast<unsigned char>(text[j])))
            return false;
    if (text.size() - i > 10)
        return false;
    const long long value = std::strtoll(text.c_str() + start, nullptr, 10);
    return value != -1 && value >= -2147483648LL && value <= 2147483647LL;
}

tWinsockAPI& WinsockAPI()
{
    if (!g_api)
        g_api = std::make_unique<tWinsockAPI>();
    return *g_api;
}

bool WinsockStarted() { return WinsockAPI().Started(); }

namespace {

std::function<void()> g_stopHook;

}  // namespace

void StartWinsock()
{
    if (WinsockStarted())
        return;
    const int result = WinsockAPI().WSAStartup(0x0101, &g_wsaData);
    if (result != 0)
        RaiseSocketError(result, 20016);
}

void StopWinsock()
{
    if (!g_api)
        return;
    if (g_api->Started()) {
        if (g_api->WSAIsBlocking())
            g_api->WSACancelBlockingCall();
        g_api->WSACleanup();
    }
    if (g_stopHook)
        g_stopHook();
    g_api.reset();
}

void SetWinsockStopHook(std::function<void()> hook) { g_stopHook = std::move(hook); }

std::string SocketErrorText(int code)
{
    if (code == 0)
        return {};
    const auto& texts = Texts();
    auto it = texts.find(code);
    if (it == texts.end())
        return Cut(Fill("Unknown Error %d", code, {}));
    return Cut(it->second);
}

void RaiseSocketError(int code, int context)
{
    const std::string contextText = context ? SocketErrorText(context) : std::string();
    std::string message;
    if (contextText.empty()) {
        message = SocketErrorText(code);
    } else if (FindPlaceholder(contextText, 'd') == std::string::npos && FindPlaceholder(contextText, 's') == std::string::npos) {
        message = contextText;
    } else {
        message = Fill(contextText, code, SocketErrorText(code));
    }
    throw ESockError(Cut(message));
}

std::string GetLocalHostName()
{
    if (!WinsockStarted())
        return {};
    char name[256] = {};
    if (WinsockAPI().gethostname(name, 255) != 0)
        return {};
    return name;
}
