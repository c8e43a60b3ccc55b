#pragma once

#include <string>
#include <vector>

// What a taking-part web site publishes in "ambro/ambro.inf", and where that file is.

// The site's root address from the browser's answer ("url","title"): the url is
// cut after the first ".com/", ".net/", ".org/", ".edu/" or ".gov/" (in that
// order), else to its first four characters; "" when the answer holds no url.
std::string AmbroSiteUrl(const std::string& browserAnswer);

struct TAmbroRoomItem {
    std::string caption; // the menu text before '#'
    std::string room;    // "#name"
};

struct TAmbroSite {
    std::string Sitename;
    std::string Server;
    // 0 when the file's Port is no number in 1..65535: opening then fails.
    int Port { 0 };
    std::string DefaultRoom;
    std::vector<TAmbroRoomItem> Rooms;
};

// [Rooms] "0" up to this many entries are read; the rest of a file is never looked at.
inline constexpr std::size_t kMaxAmbroRooms = 100;

TAmbroSite ReadAmbroSite(const std::string& infPath);
