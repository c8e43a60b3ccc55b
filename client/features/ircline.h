#pragma once

#include <cstdint>
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
    std::size_t count { 0 };

    std::string_view Sender() const;
    std::string_view Trailing() const { return count ? Param(count - 1) : std::string_view(); }
    std::string_view Param(std::size_t index) const
    {
        return index < count ? std::string_view(m_at[index], m_length[index]) : std::string_view();
    }
    // The parser's: one more parameter, while fewer than kMaxParams are held.
    void Add(std::string_view param)
    {
        m_at[count] = param.data();
        m_length[count] = param.size();
        ++count;
    }

private:
    // Only the first count slots are written or read. Left unset, they cost
    // nothing per line; clearing them cost more than the whole split.
    const char* m_at[kMaxParams];
    std::size_t m_length[kMaxParams];
};

// Where byte first stands in data from `from` on, size when nowhere before it.
// Inline: the parser asks it for every word of every line. A byte at a time:
// a line is read just after it was copied into its string, and eight-byte loads
// that straddle the copy's stores wait for them; single bytes measured faster.
inline std::size_t FindByte(const char* data, std::size_t from, std::size_t size, char byte)
{
    while (from < size && data[from] != byte)
        ++from;
    return from;
}

// The line without its ending; false for an empty line, a lone prefix or no command.
bool ParseIrcLine(std::string_view line, TIrcLineView& parsed);
// The same, owning its parts; nullopt for what is no line.
std::optional<TIrcLine> ParseIrcLine(std::string_view line);

// Case-blind equality of ASCII names (nicks, rooms, commands). Inline: every
// received line asks it several times, mostly against a constant.
[[gnu::always_inline]] inline bool SameIrcName(std::string_view a, std::string_view b)
{
    // Most asks are of a command against names of other lengths: settled here, inlined.
    if (a.size() != b.size() || a.empty())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        // Only letters differ by case alone.
        const char x = static_cast<char>(a[i] | 0x20);
        if (x != static_cast<char>(b[i] | 0x20) || x < 'a' || x > 'z')
            return false;
    }
    return true;
}

// Text for one IRC parameter: CR, LF and NUL become blanks, so typed or pasted
// text can never start a second command.
std::string IrcSafeText(std::string_view text);
// The same appended to out.
void AppendIrcSafeText(std::string& out, std::string_view text);

// Received text in the system's code page: UTF-8 when it is valid UTF-8, else
// taken as already being Windows-1252.
std::string IrcTextToAnsi(std::string_view text);
// The same without a copy when the text needs no conversion; else converted into storage.
std::string_view IrcTextToAnsi(std::string_view text, std::string& storage);
// Text of ours as it goes on the wire (UTF-8).
std::string AnsiToIrcText(std::string_view text);
