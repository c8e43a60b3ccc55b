#pragma once

#include "net/sockctrl.h"

// A component with one outgoing connection.
class TCustomClientSocket : public TSockCtrl {
public:
    TCustomClientSocket() = default;

    // Connects with a socket object of socketClass; "Socket Already opened" when connected.
    void Open(TSocketClass socketClass);
    void Open() { Open(SocketClass()); }
    void Close();
    bool Connected() const { return m_socket && m_socket->Connected(); }

    TSocketNotifyEvent OnConnect;
    TClientSocketOptions Options { csoRead | csoWrite };

    void SocketDisconnect(TSocketBase* socket) override;
    virtual void SocketConnected(TSocketBase* socket);

protected:
    void SocketMessage(TMessage& message) override;
    void FireConnect(TSocketBase* socket) override;
};
