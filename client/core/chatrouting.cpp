#include "client/core/chatrouting.h"

#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/core/peerlists.h"
#include "client/core/peersend.h"
#include "client/core/session.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

constexpr char kMember = '\xFC';
constexpr char kLeft = '\xFD';
constexpr char kInviteCandidate = '\xF8';
constexpr char kGone = '\xF9';
constexpr char kJoined = '\xFA';

constexpr const char* kHostKey = "Conference*";

bool Invited(const TChatRoom& room, const std::string& name)
{
    return std::any_of(room.invited.begin(), room.invited.end(), [&](const std::string& invited) { return SameText(invited, name); });
}

void TellPersons(const TChatRoom& room, const std::string& body)
{
    // A copy: sending may beep and let the loop run.
    const std::vector<std::string> persons = room.persons;
    for (const std::string& person : persons)
        SendChatCommand("conferencehost", person, body);
}

// A member leaving is named; the host leaving ends the conference for everyone here.
void RemovePerson(TChatRoom& room, const std::string& name)
{
    if (name.find("(Host)") != std::string::npos) {
        std::string host = name.substr(0, name.find(" (Host)"));
        peerhooks::Notice(room.key, peerhooks::cnHostClosed, host);
        room.persons.clear();
    } else {
        peerhooks::Notice(room.key, peerhooks::cnLeft, name);
        std::erase_if(room.persons, [&](const std::string& person) { return SameText(person, name); });
    }
    peerhooks::Persons(room.key, room.persons);
}

bool ListPerson(TChatRoom& room, const std::string& name, bool announce)
{
    if (room.HasPerson(name) || room.persons.size() >= TPeerLists::kMaxPersons)
        return false;
    if (announce)
        peerhooks::Notice(room.key, peerhooks::cnJoined, name);
    room.persons.push_back(name);
    peerhooks::Persons(room.key, room.persons);
    return true;
}

// A member's line goes on to every other guest, never back to the member.
void RelayText(const TChatRoom& room, const std::string& sender, const std::string& line)
{
    std::string relayed = line;
    std::replace(relayed.begin(), relayed.end(), '"', '\xEF');
    const std::vector<std::string> persons = room.persons;
    for (const std::string& person : persons)
        if (person.find("(Host)") == std::string::npos && !SameText(person, sender))
            SendChatCommand("conferencehost", person, relayed);
}

}  // namespace

void OpenChatWindow(const std::string& key, const std::string& firstLine)
{
    if (PeerLists().FindChat(key)) {
        peerhooks::RaiseChat(key);
        return;
    }
    // What the buddy said while its request waited comes first, whichever way the window opens.
    std::vector<std::string> held = PeerLists().TakeHeldChatLines(key);
    const std::string first = held.empty() ? firstLine : held.front();
    PeerLists().AddChat(key, first);
    peerhooks::CreateChat(key, key + " - Korvo", first);
    peerhooks::AppendChat(key, first);
    for (std::size_t i = 1; i < held.size(); ++i)
        HandleChatLine(key, held[i]);
}

void HandleChatLine(const std::string& key, const std::string& body)
{
    TChatRoom* room = PeerLists().FindChat(key);
    if (!room || body.empty())
        return;
    const std::string name = body.substr(1);
    switch (body[0]) {
    case kMember:
        ListPerson(*room, name, false);
        return;
    case kLeft:
        if (!room->HasPerson(name)) {
            peerhooks::Notice(room->key, peerhooks::cnClosed, name);
            return;
        }
        RemovePerson(*room, name);
        if (room->IsHost())
            TellPersons(*room, std::string(1, kLeft) + name);
        return;
    case kInviteCandidate: {
        if (SameText(name, room->key))
            room->toldGone = false;
        if (!room->IsHost())
            return;
        const bool listed = std::any_of(room->inviteHints.begin(), room->inviteHints.end(),
                                        [&](const std::string& hint) { return SameText(hint, name); });
        if (listed || room->inviteHints.size() >= TPeerLists::kMaxInviteItems)
            return;
        room->inviteHints.push_back(name);
        peerhooks::InviteItems(room->key, room->inviteHints);
        return;
    }
    case kGone: {
        auto& hints = room->inviteHints;
        const auto last = std::find_if(hints.rbegin(), hints.rend(), [&](const std::string& hint) { return SameText(hint, name); });
        if (last != hints.rend()) {
            hints.erase(std::next(last).base());
            peerhooks::InviteItems(room->key, hints);
        }
        if (room->HasPerson(name)) {
            RemovePerson(*room, name);
            if (room->IsHost())
                TellPersons(*room, std::string(1, kLeft) + name);
        }
        if (SameText(name, room->key) && !room->toldGone) {
            room->toldGone = true;
            peerhooks::Notice(room->key, peerhooks::cnOffline, name);
        }
        return;
    }
    case kJoined:
        peerhooks::Notice(room->key, peerhooks::cnStatusClear, name);
        ListPerson(*room, name, true);
        if (room->IsHost()) {
            TellPersons(*room, std::string(1, kJoined) + name);
            peerhooks::MemberList(room->key, name);
        }
        return;
    default:
        break;
    }
    if (room->sound)
        PlayAppSound(15, true);
    peerhooks::AppendChat(room->key, body);
}

void HandleConferenceLine(const std::string& sender, const std::string& body)
{
    TChatRoom* room = PeerLists().FindChat(kHostKey);
    if (!room || body.empty() || sender.find("(Host)") != std::string::npos)
        return;
    switch (body[0]) {
    case kJoined:
    case kLeft:
        if (!SameText(body.substr(1), sender) || !Invited(*room, sender))
            return;
        // Listed and announced as its connection names it.
        HandleChatLine(kHostKey, body[0] + sender);
        return;
    case kMember:
    case kInviteCandidate:
    case kGone:
        // Only the host's own side says these.
        return;
    default:
        break;
    }
    // Only a member speaks, and always as itself, whatever name its text puts first.
    if (!room->HasPerson(sender) || SameText(sender, Session().userId))
        return;
    const std::string line = SpokenBy(body, sender);
    if (line.empty())
        return;
    HandleChatLine(kHostKey, line);
    RelayText(*room, sender, line);
}

std::string GuestKey(const std::string& host)
{
    const std::string key = host + "*";
    return SameText(key, kHostKey) ? std::string() : key;
}

void InviteToConference(const std::string& name)
{
    TChatRoom* room = PeerLists().FindChat(kHostKey);
    if (!room || Invited(*room, name))
        return;
    // As many as could ever be listed; the oldest invitation lapses first.
    if (room->invited.size() >= TPeerLists::kMaxPersons)
        room->invited.erase(room->invited.begin());
    room->invited.push_back(name);
}

void AddChatPerson(const std::string& key, const std::string& name)
{
    if (TChatRoom* room = PeerLists().FindChat(key))
        ListPerson(*room, name, true);
}

void CloseChatWindow(const std::string& key)
{
    if (!PeerLists().FindChat(key))
        return;
    const char* command = key == kHostKey ? "conferenceclose" : key.ends_with('*') ? "conferenceleave" : "chatclose";
    SendBuddyCommand(command, key);
    PeerLists().RemoveChat(key);
}

void BroadcastToChats(const std::string& line)
{
    if (!Session().online)
        return;
    for (const std::string& key : PeerLists().ChatKeys())
        HandleChatLine(key, line);
}

std::string ExtractSpeaker(const std::string& line)
{
    const int mark = Pos("b\\cf0", line);
    const int colon = Pos(":", line);
    if (mark == 0 || colon == 0)
        return {};
    const int start = mark + 6;
    const int length = colon - start;
    if (length < 0 || length > 255)
        return {};
    return Copy(line, start, length);
}

std::string SpokenBy(const std::string& line, const std::string& speaker)
{
    const std::string said = ExtractSpeaker(line);
    if (said.empty())
        return {};
    // ExtractSpeaker found the name right after the first "b\cf0 " (1-based Pos).
    const std::size_t start = static_cast<std::size_t>(Pos("b\\cf0", line)) + 5;
    return line.substr(0, start) + speaker + line.substr(start + said.size());
}
