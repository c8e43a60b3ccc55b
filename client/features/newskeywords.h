#pragma once

#include "platform/rtl/stringlist.h"

#include <string>

// The user's alert keywords and the headlines already alerted (the seen list).

inline constexpr int kMaxNewsKeywords = 1000;
inline constexpr int kMaxKeywordBytes = 25;
inline constexpr int kMaxSeenLines = 4000;

// The keywords of keywords.txt's lines: comma-separated, trimmed, each cut to its
// first kMaxKeywordBytes bytes, empty ones dropped, at most kMaxNewsKeywords.
void ParseNewsKeywords(const TStringList& lines, TStringList& keywords);

// Reads keywords.txt into lines and keywords; both stay empty when the file is
// missing, unreadable or blank.
void ReadNewsKeywords(const std::string& fileName, TStringList& lines, TStringList& keywords);

// The first kMaxSeenLines lines of the seen-list file into seen, made sorted and
// case-blind; nothing when the file is missing.
void ReadSeenNews(const std::string& fileName, TStringList& seen);

// False when the headline is in the seen list (letter case ignored); otherwise
// true when any keyword is part of it, letter case ignored.
bool HeadlineMatches(const std::string& headline, const TStringList& keywords, const TStringList& seen);
