#include "client/features/ircline.h"

#include "platform/rtl/codepage.h"

namespace {

// RFC 1459 allows 15 parameters; anything past them joins the last, as servers do.
constexpr std::size_t kMaxParams = 15;

bool ValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int more = 0;
        char32_t least = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            more = 1;
            least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3;
            least = 0x10000;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(more) >= text.size())
            return false;
        char32_t code = c & (0x3F >> more);
        for (int k = 1; k <= more; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

bool AllAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

}  // namespace

std::string TIrcLine::Sender() const
{
    const std::size_t bang = prefix.find('!');
    return bang == std::string::npos ? prefix : prefix.substr(0, bang);
}

std::string TIrcLine::Trailing() const
{
    return params.empty() ? std::string() : params.back();
}

std::optional<TIrcLine> ParseIrcLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    TIrcLine parsed;
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < line.size() && line[at] == ' ')
            ++at;
    };
    skipBlanks();
    if (at < line.size() && line[at] == ':') {
        const std::size_t end = line.find(' ', at);
        if (end == std::string_view::npos)
            return std::nullopt;
        parsed.prefix = std::string(line.substr(at + 1, end - at - 1));
        at = end;
        skipBlanks();
    }
    const std::size_t commandEnd = std::min(line.find(' ', at), line.size());
    parsed.command = std::string(line.substr(at, commandEnd - at));
    if (parsed.command.empty())
        return std::nullopt;
    at = commandEnd;
    while (true) {
        skipBlanks();
        if (at >= line.size())
            break;
        if (line[at] == ':' || parsed.params.size() + 1 == kMaxParams) {
            const std::size_t from = line[at] == ':' ? at + 1 : at;
            parsed.params.emplace_back(line.substr(from));
            break;
        }
        const std::size_t end = std::min(line.find(' ', at), line.size());
        parsed.params.emplace_back(line.substr(at, end - at));
        at = end;
    }
    return parsed;
}

std::string IrcSafeText(std::string_view text)
{
    std::string safe(text);
    for (char& c : safe) {
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    return safe;
}

std::string IrcTextToAnsi(std::string_view text)
{
    if (AllAscii(text) || !ValidUtf8(text))
        return std::string(text);
    return codepage::FromUtf8(text);
}

std::string AnsiToIrcText(std::string_view text)
{
    return AllAscii(text) ? std::string(text) : codepage::ToUtf8(text);
}
