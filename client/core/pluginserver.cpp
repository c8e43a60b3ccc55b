#include "client/core/pluginserver.h"

#include "client/core/features.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/peerlists.h"
#include "client/core/peersend.h"
#include "client/core/session.h"
#include "net/tokens.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/process.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Not a static object: freed with the main bar, never after the socket layer at exit.
TPluginServer* g_pluginServer = nullptr;

const char* const kPluginPort = "8090";
constexpr char kRegister = '\xFC';
constexpr char kRelay = '\xFB';
constexpr char kPager = '\xFE';
constexpr char kBuddyAvailable = '\xF8';
constexpr char kPluginCommand = '\xF9';

// A plug-in's line socket, which can throw away a line too long for its buffer.
class TPluginLineSocket final : public TLineSocket {
public:
    static constexpr const char* ClassName = "TPluginLineSocket";
    using TLineSocket::TLineSocket;

    void DiscardReadBuffer()
    {
        std::vector<char> discard(static_cast<std::size_t>(ReadCount()));
        Read(discard.data(), static_cast<int>(discard.size()));
    }
};

// The address a simulated host speaks from, "" on a real one.
std::string SimulatedHost()
{
    const char* address = std::getenv("KORVO_LOCAL_ADDRESS");
    return address ? std::string(address) : std::string();
}

}  // namespace

TPluginServer::TPluginServer()
{
    const std::string simulated = SimulatedHost();
    // Plug-ins run on this host: a simulated one listens on its own address, a real
    // one on loopback only, and either takes no peer from anywhere else.
    m_server.SetAddress(simulated.empty() ? "127.0.0.1" : "0.0.0.0");
    m_server.SetProtocol("tcp");
    m_server.SetSocketClass(SocketClassOf<TPluginLineSocket>());
    m_server.MaxConnections = kMaxConnections;
    m_server.ReadBufferSize = kBufferSize;
    m_server.WriteBufferSize = kBufferSize;
    m_server.RecordSize = 16;
    m_server.LineType = lstCRLF;
    m_server.LineOptions = kDefaultLineOptions;
    m_server.Restriction = hrAccept;
    m_server.SetRestrictedHosts({ simulated.empty() ? std::string("127.*.*.*") : simulated });
    m_server.OnAccept = [this](TSockCtrl*, TSocketBase* socket) {
        // Plug-ins whose sockets went without a word are forgotten first.
        std::vector<std::uint64_t> gone;
        for (const auto& [serial, plugin] : m_plugins)
            if (!plugin.socket)
                gone.push_back(serial);
        for (const std::uint64_t serial : gone)
            Forget(serial);
        m_plugins[socket->Serial()].socket = dynamic_cast<TLineSocketBase*>(socket);
    };
    m_server.OnLineReceived = [this](TLineSocketBase* socket, const std::string& line, bool) { LineReceived(socket, line); };
    m_server.OnDisconnect = [this](TSockCtrl*, TSocketBase* socket) { Disconnect(socket); };
    m_server.OnReadBufferFull = [this](TBufferedSocketBase* socket) { Overflow(socket); };
    OnBeep = [] { QApplication::beep(); };
    Features().PeerFrame.WritePluginLine = [](const std::string& pidKey, const std::string& payload) {
        if (g_pluginServer)
            g_pluginServer->WriteToPlugin(pidKey, payload);
    };
}

TPluginServer::~TPluginServer()
{
    for (auto& [serial, plugin] : m_plugins)
        if (!plugin.key.empty())
            PeerLists().RemovePluginSocket(plugin.key);
}

bool TPluginServer::Listen(const std::string& port)
{
    try {
        m_server.SetPort(port);
        m_server.Listen();
        m_listening = true;
    } catch (const Exception& error) {
        m_listening = false;
        std::fprintf(stderr, "[larkspire] plug-in server: %s\n", error.Message().c_str());
    }
    return m_listening;
}

bool TPluginServer::WriteToPlugin(const std::string& pidKey, const std::string& payload)
{
    for (auto& [serial, plugin] : m_plugins) {
        if (plugin.key.empty() || !SameText(plugin.key, pidKey))
            continue;
        const auto socket = plugin.socket.Lock();
        if (!socket || !socket->Connected())
            return false;
        try {
            return socket->WriteLine(payload);
        } catch (const Exception&) {
            return false;
        }
    }
    return false;
}

TPluginServer::TPlugin* TPluginServer::Find(std::uint64_t serial)
{
    const auto it = m_plugins.find(serial);
    return it == m_plugins.end() ? nullptr : &it->second;
}

void TPluginServer::LineReceived(TLineSocketBase* socket, const std::string& line)
{
    TPlugin* plugin = Find(socket->Serial());
    if (!plugin)
        return;
    if (plugin->skippingLongLine) {
        // The tail of a line that did not fit the buffer.
        plugin->skippingLongLine = false;
        return;
    }
    if (line.empty())
        return;
    const std::string rest = line.substr(1);
    switch (line[0]) {
    case kPager:
        Pager(*plugin, rest);
        break;
    case kRegister:
        Register(*plugin, rest);
        break;
    case kRelay:
        Relay(*plugin, rest);
        break;
    default:
        Drop(*plugin, "unknown line");
        break;
    }
}

void TPluginServer::Pager(TPlugin& plugin, const std::string& rest)
{
    std::string values = rest;
    std::string a;
    std::string b;
    NextTokenQuoted(",", "\"\"", values, a);
    NextTokenQuoted(",", "\"\"", values, b);
    // Each value is one argument of its own: whatever it holds, it never becomes part of a command line.
    process::StartProgram("pager.exe", { a, b }, SW_SHOWNORMAL);
    const auto socket = plugin.socket.Lock();
    if (!socket)
        return;
    Forget(socket->Serial());
    socket->Close();
}

void TPluginServer::Register(TPlugin& plugin, const std::string& key)
{
    if (key.empty()) {
        Drop(plugin, "empty plug-in key");
        return;
    }
    // The newest registration of a key wins; a socket holds one key.
    for (auto& [serial, other] : m_plugins)
        if (&other != &plugin && SameText(other.key, key))
            other.key.clear();
    if (!plugin.key.empty() && !SameText(plugin.key, key))
        PeerLists().RemovePluginSocket(plugin.key);
    plugin.key = key;
    PeerLists().AddPluginSocket(key);

    const TSocketRef<TLineSocketBase> ref = plugin.socket;
    if (Form1) {
        std::vector<std::string> available;
        ForEachBuddy([&](const Tbuddy& buddy) {
            if (buddy.Online && !buddy.Away)
                available.push_back(buddy.Name);
        });
        for (const std::string& name : available) {
            const auto socket = ref.Lock();
            if (!socket || !socket->Connected())
                return;
            try {
                socket->WriteLine(std::string(1, kBuddyAvailable) + name);
            } catch (const Exception&) {
                return;
            }
        }
    }
    // Lines the plug-in sent ahead of its registration go now, if they are its own.
    TPlugin* self = ref ? Find(ref.Get()->Serial()) : nullptr;
    if (!self)
        return;
    std::vector<std::string> held;
    held.swap(self->held);
    for (const std::string& line : held) {
        TPlugin* again = ref ? Find(ref.Get()->Serial()) : nullptr;
        if (!again)
            return;
        Relay(*again, line);
    }
}

void TPluginServer::Relay(TPlugin& plugin, const std::string& rest)
{
    std::string fields = rest;
    std::string f1;
    std::string f2;
    std::string f3;
    std::string f4;
    NextToken(",", fields, f1);
    NextToken(",", fields, f2);
    NextToken(",", fields, f3);
    NextTokenQuoted(",", "\"\"", fields, f4);
    if (f1.empty() || f3.empty()) {
        Drop(plugin, "relay line without its fields");
        return;
    }
    // A plug-in speaks only for itself: an invitation, or a line for its own key.
    if (f1 != "pluginrequest") {
        if (f1.size() < 2 || f1[0] != kPluginCommand) {
            Drop(plugin, "relay of a command plug-ins may not send");
            return;
        }
        if (plugin.key.empty()) {
            if (plugin.held.size() >= kMaxHeldLines)
                Drop(plugin, "too many lines before registering");
            else
                plugin.held.push_back(rest);
            return;
        }
        if (!SameText(f1.substr(1), plugin.key)) {
            Drop(plugin, "relay under another plug-in's key");
            return;
        }
    }
    // The sender is always the signed-on user, whatever the plug-in wrote.
    const std::string frame = BuildPeerFrame(f1, Session().userId, f3, f4);
    if (!FrameFits(frame)) {
        Drop(plugin, "relayed frame too long");
        return;
    }
    const Tbuddy* buddy = Form1 ? Form1->FindBuddy(f3) : nullptr;
    TPeerConnection* connection = buddy && buddy->Online ? AsPeerConnection(buddy->Socket) : nullptr;
    if (!connection || !connection->Write(frame)) {
        if (OnBeep)
            OnBeep();
    }
}

void TPluginServer::Disconnect(TSocketBase* socket)
{
    if (!Find(socket->Serial()))
        return;
    Forget(socket->Serial());
    socket->Close();
}

void TPluginServer::Forget(std::uint64_t serial)
{
    TPlugin* plugin = Find(serial);
    if (!plugin)
        return;
    const std::string key = plugin->key;
    m_plugins.erase(serial);
    if (!key.empty()) {
        PeerLists().RemovePluginSocket(key);
        SendBuddyCommand("pluginclose", key);
    }
}

void TPluginServer::Overflow(TBufferedSocketBase* socket)
{
    TPlugin* plugin = Find(socket->Serial());
    if (!plugin) {
        socket->Close();
        return;
    }
    // A line longer than the buffer is thrown away up to its end; the plug-in stays connected.
    if (auto* line = dynamic_cast<TPluginLineSocket*>(socket))
        line->DiscardReadBuffer();
    plugin->skippingLongLine = true;
    Drop(*plugin, "line too long");
}

void TPluginServer::Drop(TPlugin& plugin, const char* why)
{
    if (plugin.toldBadLine)
        return;
    plugin.toldBadLine = true;
    std::fprintf(stderr, "[larkspire] plug-in line dropped: %s\n", why);
}

TPluginServer* PluginServer() { return g_pluginServer; }

void StartPluginServer()
{
    StopPluginServer();
    g_pluginServer = new TPluginServer();
    g_pluginServer->Listen(kPluginPort);
}

void StopPluginServer()
{
    delete g_pluginServer;
    g_pluginServer = nullptr;
}
