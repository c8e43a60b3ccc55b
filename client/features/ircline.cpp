#include "client/features/ircline.h"

#include "platform/rtl/codepage.h"

#include <cstdint>
#include <cstring>

namespace {

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

// Whether one of the word's eight bytes is byte.
bool HasByte(std::uint64_t word, char byte)
{
    const std::uint64_t x = word ^ (0x0101010101010101ULL * static_cast<unsigned char>(byte));
    return ((x - 0x0101010101010101ULL) & ~x & 0x8080808080808080ULL) != 0;
}

bool AllAscii(std::string_view text)
{
    // Eight bytes a step: nearly every received line is plain ASCII.
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    return true;
}

}  // namespace

std::string_view TIrcLineView::Sender() const
{
    return prefix.substr(0, FindByte(prefix.data(), 0, prefix.size(), '!'));
}

std::string TIrcLine::Sender() const
{
    const std::size_t bang = prefix.find('!');
    return bang == std::string::npos ? prefix : prefix.substr(0, bang);
}

std::string TIrcLine::Trailing() const
{
    return params.empty() ? std::string() : params.back();
}

bool ParseIrcLine(std::string_view line, TIrcLineView& parsed)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    parsed.prefix = {};
    parsed.command = {};
    parsed.count = 0;
    const char* const data = line.data();
    const std::size_t size = line.size();
    auto wordEnd = [&](std::size_t from) { return FindByte(data, from, size, ' '); };
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < size && data[at] == ' ')
            ++at;
    };
    skipBlanks();
    if (at < size && data[at] == ':') {
        const std::size_t end = wordEnd(at);
        if (end == size)
            return false;
        parsed.prefix = std::string_view(data + at + 1, end - at - 1);
        at = end;
        skipBlanks();
    }
    const std::size_t commandEnd = wordEnd(at);
    parsed.command = std::string_view(data + at, commandEnd - at);
    if (parsed.command.empty())
        return false;
    at = commandEnd;
    while (true) {
        skipBlanks();
        if (at >= size)
            break;
        if (data[at] == ':' || parsed.count + 1 == TIrcLineView::kMaxParams) {
            const std::size_t from = data[at] == ':' ? at + 1 : at;
            parsed.Add(std::string_view(data + from, size - from));
            break;
        }
        const std::size_t end = wordEnd(at);
        parsed.Add(std::string_view(data + at, end - at));
        at = end;
    }
    return true;
}

std::optional<TIrcLine> ParseIrcLine(std::string_view line)
{
    TIrcLineView view;
    if (!ParseIrcLine(line, view))
        return std::nullopt;
    TIrcLine parsed;
    parsed.prefix = std::string(view.prefix);
    parsed.command = std::string(view.command);
    for (std::size_t i = 0; i < view.count; ++i)
        parsed.params.emplace_back(view.Param(i));
    return parsed;
}

void AppendIrcSafeText(std::string& out, std::string_view text)
{
    std::size_t i = out.size();
    out.append(text);
    // Eight bytes a step past those holding none of the three: nearly all text.
    for (; i + 8 <= out.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, out.data() + i, 8);
        if (!HasByte(word, '\r') && !HasByte(word, '\n') && !HasByte(word, '\0'))
            continue;
        for (std::size_t k = i; k < i + 8; ++k) {
            if (out[k] == '\r' || out[k] == '\n' || out[k] == '\0')
                out[k] = ' ';
        }
    }
    for (; i < out.size(); ++i) {
        if (out[i] == '\r' || out[i] == '\n' || out[i] == '\0')
            out[i] = ' ';
    }
}

std::string IrcSafeText(std::string_view text)
{
    std::string safe;
    AppendIrcSafeText(safe, text);
    return safe;
}

std::string IrcTextToAnsi(std::string_view text)
{
    if (AllAscii(text) || !ValidUtf8(text))
        return std::string(text);
    return codepage::FromUtf8(text);
}

std::string_view IrcTextToAnsi(std::string_view text, std::string& storage)
{
    if (AllAscii(text) || !ValidUtf8(text))
        return text;
    storage = codepage::FromUtf8(text);
    return storage;
}

std::string AnsiToIrcText(std::string_view text)
{
    return AllAscii(text) ? std::string(text) : codepage::ToUtf8(text);
}
