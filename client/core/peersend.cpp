#include "client/core/peersend.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/peerlists.h"
#include "client/core/session.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

#include <QApplication>

namespace {

std::string Frame(const std::string& command, const std::string& f3, const std::string& f4)
{
    return BuildPeerFrame(command, Session().userId, f3, f4);
}

bool WriteTo(TBuddySocket* socket, const std::string& frame)
{
    TPeerConnection* connection = AsPeerConnection(socket);
    return connection && connection->Write(frame);
}

bool ReadableFile(const std::string& path)
{
    try {
        TFileStream file(path, fmOpenRead | fmShareDenyWrite);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

bool SendInfo(const Tbuddy& buddy, TPeerConnection* connection)
{
    return connection && connection->Write(Frame("inf", Session().userEmail, buddy.Name));
}

bool SendToBuddy(const std::string& name, const std::string& command, const std::string& f4)
{
    const Tbuddy* buddy = Form1 ? Form1->FindBuddy(name) : nullptr;
    if (!buddy || !buddy->Online)
        return false;
    return WriteTo(buddy->Socket, Frame(command, Session().userEmail, f4));
}

bool SendBuddyCommand(const std::string& command, const std::string& argument)
{
    if (!Form1)
        return false;
    if (!Session().online || !HasBuddies()) {
        Form1->UpdateStatusBar();
        return false;
    }
    const std::string frame = Frame(command, Session().userEmail, argument);
    // A plain name addresses one buddy; plug-in keys and presence go to everyone.
    if (command != "away" && command != "notaway" && !argument.empty() && argument.find('*') == std::string::npos
        && argument.find("{927971f5-") == std::string::npos)
        return WriteTo(FindBuddySocket(argument), frame);
    const bool sent = FrameFits(frame);
    if (sent)
        ForEachBuddy([&](const Tbuddy& buddy) {
            if (buddy.Online)
                WriteTo(buddy.Socket, frame);
        });
    Form1->UpdateStatusBar();
    return sent;
}

bool SendChatCommand(const std::string& command, const std::string& target, const std::string& body)
{
    const std::string frame = Frame(command, target, body);
    std::string name = target;
    if (name.find('*') != std::string::npos)
        name.pop_back();
    if (!FrameFits(frame))
        return false;
    if (TBuddySocket* socket = FindBuddySocket(name))
        return WriteTo(socket, frame);
    QApplication::beep();
    return false;
}

bool BlockBuddy(const std::string& name) { return SendToBuddy(name, "blockme", ""); }

void SendFileTo(const std::string& buddy, const std::string& path)
{
    if (DirectoryExists(path)) {
        PlayAppSound(6, true);
        MessageDlg("\rFolder transfers not permitted. Please select file(s) individually.", mtWarning, mbOK, 0);
        return;
    }
    if (!ReadableFile(path)) {
        PlayAppSound(6, true);
        MessageDlg("\rThe file " + UpperCase(ExtractFileName(path)) + " is in use by another application, close file then retry.",
                   mtWarning, mbOK, 0);
        return;
    }
    // The buddy would get the path cut short and refuse it unasked: say so before anything goes.
    if (!FitsQuotedField(path)) {
        PlayAppSound(6, true);
        MessageDlg("\rThe file " + UpperCase(ExtractFileName(path))
                       + " cannot be sent because its name or folder holds a double quote (\"). Rename it, then retry.",
                   mtWarning, mbOK, 0);
        return;
    }
    if (!GetBuddyConnected(buddy)) {
        PlayAppSound(6, true);
        MessageDlg("\rSorry, '" + buddy + "' is not online. You may want to try again later.", mtInformation, mbOK, 0);
        return;
    }
    if (GetBuddyAway(buddy)) {
        PlayAppSound(6, true);
        MessageDlg("\rThis buddy is away from their computer. Please try again later.", mtInformation, mbOK, 0);
        return;
    }
    if (HasPeerSocket(buddy) && FileExists(path)) {
        PlayAppSound(12, true);
        const std::string frame = Frame("requesttosendfile", path, std::to_string(FileSizeOf(path)));
        // Only a file offered here may be fetched with "startsendfile", and only by that buddy.
        if (WriteTo(FindBuddySocket(buddy), frame))
            PeerLists().OfferFile(buddy, path);
    }
}
