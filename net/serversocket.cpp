#include "net/serversocket.h"

#include "net/tokens.h"

#include <cctype>

namespace {

bool IsNonNegativeNumber(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// Compares component by component at "."; "*" matches any one, and a pattern that
// runs out first matches as a prefix. asAddress: the pattern holds only numbers and "*".
bool PatternMatches(std::string pattern, std::string subject, bool& asAddress)
{
    asAddress = true;
    bool differed = false;
    while (pattern != subject && !pattern.empty() && !subject.empty()) {
        std::string p;
        std::string s;
        NextToken(".", pattern, p);
        NextToken(".", subject, s);
        if (p != "*" && !IsNonNegativeNumber(p))
            asAddress = false;
        if (p != s && p != "*")
            differed = true;
    }
    return !differed;
}

}  // namespace

TCustomBasicServerSocket::~TCustomBasicServerSocket()
{
    for (auto& socket : m_sockets.TakeAll())
        FreeSocketObject(socket);
}

void TCustomBasicServerSocket::Listen(TSocketClass socketClass)
{
    SetSocketClass(socketClass);
    if (!socketClass)
        RaiseSocketError(0, 20026);
    FreeSocketObject(m_socket);
    m_socket = MakeSocket(socketClass);
    std::string hostName = HostName();
    std::string serviceName = ServiceName();
    std::string dotted = DottedAddress();
    std::uint16_t port = GetPortNumber();
    auto keep = m_socket;
    const std::weak_ptr<void> alive = Alive();
    keep->Listen(hostName, QueueLength, port, serviceName, dotted);
    if (!alive.expired())
        SetBound(dotted, port);
}

std::shared_ptr<TSocketBase> TCustomBasicServerSocket::FindSocket(winsock::SOCKET handle) const
{
    if (auto socket = m_sockets.FindByHandle(handle))
        return socket;
    return TSockCtrl::FindSocket(handle);
}

void TCustomBasicServerSocket::FireAccept(TSocketBase* socket)
{
    if (OnAccept)
        OnAccept(this, socket);
}

void TCustomBasicServerSocket::FireReject(TSocketBase* socket)
{
    if (OnReject)
        OnReject(this, socket);
}

void TCustomBasicServerSocket::SocketMessage(TMessage& message)
{
    const int event = tWinsockAPI::EventOrLength(message.LParam);
    if (event == winsock::FD_ACCEPT) {
        if (m_socket && message.WParam == m_socket->Handle()) {
            auto keep = m_socket;
            SocketAccept(keep.get());
        }
        return;
    }
    std::shared_ptr<TSocketBase> socket = m_sockets.FindByHandle(static_cast<winsock::SOCKET>(message.WParam));
    if (!socket) {
        if (OnInfo)
            OnInfo(this, siNoSuchSocket, nullptr);
        return;
    }
    socket->SetLastError(tWinsockAPI::ErrorOf(message.LParam));
    switch (event) {
    case winsock::FD_READ:
        SocketRead(socket.get());
        break;
    case winsock::FD_WRITE:
        SocketWrite(socket.get());
        break;
    case winsock::FD_CLOSE:
        if (socket->Connected()) {
            StopTimeOut();
            SocketDisconnect(socket.get());
        }
        break;
    default:
        break;
    }
}

void TCustomBasicServerSocket::SocketAccept(TSocketBase* listening)
{
    std::shared_ptr<TSocketBase> socket = CreateSocket();
    winsock::sockaddr_in peer {};
    int len = sizeof peer;
    const winsock::SOCKET handle = WinsockAPI().accept(listening->Handle(), reinterpret_cast<winsock::sockaddr*>(&peer), &len);
    if (handle == winsock::INVALID_SOCKET) {
        FreeSocketObject(socket);
        return;
    }
    socket->SetHandle(handle);
    socket->Address() = peer;
    socket->SetState(ssConnected);
    std::string address;
    try {
        address = socket->GetPeerAddress();
    } catch (const ESockError&) {
        // Reset while it waited to be accepted: no one has seen it, so no one hears of it.
        WinsockAPI().closesocket(handle);
        socket->SetHandle(winsock::INVALID_SOCKET);
        FreeSocketObject(socket);
        return;
    }
    m_sockets.Add(socket);
    WinsockAPI().WSAAsyncSelect(handle, Window(), WM_SOCKET_SELECT, static_cast<long>(ClientOptions) | winsock::FD_CLOSE);

    const std::weak_ptr<void> alive = Alive();
    bool refused = m_sockets.Count() > MaxConnections;
    if (!refused && AllowOnlyIfReverseDNS) {
        try {
            refused = ResolveAddressHostName(address).empty();
        } catch (const ESockError&) {
            refused = true;
        }
        if (alive.expired())
            return;
    }
    if (!refused) {
        const bool matched = HostAllowed(address);
        if (alive.expired())
            return;
        refused = Restriction == hrDeny ? matched : !matched;
    }
    if (refused) {
        SocketInfo(socket.get(), siReject);
        if (!alive.expired())
            SocketReject(socket.get());
    } else {
        SocketInfo(socket.get(), siAccept);
        if (!alive.expired())
            socket->DoAccept();
    }
}

void TCustomBasicServerSocket::SocketReject(TSocketBase* socket)
{
    auto keep = socket->weak_from_this().lock();
    const std::weak_ptr<void> alive = Alive();
    socket->DoReject();
    if (!alive.expired())
        socket->Close();
}

void TCustomBasicServerSocket::SocketDisconnect(TSocketBase* socket) { socket->DoDisconnect(); }

bool TCustomBasicServerSocket::HostAllowed(const std::string& address)
{
    bool nameLooked = false;
    std::string hostName;
    for (const std::string& raw : m_restrictedHosts) {
        const std::string entry = TrimCharSet(" \t", raw);
        if (entry.empty())
            continue;
        bool asAddress = true;
        const bool matches = PatternMatches(entry, address, asAddress);
        if (asAddress) {
            if (matches)
                return true;
            continue;
        }
        if (!nameLooked) {
            nameLooked = true;
            // A name that cannot be found matches no host-name entry.
            try {
                hostName = ResolveAddressHostName(address);
            } catch (const ESockError&) {
                hostName.clear();
            }
        }
        if (hostName.empty())
            continue;
        bool unused = false;
        if (PatternMatches(entry, hostName, unused))
            return true;
    }
    return false;
}

void TCustomBasicServerSocket::CancelPending(winsock::SOCKET closedHandle, std::uint64_t serial)
{
    TSockCtrl::CancelPending(closedHandle, serial);
    if (m_socket && m_socket->Serial() == serial)
        return;
    std::shared_ptr<TSocketBase> socket = m_sockets.FindBySerial(serial);
    if (!socket)
        return;
    m_sockets.Remove(socket.get());
    FreeSocketObject(socket);
}
