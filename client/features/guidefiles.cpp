#include "client/features/guidefiles.h"

#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

void SortByCaption(std::vector<TGuideEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const TGuideEntry& a, const TGuideEntry& b) {
        return AnsiCompareText(a.caption, b.caption) < 0;
    });
}

template <class FileEntry>
std::vector<TGuideEntry> Walk(const std::string& folder, int folderImage, FileEntry fileEntry)
{
    std::vector<TGuideEntry> entries;
    if (Trim(folder).empty() || !DirectoryExists(folder))
        return entries;
    const std::string base = IncludeTrailingBackslash(folder);
    for (const TSearchRec& rec : ListDirectory(base + "*", faAnyFile)) {
        if (entries.size() >= kMaxGuideEntries)
            break;
        if (rec.Attr & faDirectory) {
            entries.push_back({ " " + rec.Name, folderImage, base + rec.Name });
        } else {
            TGuideEntry entry { "", 0, base + rec.Name };
            if (fileEntry(rec.Name, entry))
                entries.push_back(entry);
        }
    }
    SortByCaption(entries);
    return entries;
}

}  // namespace

std::string UpToFirstDot(const std::string& name) { return name.substr(0, name.find('.')); }

std::vector<TGuideCategory> ReadCategories(const std::string& channelsIni)
{
    const TIniFile ini(channelsIni);
    std::vector<TGuideCategory> categories;
    for (int key = 0; key < kMaxCategories; ++key) {
        const std::string caption = ini.ReadString("Categories", std::to_string(key), "");
        if (caption.empty())
            break;
        const std::string kind = LowerCase(caption);
        int image = giFolder;
        if (kind == "favorites")
            image = giFavorites;
        else if (kind == "nivlets")
            image = giNivlets;
        else if (kind == "programs")
            image = giPrograms;
        else if (kind == "news headlines")
            image = giNews;
        else if (kind == "praltos")
            image = giPraltos;
        categories.push_back({ key, caption, image });
    }
    return categories;
}

std::vector<TGuideEntry> FavoritesEntries(const std::string& folder)
{
    return Walk(folder, giFolder, [](const std::string& name, TGuideEntry& entry) {
        if (LowerCase(name).find(".ini") != std::string::npos)
            return false;
        const std::string keyword = Trim(TIniFile(entry.path).ReadString("InternetShortcut", "Keyword", ""));
        entry.caption = keyword.empty() ? UpToFirstDot(name) : "[" + keyword + "] " + UpToFirstDot(name);
        entry.image = giLink;
        return true;
    });
}

std::vector<TGuideEntry> ProgramsEntries(const std::string& folder)
{
    return Walk(folder, giPrograms, [](const std::string& name, TGuideEntry& entry) {
        entry.caption = UpToFirstDot(name);
        entry.image = giProgram;
        return true;
    });
}

std::vector<THeadline> ReadHeadlines(const std::string& newsIni, const std::string& source)
{
    const TIniFile ini(newsIni);
    std::vector<THeadline> headlines;
    for (std::size_t i = 0; headlines.size() < kMaxGuideEntries; ++i) {
        const std::string value = ini.ReadString(source, std::to_string(i), "No News\xB6");
        const std::size_t mark = value.find('\xB6');
        const std::string caption = value.substr(0, mark);
        if (caption == "No News")
            break;
        headlines.push_back({ caption, mark == std::string::npos ? std::string() : value.substr(mark + 1) });
    }
    return headlines;
}

bool IsBrowserWindowTitle(const std::string& title)
{
    return title.find(" - Microsoft Internet Explorer") != std::string::npos || title.find(" - Netscape") != std::string::npos
        || title.find("Netscape - [") != std::string::npos;
}

TBrowserPlace BrowserPlace(int mode, int screenWidth, int workAreaBottom, int guideWidth)
{
    if (mode == 1)
        return { 0, 0, screenWidth - guideWidth, workAreaBottom };
    return { -4, -4, screenWidth + 8, workAreaBottom + 8 };
}
