#pragma once

#include "client/core/newstime.h"
#include "client/features/newsparser.h"
#include "platform/rtl/dates.h"

#include <string>
#include <vector>

// The news files of the program folder: News.ini (the headlines of the last run),
// News.inf (the sources), oldnews.tmp (the seen list), and the time of the last run.

// At most this many sources are fetched, listed and shown.
inline constexpr int kMaxNewsSources = 256;
// The seen list is forgotten at start-up once its file is larger than this.
inline constexpr std::int64_t kOldNewsTrimBytes = 8000;

// Stale when the last run was two hours or more before now, lies in the future
// or cannot be read.
bool NewsIsStale(const std::string& lastUpdated, TDateTime now);

// The program folder's files, found whatever their letter case.
std::string NewsFile(const std::string& name);
// Deletes oldnews.tmp when it is larger than kOldNewsTrimBytes.
void TrimOldNews();

struct NewsSection {
    std::string name;
    std::vector<NewsEntry> entries;
};

// The text of News.ini for these sections: keys "0", "1" ... per section, each
// value headline, separator, link; a section without entries is left out.
std::string NewsIniText(const std::vector<NewsSection>& sections);

// Reads News.ini in one pass: sections in file order (at most kMaxNewsSources), each
// with the entries of keys "0", "1" ... up to the first missing one (at most
// kMaxNewsEntries). A value without the separator is an empty headline whose link is the value.
std::vector<NewsSection> ReadNewsIni(const std::string& fileName);

// The sources of News.inf whose Get is on (read with the given default), in file order.
std::vector<std::string> NewsSources(bool getDefault);
