#include "client/features/mailheader.h"

#include "client/features/newscharset.h"
#include "platform/rtl/sysutils.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace {

// Longer than any charset name the registry knows.
constexpr std::size_t kMaxCharsetName = 40;
// The longest line a header may have: no encoded word is longer, so a "=?" with no
// end within it is text, and a long header costs a bounded look-ahead per "=?".
constexpr std::size_t kMaxEncodedWord = 998;

struct EncodedWord {
    std::string charset;  // lower case, without a language tag
    std::string bytes;    // decoded, still in the charset
    std::size_t length { 0 };  // of the word as written
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string DecodeQ(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeB(std::string_view text)
{
    const QByteArray bytes = QByteArray::fromBase64(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// "=?charset?B|Q?text?=" at the start of text; none when it is not one.
std::optional<EncodedWord> ReadEncodedWord(std::string_view text)
{
    if (!text.starts_with("=?"))
        return std::nullopt;
    text = text.substr(0, kMaxEncodedWord);
    const std::size_t charsetEnd = text.find('?', 2);
    if (charsetEnd == std::string_view::npos || charsetEnd == 2 || charsetEnd - 2 > kMaxCharsetName
        || charsetEnd + 2 >= text.size() || text[charsetEnd + 2] != '?')
        return std::nullopt;
    const std::size_t textStart = charsetEnd + 3;
    const std::size_t end = text.find("?=", textStart);
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view encoded = text.substr(textStart, end - textStart);
    std::string charset = LowerCase(text.substr(2, charsetEnd - 2));
    if (charset.find_first_of(" \t") != std::string::npos || encoded.find_first_of(" \t?") != std::string_view::npos)
        return std::nullopt;
    // A language tag ("utf-8*en") says nothing about the bytes.
    charset = charset.substr(0, charset.find('*'));
    const char encoding = text[charsetEnd + 1];
    EncodedWord word { charset, {}, end + 2 };
    if (encoding == 'Q' || encoding == 'q')
        word.bytes = DecodeQ(encoded);
    else if (encoding == 'B' || encoding == 'b')
        word.bytes = DecodeB(encoded);
    else
        return std::nullopt;
    if (!LineDecoder::Supports(word.charset))
        return std::nullopt;
    return word;
}

// Bare text: UTF-8 when it is that, else the code page's own bytes.
std::string PlainText(std::string_view text)
{
    return std::string(TextIsUtf8(text) ? LineDecoder("utf-8").Decode(text) : text);
}

bool AllBlank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

}  // namespace

std::string DecodeHeaderText(std::string_view raw)
{
    std::string out;
    std::string pendingCharset;
    std::string pendingBytes;
    const auto flush = [&] {
        if (!pendingBytes.empty())
            out += LineDecoder(pendingCharset).Decode(pendingBytes);
        pendingBytes.clear();
        pendingCharset.clear();
    };
    std::string plain;
    bool afterWord = false;
    std::size_t at = 0;
    while (at < raw.size()) {
        const std::size_t next = raw.find("=?", at);
        std::optional<EncodedWord> word;
        if (next != std::string_view::npos)
            word = ReadEncodedWord(raw.substr(next));
        if (!word) {
            // Not a word here: its "=?" is text like the rest.
            const std::size_t upTo = next == std::string_view::npos ? raw.size() : next + 2;
            plain += raw.substr(at, upTo - at);
            at = upTo;
            continue;
        }
        plain += raw.substr(at, next - at);
        // Blanks between two encoded words belong to neither.
        if (!(afterWord && AllBlank(plain))) {
            flush();
            out += PlainText(plain);
        }
        plain.clear();
        if (!pendingBytes.empty() && word->charset != pendingCharset)
            flush();
        pendingCharset = word->charset;
        pendingBytes += word->bytes;
        afterWord = true;
        at = next + word->length;
    }
    flush();
    out += PlainText(plain);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return out;
}
