#include "client/core/peerlists.h"

#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

auto ByName(std::string_view name)
{
    return [name](const std::string& item) { return SameText(item, name); };
}

}  // namespace

bool TChatRoom::IsHost() const { return key == "Conference*"; }

bool TChatRoom::HasPerson(std::string_view name) const
{
    return std::any_of(persons.begin(), persons.end(), ByName(name));
}

bool TPeerLists::IsPending(std::string_view name) const
{
    return std::any_of(m_pending.begin(), m_pending.end(), ByName(name));
}

bool TPeerLists::AddPending(const std::string& name)
{
    if (IsPending(name))
        return true;
    if (m_pending.size() >= kMaxPending)
        return false;
    m_pending.push_back(name);
    return true;
}

void TPeerLists::RemovePending(std::string_view name) { std::erase_if(m_pending, ByName(name)); }

TChatRoom* TPeerLists::FindChat(std::string_view key) const
{
    for (const auto& room : m_chats)
        if (SameText(room->key, key))
            return room.get();
    return nullptr;
}

TChatRoom* TPeerLists::FindChatSerial(std::uint64_t serial) const
{
    for (const auto& room : m_chats)
        if (room->serial == serial)
            return room.get();
    return nullptr;
}

TChatRoom& TPeerLists::AddChat(const std::string& key, const std::string& firstLine)
{
    if (TChatRoom* room = FindChat(key))
        return *room;
    auto room = std::make_unique<TChatRoom>();
    room->key = key;
    room->firstLine = firstLine;
    room->serial = ++m_lastSerial;
    m_chats.push_back(std::move(room));
    return *m_chats.back();
}

void TPeerLists::RemoveChat(std::string_view key)
{
    std::erase_if(m_chats, [&](const std::unique_ptr<TChatRoom>& room) { return SameText(room->key, key); });
}

std::vector<std::string> TPeerLists::ChatKeys() const
{
    std::vector<std::string> keys;
    for (const auto& room : m_chats)
        keys.push_back(room->key);
    return keys;
}

bool TPeerLists::HasPluginSocket(std::string_view pidKey) const
{
    return std::any_of(m_pluginSockets.begin(), m_pluginSockets.end(), ByName(pidKey));
}

void TPeerLists::AddPluginSocket(const std::string& pidKey)
{
    if (!HasPluginSocket(pidKey))
        m_pluginSockets.push_back(pidKey);
}

void TPeerLists::RemovePluginSocket(std::string_view pidKey)
{
    std::erase_if(m_pluginSockets, ByName(pidKey));
}

void TPeerLists::OfferFile(const std::string& buddy, const std::string& path)
{
    m_offers.emplace_back(buddy, path);
    if (m_offers.size() > kMaxOfferedFiles)
        m_offers.erase(m_offers.begin());
}

bool TPeerLists::TakeOffer(std::string_view buddy, std::string_view path)
{
    const auto it = std::find_if(m_offers.begin(), m_offers.end(),
                                 [&](const auto& offer) { return SameText(offer.first, buddy) && offer.second == path; });
    if (it == m_offers.end())
        return false;
    m_offers.erase(it);
    return true;
}

bool TPeerLists::TakeAnyOffer(std::string_view buddy)
{
    const auto it = std::find_if(m_offers.begin(), m_offers.end(), [&](const auto& offer) { return SameText(offer.first, buddy); });
    if (it == m_offers.end())
        return false;
    m_offers.erase(it);
    return true;
}

bool TPeerLists::HoldChatLine(const std::string& key, const std::string& line)
{
    auto it = std::find_if(m_held.begin(), m_held.end(), [&](const THeldChat& held) { return SameText(held.key, key); });
    if (it == m_held.end())
        it = m_held.insert(m_held.end(), THeldChat { key, {}, 0 });
    if (it->lines.size() >= kMaxHeldLines || it->bytes + line.size() > kMaxHeldBytes)
        return false;
    it->lines.push_back(line);
    it->bytes += line.size();
    return true;
}

std::vector<std::string> TPeerLists::TakeHeldChatLines(std::string_view key)
{
    const auto it = std::find_if(m_held.begin(), m_held.end(), [&](const THeldChat& held) { return SameText(held.key, key); });
    if (it == m_held.end())
        return {};
    std::vector<std::string> lines = std::move(it->lines);
    m_held.erase(it);
    return lines;
}

void TPeerLists::Clear()
{
    m_held.clear();
    m_pending.clear();
    m_chats.clear();
    m_pluginSockets.clear();
    m_offers.clear();
}

TPeerLists& PeerLists()
{
    static TPeerLists lists;
    return lists;
}
