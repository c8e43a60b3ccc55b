#pragma once

#include <QDateTime>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a buddy's frame hands the windows the peer dispatcher does not own.
namespace peerhooks {

// The incoming-request prompt's kinds.
enum RequestKind : std::uint8_t {
    rkFile = 1,
    rkPlugin = 2,
    rkChat = 3,
    rkConference = 4,
    rkBuddy = 5,
};

struct TRequest {
    RequestKind kind { rkBuddy };
    std::string requester;
    std::string email;      // rkBuddy
    std::string path;       // rkFile
    std::string size;       // rkFile
    std::string folder;     // rkPlugin
    std::string firstLine;  // rkChat, rkConference
    std::string text;       // the prompt's question; empty for rkFile and rkPlugin
    std::uint64_t connection { 0 };  // the serial of the connection it came on
    std::uint64_t ticket { 0 };      // the peer guard's, once it let the request be shown
};

// The file-transfer window in send mode.
struct TFileSend {
    std::string buddy;
    std::string path;
    std::string port;
    std::int64_t size { 0 };
};

// A chat window's notice for a person.
enum ChatNotice : std::uint8_t {
    cnClosed,       // ShowChatClosed
    cnOffline,      // ShowBuddyOffline
    cnStatusClear,  // the first status panel cleared
    cnJoined,       // the person joined: shown before the name is listed
    cnLeft,         // the person left the conference
    cnHostClosed,   // the host closed the conference: the list is emptied
};

}  // namespace peerhooks

// Everything the core asks of the features it cannot include (the windows, the
// channel guide, notes and reminders, news, chat and transfer windows, plug-in
// sockets), grouped by the moment the core asks. The program fills it at start;
// a member left empty does nothing.
struct TFeatures {
    // The log-on succeeded and the session's windows come up.
    struct TSignOn {
        // The advertisement refresh and update check, started by the first log-on.
        std::function<void()> StartUpdateCheck;
        std::function<void()> StartNivletRead;  // also the bar's CHECK button
        // The guide is made with the main bar; its categories are built once.
        std::function<void()> CreateGuide;
        std::function<void()> LoadGuide;
        std::function<void()> LoadNivlets;
        std::function<void()> LoadReminders;
        std::function<void()> LoadAwayPresets;
        std::function<void()> TrimOldNews;  // the main bar's showing
        std::function<void()> FillNewsTree;
        std::function<void()> StartTicker;  // once the bar's timer runs
    } SignOn;

    // Each tick of the one-second timer.
    struct TTick {
        std::function<void()> RunDueReminders;  // also once at sign-on
        std::function<void(const QDateTime& now)> NewsDuty;
    } Tick;

    // A buddy's frame was decided on: a hook only shows or stores. One nobody
    // filled says so once on standard error.
    struct TPeerFrame {
        std::function<void(const peerhooks::TRequest&)> RequestPrompt;
        std::function<void(const peerhooks::TFileSend&)> SendFileWindow;
        std::function<void(const std::string& from, const std::string& link, const std::string& message)> SaveNivlet;
        // The chat window of a key: made and shown with its first line, or brought to the front.
        std::function<void(const std::string& key, const std::string& caption, const std::string& firstLine)>
            CreateChatWindow;
        std::function<void(const std::string& key)> RaiseChatWindow;
        std::function<void(const std::string& key, const std::string& rtf)> AppendChatText;
        // The person list changed: the window shows these names.
        std::function<void(const std::string& key, const std::vector<std::string>& persons)> ChatPersons;
        // The "&Invite" menu now holds these hints.
        std::function<void(const std::string& key, const std::vector<std::string>& hints)> ChatInviteItems;
        std::function<void(const std::string& key, peerhooks::ChatNotice notice, const std::string& name)>
            ChatNoticeShown;
        std::function<void(const std::string& key, const std::string& name)> SendMemberList;
        std::function<void(const std::string& pidKey, const std::string& payload)> WritePluginLine;
        // Told of every call above before it runs, as its name and its arguments
        // joined by '|'; only scripted runs listen.
        std::function<void(const std::string& call)> Dispatched;
    } PeerFrame;

    // The session ends.
    struct TSignOff {
        // The session's notes, reminders and away window go.
        std::function<void()> CloseNotes;
        std::function<void()> FreeTicker;
        // A running news fetch ends, and is waited for.
        std::function<void()> StopNewsThread;
        // The guide is closed and freed.
        std::function<void()> FreeGuide;
    } SignOff;

    // A button or menu item of the bar, the sign-on window or a buddy's menu.
    struct TCommand {
        // The properties window, modal.
        std::function<void()> ShowSetup;
        // The buddy dialog, modal, for Channels.ini [settings] Iselected (empty: a new
        // buddy); the name it wrote, "" when it was cancelled.
        std::function<std::string()> ShowBuddyDialog;
        // The about box, modal.
        std::function<void()> ShowAbout;
        // AMBRO: site chat with the browser's current site.
        std::function<void()> StartAmbro;
        // The search strip (the "find" button).
        std::function<void()> StartSearchBar;
        // A keyword typed in the keyword box: true when it named a channel and that opened.
        std::function<bool(const std::string& keyword)> OpenChannel;
        // A one-shot search through the default engine.
        std::function<void(const std::string& query)> SearchWeb;
        // "ADD": the browser's page as a favourite (mode 0 opens the wizard).
        std::function<void(int mode)> AddPageAsChannel;
        // A shortcut file dropped on the bar: the wizard with its address and name.
        std::function<void(const std::string& path, const std::string& name)> AddDroppedShortcut;
        // The channel guide button: shows the guide, or closes it when it is shown.
        std::function<void()> ToggleGuide;
        // CONF: the guide closes unless its "Lock" box is ticked.
        std::function<void()> CloseUnlockedGuide;
        // The buddy dialog: a shown guide closes first.
        std::function<void()> CloseGuide;
        std::function<void(const std::string& to, const std::string& link, const std::string& text)> ComposeNivlet;
        // The note window for a received note (0), a quick tip (1) or a due reminder (2).
        std::function<void(const std::string& from, const std::string& linkField, const std::string& text, int kind)>
            ShowNoteWindow;
        // An empty id opens the form for a new reminder.
        std::function<void(const std::string& id)> EditReminder;
        // The AWAY button changed the away flag: the window shows when away, closes when back.
        std::function<void(bool away)> AwayChanged;
    } Command;
};

TFeatures& Features();

// Calls a member when it is filled.
template<typename Hook, typename... Args>
void CallFeature(const Hook& hook, Args&&... args)
{
    if (hook)
        hook(std::forward<Args>(args)...);
}

// The peer dispatcher's side: tells a listener, then runs the hook or notes its absence.
namespace peerhooks {

void Request(const TRequest& request);
void SendFile(const TFileSend& send);
void Nivlet(const std::string& from, const std::string& link, const std::string& message);
void CreateChat(const std::string& key, const std::string& caption, const std::string& firstLine);
void RaiseChat(const std::string& key);
void AppendChat(const std::string& key, const std::string& rtf);
void Persons(const std::string& key, const std::vector<std::string>& persons);
void InviteItems(const std::string& key, const std::vector<std::string>& hints);
void Notice(const std::string& key, ChatNotice notice, const std::string& name);
void MemberList(const std::string& key, const std::string& name);
void PluginLine(const std::string& pidKey, const std::string& payload);

}  // namespace peerhooks
