#include "client/core/servicequery.h"

#include "client/core/download.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

constexpr int kMaxLookupEntries = 256;
constexpr std::size_t kMaxLookupName = 255;
constexpr std::size_t kMaxLookupAddress = 255;

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

}  // namespace

std::string EncodeServiceValue(std::string_view value)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string LookupBuddies(const std::string& host, const std::string& query, const DownloadLimits& limits)
{
    return FetchReply("http://" + host + "/lookup.asp?" + query, "buddies.txt", limits);
}

std::vector<BuddyLookupEntry> ReadBuddyLookup(const std::string& reply)
{
    TStringList lines;
    lines.SetText(reply);
    const int count = std::min(lines.Count() - 1, kMaxLookupEntries);
    std::vector<BuddyLookupEntry> entries;
    for (int i = 0; i < count; ++i) {
        const std::string& line = lines.Strings(i);
        const std::size_t mark = line.find('\xB6');
        const std::string name = mark == std::string::npos ? std::string() : line.substr(0, mark).substr(0, kMaxLookupName);
        std::string address = Trim(mark == std::string::npos ? line : line.substr(mark + 1)).substr(0, kMaxLookupAddress);
        entries.push_back({ name, std::move(address) });
    }
    return entries;
}
