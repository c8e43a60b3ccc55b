#pragma once

#include <string>

// Routing of chat and conference lines into the session's chat windows, keyed
// by a buddy name, "host*" for a conference joined, "Conference*" for our own.

// Shows the window of a key, making it with its first line when there is none.
void OpenChatWindow(const std::string& key, const std::string& firstLine);
// One line for the window of a key: a control byte with a name, or RTF text.
void HandleChatLine(const std::string& key, const std::string& body);
// A guest's "conference" line for the conference this user hosts, from the buddy its
// connection belongs to: a guest joins only when invited, tells no one else's coming or
// going, and speaks only while a member, its line shown and relayed under its own name.
void HandleConferenceLine(const std::string& sender, const std::string& body);
// The key of the conference a buddy hosts, host + "*"; "" for a host whose key would be
// this user's own "Conference*", which no buddy's line may reach.
std::string GuestKey(const std::string& host);
// The host invites a buddy to "Conference*"; only the invited may join it.
void InviteToConference(const std::string& name);
// The window's own entry (the host's "me (Host)"), announced like a joined person.
void AddChatPerson(const std::string& key, const std::string& name);
// The window of a key closes: its buddies are told and the key leaves the list.
void CloseChatWindow(const std::string& key);
// The same line for every open window, while the session is online.
void BroadcastToChats(const std::string& line);
// Who said a conference line: the text after "b\cf0 " up to the first ':', or "".
std::string ExtractSpeaker(const std::string& line);
// The line with that speaker in place of the one it names; "" for a line naming none.
std::string SpokenBy(const std::string& line, const std::string& speaker);
