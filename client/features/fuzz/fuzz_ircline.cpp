// Server lines as a hostile IRC server sends them, through the parser and the
// site-chat room: nothing read may crash, and the room's lists stay bounded.
#include "client/features/ambroroom.h"
#include "client/features/ircline.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TAmbroRoom room;
    room.Sitename = "Site";
    room.DefaultRoom = "#lobby";
    room.CurrentRoom = "#lobby";
    room.Nick = "ann";
    room.SiteMode = true;
    std::size_t sent = 0;
    room.SendLine = [&](const std::string& line) {
        sent += line.size();
        if (line.find_first_of("\r\n") != std::string::npos)
            std::abort();
    };
    room.RandomSuffix = [] { return 7; };
    std::size_t at = 0;
    while (at <= bytes.size()) {
        const std::size_t end = std::min(bytes.find('\n', at), bytes.size());
        const std::string line = bytes.substr(at, end - at);
        if (const auto parsed = ParseIrcLine(line)) {
            if (parsed->command.empty() || parsed->params.size() > 15)
                std::abort();
        }
        room.HandleLine(line);
        at = end + 1;
    }
    if (room.Transcript().size() > TAmbroRoom::kMaxTranscript || room.Persons().size() > TAmbroRoom::kMaxPersons)
        std::abort();
    return 0;
}
