#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One line from an IRC server, split the way servers split it: an optional
// ":prefix", the command, then parameters, the last of which may be a
// ":trailing" one holding blanks.
struct TIrcLine {
    std::string prefix;
    std::string command;
    std::vector<std::string> params;

    // The nick of the prefix (the text before its first '!'; the whole prefix without one).
    std::string Sender() const;
    // The last parameter, "" when there is none.
    std::string Trailing() const;
    std::string Param(std::size_t index) const { return index < params.size() ? params[index] : std::string(); }
};

// The same split as views into the line, for reading many lines without copying them.
struct TIrcLineView {
    // RFC 1459 allows 15 parameters; anything past them joins the last, as servers do.
    static constexpr std::size_t kMaxParams = 15;
    std::string_view prefix;
    std::string_view command;
    std::array<std::string_view, kMaxParams> params {};
    std::size_t count { 0 };

    std::string_view Sender() const { return prefix.substr(0, prefix.find('!')); }
    std::string_view Trailing() const { return count ? params[count - 1] : std::string_view(); }
    std::string_view Param(std::size_t index) const { return index < count ? params[index] : std::string_view(); }
};

// The line without its ending; false for an empty line, a lone prefix or no command.
bool ParseIrcLine(std::string_view line, TIrcLineView& parsed);
// The same, owning its parts; nullopt for what is no line.
std::optional<TIrcLine> ParseIrcLine(std::string_view line);

// Case-blind equality of ASCII names (nicks, rooms, commands).
bool SameIrcName(std::string_view a, std::string_view b);

// Text for one IRC parameter: CR, LF and NUL become blanks, so typed or pasted
// text can never start a second command.
std::string IrcSafeText(std::string_view text);

// Received text in the system's code page: UTF-8 when it is valid UTF-8, else
// taken as already being Windows-1252.
std::string IrcTextToAnsi(std::string_view text);
// The same without a copy when the text needs no conversion; else converted into storage.
std::string_view IrcTextToAnsi(std::string_view text, std::string& storage);
// Text of ours as it goes on the wire (UTF-8).
std::string AnsiToIrcText(std::string_view text);
