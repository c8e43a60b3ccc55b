#include "client/core/peerdispatch.h"

#include "client/core/buddyfile.h"
#include "client/core/chatrouting.h"
#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/peerlists.h"
#include "client/core/peersend.h"
#include "client/core/plugins.h"
#include "client/core/session.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

#include <algorithm>

namespace {

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

// "inf": answers, or puts the caller before the user. False when the dispatch ends here.
bool HandleInfo(TPeerConnection* connection, const TPeerFrame& frame)
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
        return false;
    }
    const Tbuddy* buddy = Form1->FindBuddy(name);
    if (buddy && !MayIntroduceAs(*buddy, connection)) {
        // Someone else claiming a buddy: hung up, the buddy's file and connection untouched.
        connection->Answer(kAnswerRefused);
        connection->Close();
        return false;
    }
    if (!buddy) {
        if (PeerLists().IsPending(name) || !PeerLists().AddPending(name))
            return false;
        connection->SetIntroduced();
        peerhooks::TRequest request;
        request.kind = peerhooks::rkBuddy;
        request.requester = name;
        request.email = FileValue(frame.f3);
        request.connection = connection->Serial();
        request.text = UpperCase(name) + " is requesting to be added your buddy list." + "\r" + "Email: " + request.email
            + "\r" + "Do you want to accept?";
        peerhooks::Request(request);
        return true;
    }
    connection->Answer(kAnswerAccepted);
    SetBuddyOnline(name, FileValue(frame.f3), connection, true);
    if (Session().away)
        SendBuddyCommand("away", Session().awayMessage);
    return true;
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
        if (PeerLists().FindChat(frame.f2 + "*")) {
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
        buddy->ChatRequested = true;
        PeerLists().HoldChatLine(frame.f2, frame.f4);
        request.kind = peerhooks::rkChat;
        request.text = UpperCase(frame.f2) + " is requesting to chat with you." + "\r" + "Do you want to accept? (y/n)";
    } else {
        buddy->ConferenceRequested = true;
        request.kind = peerhooks::rkConference;
        request.text = UpperCase(frame.f2) + " is requesting you join a chat conference." + "\r" + "Do you want to accept? (y/n)";
    }
    peerhooks::Request(request);
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
        peerhooks::Nivlet(f2, frame.f3, frame.f4);
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
        if (PeerLists().FindChat(f2 + "*"))
            HandleChatLine(f2 + "*", "\xFD" + f2 + " (Host)");
        return;
    }
    if (f1 == "pluginclose")
        return;
    if (f1 == "conference") {
        HandleConferenceLine(f2, frame.f4);
        return;
    }
    if (f1 == "conferencehost") {
        if (PeerLists().FindChat(f2 + "*"))
            HandleChatLine(f2 + "*", frame.f4);
        return;
    }
    if (f1 == "requesttosendfile") {
        peerhooks::TRequest request;
        request.kind = peerhooks::rkFile;
        request.requester = f2;
        request.path = frame.f3;
        request.size = frame.f4;
        request.connection = connection->Serial();
        peerhooks::Request(request);
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
        peerhooks::Request(request);
        return;
    }
    if (f1.size() > 1 && f1[0] == '\xF9') {
        const std::string pidKey = f1.substr(1);
        if (PeerLists().HasPluginSocket(pidKey))
            peerhooks::PluginLine(pidKey, frame.f4);
    }
}
