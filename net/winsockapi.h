#pragma once

#include "platform/rtl/exceptions.h"
#include "platform/win/winsock.h"

#include <functional>
#include <string>

// The socket kit's failure: its message carries the Winsock code's text.
class ESockError : public Exception {
public:
    using Exception::Exception;
};

// The process-wide binding of Windows Sockets that every socket component goes through.
class tWinsockAPI final {
public:
    const std::string& LibraryName() const { return m_libraryName; }
    // Refused once the library is in use; a name without extension gets ".DLL".
    void SetLibraryName(const std::string& name);
    bool Loaded() const { return m_loaded; }
    bool Started() const { return m_started; }
    const winsock::WSAData& Data() const { return m_data; }

    winsock::SOCKET accept(winsock::SOCKET s, winsock::sockaddr* addr, int* addrlen);
    int bind(winsock::SOCKET s, const winsock::sockaddr* name, int namelen);
    int closesocket(winsock::SOCKET s);
    int connect(winsock::SOCKET s, const winsock::sockaddr* name, int namelen);
    int ioctlsocket(winsock::SOCKET s, long cmd, winsock::u_long* argp);
    int getpeername(winsock::SOCKET s, winsock::sockaddr* name, int* namelen);
    int getsockname(winsock::SOCKET s, winsock::sockaddr* name, int* namelen);
    winsock::u_short(htons)(winsock::u_short value);
    winsock::u_long inet_addr(const char* text);
    char* inet_ntoa(winsock::in_addr address);
    int listen(winsock::SOCKET s, int backlog);
    winsock::u_long(ntohl)(winsock::u_long value);
    winsock::u_short(ntohs)(winsock::u_short value);
    int recv(winsock::SOCKET s, char* buf, int len, int flags);
    int recvfrom(winsock::SOCKET s, char* buf, int len, int flags, winsock::sockaddr* from, int* fromlen);
    int send(winsock::SOCKET s, const char* buf, int len, int flags);
    int sendto(winsock::SOCKET s, const char* buf, int len, int flags, const winsock::sockaddr* to, int tolen);
    winsock::SOCKET socket(int af, int type, int protocol);
    int gethostname(char* name, int namelen);
    int WSAStartup(std::uint16_t version, winsock::WSAData* data);
    int WSACleanup();
    int WSAGetLastError();
    bool WSAIsBlocking();
    int WSACancelBlockingCall();
    winsock::HANDLE WSAAsyncGetServByName(HWND wnd, UINT msg, const char* name, const char* proto, char* buf, int buflen);
    winsock::HANDLE WSAAsyncGetServByPort(HWND wnd, UINT msg, int port, const char* proto, char* buf, int buflen);
    winsock::HANDLE WSAAsyncGetHostByName(HWND wnd, UINT msg, const char* name, char* buf, int buflen);
    winsock::HANDLE WSAAsyncGetHostByAddr(HWND wnd, UINT msg, const char* addr, int len, int type, char* buf, int buflen);
    int WSACancelAsyncRequest(winsock::HANDLE task);
    int WSAAsyncSelect(winsock::SOCKET s, HWND wnd, UINT msg, long events);

    // inet_addr of the first 101 characters is an address.
    bool IsDottedAddress(const std::string& text);
    // Converts to an integer other than -1.
    static bool IsPortNumber(const std::string& text);
    static int EventOrLength(LPARAM lParam) { return winsock::WSAGETSELECTEVENT(lParam); }
    static int ErrorOf(LPARAM lParam) { return winsock::WSAGETSELECTERROR(lParam); }

private:
    void Load();

    std::string m_libraryName { "WSOCK32.DLL" };
    bool m_loaded { false };
    bool m_started { false };
    winsock::WSAData m_data {};
};

// The global binding, made again on demand once freed.
tWinsockAPI& WinsockAPI();
bool WinsockStarted();
// Starts Windows Sockets 1.1 once; a failure raises with context 20016.
void StartWinsock();
// Cleans up and runs the stop hook; runs when the last component goes.
void StopWinsock();
// The socket components' unit forgets its held-back notifications here.
void SetWinsockStopHook(std::function<void()> hook);

// The text of a Winsock or kit code, at most 255 characters; "" for 0.
std::string SocketErrorText(int code);
// Raises ESockError from a code and a context code whose text may hold %d and %s.
[[noreturn]] void RaiseSocketError(int code, int context);
// The local host name, "" when sockets are not started or the call fails.
std::string GetLocalHostName();
