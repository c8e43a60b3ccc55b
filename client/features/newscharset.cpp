#include "client/features/newscharset.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"

#include <QStringDecoder>

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Names the code page itself answers to; ISO-8859-1 pages are read as browsers read them.
constexpr std::array kCodePageNames { "windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1", "iso_8859-1",
                                      "latin1", "latin-1", "l1", "us-ascii", "ascii" };

bool IsCodePageName(const std::string& charset)
{
    for (const char* name : kCodePageNames) {
        if (charset == name)
            return true;
    }
    return false;
}

bool IsUtf8Name(const std::string& charset) { return charset == "utf-8" || charset == "utf8"; }

// Charsets in which a line end is not the single byte LF, or whose bytes change
// meaning by escapes: a line-wise scan cannot read them.
bool IsLineUnsafe(const std::string& charset)
{
    return charset.starts_with("utf-16") || charset.starts_with("utf-32") || charset.starts_with("ucs")
           || charset.starts_with("utf-7") || charset.starts_with("iso-2022") || charset == "unicode";
}

std::string CharsetAfter(std::string_view text, std::size_t at)
{
    std::size_t pos = at;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '"' || text[pos] == '\''))
        ++pos;
    std::string name;
    while (pos < text.size() && name.size() < 40) {
        const char c = text[pos++];
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.'
                             || c == ':';
        if (!allowed)
            break;
        name += c;
    }
    return name;
}

std::string FindCharset(std::string_view text)
{
    const std::string lower = LowerCase(text);
    const std::size_t at = lower.find("charset=");
    if (at == std::string::npos)
        return {};
    return CharsetAfter(lower, at + 8);
}

// One UTF-8 validity check carried across chunk boundaries.
class Utf8Check {
public:
    bool Feed(const unsigned char* bytes, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            if (!feed(bytes[i]))
                return false;
        }
        return true;
    }
    bool Complete() const { return m_needed == 0; }

private:
    bool feed(unsigned char b)
    {
        if (m_needed == 0) {
            if (b < 0x80)
                return true;
            if (b >= 0xC2 && b <= 0xDF) {
                start(1, 0x80, 0xBF);
            } else if (b >= 0xE0 && b <= 0xEF) {
                // No overlong forms and no surrogates.
                start(2, b == 0xE0 ? 0xA0 : 0x80, b == 0xED ? 0x9F : 0xBF);
            } else if (b >= 0xF0 && b <= 0xF4) {
                start(3, b == 0xF0 ? 0x90 : 0x80, b == 0xF4 ? 0x8F : 0xBF);
            } else {
                return false;
            }
            return true;
        }
        if (b < m_low || b > m_high)
            return false;
        m_low = 0x80;
        m_high = 0xBF;
        --m_needed;
        return true;
    }
    void start(int needed, unsigned char low, unsigned char high)
    {
        m_needed = needed;
        m_low = low;
        m_high = high;
    }

    int m_needed { 0 };
    unsigned char m_low { 0x80 };
    unsigned char m_high { 0xBF };
};

}  // namespace

struct LineDecoder::Converter {
    QStringDecoder decoder;
};

std::string CharsetFromContentType(std::string_view contentType) { return FindCharset(contentType); }

std::string CharsetFromHead(std::string_view head)
{
    // Only a meta tag declares the page's charset; the word elsewhere is text.
    const std::string lower = LowerCase(head);
    std::size_t at = 0;
    while ((at = lower.find("<meta", at)) != std::string::npos) {
        const std::size_t end = lower.find('>', at);
        const std::string_view tag = std::string_view(lower).substr(at, end == std::string::npos ? end : end - at);
        const std::string name = FindCharset(tag);
        if (!name.empty())
            return name;
        at += 5;
    }
    return {};
}

bool FileIsUtf8(const std::string& fileName)
{
    std::FILE* file = std::fopen(FileSystemName(ResolveFileName(fileName)).c_str(), "rb");
    if (!file)
        return false;
    std::vector<unsigned char> chunk(64 * 1024);
    Utf8Check check;
    bool valid = true;
    for (;;) {
        const std::size_t count = std::fread(chunk.data(), 1, chunk.size(), file);
        if (count == 0)
            break;
        if (!check.Feed(chunk.data(), count)) {
            valid = false;
            break;
        }
    }
    std::fclose(file);
    return valid && check.Complete();
}

bool TextIsUtf8(std::string_view text)
{
    Utf8Check check;
    return check.Feed(reinterpret_cast<const unsigned char*>(text.data()), text.size()) && check.Complete();
}

bool LineDecoder::Supports(const std::string& charset)
{
    if (IsCodePageName(charset) || IsUtf8Name(charset))
        return true;
    if (charset.empty() || IsLineUnsafe(charset))
        return false;
    return QStringDecoder(charset.c_str()).isValid();
}

LineDecoder::LineDecoder(const std::string& charset)
{
    if (IsUtf8Name(charset)) {
        m_kind = Kind::Utf8;
    } else if (!IsCodePageName(charset) && Supports(charset)) {
        m_kind = Kind::Other;
        m_converter = std::make_unique<Converter>(Converter { QStringDecoder(charset.c_str()) });
    }
}

LineDecoder::~LineDecoder() = default;

std::string_view LineDecoder::Decode(std::string_view line)
{
    switch (m_kind) {
    case Kind::Utf8:
        m_decoded = codepage::FromUtf8(line);
        return m_decoded;
    case Kind::Other:
        m_decoded = codepage::FromUnicode(
            m_converter->decoder.decode(QByteArrayView(line.data(), static_cast<qsizetype>(line.size()))));
        return m_decoded;
    case Kind::CodePage:
        break;
    }
    return line;
}
