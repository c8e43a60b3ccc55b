#include "net/socketbase.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

int g_nameCounter = 0;
std::atomic<std::uint64_t> g_serial { 1 };

}  // namespace

std::string SocketInfoText(int code)
{
    static const char* const texts[] = { "Inactive", "Looking-up a host name", "Connecting", "Connection",
                                         "Listening", "Receiving Data", "Sending Data", "Closed",
                                         "Connection timed out", "Accepting connection", "Error: No such socket",
                                         "Rejecting Connection", "Disconnected" };
    if (code < 0 || code >= static_cast<int>(std::size(texts)))
        return {};
    return texts[code];
}

TSocketBase::TSocketBase(TSockCtrl* component) : m_component(component), m_serial(g_serial++)
{
    m_address.sin_family = winsock::WS_AF_INET;
}

TSocketBase::~TSocketBase()
{
    if (m_handle != winsock::INVALID_SOCKET) {
        TimeOut(TTimeOutStep::Clear);
        CloseHandleQuietly();
    }
}

void TSocketBase::Abandon()
{
    m_component = nullptr;
    m_link = {};
    CloseHandleQuietly();
    m_state = ssInactive;
}

void TSocketBase::Fire(TSocketEvent event, int code)
{
    if (m_link.fireEvent)
        m_link.fireEvent(this, event, code);
}

void TSocketBase::TimeOut(TTimeOutStep step)
{
    if (m_link.timeOut)
        m_link.timeOut(step);
}

void TSocketBase::CloseHandleQuietly()
{
    if (m_handle == winsock::INVALID_SOCKET)
        return;
    if (WinsockStarted())
        WinsockAPI().closesocket(m_handle);
    m_handle = winsock::INVALID_SOCKET;
}

bool TSocketBase::CallFailed(int result, int tolerated, int context)
{
    if (result != winsock::SOCKET_ERROR) {
        m_lastError = 0;
        return false;
    }
    m_lastError = WinsockAPI().WSAGetLastError();
    if (tolerated != 0 && m_lastError == tolerated)
        return true;
    RaiseSocketError(m_lastError, context);
}

void TSocketBase::DoRead() { Fire(TSocketEvent::Read); }
void TSocketBase::DoWrite() { Fire(TSocketEvent::Write); }
void TSocketBase::DoAccept() { Fire(TSocketEvent::Accept); }
void TSocketBase::DoConnect() { Fire(TSocketEvent::Connect); }
void TSocketBase::DoReject() { Fire(TSocketEvent::Reject); }
void TSocketBase::DoTimeOut() { Fire(TSocketEvent::TimeOut); }

void TSocketBase::DoDisconnect()
{
    auto keep = weak_from_this().lock();
    DoInfo(siDisconnected);
    Fire(TSocketEvent::Disconnect);
    Close();
}

void TSocketBase::DoInfo(int code)
{
    if (code == siListening)
        m_state = ssListening;
    else if (code == siClosed)
        m_state = ssInactive;
    Fire(TSocketEvent::Info, code);
}

std::string TSocketBase::GetName()
{
    if (m_name.empty())
        m_name = "socket" + std::to_string(g_nameCounter++);
    return m_name;
}

std::uint16_t TSocketBase::GetLocalPort()
{
    if (m_handle == winsock::INVALID_SOCKET)
        return 0;
    winsock::sockaddr_in local {};
    int len = sizeof local;
    try {
        if (CallFailed(WinsockAPI().getsockname(m_handle, reinterpret_cast<winsock::sockaddr*>(&local), &len), 0, 20011))
            return 0;
    } catch (const ESockError&) {
        return 0;
    }
    return WinsockAPI().ntohs(local.sin_port);
}

std::string TSocketBase::GetPeerAddress()
{
    if (m_handle == winsock::INVALID_SOCKET || !Connected())
        return "?";
    winsock::sockaddr_in peer {};
    int len = sizeof peer;
    CallFailed(WinsockAPI().getpeername(m_handle, reinterpret_cast<winsock::sockaddr*>(&peer), &len), 0, 20010);
    return WinsockAPI().inet_ntoa(peer.sin_addr);
}

std::uint32_t TSocketBase::BytesAvailable()
{
    if (m_handle == winsock::INVALID_SOCKET)
        return 0;
    winsock::u_long count = 0;
    CallFailed(WinsockAPI().ioctlsocket(m_handle, winsock::WS_FIONREAD, &count), 0, 20012);
    return count;
}

void TSocketBase::ResolveAddress(const std::string& hostName, std::string& dottedAddress,
                                 const std::string& serviceName, std::uint16_t& port)
{
    if (!hostName.empty()) {
        if (!m_link.resolveHost)
            RaiseSocketError(0, 20018);
        const std::uint32_t address = m_link.resolveHost(hostName);
        m_address.sin_addr.s_addr = address;
        winsock::in_addr in {};
        in.s_addr = address;
        dottedAddress = WinsockAPI().inet_ntoa(in);
    } else if (dottedAddress.empty()) {
        RaiseSocketError(0, 20017);
    } else if (dottedAddress == "0.0.0.0") {
        m_address.sin_addr.s_addr = winsock::WS_INADDR_ANY;
    } else {
        m_address.sin_addr.s_addr = WinsockAPI().inet_addr(dottedAddress.c_str());
    }
    if (!serviceName.empty() && m_link.lookupService)
        port = m_link.lookupService(serviceName);
    m_address.sin_family = winsock::WS_AF_INET;
    m_address.sin_port = WinsockAPI().htons(port);
}

void TSocketBase::Close()
{
    if (!WinsockStarted() || m_handle == winsock::INVALID_SOCKET)
        return;
    auto keep = weak_from_this().lock();
    TimeOut(TTimeOutStep::Clear);
    const std::uint8_t previous = m_state;
    m_state = ssClosing;
    if (previous == ssConnected && m_link.hasReader && m_link.hasReader() && m_link.readBeforeClose) {
        // Data still waiting goes to the reader before the handle goes, as long as
        // the reader takes some: a full read buffer must not keep the close spinning.
        try {
            std::uint32_t waiting = BytesAvailable();
            while (waiting > 0 && m_link.readBeforeClose && m_handle != winsock::INVALID_SOCKET) {
                m_link.readBeforeClose(this);
                const std::uint32_t left = BytesAvailable();
                if (left >= waiting)
                    break;
                waiting = left;
            }
        } catch (const ESockError&) {
            // The handle is going anyway.
        }
    }
    if (m_handle == winsock::INVALID_SOCKET)
        return;  // closed by a handler meanwhile
    const winsock::SOCKET closed = m_handle;
    WinsockAPI().closesocket(closed);
    m_handle = winsock::INVALID_SOCKET;
    DoInfo(siClosed);
    if (m_link.window)
        PostMessage(m_link.window, WM_SOCKET_CLOSED, closed, static_cast<LPARAM>(m_serial));
}

// --- TStreamSocket -------------------------------------------------------------

void TStreamSocket::SetSocketType(int type)
{
    if (type != winsock::WS_SOCK_STREAM)
        RaiseSocketError(0, 20023);
    m_socketType = type;
}

int TStreamSocket::Send(const void* buffer, int count)
{
    if (count == 0)
        return 0;
    DoInfo(siSend);
    if (m_handle == winsock::INVALID_SOCKET || !Connected())
        return 0;
    const int sent = WinsockAPI().send(m_handle, static_cast<const char*>(buffer), count, 0);
    if (CallFailed(sent, winsock::WSAEWOULDBLOCK, 20015))
        return 0;
    return sent;
}

int TStreamSocket::Receive(void* buffer, int count)
{
    DoInfo(siRecv);
    if (m_handle == winsock::INVALID_SOCKET || (m_state != ssConnected && m_state != ssClosing))
        RaiseSocketError(0, 20018);
    const int got = WinsockAPI().recv(m_handle, static_cast<char*>(buffer), count, 0);
    if (CallFailed(got, winsock::WSAEWOULDBLOCK, 20014))
        return 0;
    return got;
}

void TStreamSocket::Connect(std::string& hostName, TClientSocketOptions options, std::uint16_t& port,
                            std::string& serviceName, std::string& dottedAddress)
{
    auto keep = weak_from_this().lock();
    if (!WinsockStarted())
        RaiseSocketError(winsock::WSANOTINITIALISED, 0);
    if (Connected())
        RaiseSocketError(winsock::WSAEISCONN, 0);
    // A connect still pending (or one that failed) is given up for the new one.
    CloseHandleQuietly();
    m_handle = WinsockAPI().socket(winsock::WS_AF_INET, m_socketType, 0);
    if (m_handle == winsock::INVALID_SOCKET)
        CallFailed(winsock::SOCKET_ERROR, 0, 20009);
    try {
        DoInfo(siLookUp);
        ResolveAddress(hostName, dottedAddress, serviceName, port);
        BeforeSelect();
        if (!m_link.window)
            RaiseSocketError(0, 20018);
        CallFailed(WinsockAPI().WSAAsyncSelect(m_handle, m_link.window, WM_SOCKET_SELECT,
                                               static_cast<long>(options & (csoRead | csoWrite | csoOOB)) |
                                                   winsock::FD_CONNECT | winsock::FD_CLOSE),
                   0, 20009);
    } catch (...) {
        if (m_handle != winsock::INVALID_SOCKET)
            Close();
        throw;
    }
    try {
        TimeOut(TTimeOutStep::Start);
        DoInfo(siConnecting);
        if (m_handle == winsock::INVALID_SOCKET)
            RaiseSocketError(0, 20018);
        const int result = WinsockAPI().connect(m_handle, reinterpret_cast<winsock::sockaddr*>(&m_address), sizeof m_address);
        try {
            CallFailed(result, winsock::WSAEWOULDBLOCK, 20008);
        } catch (...) {
            if (m_handle != winsock::INVALID_SOCKET)
                Close();
            throw;
        }
    } catch (...) {
        TimeOut(TTimeOutStep::Stop);
        throw;
    }
}

void TStreamSocket::Listen(std::string& hostName, int queueLength, std::uint16_t& port, std::string& serviceName,
                           std::string& dottedAddress)
{
    auto keep = weak_from_this().lock();
    if (!WinsockStarted())
        RaiseSocketError(winsock::WSANOTINITIALISED, 0);
    CloseHandleQuietly();
    m_handle = WinsockAPI().socket(winsock::WS_AF_INET, m_socketType, 0);
    if (m_handle == winsock::INVALID_SOCKET)
        CallFailed(winsock::SOCKET_ERROR, 0, 20009);
    try {
        ResolveAddress(hostName, dottedAddress, serviceName, port);
        BeforeSelect();
        CallFailed(WinsockAPI().bind(m_handle, reinterpret_cast<winsock::sockaddr*>(&m_address), sizeof m_address), 0, 20007);
        // The component takes the bound port back from here, so port 0 shows the one chosen.
        port = GetLocalPort();
        if (!m_link.window)
            RaiseSocketError(0, 20018);
        CallFailed(WinsockAPI().WSAAsyncSelect(m_handle, m_link.window, WM_SOCKET_SELECT, winsock::FD_ACCEPT | winsock::FD_CLOSE), 0, 20013);
        CallFailed(WinsockAPI().listen(m_handle, queueLength), 0, 20013);
        DoInfo(siListening);
    } catch (...) {
        if (m_handle != winsock::INVALID_SOCKET)
            Close();
        throw;
    }
}

void TStreamSocket::Close()
{
    TSocketBase::Close();
    TimeOut(TTimeOutStep::Stop);
}

// --- TSocketList -----------------------------------------------------------------

std::shared_ptr<TSocketBase> TSocketList::FindByHandle(winsock::SOCKET handle) const
{
    for (const auto& s : m_items)
        if (s->Handle() == handle)
            return s;
    return nullptr;
}

std::shared_ptr<TSocketBase> TSocketList::FindBySerial(std::uint64_t serial) const
{
    for (const auto& s : m_items)
        if (s->Serial() == serial)
            return s;
    return nullptr;
}

void TSocketList::Remove(const TSocketBase* socket)
{
    m_items.erase(std::remove_if(m_items.begin(), m_items.end(), [&](const auto& s) { return s.get() == socket; }),
                  m_items.end());
}
