#pragma once

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

// The line without its ending; nullopt for an empty line, a lone prefix or no command.
std::optional<TIrcLine> ParseIrcLine(std::string_view line);

// Text for one IRC parameter: CR, LF and NUL become blanks, so typed or pasted
// text can never start a second command.
std::string IrcSafeText(std::string_view text);

// Received text in the system's code page: UTF-8 when it is valid UTF-8, else
// taken as already being Windows-1252.
std::string IrcTextToAnsi(std::string_view text);
// Text of ours as it goes on the wire (UTF-8).
std::string AnsiToIrcText(std::string_view text);
