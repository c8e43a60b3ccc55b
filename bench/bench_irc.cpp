// Server lines through the site-chat room without a window, against splitting
// the same bytes into lines: what handling a line costs beyond reading it. Both
// run in turn until their ratio holds still; the best of each is printed.
#include "bench/bestof.h"
#include "client/features/ambroroom.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 1000000;

std::string ServerBytes()
{
    const std::vector<std::string> kinds = {
        ":bob!b@host.example PRIVMSG #lobby :hello everybody, how are the hawks today?",
        ":cy!c@2001:db8::7 PRIVMSG #lobby :\x01" "ACTION waves\x01",
        ":dee!d@host.example JOIN :#lobby",
        ":dee!d@host.example PART #lobby :later",
        "PING :irc.example.net",
        ":irc.example.net 372 ann :- message of the day",
        ":eve!e@host.example PRIVMSG #other :not ours",
        ":bob!b@host.example PRIVMSG ann :a word in private",
    };
    std::string bytes;
    for (int i = 0; i < kLines; ++i)
        bytes += kinds[static_cast<std::size_t>(i) % kinds.size()] + "\r\n";
    return bytes;
}

template <class Each>
double LinesPerSecond(const std::string& bytes, Each each)
{
    const auto start = std::chrono::steady_clock::now();
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", at);
        each(std::string(bytes, at, end - at));
        at = end + 2;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return kLines / took.count();
}

}  // namespace

int main()
{
    const std::string bytes = ServerBytes();
    std::size_t total = 0;
    TAmbroRoom room;
    room.Sitename = "Birds";
    room.DefaultRoom = room.CurrentRoom = "#lobby";
    room.Nick = "ann";
    room.SiteMode = true;
    std::size_t sent = 0;
    room.SendLine = [&](const std::string& line) { sent += line.size(); };
    const BestRates best = BestOfInterleaved(
        [&] { return LinesPerSecond(bytes, [&](const std::string& line) { room.HandleLine(line); }); },
        [&] { return LinesPerSecond(bytes, [&](const std::string& line) { total += line.size(); }); });

    std::printf("irc lines: %.0f lines/s (reference line split: %.0f lines/s) ratio %.2f\n", best.measured, best.reference,
                best.reference > 0 ? best.measured / best.reference : 0.0);
    return total == 0 || sent == 0 ? 1 : 0;
}
