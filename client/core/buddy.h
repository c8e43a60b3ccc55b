#pragma once

#include "platform/ui/graphics.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The peer connection a buddy talks over, as the buddy list needs it: where the
// peer is and a way to hang up. The peer protocol's line sockets provide it.
class TBuddySocket {
public:
    virtual ~TBuddySocket() = default;
    virtual std::string PeerAddress() const = 0;
    virtual void Close() = 0;
};

// One buddy of the signed-on user: what the list draws and what the peer
// protocol keeps about the connection.
struct Tbuddy {
    TBuddySocket* Socket { nullptr };
    std::int32_t X { 0 };
    std::int32_t Y { 0 };
    std::string FontName { "Ms Sans Serif" };
    std::uint8_t FontSize { 8 };
    std::string Name;
    TColor Color { clBlack };
    std::uint16_t TextHeight { 0 };
    std::int16_t KeepAlive { 30 };
    bool Online { false };
    bool Away { false };
    std::string AwayMessage;
    bool Blocked { false };
    bool Connecting { false };
    bool ChatRequested { false };
    bool ConferenceRequested { false };
    std::string PeerAddress;
    std::string DirectConnect;
};

// The session's buddies, sorted by name without regard to letter case, with
// case-blind look-up. The list's walks index with a byte, so it holds 256 at most.
class TBuddyStore {
public:
    static constexpr int kMaxBuddies = 256;

    int Count() const { return static_cast<int>(m_items.size()); }
    bool Empty() const { return m_items.empty(); }
    bool Full() const { return Count() >= kMaxBuddies; }
    // -1 when empty, as the session keeps it.
    int LastIndex() const { return Count() - 1; }

    Tbuddy* Item(int index) const;
    int IndexOf(std::string_view name) const;
    Tbuddy* Find(std::string_view name) const;

    // Inserts in name order; nullptr (and the buddy dropped) when the list is full
    // or the name is already there.
    Tbuddy* Add(std::unique_ptr<Tbuddy> buddy);
    void Remove(std::string_view name);
    void Clear();

private:
    std::vector<std::unique_ptr<Tbuddy>> m_items;
};

// Buddy name -> peer socket of each online buddy, names compared without regard to case.
class TPeerSocketList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    bool Contains(std::string_view name) const { return Find(name) != nullptr; }
    TBuddySocket* Find(std::string_view name) const;
    void Add(const std::string& name, TBuddySocket* socket);
    void Remove(std::string_view name);
    void Clear() { m_items.clear(); }

private:
    std::vector<std::pair<std::string, TBuddySocket*>> m_items;
};

// A buddy name is a user ID and becomes a file name: the one check of a user name,
// and "." and "..". "" when it may be one, else the refusal to show.
std::string BuddyNameRefusal(std::string_view name);
bool IsValidBuddyName(std::string_view name);

// The text shown when a buddy cannot be added because 256 are kept.
std::string BuddyListFullText();
