#include "client/core/peerconnections.h"

#include "client/core/mainbar.h"
#include "client/core/peerdispatch.h"
#include "client/core/peerframe.h"
#include "client/core/peerguard.h"
#include "client/core/peersend.h"
#include "client/core/pluginserver.h"
#include "client/core/session.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/win/winsock.h"

#include <QTimer>

#include <cstdio>

namespace {

// Not a static object: freed with the main bar, never after the socket layer at exit.
TPeerNetwork* g_network = nullptr;

const char* const kPeerPort = "8096";

}  // namespace

// --- TPeerConnection ----------------------------------------------------------------

TPeerConnection::TPeerConnection(TLineSocketBase* socket)
    : m_socket(socket)
    , m_serial(socket->Serial())
{
}

std::string TPeerConnection::PeerAddress() const
{
    const auto socket = m_socket.Lock();
    if (!socket || !socket->Connected())
        return {};
    try {
        return socket->GetPeerAddress();
    } catch (const ESockError&) {
        // A line dropped a moment ago has no peer any more.
        return {};
    }
}

void TPeerConnection::Close()
{
    if (const auto socket = m_socket.Lock())
        socket->Close();
}

bool TPeerConnection::Write(const std::string& frame)
{
    const auto socket = m_socket.Lock();
    if (!socket || !socket->Connected() || !FrameFits(frame))
        return false;
    try {
        return socket->WriteLine(frame);
    } catch (const Exception&) {
        return false;
    }
}

void TPeerConnection::Answer(char answer) { Write(std::string(1, answer)); }

void TPeerConnection::Bind(const std::string& name)
{
    m_boundName = name;
    m_infName = name;
    PeerGuard().Introduced(m_serial);
}

void TPeerConnection::SetIntroduced()
{
    m_introduced = true;
    PeerGuard().Introduced(m_serial);
}

// --- TPeerNetwork ------------------------------------------------------------------

TPeerNetwork::TPeerNetwork()
{
    m_pipeServer.SetAddress("0.0.0.0");
    m_pipeServer.SetProtocol("tcp");
    m_pipeServer.MaxConnections = kMaxConnections;
    m_pipeServer.ReadBufferSize = kBufferSize;
    m_pipeServer.WriteBufferSize = kBufferSize;
    m_pipeServer.RecordSize = 16;
    m_pipeServer.LineType = lstCRLF;
    m_pipeServer.LineOptions = kDefaultLineOptions;
    m_pipeServer.Restriction = hrDeny;
    m_pipeServer.SetRestrictedHosts({});
    m_pipeServer.OnAccept = [this](TSockCtrl*, TSocketBase* socket) { Accept(dynamic_cast<TLineSocketBase*>(socket)); };
    m_pipeServer.OnLineReceived = [this](TLineSocketBase* socket, const std::string& line, bool) { ServerLine(socket, line); };
    m_pipeServer.OnDisconnect = [this](TSockCtrl*, TSocketBase* socket) { ServerDisconnect(socket); };
    m_pipeServer.OnReadBufferFull = [this](TBufferedSocketBase* socket) { Overflow(socket); };
}

TPeerNetwork::~TPeerNetwork()
{
    for (auto& [name, client] : m_clients)
        client->Close();
}

bool TPeerNetwork::StartPipeServer(const std::string& port)
{
    try {
        m_pipeServer.SetPort(port);
        m_pipeServer.Listen();
        m_listening = true;
    } catch (const Exception& error) {
        m_listening = false;
        std::fprintf(stderr, "[larkspire] peer server: %s\n", error.Message().c_str());
    }
    return m_listening;
}

TPeerConnection* TPeerNetwork::ConnectionOf(TLineSocketBase* socket)
{
    if (!socket)
        return nullptr;
    auto& slot = m_connections[socket->Serial()];
    if (!slot)
        slot = std::make_unique<TPeerConnection>(socket);
    return slot.get();
}

TPeerConnection* TPeerNetwork::Live(std::uint64_t serial) const
{
    const auto it = m_connections.find(serial);
    return it != m_connections.end() && it->second->Line() ? it->second.get() : nullptr;
}

void TPeerNetwork::ForgetDeadConnections()
{
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        TPeerConnection* connection = it->second.get();
        const bool held = connection->Line() != nullptr || HoldsPeerSocket(connection->BoundName(), connection);
        if (!held)
            PeerGuard().Gone(it->first);
        it = held ? std::next(it) : m_connections.erase(it);
    }
}

void TPeerNetwork::Connect(Tbuddy& buddy)
{
    const std::string name = buddy.Name;
    ForgetDeadConnections();
    try {
        auto& client = m_clients[LowerCase(name)];
        if (!client) {
            client = std::make_unique<TTextClient>();
            client->ReadBufferSize = kBufferSize;
            client->WriteBufferSize = kBufferSize;
            client->LineType = lstCRLF;
        }
        client->Close();
        client->SetAddress(buddy.PeerAddress);
        client->SetPort(kPeerPort);
        client->SetTimeOut(kClientTimeOut);
        client->OnConnect = [this, name](TSockCtrl*, TSocketBase* socket) { ClientConnect(name, socket); };
        client->OnLineReceived = [this, name](TLineSocketBase* socket, const std::string& line, bool) {
            ClientLine(name, socket, line);
        };
        client->OnDisconnect = [this, name](TSockCtrl*, TSocketBase* socket) { ClientDisconnect(name, socket); };
        client->OnTimeOut = [this, name](TSockCtrl*, TSocketBase* socket) { ClientTimeOut(name, socket); };
        client->OnReadBufferFull = [this](TBufferedSocketBase* socket) { Overflow(socket); };
        client->Open(SocketClassOf<TLineSocket>());
    } catch (const Exception&) {
        MessageDlg("\rUnable to create a connection to " + name + ", due to a socket error.", mtError, mbOK, 0);
    }
}

void TPeerNetwork::Hangup(const std::string& name)
{
    const auto it = m_clients.find(LowerCase(name));
    if (it != m_clients.end() && it->second)
        it->second->Close();
}

void TPeerNetwork::Accept(TLineSocketBase* socket)
{
    ForgetDeadConnections();
    TPeerConnection* connection = ConnectionOf(socket);
    if (!connection)
        return;
    // Callers that never say who they are would hold every slot: few per address, and not for long.
    const std::uint64_t serial = socket->Serial();
    if (!PeerGuard().Arrived(serial, DottedAddress(connection->PeerAddress()))) {
        connection->Close();
        return;
    }
    QTimer::singleShot(TPeerGuard::IntroductionMs(), &m_timers,
                       [this, serial] { Application::Guarded([this, serial] { CloseIfStranger(serial); }); });
}

void TPeerNetwork::CloseIfStranger(std::uint64_t serial)
{
    const auto it = m_connections.find(serial);
    if (it != m_connections.end() && !it->second->Introduced())
        it->second->Close();
    PeerGuard().Gone(serial);
}

void TPeerNetwork::ServerLine(TLineSocketBase* socket, const std::string& line)
{
    if (line.empty() || line[0] != kFrameStart)
        return;
    if (TPeerConnection* connection = ConnectionOf(socket))
        HandlePeerCommand(connection, line);
}

void TPeerNetwork::ServerDisconnect(TSocketBase* socket)
{
    const auto it = m_connections.find(socket->Serial());
    if (it == m_connections.end())
        return;
    TPeerConnection* connection = it->second.get();
    PeerGuard().Gone(connection->Serial());
    // Only the socket the buddy is online with takes it offline; an older one just goes.
    if (connection->Bound() && IsOnlineSocketOf(connection->BoundName(), connection))
        MarkBuddyOffline(connection->BoundName(), connection);
}

void TPeerNetwork::ClientConnect(const std::string& name, TSocketBase* socket)
{
    // A failed connect also reports here; the keep-alive countdown ends that attempt.
    if (!socket || !socket->Connected() || !Form1)
        return;
    Tbuddy* buddy = Form1->FindBuddy(name);
    TPeerConnection* connection = ConnectionOf(dynamic_cast<TLineSocketBase*>(socket));
    if (!buddy || !connection)
        return;
    connection->Bind(buddy->Name);
    buddy->Socket = connection;
    SendInfo(*buddy, connection);
}

void TPeerNetwork::ClientLine(const std::string& name, TLineSocketBase* socket, const std::string& line)
{
    TPeerConnection* connection = ConnectionOf(socket);
    if (connection && !connection->Bound())
        connection->Bind(name);
    ClientLineReceived(name, connection, line);
}

void TPeerNetwork::ClientDisconnect(const std::string& name, TSocketBase* socket)
{
    const auto it = m_connections.find(socket->Serial());
    TPeerConnection* connection = it == m_connections.end() ? nullptr : it->second.get();
    const Tbuddy* buddy = Form1 ? Form1->FindBuddy(name) : nullptr;
    // An online buddy goes offline only with the socket it is online with.
    if (buddy && (!buddy->Online || buddy->Socket == connection))
        MarkBuddyOffline(name, connection);
    socket->Close();
}

void TPeerNetwork::ClientTimeOut(const std::string& name, TSocketBase* socket)
{
    if (Tbuddy* buddy = Form1 ? Form1->FindBuddy(name) : nullptr) {
        buddy->KeepAlive = 30;
        buddy->Connecting = false;
    }
    socket->Close();
}

void TPeerNetwork::Overflow(TBufferedSocketBase* socket)
{
    // A line longer than the buffer is no line of ours: that connection ends, the others stay.
    const auto it = m_connections.find(socket->Serial());
    if (it != m_connections.end())
        DropConnection(it->second.get());
    else
        socket->Close();
}

// --- the session ---------------------------------------------------------------------

TPeerNetwork* PeerNetwork() { return g_network; }

void StartPeerNetwork()
{
    StopPeerNetwork();
    StartPluginServer();
    g_network = new TPeerNetwork();
    // The server and the clients are the main bar's: they go with it however it goes.
    if (Form1)
        QObject::connect(Form1, &QObject::destroyed, [network = g_network] {
            if (g_network == network)
                StopPeerNetwork();
        });
    if (!g_network->StartPipeServer(kPeerPort))
        MessageDlg("\rAnother program is using port 8096. Your buddies cannot reach you until you sign on again.",
                   mtWarning, mbOK, 0);
}

void StopPeerNetwork()
{
    delete g_network;
    g_network = nullptr;
    StopPluginServer();
}

TPeerConnection* AsPeerConnection(TBuddySocket* socket) { return dynamic_cast<TPeerConnection*>(socket); }

void BindPeerConnection(TBuddySocket* socket, const std::string& name)
{
    if (TPeerConnection* connection = AsPeerConnection(socket))
        connection->Bind(name);
}

void DropConnection(TPeerConnection* connection)
{
    if (!connection)
        return;
    if (Form1 && connection->Bound()) {
        const Tbuddy* buddy = Form1->FindBuddy(connection->BoundName());
        if (buddy && buddy->Online && buddy->Socket == connection) {
            MarkBuddyOffline(buddy->Name, connection);
            return;
        }
    }
    connection->Close();
}

void ConnectToBuddy(const std::string& name, const std::string& address)
{
    Tbuddy* buddy = Form1 ? Form1->FindBuddy(name) : nullptr;
    if (!buddy)
        return;
    if (buddy->Blocked || buddy->Online || buddy->Connecting || !g_network)
        return;
    buddy->PeerAddress = address.substr(0, 255);
    buddy->KeepAlive = 30;
    buddy->Connecting = true;
    g_network->Connect(*buddy);
}

void BuddyLookedUp(const std::string& name, const std::string& address)
{
    Tbuddy* buddy = Form1 ? Form1->FindBuddy(name) : nullptr;
    if (!buddy)
        return;
    PeerGuard().LookedUp(buddy->Name, address);
    // Whoever holds the buddy's place from elsewhere is not the buddy: the buddy is called where it is.
    if (buddy->Online && !PeerGuard().IsAt(*buddy, buddy->Socket ? buddy->Socket->PeerAddress() : std::string()))
        DropConnection(AsPeerConnection(buddy->Socket));
    ConnectToBuddy(name, address);
}

void BuddyNotFound(const std::string& name) { PeerGuard().LookedUpOffline(name); }

void ConnectDirectBuddies()
{
    // Connecting may show a message box; collect the names first so the walk survives changes.
    std::vector<std::pair<std::string, std::string>> direct;
    ForEachBuddy([&](const Tbuddy& buddy) {
        if (!Trim(buddy.DirectConnect).empty() && !buddy.Online)
            direct.emplace_back(buddy.Name, Trim(buddy.DirectConnect));
    });
    for (const auto& [name, address] : direct)
        ConnectToBuddy(name, address);
}

void ClientLineReceived(const std::string& name, TPeerConnection* connection, const std::string& line)
{
    if (line.empty() || !connection)
        return;
    switch (line[0]) {
    case kFrameStart:
        HandlePeerCommand(connection, line);
        break;
    case kAnswerAccepted:
        SetBuddyOnline(name, "", connection, true);
        if (Session().away)
            SendToBuddy(name, "away", Session().awayMessage);
        break;
    case kAnswerRefused:
    case kAnswerUnknown:
        MarkBuddyOffline(name, connection);
        connection->Close();
        break;
    default:
        break;
    }
}
