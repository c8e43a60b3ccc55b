#include "client/core/peerdispatch.h"

#include "client/core/buddyfile.h"
#include "client/core/chatrouting.h"
#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/peerguard.h"
#include "client/core/peerlists.h"
#include "client/core/peersend.h"
#include "client/core/plugins.h"
#include "client/core/session.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

#include <algorithm>
#include <cstdio>

namespace {

// The keys, the date and the line ends a stored note's file holds beside the note's own fields.
constexpr std::size_t kNoteFileOverhead = 64;

// A peer's text bound for a contact file: one line, no control bytes, at most 255 bytes.
std::string FileValue(const std::string& text)
{
    std::string clean;
    for (char c : text.substr(0, 255))
        if (static_cast<unsigned char>(c) >= 32)
            clean += c;
    return clean;
}

bool ValidPort(const std::string& text)
{
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int port = std::stoi(text);
    return port > 0 && port <= 65535;
}

// The caller is the listed buddy it named: let in, in place of any connection of the buddy's from elsewhere.
void Welcome(TPeerConnection* connection, const std::string& name, const std::string& email)
{
    const Tbuddy* buddy = Form1->FindBuddy(name);
    if (!buddy)
        return;
    TPeerConnection* other = buddy->Online ? AsPeerConnection(buddy->Socket) : nullptr;
    if (other && other != connection && DottedAddress(other->PeerAddress()) != DottedAddress(connection->PeerAddress()))
        DropConnection(other);
    connection->Answer(kAnswerAccepted);
    SetBuddyOnline(name, email, connection, true);
    if (Session().away)
        SendBuddyCommand("away", Session().awayMessage);
}

// Someone else claiming a buddy, or a caller there is no room for: hung up, nothing stored changed.
void TurnAway(TPeerConnection* connection)
{
    connection->Answer(kAnswerRefused);
    connection->Close();
}

// A request goes before the user when the guard has room for it; false when it does not show now.
bool AskUser(TPeerConnection* connection, peerhooks::TRequest& request)
{
    if (PeerGuard().Admit(request, DottedAddress(connection->PeerAddress())) != TPeerGuard::TAdmission::Show)
        return false;
    peerhooks::Request(request);
    return true;
}

// An unlisted name asks to be listed: the user is asked, within the caller's address's share of prompts.
void HandleStranger(TPeerConnection* connection, const std::string& name, const std::string& email)
{
    if (PeerLists().IsPending(name))
        return;
    peerhooks::TRequest request;
    request.kind = peerhooks::rkBuddy;
    request.requester = name;
    request.email = email;
    request.connection = connection->Serial();
    request.text = UpperCase(name) + " is requesting to be added your buddy list." + "\r" + "Email: " + request.email
        + "\r" + "Do you want to accept?";
    if (PeerGuard().Admit(request, DottedAddress(connection->PeerAddress())) != TPeerGuard::TAdmission::Show) {
        TurnAway(connection);
        return;
    }
    if (!PeerLists().AddPending(name)) {
        PeerGuard().Closed(request.ticket);
        std::fprintf(stderr, "[larkspire] too many buddy requests waiting: %s turned away\n", name.c_str());
        TurnAway(connection);
        return;
    }
    connection->SetIntroduced();
    peerhooks::Request(request);
}

// "inf": answers, or puts the caller before the user, or asks the service who it is.
void HandleInfo(TPeerConnection* connection, const TPeerFrame& frame)
{
    const std::string& name = frame.f2;
    char answer = IsBuddyBlocked(name) ? kAnswerRefused : kAnswerAccepted;
    if (LowerCase(name) == "unknown")
        answer = kAnswerUnknown;
    if (!SameText(frame.f4, Session().userId))
        answer = kAnswerRefused;
    // A name that cannot name a contact file is nobody we could list.
    if (answer == kAnswerAccepted && !IsValidBuddyName(name))
        answer = kAnswerRefused;
    if (answer != kAnswerAccepted) {
        connection->Answer(answer);
        return;
    }
    const std::string email = FileValue(frame.f3);
    const Tbuddy* buddy = Form1->FindBuddy(name);
    if (!buddy) {
        HandleStranger(connection, name, email);
        return;
    }
    const std::string from = connection->PeerAddress();
    if (PeerGuard().IsAt(*buddy, from)) {
        Welcome(connection, name, email);
        return;
    }
    // Not where the buddy is known to be: the caller waits, unanswered, for the service's word.
    const std::uint64_t serial = connection->Serial();
    PeerGuard().AskService(buddy->Name, serial, from, [serial, name, email](bool there) {
        TPeerNetwork* network = PeerNetwork();
        TPeerConnection* caller = network && Form1 ? network->Live(serial) : nullptr;
        if (!caller)
            return;
        if (there && Form1->FindBuddy(name) && !IsBuddyBlocked(name))
            Welcome(caller, name, email);
        else
            TurnAway(caller);
    });
}

// A note from a buddy is kept while its sender's share of the store has room.
void HandleNote(const TPeerFrame& frame)
{
    const std::string folder = UserRoot() + "messages" + PathDelim;
    const auto bytes = static_cast<std::int64_t>(frame.f2.size() + frame.f3.size() + frame.f4.size() + kNoteFileOverhead);
    if (PeerGuard().NoteFits(folder, frame.f2, bytes)) {
        peerhooks::Nivlet(frame.f2, frame.f3, frame.f4);
        return;
    }
    std::fprintf(stderr, "[larkspire] note from %s not kept: its sender's share is full\n", frame.f2.c_str());
    if (PeerGuard().FirstNoteRefused(frame.f2))
        MessageDlg("\rNotes from " + frame.f2 + " fill the room kept for one sender. Later notes from " + frame.f2
                       + " are not kept until you delete some of them.",
                   mtWarning, mbOK, 0);
}

void HandleChatRequest(TPeerConnection* connection, const TPeerFrame& frame)
{
    Tbuddy* buddy = Form1->FindBuddy(frame.f2);
    if (!buddy)
        return;
    const bool chat = frame.f1 == "chat";
    TChatRoom* room = nullptr;
    if (chat) {
        room = PeerLists().FindChat(frame.f2);
        // Lines that come while the prompt waits are the window's once it opens.
        if (!room && buddy->ChatRequested) {
            PeerLists().HoldChatLine(frame.f2, frame.f4);
            return;
        }
    } else {
        // A buddy whose conference would be keyed as this user's own is never joined.
        if (GuestKey(frame.f2).empty())
            return;
        if (PeerLists().FindChat(GuestKey(frame.f2))) {
            SendChatCommand("conference", frame.f2, std::string(1, '\xFA') + Session().userId);
            return;
        }
        if (buddy->ConferenceRequested)
            return;
    }
    if (room) {
        HandleChatLine(frame.f2, frame.f4);
        return;
    }
    peerhooks::TRequest request;
    request.requester = frame.f2;
    request.firstLine = frame.f4;
    request.connection = connection->Serial();
    if (chat) {
        PeerLists().HoldChatLine(frame.f2, frame.f4);
        request.kind = peerhooks::rkChat;
        request.text = UpperCase(frame.f2) + " is requesting to chat with you." + "\r" + "Do you want to accept? (y/n)";
    } else {
        request.kind = peerhooks::rkConference;
        request.text = UpperCase(frame.f2) + " is requesting you join a chat conference." + "\r" + "Do you want to accept? (y/n)";
    }
    // Marked before it shows: an answer given at once clears the mark again.
    (chat ? buddy->ChatRequested : buddy->ConferenceRequested) = true;
    if (!AskUser(connection, request)) {
        (chat ? buddy->ChatRequested : buddy->ConferenceRequested) = false;
        if (chat)
            PeerLists().TakeHeldChatLines(frame.f2);
    }
}

void HandleStartSendFile(const TPeerFrame& frame)
{
    // Only a file this user offered that buddy, once, and only while it is still there.
    if (!ValidPort(frame.f4) || !PeerLists().TakeOffer(frame.f2, frame.f3) || !FileExists(frame.f3))
        return;
    peerhooks::SendFile({ frame.f2, frame.f3, frame.f4, FileSizeOf(frame.f3) });
}

}  // namespace

void HandlePeerCommand(TPeerConnection* connection, const std::string& line)
{
    if (!Form1 || !connection)
        return;
    TPeerFrame frame = SplitPeerFrame(line);
    frame.f2 = Trim(frame.f2);
    if (frame.f2.empty()) {
        DropConnection(connection);
        return;
    }
    const std::string& f1 = frame.f1;
    const std::string& f2 = frame.f2;
    // Nothing a caller says counts while the service is asked who it is.
    if (PeerGuard().Asking(connection->Serial()))
        return;
    // A connection speaks for one name: its "inf" name, and after that only as the buddy it is bound to.
    if (f1 == "inf") {
        if (!connection->InfName().empty() && !SameText(connection->InfName(), f2))
            return;
        connection->SetInfName(f2);
    } else if (!connection->Bound() || !SameText(connection->BoundName(), f2)) {
        return;
    } else if (Tbuddy* buddy = Form1->FindBuddy(f2)) {
        // A refused "inf" keeps nobody alive; a bound buddy's every line does.
        buddy->KeepAlive = 300;
    }

    if (f1 == "ping")
        return;
    if (f1 == "inf") {
        HandleInfo(connection, frame);
        return;
    }
    if (f1 == "decline") {
        if (Form1->FindBuddy(f2) && IsValidBuddyName(f2))
            Form1->DeleteBuddy(f2, false);
        return;
    }
    if (f1 == "away") {
        SetBuddyAway(f2, true, frame.f4.substr(0, 255));
        return;
    }
    if (f1 == "notaway") {
        SetBuddyAway(f2, false, "");
        return;
    }
    if (f1 == "blockme") {
        MarkBuddyOffline(f2, connection);
        return;
    }
    if (f1 == "note") {
        HandleNote(frame);
        return;
    }
    if (f1 == "chat" || f1 == "conferenceopen") {
        HandleChatRequest(connection, frame);
        return;
    }
    if (f1 == "chatclose") {
        if (PeerLists().FindChat(f2))
            HandleChatLine(f2, "\xFD" + f2);
        return;
    }
    if (f1 == "conferenceleave") {
        // Leaving goes to every buddy; only a leave from this user's own conference removes anyone.
        if (PeerLists().FindChat("Conference*") && SameText(frame.f4, Session().userId + "*"))
            HandleChatLine("Conference*", "\xFD" + f2);
        return;
    }
    if (f1 == "conferenceclose") {
        if (PeerLists().FindChat(GuestKey(f2)))
            HandleChatLine(GuestKey(f2), "\xFD" + f2 + " (Host)");
        return;
    }
    if (f1 == "pluginclose") {
        // The buddy closed its copy of a plug-in: this user's copy hears that its partner left.
        if (PeerLists().HasPluginSocket(frame.f4))
            peerhooks::PluginLine(frame.f4, "\xF9" + f2);
        return;
    }
    if (f1 == "conference") {
        HandleConferenceLine(connection->BoundName(), frame.f4);
        return;
    }
    if (f1 == "conferencehost") {
        if (PeerLists().FindChat(GuestKey(f2)))
            HandleChatLine(GuestKey(f2), frame.f4);
        return;
    }
    if (f1 == "requesttosendfile") {
        peerhooks::TRequest request;
        request.kind = peerhooks::rkFile;
        request.requester = f2;
        request.path = frame.f3;
        request.size = frame.f4;
        request.connection = connection->Serial();
        AskUser(connection, request);
        return;
    }
    if (f1 == "startsendfile") {
        HandleStartSendFile(frame);
        return;
    }
    if (f1 == "rejected") {
        // Only an answer to a file this user offered that buddy tells the user anything.
        if (frame.f3 == "file" && PeerLists().TakeAnyOffer(f2))
            MessageDlg("\rYour request to transfer a file was rejected by the recepient.", mtInformation, mbOK, 0);
        return;
    }
    if (f1 == "pluginrequest") {
        // Only a listed buddy may invite, and only to a plug-in installed here.
        const std::string folder = InstalledPluginFolder(frame.f4);
        if (folder.empty() || !Form1->FindBuddy(f2))
            return;
        peerhooks::TRequest request;
        request.kind = peerhooks::rkPlugin;
        request.requester = f2;
        request.folder = folder;
        request.connection = connection->Serial();
        AskUser(connection, request);
        return;
    }
    if (f1.size() > 1 && f1[0] == '\xF9') {
        const std::string pidKey = f1.substr(1);
        // A copy that says it joined speaks for the buddy whose connection carried it, and only for it.
        if (!frame.f4.empty() && frame.f4[0] == '\xFA'
            && (!IsValidBuddyName(frame.f4.substr(1)) || !SameText(frame.f4.substr(1), f2)))
            return;
        if (PeerLists().HasPluginSocket(pidKey))
            peerhooks::PluginLine(pidKey, frame.f4);
    }
}
