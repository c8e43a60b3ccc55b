#pragma once

#include "net/bufferedcomponents.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The local port plug-ins (chess and the like) talk to: a plug-in registers its
// key, hears which buddies it may invite, and has its lines relayed to the same
// plug-in at a buddy's end. Only programs on this host may connect: the port
// speaks for the signed-on user.
class TPluginServer final {
public:
    static constexpr int kMaxConnections = 25;
    static constexpr int kBufferSize = 2048;
    // Relay lines a plug-in may send before it registers (its opening lines).
    static constexpr std::size_t kMaxHeldLines = 8;

    TPluginServer();
    ~TPluginServer();
    TPluginServer(const TPluginServer&) = delete;
    TPluginServer& operator=(const TPluginServer&) = delete;

    // Listens on the port (normally "8090"); false, and the session goes on without plug-ins, when it cannot.
    bool Listen(const std::string& port);
    bool Listening() const { return m_listening; }

    // A buddy's payload for the plug-in registered under the key; false when none is.
    bool WriteToPlugin(const std::string& pidKey, const std::string& payload);

    // Sounds when a relay finds its buddy away from the line.
    std::function<void()> OnBeep;

private:
    struct TPlugin {
        TSocketRef<TLineSocketBase> socket;
        std::string key;
        std::vector<std::string> held;
        bool skippingLongLine { false };
        bool toldBadLine { false };
    };

    void LineReceived(TLineSocketBase* socket, const std::string& line);
    void Disconnect(TSocketBase* socket);
    void Overflow(TBufferedSocketBase* socket);
    void Pager(TPlugin& plugin, const std::string& rest);
    void Register(TPlugin& plugin, const std::string& key);
    void Relay(TPlugin& plugin, const std::string& rest);
    // The plug-in is gone: its key is free again and the buddies hear "pluginclose".
    void Forget(std::uint64_t serial);
    void Drop(TPlugin& plugin, const char* why);
    TPlugin* Find(std::uint64_t serial);

    TTextServer m_server;
    bool m_listening { false };
    std::map<std::uint64_t, TPlugin> m_plugins;  // by socket serial
};

// The session's plug-in server, nullptr between sessions.
TPluginServer* PluginServer();
// Made at sign-on before the peer server; freed at sign-off.
void StartPluginServer();
void StopPluginServer();
