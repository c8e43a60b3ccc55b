#pragma once

#include <string>

class TForm14;

// Gives the peer protocol its windows: the request prompt, the transfer
// window and the chat windows. Called once when the program starts.
void InstallPeerWindows();

// The open chat window of a key, or nullptr.
TForm14* FindChatWindow(const std::string& key);
