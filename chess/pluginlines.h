#pragma once

#include <string>

// The chess window's lines on its client's plug-in port: what it sends and how
// a received line reads. Lines go without their CR LF.
namespace chess {

// The client's plug-in port is only ever on this machine: a configured address
// that is not a loopback one gives 127.0.0.1.
std::string PluginPortHost(const std::string& configured);

// 0xFC + key: registers the plug-in.
std::string RegisterLine(const std::string& pidKey);
// 0xFB, f1, f2, f3 and the quoted payload: the one form every relayed line takes.
std::string RelayLine(const std::string& f1, const std::string& own, const std::string& opponent, const std::string& payload);
// The invitation, naming the plug-in's folder.
std::string InviteLine(const std::string& own, const std::string& opponent);
// A line for the opponent's copy of this plug-in.
std::string PluginRelayLine(const std::string& pidKey, const std::string& own, const std::string& opponent,
    const std::string& payload);
std::string JoinedPayload(const std::string& own);
std::string MovePayload(int from, int to);
inline const char* const kNewGamePayload = "newgame";

struct PluginLine {
    enum class Kind { Other, Buddy, Joined, Move, Reject, NewGame, Gone };
    Kind kind { Kind::Other };
    // The buddy's name of Buddy, Joined and Gone.
    std::string name;
    // The squares of Move, both 0 when they are not numbers 1..64.
    int from { 0 };
    int to { 0 };
};

// 0xF9 + name: the client says that buddy signed off, lost its connection or closed its copy.
PluginLine ParsePluginLine(const std::string& line);

}  // namespace chess
