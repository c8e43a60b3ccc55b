#include "client/core/buddy.h"

#include "client/core/userlist.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>

Tbuddy* TBuddyStore::Item(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_items[static_cast<std::size_t>(index)].get();
}

int TBuddyStore::IndexOf(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i) {
        if (AnsiSameText(m_items[static_cast<std::size_t>(i)]->Name, name))
            return i;
    }
    return -1;
}

Tbuddy* TBuddyStore::Find(std::string_view name) const { return Item(IndexOf(name)); }

Tbuddy* TBuddyStore::Add(std::unique_ptr<Tbuddy> buddy)
{
    if (!buddy || Full() || IndexOf(buddy->Name) >= 0)
        return nullptr;
    const auto at = std::upper_bound(m_items.begin(), m_items.end(), buddy->Name,
                                     [](const std::string& name, const std::unique_ptr<Tbuddy>& item) {
                                         return AnsiCompareText(name, item->Name) < 0;
                                     });
    return m_items.insert(at, std::move(buddy))->get();
}

void TBuddyStore::Remove(std::string_view name)
{
    const int index = IndexOf(name);
    if (index >= 0)
        m_items.erase(m_items.begin() + index);
}

void TBuddyStore::Clear() { m_items.clear(); }

TBuddySocket* TPeerSocketList::Find(std::string_view name) const
{
    for (const auto& [key, socket] : m_items)
        if (AnsiSameText(key, name))
            return socket;
    return nullptr;
}

void TPeerSocketList::Add(const std::string& name, TBuddySocket* socket) { m_items.emplace_back(name, socket); }

void TPeerSocketList::Remove(std::string_view name)
{
    std::erase_if(m_items, [&](const auto& item) { return AnsiSameText(item.first, name); });
}

std::string BuddyNameRefusal(std::string_view name)
{
    // "." and ".." name no contact file of their own.
    if (name == "." || name == "..")
        return BadUserIdMessage();
    return UserNameRefusal(name);
}

bool IsValidBuddyName(std::string_view name) { return !name.empty() && BuddyNameRefusal(name).empty(); }

std::string BuddyListFullText()
{
    return "\rYour buddy list is full. It can hold at most " + IntToStr(TBuddyStore::kMaxBuddies) +
           " buddies; please delete one, then retry.";
}
