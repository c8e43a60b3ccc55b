#include "client/features/ambrosite.h"

#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

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
    const TIniFile ini(infPath);
    TAmbroSite site;
    site.Sitename = ini.ReadString("site", "Sitename", "");
    site.Server = ini.ReadString("site", "Server", "");
    const std::string port = Trim(ini.ReadString("site", "Port", "7000"));
    int number = 0;
    bool digits = !port.empty() && port.size() <= 5;
    for (const char c : port) {
        digits = digits && c >= '0' && c <= '9';
        if (digits)
            number = number * 10 + (c - '0');
    }
    site.Port = digits && number >= 1 && number <= 65535 ? number : 0;
    site.DefaultRoom = FromHash(ini.ReadString("Rooms", "0", "#lobby"));
    // A default room of several words would join other rooms, or one with a key.
    if (!UsableRoom(site.DefaultRoom) || site.DefaultRoom[0] != '#')
        site.DefaultRoom = "#lobby";
    for (int i = 0; site.Rooms.size() < kMaxAmbroRooms; ++i) {
        const std::string value = ini.ReadString("Rooms", std::to_string(i), "");
        if (value.empty())
            break;
        const std::string room = FromHash(value);
        if (!UsableRoom(room) || room[0] != '#')
            continue;
        site.Rooms.push_back({ value.substr(0, value.find('#')), room });
    }
    return site;
}
