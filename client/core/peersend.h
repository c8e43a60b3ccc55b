#pragma once

#include <string>

class TPeerConnection;
struct Tbuddy;

// What this user sends to buddies. Each returns false when nothing went out,
// also for a frame too long for the line sockets (it is never cut).

// "inf": who I am and whom I called.
bool SendInfo(const Tbuddy& buddy, TPeerConnection* connection);
// To one listed, online buddy.
bool SendToBuddy(const std::string& name, const std::string& command, const std::string& f4);
// To one buddy or to all online, as the argument says; see the guard in the .cpp.
bool SendBuddyCommand(const std::string& command, const std::string& argument);
// A chat or conference line to a target ("name*" for a conference host); a beep when it is not online.
bool SendChatCommand(const std::string& command, const std::string& target, const std::string& body);
bool BlockBuddy(const std::string& name);
// TForm1.SendFileTo: offers a file to a buddy after its checks.
void SendFileTo(const std::string& buddy, const std::string& path);
