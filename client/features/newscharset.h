#pragma once

#include <memory>
#include <string>
#include <string_view>

// How a news page's bytes become the code page: pages come from anywhere, in any
// charset, and a UTF-8 "ö" kept as two bytes would hold 0xB6, the entry separator.

// The charset named by a Content-Type value or an HTML head ("charset=..."),
// lower-cased; "" when none is named.
std::string CharsetFromContentType(std::string_view contentType);
std::string CharsetFromHead(std::string_view head);

// True when the whole file is well-formed UTF-8 (read in chunks).
bool FileIsUtf8(const std::string& fileName);
// The same for text in memory.
bool TextIsUtf8(std::string_view text);

// Turns one line of a page into code-page text; what the code page cannot hold becomes '?'.
class LineDecoder {
public:
    // "" or an unknown or multi-byte-newline charset: the bytes are taken as the code page.
    explicit LineDecoder(const std::string& charset);
    ~LineDecoder();
    LineDecoder(const LineDecoder&) = delete;
    LineDecoder& operator=(const LineDecoder&) = delete;

    // The line in the code page: the bytes themselves for the code page, else
    // text held by the decoder until the next call.
    std::string_view Decode(std::string_view line);
    // True for the code page's own family, UTF-8 and the single-byte charsets Qt can read.
    static bool Supports(const std::string& charset);

private:
    enum class Kind { CodePage, Utf8, Other };
    struct Converter;
    Kind m_kind { Kind::CodePage };
    std::unique_ptr<Converter> m_converter;
    std::string m_decoded;
};
