#pragma once

#include <string>

// Routing of chat and conference lines into the session's chat windows, keyed
// by a buddy name, "host*" for a conference joined, "Conference*" for our own.

// Shows the window of a key, making it with its first line when there is none.
void OpenChatWindow(const std::string& key, const std::string& firstLine);
// One line for the window of a key: a control byte with a name, or RTF text.
void HandleChatLine(const std::string& key, const std::string& body);
// A guest's "conference" line for the conference this user hosts: a guest speaks
// only for itself, joins only when invited, and tells no one else's coming or going.
void HandleConferenceLine(const std::string& sender, const std::string& body);
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
