#include "chess/pluginlines.h"

#include <arpa/inet.h>

namespace chess {

namespace {

// A decimal square number 1..64, or 0.
int SquareNumber(const std::string& text)
{
    if (text.empty() || text.size() > 2)
        return 0;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 64 ? value : 0;
}

}  // namespace

std::string PluginPortHost(const std::string& configured)
{
    in_addr address {};
    if (configured.size() <= 255 && inet_pton(AF_INET, configured.c_str(), &address) == 1
        && (ntohl(address.s_addr) >> 24) == 127)
        return configured;
    return "127.0.0.1";
}

std::string RegisterLine(const std::string& pidKey) { return "\xFC" + pidKey; }

std::string RelayLine(const std::string& f1, const std::string& own, const std::string& opponent, const std::string& payload)
{
    return "\xFB" + f1 + "," + own + "," + opponent + ",\"" + payload + "\"";
}

std::string InviteLine(const std::string& own, const std::string& opponent)
{
    return RelayLine("pluginrequest", own, opponent, "chess\\");
}

std::string PluginRelayLine(const std::string& pidKey, const std::string& own, const std::string& opponent,
    const std::string& payload)
{
    return RelayLine("\xF9" + pidKey, own, opponent, payload);
}

std::string JoinedPayload(const std::string& own) { return "\xFA" + own; }

std::string MovePayload(int from, int to) { return "\xFB" + std::to_string(from) + "," + std::to_string(to); }

PluginLine ParsePluginLine(const std::string& line)
{
    PluginLine parsed;
    if (line.empty())
        return parsed;
    const std::string rest = line.substr(1);
    switch (static_cast<unsigned char>(line[0])) {
    case 0xF8:
        parsed.kind = PluginLine::Kind::Buddy;
        parsed.name = rest;
        return parsed;
    case 0xF9:
        parsed.kind = PluginLine::Kind::Gone;
        parsed.name = rest;
        return parsed;
    case 0xFA:
        parsed.kind = PluginLine::Kind::Joined;
        parsed.name = rest;
        return parsed;
    case 0xFB: {
        parsed.kind = PluginLine::Kind::Move;
        const std::size_t comma = rest.find(',');
        if (comma != std::string::npos) {
            parsed.from = SquareNumber(rest.substr(0, comma));
            parsed.to = SquareNumber(rest.substr(comma + 1));
        }
        if (parsed.from == 0 || parsed.to == 0)
            parsed.from = parsed.to = 0;
        return parsed;
    }
    default:
        break;
    }
    if (line == "reject")
        parsed.kind = PluginLine::Kind::Reject;
    else if (line == kNewGamePayload)
        parsed.kind = PluginLine::Kind::NewGame;
    return parsed;
}

}  // namespace chess
