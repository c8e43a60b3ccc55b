#pragma once

#include <string>
#include <string_view>
#include <vector>

struct DownloadLimits;

// One encoding for every value the client puts into a service page's query:
// bytes outside letters, digits and - . _ ~ become %XX, so blanks, '&' and '='
// in a value can neither break the address nor add parameters. Plain values go
// out unchanged.
std::string EncodeServiceValue(std::string_view value);

// Sends a "/lookup.asp" query to the directory host; the reply's bytes. Runs on a worker thread.
std::string LookupBuddies(const std::string& host, const std::string& query, const DownloadLimits& limits);
// One answer line of the lookup: a name and the address it was last seen at.
struct BuddyLookupEntry {
    std::string name;
    std::string address;
};
// The entries of a lookup reply: every line but the last (the terminator), at most
// 256, each cut at its 0xB6 mark; names and addresses bounded in length.
std::vector<BuddyLookupEntry> ReadBuddyLookup(const std::string& reply);
