#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// What the peer dispatcher hands to windows that live elsewhere: the request
// prompt, the file-transfer window, the Nivlet store, the chat window and the
// plug-in sockets. The dispatcher decides; a hook only shows or stores. A hook
// nobody filled does nothing and says so once on standard error. Every call is
// recorded (the latest 200) so scripted runs can see what a peer caused.
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

struct THooks {
    std::function<void(const TRequest&)> RequestPrompt;
    std::function<void(const TFileSend&)> SendFileWindow;
    std::function<void(const std::string& from, const std::string& link, const std::string& message)> SaveNivlet;
    // The chat window of a key: made and shown with its first line, or brought to the front.
    std::function<void(const std::string& key, const std::string& caption, const std::string& firstLine)> CreateChatWindow;
    std::function<void(const std::string& key)> RaiseChatWindow;
    std::function<void(const std::string& key, const std::string& rtf)> AppendChatText;
    // The person list changed: the window shows these names.
    std::function<void(const std::string& key, const std::vector<std::string>& persons)> ChatPersons;
    // The "&Invite" menu now holds these hints.
    std::function<void(const std::string& key, const std::vector<std::string>& hints)> ChatInviteItems;
    std::function<void(const std::string& key, ChatNotice notice, const std::string& name)> ChatNoticeShown;
    std::function<void(const std::string& key, const std::string& name)> SendMemberList;
    std::function<void(const std::string& pidKey, const std::string& payload)> WritePluginLine;
};

// The session's hooks; windows fill them when they are made.
THooks& Hooks();

// Calls of the hooks, oldest first: the name and its arguments joined by '|'.
const std::deque<std::string>& Calls();
void ClearCalls();
inline constexpr std::size_t kMaxCalls = 200;

// The dispatcher's side: records the call, then runs the hook or notes its absence.
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
