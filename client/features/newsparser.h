#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The headline scan of a downloaded news page: a fixed, line-based cut of
// headline/link pairs out of anchor lines. No widget code, so it is tested alone.

struct NewsEntry {
    std::string headline;
    std::string link;
};

// The most entries a source keeps (keys "0" to "30").
inline constexpr int kMaxNewsEntries = 31;
// A page line longer than this is skipped whole.
inline constexpr std::size_t kMaxNewsLineBytes = 64 * 1024;
// Longer headlines are cut: the ticker shows a few words, and News.ini stays small.
inline constexpr std::size_t kMaxHeadlineBytes = 512;
// A longer link is not kept: a cut one would lead nowhere.
inline constexpr std::size_t kMaxLinkBytes = 2048;
// Separates a headline from its link in News.ini, Alerts.txt and the alert list.
inline constexpr char kNewsSeparator = '\xB6';

// One line of a page in the code page: the entry it yields under the source's
// prefix and filter, or none. An empty filter keeps nothing.
std::optional<NewsEntry> ScanNewsLine(std::string_view line, std::string_view prefix, std::string_view filter);
// The same into entry, whose buffers are reused from line to line; false (entry
// left undefined) when the line yields none.
bool ScanNewsLine(std::string_view line, std::string_view prefix, std::string_view filter, NewsEntry& entry);

// Calls onLine with each line of a page file (CR LF, LF or a lone CR end a line),
// reading it in chunks so no more than one line is held; lines over
// kMaxNewsLineBytes are skipped. onLine returns false to stop. False when the file
// cannot be opened.
bool ForEachPageLine(const std::string& fileName, const std::function<bool(std::string_view line)>& onLine);

// Scans a page file: its lines decoded into the code page by the charset the page
// declares (contentType, then a meta tag), else as UTF-8 when valid, else as the
// code page; at most kMaxNewsEntries entries, in page order.
void ScanNewsPage(const std::string& fileName, const std::string& contentType, std::string_view prefix,
                  std::string_view filter, const std::function<void(const NewsEntry&)>& onEntry);
