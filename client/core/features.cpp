#include "client/core/features.h"

#include <cstdio>
#include <set>

TFeatures& Features()
{
    static TFeatures features;
    return features;
}

namespace peerhooks {

namespace {

// Builds the call's line only for a listener: without one nothing is kept.
void Tell(const std::string& name, const std::vector<std::string>& arguments)
{
    const auto& listener = Features().PeerFrame.Dispatched;
    if (!listener)
        return;
    std::string call = name;
    for (const std::string& argument : arguments)
        call += '|' + argument;
    listener(call);
}

template <class Hook, class... Args>
void Run(const char* name, const Hook& hook, Args&&... args)
{
    if (hook) {
        hook(std::forward<Args>(args)...);
        return;
    }
    // Once per hook: a window still to come is not an error worth repeating.
    static std::set<std::string> told;
    if (told.insert(name).second)
        std::fprintf(stderr, "[larkspire] nothing shows %s yet\n", name);
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ",") + name;
    return text;
}

TFeatures::TPeerFrame& Hooks() { return Features().PeerFrame; }

}  // namespace

void Request(const TRequest& request)
{
    std::vector<std::string> arguments { std::to_string(request.kind), request.requester };
    switch (request.kind) {
    case rkFile: arguments.insert(arguments.end(), { request.path, request.size }); break;
    case rkPlugin: arguments.push_back(request.folder); break;
    case rkChat:
    case rkConference: arguments.insert(arguments.end(), { request.firstLine, request.text }); break;
    case rkBuddy: arguments.insert(arguments.end(), { request.email, request.text }); break;
    }
    Tell("RequestPrompt", arguments);
    Run("RequestPrompt", Hooks().RequestPrompt, request);
}

void SendFile(const TFileSend& send)
{
    Tell("SendFileWindow", { send.buddy, send.path, send.port, std::to_string(send.size) });
    Run("SendFileWindow", Hooks().SendFileWindow, send);
}

void Nivlet(const std::string& from, const std::string& link, const std::string& message)
{
    Tell("SaveNivlet", { from, link, message });
    Run("SaveNivlet", Hooks().SaveNivlet, from, link, message);
}

void CreateChat(const std::string& key, const std::string& caption, const std::string& firstLine)
{
    Tell("CreateChatWindow", { key, caption, firstLine });
    Run("CreateChatWindow", Hooks().CreateChatWindow, key, caption, firstLine);
}

void RaiseChat(const std::string& key)
{
    Tell("RaiseChatWindow", { key });
    Run("RaiseChatWindow", Hooks().RaiseChatWindow, key);
}

void AppendChat(const std::string& key, const std::string& rtf)
{
    Tell("AppendChatText", { key, rtf });
    Run("AppendChatText", Hooks().AppendChatText, key, rtf);
}

void Persons(const std::string& key, const std::vector<std::string>& persons)
{
    Tell("ChatPersons", { key, Joined(persons) });
    Run("ChatPersons", Hooks().ChatPersons, key, persons);
}

void InviteItems(const std::string& key, const std::vector<std::string>& hints)
{
    Tell("ChatInviteItems", { key, Joined(hints) });
    Run("ChatInviteItems", Hooks().ChatInviteItems, key, hints);
}

void Notice(const std::string& key, ChatNotice notice, const std::string& name)
{
    static const char* const names[] = { "closed", "offline", "statusclear", "joined", "left", "hostclosed" };
    Tell("ChatNotice", { key, names[notice], name });
    Run("ChatNotice", Hooks().ChatNoticeShown, key, notice, name);
}

void MemberList(const std::string& key, const std::string& name)
{
    Tell("SendMemberList", { key, name });
    Run("SendMemberList", Hooks().SendMemberList, key, name);
}

void PluginLine(const std::string& pidKey, const std::string& payload)
{
    Tell("WritePluginLine", { pidKey, payload });
    Run("WritePluginLine", Hooks().WritePluginLine, pidKey, payload);
}

}  // namespace peerhooks
