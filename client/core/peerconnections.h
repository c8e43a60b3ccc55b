#pragma once

#include "client/core/buddy.h"
#include "net/bufferedcomponents.h"

#include <QObject>

#include <map>
#include <memory>
#include <string>

// One peer line connection, outgoing or accepted. It speaks for one buddy: an
// outgoing one for the buddy it called, an accepted one from the moment its
// "inf" is accepted. Until then it may say nothing but "inf".
class TPeerConnection final : public TBuddySocket {
public:
    explicit TPeerConnection(TLineSocketBase* socket);

    // Never reused, so whoever keeps it finds this connection or none, never a later one.
    std::uint64_t Serial() const { return m_serial; }
    // "" once the line is gone.
    std::string PeerAddress() const override;
    void Close() override;
    // The frame as one line; false when it is too long to send or the line is gone.
    bool Write(const std::string& frame);
    // The one-byte answers, whose write errors do not matter.
    void Answer(char answer);
    TLineSocketBase* Line() const { return m_socket.Get(); }

    bool Bound() const { return !m_boundName.empty(); }
    const std::string& BoundName() const { return m_boundName; }
    void Bind(const std::string& name);
    // The one name this connection introduced itself with.
    const std::string& InfName() const { return m_infName; }
    void SetInfName(const std::string& name) { m_infName = name; }
    // Has said who it is: accepted as a buddy or put before the user.
    bool Introduced() const { return m_introduced || Bound(); }
    void SetIntroduced();

private:
    TSocketRef<TLineSocketBase> m_socket;
    std::uint64_t m_serial { 0 };
    std::string m_boundName;
    std::string m_infName;
    bool m_introduced { false };
};

// The peer side of a session: the server buddies call on port 8096, one
// client per buddy we call, and the connections of both.
class TPeerNetwork {
public:
    static constexpr int kMaxConnections = 100;
    static constexpr int kBufferSize = 1024;
    static constexpr int kClientTimeOut = 30;

    TPeerNetwork();
    ~TPeerNetwork();
    TPeerNetwork(const TPeerNetwork&) = delete;
    TPeerNetwork& operator=(const TPeerNetwork&) = delete;

    // Listens on the port (normally "8096"); false, and the session goes on without it, when it cannot.
    bool StartPipeServer(const std::string& port);
    bool Listening() const { return m_listening; }

    // Tbuddy.Connect: the buddy's client is (re)opened to its PeerAddress.
    void Connect(Tbuddy& buddy);
    // Ends the buddy's own call, connected or still ringing.
    void Hangup(const std::string& name);

    // The connection of a line socket, made on first sight.
    TPeerConnection* ConnectionOf(TLineSocketBase* socket);
    // Connections whose socket is gone and that no buddy holds any more.
    void ForgetDeadConnections();
    // The connection of that serial while its line lasts: windows that outlive a line check before writing.
    TPeerConnection* Live(std::uint64_t serial) const;

private:
    void Accept(TLineSocketBase* socket);
    void CloseIfStranger(std::uint64_t serial);
    void ServerLine(TLineSocketBase* socket, const std::string& line);
    void ServerDisconnect(TSocketBase* socket);
    void ClientLine(const std::string& name, TLineSocketBase* socket, const std::string& line);
    void ClientConnect(const std::string& name, TSocketBase* socket);
    void ClientDisconnect(const std::string& name, TSocketBase* socket);
    void ClientTimeOut(const std::string& name, TSocketBase* socket);
    void Overflow(TBufferedSocketBase* socket);

    TTextServer m_pipeServer;
    bool m_listening { false };
    std::map<std::string, std::unique_ptr<TTextClient>> m_clients;  // by lower-cased name
    std::map<std::uint64_t, std::unique_ptr<TPeerConnection>> m_connections;  // by socket serial
    QObject m_timers;  // the introduction waits end with the network
};

// The session's peer network, nullptr between sessions.
TPeerNetwork* PeerNetwork();
// Made at sign-on with the listening server (the plug-in server comes first); freed at sign-off.
void StartPeerNetwork();
void StopPeerNetwork();

// The connection behind a buddy socket, nullptr for any other kind.
TPeerConnection* AsPeerConnection(TBuddySocket* socket);
// An accepted buddy speaks for itself on this connection from now on.
void BindPeerConnection(TBuddySocket* socket, const std::string& name);
// Hangs up a connection: a buddy online on it goes offline first.
void DropConnection(TPeerConnection* connection);

// TForm1.ConnectToBuddy: a listed buddy, not blocked, online or connecting, is called at the address.
void ConnectToBuddy(const std::string& name, const std::string& address);
// The lookup found the buddy online at the address: a connection of the buddy's from
// elsewhere is dropped, and the buddy called there.
void BuddyLookedUp(const std::string& name, const std::string& address);
// The lookup has the buddy offline: the address it had is no longer where the buddy is.
void BuddyNotFound(const std::string& name);
// Every buddy with a fixed address that is not online.
void ConnectDirectBuddies();

// The line events of a buddy's own client, in their order of tests.
void ClientLineReceived(const std::string& name, TPeerConnection* connection, const std::string& line);
