#pragma once

#include <string>

class TPeerConnection;

// The receiver's side of every frame a buddy sends, in the fixed order of its
// commands. A connection speaks only for the name it is bound to; anything else
// it says is dropped.
void HandlePeerCommand(TPeerConnection* connection, const std::string& line);
