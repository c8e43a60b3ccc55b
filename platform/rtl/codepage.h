#pragma once

#include <QString>
#include <string>
#include <string_view>

// The system's text is Windows-1252 bytes in std::string. These are the only
// conversions: to and from Unicode where Qt shows text, and to and from UTF-8
// where a name meets the file system. Unrepresentable characters become '?'.
namespace codepage {

QString ToUnicode(std::string_view ansi);
std::string FromUnicode(const QString& text);

std::string ToUtf8(std::string_view ansi);
std::string FromUtf8(std::string_view utf8);

// The Unicode code point of one code-page byte (0x81, 0x8D, 0x8F, 0x90, 0x9D map to themselves).
char16_t ByteToUnicode(unsigned char byte);
// The code-page byte of a code point, or '?' when it has none.
char UnicodeToByte(char32_t codePoint);

}  // namespace codepage

// A source literal with non-ASCII characters, written in UTF-8, as code-page bytes: Ansi("KORVO®").
inline std::string Ansi(std::string_view utf8Literal) { return codepage::FromUtf8(utf8Literal); }
