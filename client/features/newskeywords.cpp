#include "client/features/newskeywords.h"

#include "client/features/newsparser.h"
#include "platform/rtl/sysutils.h"

namespace {

// keywords.txt is the user's own, written by the setup window; a larger one is not read whole.
constexpr std::size_t kMaxKeywordFileLines = 4000;

}  // namespace

void ParseNewsKeywords(const TStringList& lines, TStringList& keywords)
{
    keywords.Clear();
    for (int i = 0; i < lines.Count() && keywords.Count() < kMaxNewsKeywords; ++i) {
        const std::string line = lines[i] + ",";
        std::size_t start = 0;
        for (std::size_t comma = line.find(','); comma != std::string::npos; comma = line.find(',', start)) {
            std::string keyword = Trim(std::string_view(line).substr(start, comma - start));
            start = comma + 1;
            if (keyword.size() > static_cast<std::size_t>(kMaxKeywordBytes))
                keyword.resize(kMaxKeywordBytes);
            if (keyword.empty())
                continue;
            keywords.Add(keyword);
            if (keywords.Count() >= kMaxNewsKeywords)
                break;
        }
    }
}

void ReadNewsKeywords(const std::string& fileName, TStringList& lines, TStringList& keywords)
{
    lines.Clear();
    keywords.Clear();
    const bool read = ForEachPageLine(fileName, [&](std::string_view line) {
        lines.Add(std::string(line));
        return static_cast<std::size_t>(lines.Count()) < kMaxKeywordFileLines;
    });
    if (!read || Trim(lines.Text()).empty()) {
        lines.Clear();
        return;
    }
    ParseNewsKeywords(lines, keywords);
}

void ReadSeenNews(const std::string& fileName, TStringList& seen)
{
    seen.Clear();
    seen.SetCaseSensitive(false);
    ForEachPageLine(fileName, [&](std::string_view line) {
        seen.Add(std::string(line));
        return seen.Count() < kMaxSeenLines;
    });
    seen.SetSorted(true);
}

bool HeadlineMatches(const std::string& headline, const TStringList& keywords, const TStringList& seen)
{
    int index = 0;
    if (seen.Sorted() ? seen.Find(headline, index) : seen.IndexOf(headline) >= 0)
        return false;
    const std::string lower = AnsiLowerCase(headline);
    for (int i = 0; i < keywords.Count(); ++i) {
        if (lower.find(AnsiLowerCase(keywords[i])) != std::string::npos)
            return true;
    }
    return false;
}
