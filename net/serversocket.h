#pragma once

#include "net/sockctrl.h"

#include <string>
#include <vector>

enum THostRestriction { hrAccept, hrDeny };

// A component with a listening socket and the connections it accepted.
class TCustomBasicServerSocket : public TSockCtrl {
public:
    TCustomBasicServerSocket() = default;
    ~TCustomBasicServerSocket() override;

    // Listens with a new socket object of socketClass; the address and port bound are
    // written back, so port 0 shows the port chosen.
    void Listen(TSocketClass socketClass);
    void Listen() { Listen(SocketClass()); }
    const TSocketList& Sockets() const { return m_sockets; }

    TSocketNotifyEvent OnAccept;
    TSocketNotifyEvent OnReject;
    int MaxConnections { 16 };
    TClientSocketOptions ClientOptions { csoRead | csoWrite };
    int QueueLength { 5 };
    const std::vector<std::string>& RestrictedHosts() const { return m_restrictedHosts; }
    void SetRestrictedHosts(const std::vector<std::string>& hosts) { m_restrictedHosts = hosts; }
    THostRestriction Restriction { hrDeny };
    bool AllowOnlyIfReverseDNS { false };

    void SocketDisconnect(TSocketBase* socket) override;
    virtual void SocketAccept(TSocketBase* listening);
    virtual void SocketReject(TSocketBase* socket);
    // True when an entry of RestrictedHosts matches the dotted address.
    virtual bool HostAllowed(const std::string& address);

protected:
    void CancelPending(winsock::SOCKET closedHandle, std::uint64_t serial) override;
    void SocketMessage(TMessage& message) override;
    std::shared_ptr<TSocketBase> FindSocket(winsock::SOCKET handle) const override;
    void FireAccept(TSocketBase* socket) override;
    void FireReject(TSocketBase* socket) override;

private:
    TSocketList m_sockets;
    std::vector<std::string> m_restrictedHosts;
};
