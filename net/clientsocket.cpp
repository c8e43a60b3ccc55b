#include "net/clientsocket.h"

void TCustomClientSocket::Open(TSocketClass socketClass)
{
    if (Connected())
        RaiseSocketError(0, 20020);
    SetSocketClass(socketClass);
    TSocketBase* socket = GetSocket();
    auto keep = socket->weak_from_this().lock();
    std::string hostName = HostName();
    std::string serviceName = ServiceName();
    std::string dotted = DottedAddress();
    std::uint16_t port = GetPortNumber();
    const std::weak_ptr<void> alive = Alive();
    socket->Connect(hostName, Options, port, serviceName, dotted);
    if (alive.expired())
        return;
    // What the connect found goes back into the component.
    SetResolved(dotted, port);
}

void TCustomClientSocket::Close()
{
    if (!m_socket)
        return;
    auto keep = m_socket;
    StopTimeOut();
    keep->Close();
}

void TCustomClientSocket::SocketMessage(TMessage& message)
{
    std::shared_ptr<TSocketBase> socket = m_socket;
    if (!socket || message.WParam != socket->Handle())
        return;
    const std::weak_ptr<void> alive = Alive();
    socket->SetLastError(tWinsockAPI::ErrorOf(message.LParam));
    switch (tWinsockAPI::EventOrLength(message.LParam)) {
    case winsock::FD_READ:
        if (!socket->Connected()) {
            SocketConnected(socket.get());
            if (alive.expired())
                return;
        }
        SocketRead(socket.get());
        break;
    case winsock::FD_WRITE:
        SocketWrite(socket.get());
        break;
    case winsock::FD_CONNECT:
        if (!socket->Connected())
            SocketConnected(socket.get());
        break;
    case winsock::FD_CLOSE:
        SocketDisconnect(socket.get());
        break;
    default:
        break;
    }
}

void TCustomClientSocket::SocketConnected(TSocketBase* socket)
{
    StopTimeOut();
    if (socket->LastError() == 0) {
        socket->SetState(ssConnected);
        SocketInfo(socket, siConnected);
    }
    socket->DoConnect();
}

void TCustomClientSocket::SocketDisconnect(TSocketBase* socket)
{
    if (socket->Connected())
        StopTimeOut();
    socket->DoDisconnect();
}

void TCustomClientSocket::FireConnect(TSocketBase* socket)
{
    if (OnConnect)
        OnConnect(this, socket);
}
