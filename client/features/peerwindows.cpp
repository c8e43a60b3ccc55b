#include "client/features/peerwindows.h"

#include "client/core/features.h"
#include "client/core/peerguard.h"
#include "client/core/peerlists.h"
#include "client/features/chatwindow.h"
#include "client/features/requestwindow.h"
#include "client/features/transferwindow.h"
#include "platform/rtl/sysutils.h"

#include <QPointer>
#include <QTextEdit>
#include <QTimer>

#include <vector>

namespace {

std::vector<QPointer<TForm14>>& ChatWindows()
{
    static std::vector<QPointer<TForm14>> windows;
    return windows;
}

template<typename Call>
void WithWindow(const std::string& key, Call call)
{
    if (TForm14* window = FindChatWindow(key))
        call(*window);
}

// A window of the key whose room the session no longer holds.
TForm14* StaleChatWindow(const std::string& key)
{
    std::erase_if(ChatWindows(), [](const QPointer<TForm14>& window) { return window.isNull(); });
    for (const QPointer<TForm14>& window : ChatWindows())
        if (SameText(window->Key(), key) && !window->ChatRoom())
            return window.data();
    return nullptr;
}

}  // namespace

TForm14* FindChatWindow(const std::string& key)
{
    std::erase_if(ChatWindows(), [](const QPointer<TForm14>& window) { return window.isNull(); });
    // Only the window of the session's room: one left from an earlier session keeps its key but takes nothing.
    const TChatRoom* room = PeerLists().FindChat(key);
    if (!room)
        return nullptr;
    for (const QPointer<TForm14>& window : ChatWindows())
        if (window->Serial() == room->serial)
            return window.data();
    return nullptr;
}

void InstallPeerWindows()
{
    TFeatures::TPeerFrame& hooks = Features().PeerFrame;
    hooks.RequestPrompt = [](const peerhooks::TRequest& request) { OpenRequestPrompt(request); };
    hooks.SendFileWindow = [](const peerhooks::TFileSend& send) { OpenSendWindow(send); };
    hooks.CreateChatWindow = [](const std::string& key, const std::string&, const std::string& firstLine) {
        // One window per key: one left from an earlier session takes the new room.
        TForm14* window = StaleChatWindow(key);
        if (window) {
            window->Rejoin();
        } else {
            window = new TForm14(key, firstLine);
            ChatWindows().emplace_back(window);
        }
        window->ShowChat();
        // The window holds what the prompt asked about: it is answered.
        PeerGuard().CloseShown(key, peerhooks::rkChat);
        // The first line is appended after this; a window just opened does not flash for it.
        QTimer::singleShot(0, window, [window] {
            window->StopFlashing();
            window->memo3->setFocus();
        });
    };
    hooks.RaiseChatWindow = [](const std::string& key) {
        WithWindow(key, [](TForm14& window) {
            if (window.WindowState() == wsMinimized)
                window.SetWindowState(wsNormal);
            window.Activate();
        });
    };
    hooks.AppendChatText = [](const std::string& key, const std::string& rtf) {
        WithWindow(key, [&](TForm14& window) { window.AppendRichText(rtf, window.Memo2); });
    };
    hooks.ChatPersons = [](const std::string& key, const std::vector<std::string>& persons) {
        WithWindow(key, [&](TForm14& window) { window.SetPersons(persons); });
    };
    hooks.ChatInviteItems = [](const std::string& key, const std::vector<std::string>& hints) {
        WithWindow(key, [&](TForm14& window) { window.SetInviteItems(hints); });
    };
    hooks.ChatNoticeShown = [](const std::string& key, peerhooks::ChatNotice notice, const std::string& name) {
        WithWindow(key, [&](TForm14& window) { window.ShowNotice(notice, name); });
    };
    hooks.SendMemberList = [](const std::string& key, const std::string& newcomer) {
        WithWindow(key, [&](TForm14& window) { window.SendMemberList(newcomer); });
    };
}
