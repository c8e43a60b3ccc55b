#include "client/core/mainbar.h"

#include "client/core/buddyfile.h"
#include "client/core/buddytoast.h"
#include "client/core/chatrouting.h"
#include "client/core/helpers.h"
#include "client/core/features.h"
#include "client/core/peerconnections.h"
#include "client/core/peerlists.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

// The session's buddies as peers see them: online, away, their sockets. The
// store lives in the bar; everyone else goes through these.

void ForEachBuddy(const std::function<void(Tbuddy&)>& visit)
{
    if (!Form1)
        return;
    for (int i = 0; i < Form1->FriendsListBox.Count(); ++i)
        if (Tbuddy* buddy = Form1->FriendsListBox.Item(i))
            visit(*buddy);
}

bool HasBuddies() { return Form1 && !Form1->FriendsListBox.Empty(); }

bool IsOnlineSocketOf(const std::string& name, const TBuddySocket* socket)
{
    return Form1 && socket && Form1->PeerSockets.Find(name) == socket;
}

bool HoldsPeerSocket(const std::string& name, const TBuddySocket* socket)
{
    if (IsOnlineSocketOf(name, socket))
        return true;
    bool held = false;
    ForEachBuddy([&](const Tbuddy& buddy) { held = held || buddy.Socket == socket; });
    return held;
}

void ForgetOnlineSockets()
{
    if (Form1)
        Form1->PeerSockets.Clear();
}

void LoadBuddyFiles(bool reset)
{
    if (!Form1)
        return;
    if (reset)
        Form1->BuddyCanvas.ForgetHovered();
    if (LoadBuddyFiles(Form1->FriendsListBox, reset) > 0)
        MessageDlg(BuddyListFullText(), mtWarning, mbOK, 0);
}

TBuddySocket* FindBuddySocket(const std::string& name)
{
    if (!Form1)
        return nullptr;
    const Tbuddy* buddy = Form1->FindBuddy(name);
    return buddy && buddy->Online ? buddy->Socket : nullptr;
}

bool HasPeerSocket(const std::string& name) { return Form1 && Form1->PeerSockets.Contains(name); }

bool GetBuddyConnected(const std::string& name)
{
    const Tbuddy* buddy = Form1 ? Form1->FindBuddy(name) : nullptr;
    return buddy && buddy->Online;
}

bool GetBuddyAway(const std::string& name)
{
    const Tbuddy* buddy = Form1 ? Form1->FindBuddy(name) : nullptr;
    return buddy && buddy->Away;
}

void SetBuddyOnline(const std::string& name, const std::string& email, TBuddySocket* socket, bool online)
{
    if (!Form1)
        return;
    TForm1& bar = *Form1;
    Tbuddy* buddy = bar.FindBuddy(name);
    if (online && !buddy) {
        // The name came from the network: it must pass the typed name's test before it names a file.
        if (!IsValidBuddyName(name))
            return;
        if (bar.FriendsListBox.Full()) {
            MessageDlg(BuddyListFullText(), mtWarning, mbOK, 0);
            return;
        }
        WriteBuddyIdentity(name);
        WriteBuddyValue(name, "email", email);
        WriteBuddyValue(name, "online", "1");
        auto added = std::make_unique<Tbuddy>();
        added->Name = name;
        buddy = bar.FriendsListBox.Add(std::move(added));
    }
    if (!buddy)
        return;
    if (online) {
        if (!buddy->Online) {
            PlayAppSound(3, true);
            ShowOnlineToast(buddy->Name, tkOnline);
            BroadcastToChats("\xF8" + buddy->Name);
        }
        buddy->Online = true;
        buddy->KeepAlive = 300;
        buddy->Connecting = false;
        buddy->PeerAddress = socket ? socket->PeerAddress() : std::string();
        buddy->Socket = socket;
        // From now on that connection speaks for this buddy, and only for it.
        BindPeerConnection(socket, buddy->Name);
        if (!Trim(email).empty())
            WriteBuddyValue(buddy->Name, "email", email);
        WriteBuddyValue(buddy->Name, "online", "1");
        bar.PeerSockets.Remove(buddy->Name);
        bar.RefreshBuddyListSoon();
        bar.PeerSockets.Add(buddy->Name, socket);
        return;
    }
    bar.PeerSockets.Remove(buddy->Name);
    if (buddy->Online) {
        ShowOnlineToast(buddy->Name, tkOffline);
        PlayAppSound(4, false);
        BroadcastToChats("\xF9" + buddy->Name);
        // A game with that buddy ends: the plug-ins hear it left.
        const std::vector<std::string> pluginKeys = PeerLists().PluginKeys();
        for (const std::string& key : pluginKeys)
            peerhooks::PluginLine(key, "\xF9" + buddy->Name);
        if (buddy->Socket)
            buddy->Socket->Close();
        buddy->Away = false;
        buddy->Online = false;
        bar.RefreshBuddyList();
    }
    buddy->Online = false;
    buddy->Away = false;
    buddy->KeepAlive = 30;
    buddy->Connecting = false;
    buddy->PeerAddress.clear();
    buddy->Socket = nullptr;
    WriteBuddyValue(buddy->Name, "online", "0");
}

void MarkBuddyOffline(const std::string& name, TBuddySocket* socket) { SetBuddyOnline(name, "", socket, false); }

void SetBuddyAway(const std::string& name, bool away, const std::string& message)
{
    Tbuddy* buddy = Form1 ? Form1->FindBuddy(name) : nullptr;
    if (!buddy)
        return;
    buddy->Away = away;
    buddy->AwayMessage = message.substr(0, 255);
    Form1->RefreshBuddyListSoon();
    BroadcastToChats((away ? "\xF9" : "\xF8") + buddy->Name);
}

void SaveSelectedChannel(const std::string& name)
{
    TIniFile(AppPath() + "Channels.ini").WriteString("settings", "Iselected", Trim(name));
}
