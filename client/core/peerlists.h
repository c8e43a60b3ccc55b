#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A chat window as the peer protocol sees it: its key, who is in it and whom
// the host may invite. The window itself shows them through the peer hooks.
struct TChatRoom {
    std::string key;  // buddy name, host name + "*", or "Conference*"
    std::string firstLine;
    std::vector<std::string> persons;
    std::vector<std::string> inviteHints;
    // The host's: whom this conference invited; only they may join it.
    std::vector<std::string> invited;
    bool sound { true };
    // The buddy's going was shown and it has not come back since: one notice an absence.
    bool toldGone { false };
    // Never used twice in a run: a window tells its own room from a later one of the same key.
    std::uint64_t serial { 0 };

    bool IsHost() const;
    bool HasPerson(std::string_view name) const;
};

// The session's lists of the peer protocol, names compared without regard to
// case, emptied at sign-off. Every list a peer can grow has a limit.
class TPeerLists {
public:
    static constexpr std::size_t kMaxPending = 64;
    static constexpr std::size_t kMaxPersons = 256;
    static constexpr std::size_t kMaxInviteItems = 256;
    static constexpr std::size_t kMaxOfferedFiles = 64;
    // A buddy's lines kept while its chat request waits at the prompt.
    static constexpr std::size_t kMaxHeldLines = 256;
    static constexpr std::size_t kMaxHeldBytes = 256 * 1024;

    // Names whose "inf" waits at the request prompt.
    bool IsPending(std::string_view name) const;
    // False when the list is full: the request is not taken.
    bool AddPending(const std::string& name);
    void RemovePending(std::string_view name);

    TChatRoom* FindChat(std::string_view key) const;
    // The room of that serial while the session still holds it, else nullptr.
    TChatRoom* FindChatSerial(std::uint64_t serial) const;
    TChatRoom& AddChat(const std::string& key, const std::string& firstLine);
    std::vector<std::string> ChatKeys() const;
    void RemoveChat(std::string_view key);

    // The lines of a chat whose window is not open yet, the first one (the request's) included,
    // in the order they came; false when that chat holds as many as it may.
    bool HoldChatLine(const std::string& key, const std::string& line);
    // The held lines of a key, which it no longer holds.
    std::vector<std::string> TakeHeldChatLines(std::string_view key);

    // Keys of the local plug-ins' sockets.
    bool HasPluginSocket(std::string_view pidKey) const;
    void AddPluginSocket(const std::string& pidKey);
    void RemovePluginSocket(std::string_view pidKey);
    const std::vector<std::string>& PluginKeys() const { return m_pluginSockets; }

    // Files this user offered a buddy with "requesttosendfile"; each may be fetched once.
    void OfferFile(const std::string& buddy, const std::string& path);
    // True, and the offer used up, when that buddy was offered that path.
    bool TakeOffer(std::string_view buddy, std::string_view path);
    // True, and that buddy's oldest offer used up, when it had one (a refusal answers it).
    bool TakeAnyOffer(std::string_view buddy);

    void Clear();

private:
    std::vector<std::string> m_pending;
    std::vector<std::unique_ptr<TChatRoom>> m_chats;
    std::vector<std::string> m_pluginSockets;
    std::vector<std::pair<std::string, std::string>> m_offers;
    struct THeldChat {
        std::string key;
        std::vector<std::string> lines;
        std::size_t bytes { 0 };
    };
    std::vector<THeldChat> m_held;
    std::uint64_t m_lastSerial { 0 };
};

// The one set of lists of the running session.
TPeerLists& PeerLists();
