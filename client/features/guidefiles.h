#pragma once

#include <string>
#include <vector>

// What the channel guide lists, read from files and folders without a window.

// Node images, which are also the node kinds.
enum TGuideImage : int {
    giFolder = 0,
    giLink = 1,
    giFavorites = 2,
    giNivlets = 3,
    giNivlet = 4,
    giNews = 6,
    giHeadline = 7,
    giPraltos = 8,
    giPralto = 9,
    giPrograms = 10,
    giProgram = 11,
};

// Category keys run from "0" to "500".
inline constexpr int kMaxCategories = 501;
// Entries listed from one folder or one news source.
inline constexpr std::size_t kMaxGuideEntries = 2000;

struct TGuideCategory {
    int key { 0 };
    std::string caption;
    int image { giFolder };
};
// Channels.ini [Categories] "0", "1", ... up to the first missing or empty key.
std::vector<TGuideCategory> ReadCategories(const std::string& channelsIni);

struct TGuideEntry {
    std::string caption;
    int image { giFolder };
    std::string path;
};
// A file name up to its first "." (the whole name when it has none): the caption
// a shortcut or a program file shows.
std::string UpToFirstDot(const std::string& name);

// The children of a Favorites folder: sub-folders (" " + name) first, then the
// shortcuts ("[keyword] name" when one has a keyword); files holding ".ini" skipped.
// No folder, no entries.
std::vector<TGuideEntry> FavoritesEntries(const std::string& folder);
// The children of a Programs folder: sub-folders (" " + name), then the shortcut files.
std::vector<TGuideEntry> ProgramsEntries(const std::string& folder);

struct THeadline {
    std::string caption;
    std::string link;
};
// News.ini [source] "0", "1", ... up to the first "No News".
std::vector<THeadline> ReadHeadlines(const std::string& newsIni, const std::string& source);

struct TBrowserPlace {
    int left { 0 };
    int top { 0 };
    int width { 0 };
    int height { 0 };
};
// True for the title of a web browser window the guide makes room for.
bool IsBrowserWindowTitle(const std::string& title);
// Mode 1 squeezes a browser left of the guide, mode 0 gives it the whole screen.
TBrowserPlace BrowserPlace(int mode, int screenWidth, int workAreaBottom, int guideWidth);
