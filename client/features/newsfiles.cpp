#include "client/features/newsfiles.h"

#include "client/core/helpers.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"

#include <cmath>
#include <map>

namespace {

constexpr double kStaleDays = 2.0 / 24.0;

// Values as the INI routines give them: trimmed, one pair of enclosing quotes dropped.
std::string IniValue(std::string_view raw)
{
    std::string value = Trim(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

struct RawSection {
    std::string name;
    std::map<std::string, std::string> keys;  // lower-cased key, first value wins
};

}  // namespace

bool NewsIsStale(const std::string& lastUpdated, TDateTime now)
{
    TDateTime last = 0;
    if (!ParseNewsTime(lastUpdated, last))
        return true;
    const double elapsed = now - last;
    // Half a second of slack: the stored time has whole seconds only.
    return elapsed < -0.5 / 86400.0 || elapsed >= kStaleDays - 0.5 / 86400.0;
}

std::string NewsFile(const std::string& name) { return ResolveFileName(AppPath(), name); }

void TrimOldNews()
{
    const std::string file = NewsFile("oldnews.tmp");
    if (FileExists(file) && FileSizeOf(file) > kOldNewsTrimBytes)
        DeleteFile(file);
}

std::string NewsIniText(const std::vector<NewsSection>& sections)
{
    std::string text;
    for (const NewsSection& section : sections) {
        if (section.entries.empty())
            continue;
        text += "[" + section.name + "]\r\n";
        for (std::size_t i = 0; i < section.entries.size(); ++i)
            text += std::to_string(i) + "=" + section.entries[i].headline + kNewsSeparator + section.entries[i].link + "\r\n";
    }
    return text;
}

std::vector<NewsSection> ReadNewsIni(const std::string& fileName)
{
    std::vector<RawSection> raw;
    RawSection* current = nullptr;
    ForEachPageLine(fileName, [&](std::string_view line) {
        const std::string t = Trim(line);
        if (t.starts_with("[")) {
            const std::size_t close = t.find(']');
            const std::string name = t.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            current = nullptr;
            // A repeated section name reads as its first occurrence, as the INI routines do.
            for (RawSection& section : raw) {
                if (SameText(section.name, name))
                    current = &section;
            }
            if (!current) {
                if (raw.size() >= static_cast<std::size_t>(kMaxNewsSources))
                    return true;
                raw.push_back({ name, {} });
                current = &raw.back();
            }
            return true;
        }
        const std::size_t equals = t.find('=');
        if (!current || equals == std::string::npos)
            return true;
        const std::string key = LowerCase(Trim(std::string_view(t).substr(0, equals)));
        if (current->keys.size() < static_cast<std::size_t>(kMaxNewsEntries) * 4)
            current->keys.emplace(key, IniValue(std::string_view(t).substr(equals + 1)));
        return true;
    });
    std::vector<NewsSection> sections;
    for (const RawSection& section : raw) {
        NewsSection out { section.name, {} };
        for (int k = 0; k < kMaxNewsEntries; ++k) {
            const auto found = section.keys.find(std::to_string(k));
            if (found == section.keys.end() || found->second.empty())
                break;
            const std::size_t split = found->second.find(kNewsSeparator);
            if (split == std::string::npos)
                out.entries.push_back({ "", found->second });
            else
                out.entries.push_back({ found->second.substr(0, split), found->second.substr(split + 1) });
        }
        sections.push_back(std::move(out));
    }
    return sections;
}

std::vector<std::string> NewsSources(bool getDefault)
{
    TIniFile inf(NewsFile("News.inf"));
    TStringList names;
    inf.ReadSections(names);
    std::vector<std::string> sources;
    for (int i = 0; i < names.Count() && sources.size() < static_cast<std::size_t>(kMaxNewsSources); ++i) {
        if (inf.ReadBool(names[i], "Get", getDefault))
            sources.push_back(names[i]);
    }
    return sources;
}
