#pragma once

#include <string>
#include <vector>

// Search-engine files, query addresses and the query memory of the search
// strip, without a window.

struct TSearchEngine {
    std::string name;
    std::string displayname;
    std::string directions;
    std::string example;
    std::string Post;
    bool Process { true };
    std::string Group { "A" };
};

TSearchEngine ReadSearchEngine(const std::string& path);
// Every "*.inf" of the folder as full paths, sorted.
std::vector<std::string> ListSearchEngines(const std::string& folder);
// larkspire.ini [Main] "Default search engine", else the program folder's engines/Quickseek.inf.
std::string DefaultSearchEngine();
void SetDefaultSearchEngine(const std::string& path);

// A query term as it goes into an address: "&", "#", "+", "%" and "=" are
// %-encoded so the term cannot make parameters of its own; with process it is
// trimmed and its blanks become "+".
std::string EncodeSearchTerm(const std::string& term, bool process);

// Post with its slots filled: the query is split at commas, the non-empty
// trimmed terms numbered from 1; the first "%<n>" (a '%' and all its digits)
// gets term n. Slots without a term and a term without a slot stay as they are.
std::string BuildQueryUrl(const std::string& post, const std::string& query, bool process);

// The default engine's address for a one-shot search, "" when its Post has no "%1".
std::string SearchWebUrl(const std::string& post, const std::string& query);

// The strip's history holds at most this many queries, newest first.
inline constexpr std::size_t kMaxSearchHistory = 26;
void AddToSearchHistory(std::vector<std::string>& history, const std::string& query);
std::vector<std::string> LoadSearchHistory(const std::string& path);
void SaveSearchHistory(const std::string& path, const std::vector<std::string>& history);

// A key that an INI line can hold unchanged: not empty, no "=", no line break,
// not starting with "[" or ";". Others would corrupt their section.
bool UsableIniKey(const std::string& key);

// The engine last used for a query, "" when none; remembering skips queries that are no usable key.
std::string RememberedEngine(const std::string& researchFile, const std::string& query);
void RememberEngine(const std::string& researchFile, const std::string& query, const std::string& enginePath);
