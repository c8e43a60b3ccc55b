#include "platform/ui/richtext.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/sysutils.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace richtext {

namespace {

constexpr int kDefaultHalfPoints = 24;
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 400;
constexpr std::size_t kMaxWordLength = 32;
constexpr std::size_t kMaxDigits = 10;

struct CharState {
    bool bold { false };
    bool italic { false };
    bool underline { false };
    int halfPoints { kDefaultHalfPoints };
    int color { -1 };  // index into the colour table; -1 is the window's own colour

    bool operator==(const CharState&) const = default;
};

enum class Destination { Text, ColorTable, Skip };

struct GroupState {
    CharState chars;
    Destination destination { Destination::Text };
    int unicodeSkip { 1 };
    bool firstToken { true };
};

// What a document holds, gathered whole before anything touches a cursor.
struct Piece {
    bool paragraph { false };
    QString text;
    CharState chars;
};

class Reader {
public:
    explicit Reader(std::string_view rtf)
        : m_in(rtf)
    {
    }

    // Nothing when the input is not well-formed rich text within the bounds.
    std::optional<std::vector<Piece>> Read()
    {
        if (m_in.substr(0, 5) != "{\\rtf")
            return std::nullopt;
        while (m_at < m_in.size()) {
            const char c = m_in[m_at++];
            if (c == '{') {
                if (!Open())
                    return std::nullopt;
            } else if (c == '}') {
                m_stack.pop_back();
                // The document ends with its outer group; anything after it is not part of it.
                if (m_stack.empty())
                    return std::move(m_pieces);
            } else if (c == '\\') {
                if (!Control())
                    return std::nullopt;
            } else if (c == '\r' || c == '\n') {
                continue;
            } else {
                if (!Character(codepage::ByteToUnicode(static_cast<unsigned char>(c))))
                    return std::nullopt;
            }
        }
        return std::nullopt;
    }

private:
    GroupState& Top() { return m_stack.back(); }

    bool Open()
    {
        if (static_cast<int>(m_stack.size()) >= kMaxDepth)
            return false;
        GroupState inner = m_stack.empty() ? GroupState {} : Top();
        inner.firstToken = true;
        m_stack.push_back(inner);
        return true;
    }

    bool Control()
    {
        if (m_at >= m_in.size())
            return false;
        const char c = m_in[m_at];
        if (std::isalpha(static_cast<unsigned char>(c)))
            return Word();
        ++m_at;
        const bool first = Top().firstToken;
        Top().firstToken = false;
        switch (c) {
        case '\'': {
            if (m_at + 2 > m_in.size())
                return false;
            const int high = HexDigitValue(m_in[m_at]);
            const int low = HexDigitValue(m_in[m_at + 1]);
            if (high < 0 || low < 0)
                return false;
            m_at += 2;
            return Character(codepage::ByteToUnicode(static_cast<unsigned char>(high * 16 + low)), true);
        }
        case '\\':
        case '{':
        case '}':
            return Character(static_cast<char16_t>(c));
        case '*':
            if (first)
                Top().destination = Destination::Skip;
            return true;
        case '~':
            return Character(u'\u00A0');
        case '\r':
        case '\n':
            return Paragraph();
        default:
            // Optional hyphens, formula characters and the like carry nothing shown here.
            return true;
        }
    }

    bool Word()
    {
        const std::size_t start = m_at;
        while (m_at < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_at])))
            ++m_at;
        if (m_at - start > kMaxWordLength)
            return false;
        const std::string_view word = m_in.substr(start, m_at - start);
        bool negative = false;
        if (m_at < m_in.size() && m_in[m_at] == '-') {
            negative = true;
            ++m_at;
        }
        const std::size_t digitsAt = m_at;
        long long value = 0;
        while (m_at < m_in.size() && std::isdigit(static_cast<unsigned char>(m_in[m_at]))) {
            // Past the limit the word is refused below; the value is no longer needed.
            if (m_at - digitsAt < kMaxDigits)
                value = value * 10 + (m_in[m_at] - '0');
            ++m_at;
        }
        const std::size_t digits = m_at - digitsAt;
        if (digits > kMaxDigits || (negative && digits == 0))
            return false;
        if (m_at < m_in.size() && m_in[m_at] == ' ')
            ++m_at;
        const bool hasValue = digits > 0;
        const int number = static_cast<int>(std::clamp<long long>(negative ? -value : value, -65536, 65535));
        const bool first = Top().firstToken;
        Top().firstToken = false;
        return Apply(word, hasValue, number, first);
    }

    bool Apply(std::string_view word, bool hasValue, int number, bool first)
    {
        GroupState& group = Top();
        if (first && IsDestination(word)) {
            group.destination = word == "colortbl" ? Destination::ColorTable : Destination::Skip;
            return true;
        }
        if (group.destination == Destination::Skip)
            return true;
        if (group.destination == Destination::ColorTable) {
            if (word == "red")
                m_color[0] = std::clamp(number, 0, 255);
            else if (word == "green")
                m_color[1] = std::clamp(number, 0, 255);
            else if (word == "blue")
                m_color[2] = std::clamp(number, 0, 255);
            return true;
        }
        CharState& chars = group.chars;
        const bool on = !hasValue || number != 0;
        if (word == "plain")
            chars = CharState {};
        else if (word == "b")
            chars.bold = on;
        else if (word == "i")
            chars.italic = on;
        else if (word == "ul")
            chars.underline = on;
        else if (word == "ulnone")
            chars.underline = false;
        else if (word == "fs")
            chars.halfPoints = std::clamp(hasValue ? number : kDefaultHalfPoints, kMinHalfPoints, kMaxHalfPoints);
        else if (word == "cf")
            chars.color = hasValue && number >= 0 && static_cast<std::size_t>(number) < m_colors.size() ? number : -1;
        else if (word == "uc")
            group.unicodeSkip = std::clamp(number, 0, 4);
        else if (word == "par")
            return Paragraph();
        else if (word == "line")
            return Character(u'\u2028');
        else if (word == "tab")
            return Character(u'\t');
        else if (word == "u" && hasValue) {
            if (!Character(static_cast<char16_t>(number < 0 ? number + 65536 : number)))
                return false;
            m_skip = group.unicodeSkip;
        }
        return true;
    }

    static bool IsDestination(std::string_view word)
    {
        static constexpr std::array<std::string_view, 24> kDestinations {
            "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "header", "footer",
            "headerl", "headerr", "footerl", "footerr", "footnote", "fldinst", "listtable",
            "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "themedata", "latentstyles",
            "datastore", "pntext", "bkmkstart",
        };
        return std::find(kDestinations.begin(), kDestinations.end(), word) != kDestinations.end();
    }

    bool Character(char16_t c, bool escaped = false)
    {
        GroupState& group = Top();
        group.firstToken = false;
        if (group.destination == Destination::Skip)
            return true;
        if (group.destination == Destination::ColorTable) {
            if (c == u';' && !escaped && m_colors.size() < kMaxTableEntries)
                m_colors.push_back(QColor(m_color[0], m_color[1], m_color[2]));
            if (c == u';')
                m_color = { 0, 0, 0 };
            return true;
        }
        // The stand-in characters after a \u are its fallback for older readers.
        if (m_skip > 0) {
            --m_skip;
            return true;
        }
        if (c < 0x20 && c != u'\t')
            return true;
        if (++m_count > kMaxText)
            return false;
        if (m_pieces.empty() || m_pieces.back().paragraph || !(m_pieces.back().chars == group.chars))
            m_pieces.push_back(Piece { false, {}, group.chars });
        m_pieces.back().text += QChar(c);
        return true;
    }

    bool Paragraph()
    {
        if (Top().destination != Destination::Text)
            return true;
        m_skip = 0;
        if (++m_count > kMaxText)
            return false;
        m_pieces.push_back(Piece { true, {}, Top().chars });
        return true;
    }

public:
    const std::vector<QColor>& Colors() const { return m_colors; }

private:
    std::string_view m_in;
    std::size_t m_at { 0 };
    std::vector<GroupState> m_stack;
    std::vector<Piece> m_pieces;
    std::vector<QColor> m_colors;
    std::array<int, 3> m_color { 0, 0, 0 };
    std::size_t m_count { 0 };
    int m_skip { 0 };
};

QTextCharFormat Format(const CharState& chars, const std::vector<QColor>& colors)
{
    QTextCharFormat format;
    format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chars.italic);
    format.setFontUnderline(chars.underline);
    format.setFontPointSize(chars.halfPoints / 2.0);
    if (chars.color >= 0)
        format.setForeground(colors[static_cast<std::size_t>(chars.color)]);
    return format;
}

void InsertPlain(QTextCursor& cursor, std::string_view bytes)
{
    cursor.insertText(codepage::ToUnicode(bytes.substr(0, kMaxText)));
}

// One run of text with one look, as the writer sees it.
struct Run {
    QString text;
    QTextCharFormat format;
    bool paragraph { false };
};

std::vector<Run> Runs(const QTextDocument& document, int from, int to)
{
    std::vector<Run> runs;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() <= to; block = block.next()) {
        if (block.position() > from)
            runs.push_back(Run { {}, block.charFormat(), true });
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(from, fragment.position());
            const int end = std::min(to, fragment.position() + fragment.length());
            if (start >= end)
                continue;
            runs.push_back(Run { fragment.text().mid(start - fragment.position(), end - start), fragment.charFormat(), false });
        }
    }
    return runs;
}

class Writer {
public:
    // The colours the runs use join colors (the document's table, black first).
    Writer(std::vector<Run> runs, double defaultPoints, std::vector<QColor>& colors)
        : m_runs(std::move(runs))
        , m_defaultPoints(defaultPoints > 0 ? defaultPoints : 10)
        , m_colors(colors)
    {
        for (const Run& run : m_runs)
            m_states.push_back(State(run.format));
    }

    // The runs after out while it stays below limit.
    void Body(std::string& out, std::size_t limit) const
    {
        std::optional<CharState> current;
        for (std::size_t i = 0; i < m_runs.size() && out.size() < limit - 64; ++i) {
            if (m_runs[i].paragraph) {
                out += "\\par ";
                continue;
            }
            if (!current || !(*current == m_states[i])) {
                current = m_states[i];
                out += "\\plain \\f2 \\fs" + std::to_string(current->halfPoints) + " \\cf" + std::to_string(current->color) + " ";
                if (current->bold)
                    out += "\\b ";
                if (current->italic)
                    out += "\\i ";
                if (current->underline)
                    out += "\\ul ";
            }
            Text(out, m_runs[i].text, limit);
        }
    }

    std::string Write() const
    {
        std::string out = Opening(m_colors);
        Body(out, kMaxWritten);
        out += "}";
        return out;
    }

private:
    CharState State(const QTextCharFormat& format)
    {
        CharState chars;
        chars.bold = format.fontWeight() >= QFont::DemiBold;
        chars.italic = format.fontItalic();
        chars.underline = format.fontUnderline();
        const double points = format.fontPointSize() > 0 ? format.fontPointSize() : m_defaultPoints;
        chars.halfPoints = std::clamp(static_cast<int>(std::lround(points * 2)), kMinHalfPoints, kMaxHalfPoints);
        chars.color = 0;
        if (format.foreground().style() != Qt::NoBrush) {
            const QColor color = format.foreground().color().toRgb();
            const QColor plain(color.red(), color.green(), color.blue());
            auto found = std::find(m_colors.begin(), m_colors.end(), plain);
            if (found == m_colors.end() && m_colors.size() < kMaxTableEntries)
                found = m_colors.insert(m_colors.end(), plain);
            if (found != m_colors.end())
                chars.color = static_cast<int>(found - m_colors.begin());
        }
        return chars;
    }

    static void Text(std::string& out, const QString& text, std::size_t limit)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        for (int i = 0; i < text.size() && out.size() < limit - 64; ++i) {
            const QChar c = text[i];
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                ++i;
                out += '?';
                continue;
            }
            if (c == u'\u2028') {
                out += "\\line ";
                continue;
            }
            if (c == u'\t') {
                out += "\\tab ";
                continue;
            }
            if (c == u'\uFFFC' || c.unicode() < 0x20)
                continue;
            const auto byte = static_cast<unsigned char>(codepage::UnicodeToByte(c.unicode()));
            if (byte == '\\' || byte == '{' || byte == '}') {
                out += '\\';
                out += static_cast<char>(byte);
            } else if (byte >= 0x80) {
                out += "\\'";
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            } else {
                out += static_cast<char>(byte);
            }
        }
    }

    std::vector<Run> m_runs;
    std::vector<CharState> m_states;
    double m_defaultPoints;
    std::vector<QColor>& m_colors;
};

}  // namespace

std::string Opening(const std::vector<QColor>& colors)
{
    std::string out = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
                      "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fswiss Arial;}{\\f3\\fswiss Arial;}}{\\colortbl";
    for (const QColor& color : colors)
        out += "\\red" + std::to_string(color.red()) + "\\green" + std::to_string(color.green()) + "\\blue"
            + std::to_string(color.blue()) + ";";
    out += "}\\deflang1033\\pard ";
    return out;
}

std::string Header()
{
    return "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
           "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fswiss Arial;}"
           "{\\f3\\fswiss Arial;}}{\\colortbl\\red0\\green0\\blue0;}";
}

std::string Escape(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (byte >= 0x80) {
            out += "\\'";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else if (byte >= 0x20) {
            out += c;
        }
    }
    return out;
}

bool Insert(QTextCursor& cursor, std::string_view rtf)
{
    Reader reader(rtf);
    const std::optional<std::vector<Piece>> pieces = reader.Read();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    if (!pieces) {
        InsertPlain(cursor, rtf);
        cursor.endEditBlock();
        return false;
    }
    for (const Piece& piece : *pieces) {
        if (piece.paragraph)
            cursor.insertBlock(QTextBlockFormat(), Format(piece.chars, reader.Colors()));
        else
            cursor.insertText(piece.text, Format(piece.chars, reader.Colors()));
    }
    cursor.endEditBlock();
    return true;
}

bool Load(QTextDocument& document, std::string_view rtf)
{
    document.clear();
    QTextCursor cursor(&document);
    return Insert(cursor, rtf);
}

// The first entry is the header's black, which \cf0 names.
std::vector<QColor> FirstColors() { return { QColor(0, 0, 0) }; }

std::string Write(const QTextDocument& document)
{
    const int end = std::max(0, document.characterCount() - 1);
    std::vector<QColor> colors = FirstColors();
    return Writer(Runs(document, 0, end), document.defaultFont().pointSizeF(), colors).Write();
}

std::string WriteSelection(const QTextCursor& cursor)
{
    std::vector<QColor> colors = FirstColors();
    const QTextDocument* document = cursor.document();
    if (!document)
        return Writer({}, 10, colors).Write();
    return Writer(Runs(*document, cursor.selectionStart(), cursor.selectionEnd()), document->defaultFont().pointSizeF(), colors).Write();
}

std::string WriteBody(const QTextDocument& document, int from, std::vector<QColor>& colors)
{
    const int end = std::max(0, document.characterCount() - 1);
    std::string out;
    Writer(Runs(document, std::min(from, end), end), document.defaultFont().pointSizeF(), colors)
        .Body(out, std::numeric_limits<std::size_t>::max());
    return out;
}

}  // namespace richtext
