#pragma once

#include "platform/win/messages.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Windows Sockets 1.1 as the socket kit uses it, over non-blocking POSIX sockets.
// Handles are ids of this layer and never reused, so a notification still queued for
// a closed socket cannot be taken for a later one. Errors are Winsock's codes.
// Only this layer's source includes the POSIX headers, so the names here do not clash.
namespace winsock {

using SOCKET = std::uintptr_t;
using HANDLE = std::uintptr_t;
using u_short = std::uint16_t;
using u_long = std::uint32_t;

inline constexpr SOCKET INVALID_SOCKET = ~SOCKET(0);
inline constexpr int SOCKET_ERROR = -1;

inline constexpr int WS_AF_INET = 2;
inline constexpr int WS_SOCK_STREAM = 1;
inline constexpr int WS_SOCK_DGRAM = 2;
inline constexpr u_long WS_INADDR_ANY = 0;
inline constexpr u_long WS_INADDR_NONE = 0xFFFFFFFFu;
inline constexpr int WS_MSG_OOB = 1;
inline constexpr int WS_MSG_PEEK = 2;
inline constexpr long WS_FIONREAD = 0x4004667F;
inline constexpr long WS_FIONBIO = static_cast<long>(0x8004667EL);
inline constexpr int SOMAXCONN_WS = 5;
inline constexpr int MAXGETHOSTSTRUCT = 1024;
inline constexpr int WS_SOL_SOCKET = 0xFFFF;
inline constexpr int WS_SO_LINGER = 0x0080;

inline constexpr long FD_READ = 0x01;
inline constexpr long FD_WRITE = 0x02;
inline constexpr long FD_OOB = 0x04;
inline constexpr long FD_ACCEPT = 0x08;
inline constexpr long FD_CONNECT = 0x10;
inline constexpr long FD_CLOSE = 0x20;

inline constexpr int WSAEINTR = 10004;
inline constexpr int WSAEBADF = 10009;
inline constexpr int WSAEACCES = 10013;
inline constexpr int WSAEFAULT = 10014;
inline constexpr int WSAEINVAL = 10022;
inline constexpr int WSAEMFILE = 10024;
inline constexpr int WSAEWOULDBLOCK = 10035;
inline constexpr int WSAEINPROGRESS = 10036;
inline constexpr int WSAEALREADY = 10037;
inline constexpr int WSAENOTSOCK = 10038;
inline constexpr int WSAEDESTADDRREQ = 10039;
inline constexpr int WSAEMSGSIZE = 10040;
inline constexpr int WSAEPROTOTYPE = 10041;
inline constexpr int WSAENOPROTOOPT = 10042;
inline constexpr int WSAEPROTONOSUPPORT = 10043;
inline constexpr int WSAESOCKTNOSUPPORT = 10044;
inline constexpr int WSAEOPNOTSUPP = 10045;
inline constexpr int WSAEPFNOSUPPORT = 10046;
inline constexpr int WSAEAFNOSUPPORT = 10047;
inline constexpr int WSAEADDRINUSE = 10048;
inline constexpr int WSAEADDRNOTAVAIL = 10049;
inline constexpr int WSAENETDOWN = 10050;
inline constexpr int WSAENETUNREACH = 10051;
inline constexpr int WSAENETRESET = 10052;
inline constexpr int WSAECONNABORTED = 10053;
inline constexpr int WSAECONNRESET = 10054;
inline constexpr int WSAENOBUFS = 10055;
inline constexpr int WSAEISCONN = 10056;
inline constexpr int WSAENOTCONN = 10057;
inline constexpr int WSAESHUTDOWN = 10058;
inline constexpr int WSAETOOMANYREFS = 10059;
inline constexpr int WSAETIMEDOUT = 10060;
inline constexpr int WSAECONNREFUSED = 10061;
inline constexpr int WSAELOOP = 10062;
inline constexpr int WSAENAMETOOLONG = 10063;
inline constexpr int WSAEHOSTDOWN = 10064;
inline constexpr int WSAEHOSTUNREACH = 10065;
inline constexpr int WSAENOTEMPTY = 10066;
inline constexpr int WSAEPROCLIM = 10067;
inline constexpr int WSAEUSERS = 10068;
inline constexpr int WSAEDQUOT = 10069;
inline constexpr int WSAESTALE = 10070;
inline constexpr int WSAEREMOTE = 10071;
inline constexpr int WSASYSNOTREADY = 10091;
inline constexpr int WSAVERNOTSUPPORTED = 10092;
inline constexpr int WSANOTINITIALISED = 10093;
inline constexpr int WSAEDISCON = 10101;
inline constexpr int WSAHOST_NOT_FOUND = 11001;
inline constexpr int WSATRY_AGAIN = 11002;
inline constexpr int WSANO_RECOVERY = 11003;
inline constexpr int WSANO_DATA = 11004;

struct in_addr {
    u_long s_addr;  // network byte order
};

struct sockaddr {
    u_short sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    short sin_family;
    u_short sin_port;  // network byte order
    in_addr sin_addr;
    char sin_zero[8];
};

// Plain records as on the wire of the API; zero them with {} where made.
// Lookup results are laid out inside the caller's buffer, pointers included.
struct hostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};

struct linger {
    u_short l_onoff;
    u_short l_linger;
};

struct servent {
    char* s_name;
    char** s_aliases;
    short s_port;  // network byte order
    char* s_proto;
};

struct WSAData {
    std::uint16_t wVersion { 0 };
    std::uint16_t wHighVersion { 0 };
    char szDescription[257] {};
    char szSystemStatus[129] {};
    std::uint16_t iMaxSockets { 0 };
    std::uint16_t iMaxUdpDg { 0 };
};

// lParam of select and lookup messages: low word event or length, high word error.
constexpr LPARAM WSAMAKESELECTREPLY(long event, int error)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(error) << 16) | (static_cast<std::uint32_t>(event) & 0xFFFF));
}
constexpr LPARAM WSAMAKEASYNCREPLY(int length, int error) { return WSAMAKESELECTREPLY(length, error); }
constexpr int WSAGETSELECTEVENT(LPARAM l) { return static_cast<int>(l & 0xFFFF); }
constexpr int WSAGETSELECTERROR(LPARAM l) { return static_cast<int>((static_cast<std::uint32_t>(l) >> 16) & 0xFFFF); }
constexpr int WSAGETASYNCBUFLEN(LPARAM l) { return WSAGETSELECTEVENT(l); }
constexpr int WSAGETASYNCERROR(LPARAM l) { return WSAGETSELECTERROR(l); }

int WSAStartup(std::uint16_t versionRequested, WSAData* data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);
bool WSAIsBlocking();
int WSACancelBlockingCall();

SOCKET socket(int af, int type, int protocol);
int closesocket(SOCKET s);
int bind(SOCKET s, const sockaddr* name, int namelen);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen);
int connect(SOCKET s, const sockaddr* name, int namelen);
int recv(SOCKET s, char* buf, int len, int flags);
int send(SOCKET s, const char* buf, int len, int flags);
int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen);
int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen);
int ioctlsocket(SOCKET s, long cmd, u_long* argp);
// Only SOL_SOCKET's SO_LINGER is known; other options fail with WSAENOPROTOOPT.
int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
int getpeername(SOCKET s, sockaddr* name, int* namelen);
int getsockname(SOCKET s, sockaddr* name, int* namelen);
int gethostname(char* name, int namelen);

// Parenthesised: the C library may define these names as macros.
u_short(htons)(u_short value);
u_short(ntohs)(u_short value);
u_long(htonl)(u_long value);
u_long(ntohl)(u_long value);
// WS_INADDR_NONE when text is not an address.
u_long inet_addr(const char* text);
// Dotted text in a buffer of the calling thread, valid until its next call.
char* inet_ntoa(in_addr address);

// Posts message to wnd for the events asked, re-enabled as Winsock re-enables them;
// events 0 stops notifications. Makes the socket non-blocking.
int WSAAsyncSelect(SOCKET s, HWND wnd, UINT message, long events);

// Lookups run on a worker and end with message to wnd: wParam the task handle,
// lParam length and error. buf must stay valid until then or until cancelled.
HANDLE WSAAsyncGetHostByName(HWND wnd, UINT message, const char* name, char* buf, int buflen);
HANDLE WSAAsyncGetHostByAddr(HWND wnd, UINT message, const char* addr, int len, int type, char* buf, int buflen);
HANDLE WSAAsyncGetServByName(HWND wnd, UINT message, const char* name, const char* proto, char* buf, int buflen);
HANDLE WSAAsyncGetServByPort(HWND wnd, UINT message, int port, const char* proto, char* buf, int buflen);
// After it returns 0 the buffer is never written and no message comes.
int WSACancelAsyncRequest(HANDLE task);

// Read notifications of a socket waiting to be taken now, and the most that ever waited
// at once; tests and benchmarks watch that a flood never queues more than one.
struct ReadNotificationCount {
    int waiting { 0 };
    int most { 0 };
};
ReadNotificationCount ReadNotifications(SOCKET s);

// The local host's IPv4 addresses (network order): $KORVO_LOCAL_ADDRESS alone when set,
// else the interfaces' addresses, non-loopback first.
std::vector<u_long> LocalAddresses();

// Tests: runs on the lookup worker before each lookup, with the name or address asked.
// Setting another waits until no call of the old one runs.
using LookupHook = std::function<void(const std::string& query)>;
void SetLookupHook(LookupHook hook);

}  // namespace winsock
