#include "client/features/newsparser.h"

#include "client/features/newscharset.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;
// A meta tag naming the charset sits in the page's first bytes.
constexpr std::size_t kHeadBytes = 4096;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenPage(const std::string& fileName)
{
    return File(std::fopen(FileSystemName(ResolveFileName(fileName)).c_str(), "rb"));
}

std::string ReadHead(const std::string& fileName)
{
    const File file = OpenPage(fileName);
    if (!file)
        return {};
    std::string head(kHeadBytes, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    return head;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// A picture or a font tag makes a line no headline. Both begin with '<', which
// plain headlines lack: one search for it settles most lines.
bool HoldsPictureOrFont(std::string_view headline)
{
    for (std::size_t at = headline.find('<'); at != std::string_view::npos; at = headline.find('<', at + 1)) {
        const std::string_view tag = headline.substr(at);
        if (tag.starts_with("<img src=\"") || tag.starts_with("<font face=\""))
            return true;
    }
    return false;
}

// As Trim: blanks and control characters at both ends go.
std::string_view TrimView(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

}  // namespace

bool ScanNewsLine(std::string_view line, std::string_view prefix, std::string_view filter, NewsEntry& entry)
{
    std::string_view t = TrimView(line);
    // Everything up to the anchor's "=" goes; a line without an anchor loses its first seven bytes.
    const std::size_t anchor = t.find("<a href=");
    t.remove_prefix(anchor == std::string_view::npos ? std::min<std::size_t>(7, t.size()) : anchor + 8);
    std::string_view address;
    bool hasLink = false;
    const std::size_t close = t.find('>');
    if (close != std::string_view::npos) {
        address = t.substr(0, close);
        hasLink = true;
        t.remove_prefix(close + 1);
    }
    if (t.starts_with("<b>"))
        t.remove_prefix(3);
    const std::size_t end = t.find("</");
    if (end == std::string_view::npos || filter.empty())
        return false;
    const std::string_view headline = t.substr(0, end);
    if (headline.empty() || HoldsPictureOrFont(headline))
        return false;
    std::string& link = entry.link;
    link.clear();
    if (hasLink) {
        link.append(prefix).append(address);
        // Trimmed as one text, as the prefix and the address are joined.
        std::size_t last = link.size();
        while (last > 0 && static_cast<unsigned char>(link[last - 1]) <= ' ')
            --last;
        link.resize(last);
        std::size_t first = 0;
        while (first < link.size() && static_cast<unsigned char>(link[first]) <= ' ')
            ++first;
        link.erase(0, first);
    }
    // Other attributes follow the address after a blank; quoted or not, the address ends there.
    const std::size_t blank = link.find(' ');
    if (blank != std::string::npos)
        link.resize(blank);
    if (link.find('"') != std::string::npos)
        std::erase(link, '"');
    if (!Contains(link, filter) || link.size() > kMaxLinkBytes)
        return false;
    entry.headline.assign(headline.substr(0, kMaxHeadlineBytes));
    // The separator inside a headline would split its entry.
    if (entry.headline.find(kNewsSeparator) != std::string::npos)
        std::replace(entry.headline.begin(), entry.headline.end(), kNewsSeparator, ' ');
    return true;
}

std::optional<NewsEntry> ScanNewsLine(std::string_view line, std::string_view prefix, std::string_view filter)
{
    NewsEntry entry;
    if (!ScanNewsLine(line, prefix, filter, entry))
        return std::nullopt;
    return entry;
}

bool ForEachPageLine(const std::string& fileName, const std::function<bool(std::string_view line)>& onLine)
{
    const File file = OpenPage(fileName);
    if (!file)
        return false;
    std::vector<char> chunk(kChunkBytes);
    std::string line;
    bool skipping = false;
    bool afterCR = false;
    bool pending = false;
    bool whole = false;
    std::size_t wholeStart = 0;
    std::size_t wholeLength = 0;
    for (;;) {
        const std::size_t count = std::fread(chunk.data(), 1, chunk.size(), file.get());
        if (count == 0)
            break;
        std::size_t pos = 0;
        while (pos < count) {
            const char c = chunk[pos];
            if (c == '\r' || c == '\n') {
                ++pos;
                if (c == '\n' && afterCR) {
                    afterCR = false;
                    continue;
                }
                afterCR = c == '\r';
                if (!skipping && !onLine(whole ? std::string_view(chunk.data() + wholeStart, wholeLength) : std::string_view(line)))
                    return true;
                whole = false;
                line.clear();
                skipping = false;
                pending = false;
                continue;
            }
            afterCR = false;
            const char* base = chunk.data();
            const void* lf = std::memchr(base + pos, '\n', count - pos);
            const std::size_t limit = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : count;
            const void* cr = std::memchr(base + pos, '\r', limit - pos);
            const std::size_t end = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - base) : limit;
            if (!skipping) {
                if (line.size() + (end - pos) > kMaxNewsLineBytes) {
                    skipping = true;
                    line.clear();
                } else if (line.empty() && end < count) {
                    // The whole line lies in this chunk: it is handed out from there.
                    whole = true;
                    wholeStart = pos;
                    wholeLength = end - pos;
                } else {
                    line.append(chunk.data() + pos, end - pos);
                }
            }
            pending = true;
            pos = end;
        }
    }
    if (pending && !skipping)
        onLine(line);
    return true;
}

void ScanNewsPage(const std::string& fileName, const std::string& contentType, std::string_view prefix,
                  std::string_view filter, const std::function<void(const NewsEntry&)>& onEntry)
{
    std::string charset = CharsetFromContentType(contentType);
    if (charset.empty())
        charset = CharsetFromHead(ReadHead(fileName));
    if (!charset.empty() && !LineDecoder::Supports(charset))
        charset.clear();
    if (charset.empty() && FileIsUtf8(fileName))
        charset = "utf-8";
    LineDecoder decoder(charset);
    int entries = 0;
    std::string cleaned;
    NewsEntry entry;
    ForEachPageLine(fileName, [&](std::string_view raw) {
        std::string_view line = decoder.Decode(raw);
        if (line.find('\0') != std::string_view::npos) {
            cleaned.assign(line);
            std::replace(cleaned.begin(), cleaned.end(), '\0', ' ');
            line = cleaned;
        }
        if (ScanNewsLine(line, prefix, filter, entry)) {
            onEntry(entry);
            ++entries;
        }
        return entries < kMaxNewsEntries;
    });
}
