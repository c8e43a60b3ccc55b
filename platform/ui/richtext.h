#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class QColor;
class QTextCursor;
class QTextDocument;

// Chat text travels as rich text (RTF) in the system's code page. This reads
// the subset chat windows write (font and colour tables, bold, italic,
// underline, size, colour, paragraphs, escaped bytes) and writes it back.
// Whatever a peer sends is bounded; a malformed document is shown as the
// plain text it holds, never half-applied.
namespace richtext {

inline constexpr int kMaxDepth = 32;
inline constexpr std::size_t kMaxTableEntries = 256;
inline constexpr std::size_t kMaxText = 256 * 1024;     // characters shown from one document
inline constexpr std::size_t kMaxWritten = 1024 * 1024;  // bytes written for one document or selection

// The header every document this system composes starts with: fonts and one colour.
std::string Header();

// Code-page text to be placed inside a document: '\' '{' '}' escaped, bytes
// >= 0x80 as \'hh, control bytes left out.
std::string Escape(std::string_view text);

// Streams a document in at the cursor, replacing its selection. False when it
// was not well-formed rich text: its bytes were inserted as plain text instead.
bool Insert(QTextCursor& cursor, std::string_view rtf);
// Replaces the whole document.
bool Load(QTextDocument& document, std::string_view rtf);

// The document, or the cursor's selection, as rich text: every control word
// ends with a space, '\' '{' '}' are escaped and every byte >= 0x80 is written
// as \'hh, so no raw byte above 0x7F ever appears. Past kMaxWritten the text is
// cut at a character boundary and the document still closes.
std::string Write(const QTextDocument& document);
std::string WriteSelection(const QTextCursor& cursor);

// A document written a piece at a time (a transcript file that grows): the
// opening with a colour table (black first), then the bodies of the pieces,
// then "}". A body is the document from position from to its end, nothing cut;
// the colours it uses that colors lacks are added to it, and the opening must
// then be written again with the longer table.
std::vector<QColor> FirstColors();
std::string Opening(const std::vector<QColor>& colors);
std::string WriteBody(const QTextDocument& document, int from, std::vector<QColor>& colors);

}  // namespace richtext
