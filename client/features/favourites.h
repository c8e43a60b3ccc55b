#pragma once

#include <string>

// Internet shortcut files and the channel keywords that name them, without a window.

// "<folder>/<safe name>.URL" for a caption; "" when the caption has no usable name.
std::string ShortcutPath(const std::string& folder, const std::string& name);

// A keyword that [Channels] can hold: blank (no entry) or a usable INI key.
bool AcceptableKeyword(const std::string& keyword);
// What the user is told about a keyword that cannot be used.
extern const char* const kKeywordRefused;

// Writes [InternetShortcut] URL and Keyword into path; false when the folder is missing.
bool WriteUrlShortcut(const std::string& path, const std::string& keyword, const std::string& address);
// Channels.ini [Channels] keyword = path, for a non-blank acceptable keyword.
void RegisterKeyword(const std::string& keyword, const std::string& path);

struct TChannelTarget {
    std::string address;
    std::string caption; // the shortcut's file name up to its first "." in capitals
};
// The page a keyword opens; an empty address when there is none.
TChannelTarget FindChannel(const std::string& keyword);
