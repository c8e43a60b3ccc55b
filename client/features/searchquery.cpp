#include "client/features/searchquery.h"

#include "client/core/helpers.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>
#include <map>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Enough terms for any address; a query holding more only repeats slots nobody has.
constexpr std::size_t kMaxTerms = 1000;

std::vector<std::string> Terms(const std::string& query)
{
    std::vector<std::string> terms;
    const std::string all = Trim(query + ",");
    std::size_t at = 0;
    while (at < all.size() && terms.size() < kMaxTerms) {
        const std::size_t comma = std::min(all.find(',', at), all.size());
        const std::string term = all.substr(at, comma - at);
        if (!Trim(term).empty())
            terms.push_back(term);
        at = comma + 1;
    }
    return terms;
}

// One pass over post: each "%<digits>" slot with a term gets it, the first time only.
std::string FillSlots(const std::string& post, const std::vector<std::string>& values)
{
    std::string url;
    std::vector<bool> used(values.size(), false);
    std::size_t at = 0;
    while (at < post.size()) {
        if (post[at] != '%' || at + 1 >= post.size() || !IsDigit(post[at + 1])) {
            url += post[at++];
            continue;
        }
        std::size_t end = at + 1;
        while (end < post.size() && IsDigit(post[end]))
            ++end;
        const std::string digits = post.substr(at + 1, end - at - 1);
        std::size_t slot = 0;
        if (digits.size() <= 6)
            slot = static_cast<std::size_t>(std::stoul(digits));
        if (slot >= 1 && slot <= values.size() && !used[slot - 1]) {
            used[slot - 1] = true;
            url += values[slot - 1];
        } else {
            url += post.substr(at, end - at);
        }
        at = end;
    }
    return url;
}

std::string Encode(const std::string& text)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        if (c == '&' || c == '#' || c == '+' || c == '%' || c == '=' || c == '\r' || c == '\n') {
            out += '%';
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[static_cast<unsigned char>(c) & 15];
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

TSearchEngine ReadSearchEngine(const std::string& path)
{
    const TIniFile ini(path);
    TSearchEngine engine;
    engine.name = ini.ReadString("Engine", "name", "");
    engine.displayname = ini.ReadString("Engine", "displayname", "");
    engine.directions = ini.ReadString("Engine", "directions", "");
    engine.example = ini.ReadString("Engine", "example", "");
    engine.Post = ini.ReadString("Engine", "Post", "");
    engine.Process = ini.ReadBool("Engine", "Process", true);
    engine.Group = ini.ReadString("Engine", "Group", "A");
    return engine;
}

std::vector<std::string> ListSearchEngines(const std::string& folder)
{
    std::vector<std::string> paths;
    for (const TSearchRec& rec : ListDirectory(IncludeTrailingBackslash(folder) + "*.inf", faAnyFile & ~faDirectory)) {
        if (paths.size() >= 1000)
            break;
        paths.push_back(IncludeTrailingBackslash(folder) + rec.Name);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string DefaultSearchEngine()
{
    const std::string path = TIniFile("larkspire.ini").ReadString("Main", "Default search engine", "");
    return path.empty() ? AppPath() + "engines/Quickseek.inf" : path;
}

void SetDefaultSearchEngine(const std::string& path)
{
    TIniFile("larkspire.ini").WriteString("Main", "Default search engine", path);
}

std::string EncodeSearchTerm(const std::string& term, bool process)
{
    if (!process)
        return Encode(term);
    std::string encoded = Encode(Trim(term));
    std::replace(encoded.begin(), encoded.end(), ' ', '+');
    return encoded;
}

std::string BuildQueryUrl(const std::string& post, const std::string& query, bool process)
{
    std::vector<std::string> values;
    for (const std::string& term : Terms(query))
        values.push_back(EncodeSearchTerm(term, process));
    return FillSlots(post, values);
}

std::string SearchWebUrl(const std::string& post, const std::string& query)
{
    bool hasSlot = false;
    for (std::size_t p = post.find("%1"); p != std::string::npos && !hasSlot; p = post.find("%1", p + 1))
        hasSlot = p + 2 >= post.size() || !IsDigit(post[p + 2]);
    if (!hasSlot)
        return std::string();
    return FillSlots(post, { EncodeSearchTerm(query, false) });
}

void AddToSearchHistory(std::vector<std::string>& history, const std::string& query)
{
    while (history.size() >= kMaxSearchHistory)
        history.erase(history.begin() + static_cast<std::ptrdiff_t>(kMaxSearchHistory - 1), history.end());
    if (std::find(history.begin(), history.end(), query) == history.end())
        history.insert(history.begin(), query);
}

std::vector<std::string> LoadSearchHistory(const std::string& path)
{
    std::vector<std::string> history;
    std::string text;
    if (!ReadWholeFile(path, text))
        return history;
    std::size_t at = 0;
    while (at < text.size() && history.size() < kMaxSearchHistory) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!Trim(line).empty())
            history.push_back(line);
        at = end + 1;
    }
    return history;
}

void SaveSearchHistory(const std::string& path, const std::vector<std::string>& history)
{
    std::string text;
    for (const std::string& query : history)
        text += query + "\r\n";
    WriteFileAtomically(path, text);
}

bool UsableIniKey(const std::string& key)
{
    const std::string trimmed = Trim(key);
    return !trimmed.empty() && trimmed.find_first_of("=\r\n") == std::string::npos && trimmed[0] != '['
        && trimmed[0] != ';';
}

std::string RememberedEngine(const std::string& researchFile, const std::string& query)
{
    const std::string key = Trim(query);
    if (!UsableIniKey(key))
        return std::string();
    return TIniFile(researchFile).ReadString("Research", key, "");
}

void RememberEngine(const std::string& researchFile, const std::string& query, const std::string& enginePath)
{
    if (UsableIniKey(query))
        TIniFile(researchFile).WriteString("Research", Trim(query), enginePath);
}
