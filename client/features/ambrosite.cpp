#include "client/features/ambrosite.h"

#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <optional>
#include <utility>
#include <vector>

namespace {

std::string FromHash(const std::string& value)
{
    const std::size_t hash = value.find('#');
    return Trim(hash == std::string::npos ? value : value.substr(hash));
}

// A room is one IRC word: a blank or comma would name other rooms or commands.
bool UsableRoom(const std::string& room)
{
    return room.size() > 1 && room.find_first_of(" ,\r\n\x07") == std::string::npos;
}

}  // namespace

std::string AmbroSiteUrl(const std::string& browserAnswer)
{
    if (browserAnswer.empty())
        return std::string();
    const std::size_t close = browserAnswer.find("\",");
    std::string url = browserAnswer.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    for (const char* domain : { ".com/", ".net/", ".org/", ".edu/", ".gov/" }) {
        const std::size_t at = url.find(domain);
        if (at != std::string::npos)
            return url.substr(0, at + 5);
    }
    return url.substr(0, 4);
}

TAmbroSite ReadAmbroSite(const std::string& infPath)
{
    // One reading of the file for every key: a site's file may hold any number of lines.
    std::vector<std::pair<std::string, std::string>> keys = { { "site", "Sitename" }, { "site", "Server" }, { "site", "Port" } };
    for (std::size_t i = 0; i < kMaxAmbroRooms; ++i)
        keys.emplace_back("Rooms", std::to_string(i));
    const std::vector<std::optional<std::string>> values = TIniFile(infPath).ReadValues(keys);
    const auto value = [&](std::size_t at, const char* defaultValue) { return values[at].value_or(defaultValue); };
    TAmbroSite site;
    site.Sitename = value(0, "");
    site.Server = value(1, "");
    const std::string port = Trim(value(2, "7000"));
    int number = 0;
    bool digits = !port.empty() && port.size() <= 5;
    for (const char c : port) {
        digits = digits && c >= '0' && c <= '9';
        if (digits)
            number = number * 10 + (c - '0');
    }
    site.Port = digits && number >= 1 && number <= 65535 ? number : 0;
    constexpr std::size_t kFirstRoom = 3;
    site.DefaultRoom = FromHash(value(kFirstRoom, "#lobby"));
    // A default room of several words would join other rooms, or one with a key.
    if (!UsableRoom(site.DefaultRoom) || site.DefaultRoom[0] != '#')
        site.DefaultRoom = "#lobby";
    for (std::size_t i = kFirstRoom; i < values.size(); ++i) {
        const std::string entry = value(i, "");
        if (entry.empty())
            break;
        const std::string room = FromHash(entry);
        if (!UsableRoom(room) || room[0] != '#')
            continue;
        site.Rooms.push_back({ entry.substr(0, entry.find('#')), room });
    }
    return site;
}
