#include "platform/ui/graphics.h"

#include "platform/rtl/codepage.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>

namespace {

// The classic default desktop scheme, by system colour index, as 0x00BBGGRR.
constexpr std::array<TColor, 31> kClassicScheme {
    RGB(192, 192, 192),  // 0 scroll bar
    RGB(0, 128, 128),    // 1 desktop
    RGB(0, 0, 128),      // 2 active caption
    RGB(128, 128, 128),  // 3 inactive caption
    RGB(192, 192, 192),  // 4 menu
    RGB(255, 255, 255),  // 5 window
    RGB(0, 0, 0),        // 6 window frame
    RGB(0, 0, 0),        // 7 menu text
    RGB(0, 0, 0),        // 8 window text
    RGB(255, 255, 255),  // 9 caption text
    RGB(192, 192, 192),  // 10 active border
    RGB(192, 192, 192),  // 11 inactive border
    RGB(128, 128, 128),  // 12 application work space
    RGB(0, 0, 128),      // 13 highlight
    RGB(255, 255, 255),  // 14 highlight text
    RGB(192, 192, 192),  // 15 button face
    RGB(128, 128, 128),  // 16 button shadow
    RGB(128, 128, 128),  // 17 grey text
    RGB(0, 0, 0),        // 18 button text
    RGB(192, 192, 192),  // 19 inactive caption text
    RGB(255, 255, 255),  // 20 button highlight
    RGB(0, 0, 0),        // 21 3D dark shadow
    RGB(223, 223, 223),  // 22 3D light
    RGB(0, 0, 0),        // 23 tooltip text
    RGB(255, 255, 225),  // 24 tooltip background
    RGB(192, 192, 192),  // 25 unused
    RGB(0, 0, 128),      // 26 hot-tracked item
    RGB(16, 132, 208),   // 27 active caption gradient
    RGB(181, 181, 181),  // 28 inactive caption gradient
    RGB(0, 0, 128),      // 29 menu highlight
    RGB(192, 192, 192),  // 30 menu bar
};

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// An installed face standing in for a Windows font: the first face found draws, and a
// positive (cell) height becomes the em by the face's cell, ascent plus descent, in ems.
struct Face {
    const char* family;
    const char* fallback;
    double cell;
};

// Liberation has the metrics of Arial, Times New Roman and Courier New; DejaVu Sans is drawn to
// Verdana's wide proportions and holds the pictures of the symbol fonts.
constexpr Face kSans { "Liberation Sans", "DejaVu Sans", 1.12 };
constexpr Face kSerif { "Liberation Serif", "DejaVu Serif", 1.11 };
constexpr Face kMono { "Liberation Mono", "DejaVu Sans Mono", 1.13 };
constexpr Face kWide { "DejaVu Sans", "DejaVu Sans", 1.16 };
constexpr Face kRaster { "DejaVu Sans Mono", "DejaVu Sans Mono", 1.16 };

// Per cent of the stand-in's letter steps that the raster sans face takes.
constexpr qreal kRasterSansSpacing = 96;

bool isSymbolFont(const std::string& name) { return name == "marlett" || name == "wingdings" || name == "symbol"; }

Face faceOf(const std::string& windowsName)
{
    const std::string name = lower(windowsName);
    if (name == "times new roman" || name == "times" || name == "ms serif" || name == "georgia" || name == "garamond"
        || name == "book antiqua")
        return kSerif;
    if (name == "courier new" || name == "courier" || name == "lucida console" || name == "consolas")
        return kMono;
    if (name == "fixedsys" || name == "terminal")
        return kRaster;
    if (name == "verdana" || isSymbolFont(name))
        return kWide;
    // MS Sans Serif, Arial, Tahoma, System and whatever else.
    return kSans;
}

// The symbol fonts draw pictures at the places of letters: the picture each letter shows, as Unicode.
struct SymbolGlyph {
    char letter;
    char16_t shown;
};

constexpr SymbolGlyph kMarlett[] {
    { '0', u'\u2581' },  // minimise
    { '1', u'\u25A1' },  // maximise
    { '2', u'\u2750' },  // restore
    { '3', u'\u25C0' },  // arrows left, right, up, down
    { '4', u'\u25B6' },
    { '5', u'\u25B2' },
    { '6', u'\u25BC' },
    { 'a', u'\u2713' },  // check mark
    { 'r', u'\u2715' },  // close
    { 't', u'\u25B2' },  // small arrows up and down
    { 'u', u'\u25BC' },
};

constexpr SymbolGlyph kWingdings[] {
    { 'J', u'\u263A' },
    { 'L', u'\u2639' },
    { 'l', u'\u25CF' },
    { 'n', u'\u25A0' },
    { 'o', u'\u25A1' },
    { 'q', u'\u2751' },
    { 'r', u'\u2752' },
    { 't', u'\u29EB' },
    { 'u', u'\u25C6' },
    { 'v', u'\u2756' },
    { 'x', u'\u2327' },
};

// The Symbol font's Latin letters are the Greek ones in its own order.
constexpr char16_t kSymbolCapitals[] = u"\u0391\u0392\u03A7\u0394\u0395\u03A6\u0393\u0397\u0399\u03D1\u039A\u039B\u039C"
                                       u"\u039D\u039F\u03A0\u0398\u03A1\u03A3\u03A4\u03A5\u03C2\u03A9\u039E\u03A8\u0396";
constexpr char16_t kSymbolSmall[] = u"\u03B1\u03B2\u03C7\u03B4\u03B5\u03C6\u03B3\u03B7\u03B9\u03D5\u03BA\u03BB\u03BC"
                                    u"\u03BD\u03BF\u03C0\u03B8\u03C1\u03C3\u03C4\u03C5\u03D6\u03C9\u03BE\u03C8\u03B6";

template <std::size_t N>
QChar fromTable(const SymbolGlyph (&table)[N], unsigned char c)
{
    for (const SymbolGlyph& glyph : table)
        if (static_cast<unsigned char>(glyph.letter) == c)
            return QChar(glyph.shown);
    return QChar(codepage::ByteToUnicode(c));
}

QChar symbolGlyph(const std::string& font, unsigned char c)
{
    if (font == "marlett")
        return fromTable(kMarlett, c);
    if (font == "wingdings")
        return fromTable(kWingdings, c);
    if (c >= 'A' && c <= 'Z')
        return QChar(kSymbolCapitals[c - 'A']);
    if (c >= 'a' && c <= 'z')
        return QChar(kSymbolSmall[c - 'a']);
    return QChar(codepage::ByteToUnicode(c));
}

}  // namespace

TColor ColorToRGB(TColor color)
{
    if (color == clNone || color == clDefault)
        return clBlack;
    const auto bits = static_cast<std::uint32_t>(color);
    if (bits & 0x80000000u) {
        const std::uint32_t index = bits & 0xFF;
        return index < kClassicScheme.size() ? kClassicScheme[index] : clBlack;
    }
    return static_cast<TColor>(bits & 0x00FFFFFF);
}

QColor ToQColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return RGB(c.red(), c.green(), c.blue());
}

QPalette ClassicPalette()
{
    QPalette palette;
    auto both = [&](QPalette::ColorRole role, TColor color) {
        palette.setColor(QPalette::Active, role, ToQColor(color));
        palette.setColor(QPalette::Inactive, role, ToQColor(color));
        palette.setColor(QPalette::Disabled, role, ToQColor(color));
    };
    both(QPalette::Window, clBtnFace);
    both(QPalette::WindowText, clWindowText);
    both(QPalette::Base, clWindow);
    both(QPalette::AlternateBase, clBtnFace);
    both(QPalette::Text, clWindowText);
    both(QPalette::Button, clBtnFace);
    both(QPalette::ButtonText, clBtnText);
    both(QPalette::Light, clBtnHighlight);
    both(QPalette::Midlight, cl3DLight);
    both(QPalette::Mid, clBtnShadow);
    both(QPalette::Dark, clBtnShadow);
    both(QPalette::Shadow, cl3DDkShadow);
    both(QPalette::Highlight, clHighlight);
    both(QPalette::HighlightedText, clHighlightText);
    both(QPalette::ToolTipBase, clInfoBk);
    both(QPalette::ToolTipText, clInfoText);
    both(QPalette::PlaceholderText, clGrayText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, ToQColor(clGrayText));
    palette.setColor(QPalette::Disabled, QPalette::Text, ToQColor(clGrayText));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, ToQColor(clGrayText));
    palette.setColor(QPalette::Disabled, QPalette::Base, ToQColor(clBtnFace));
    return palette;
}

void EnableAndColour(QWidget* box, bool enabled)
{
    box->setEnabled(enabled);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ToQColor(enabled ? clWhite : clBtnFace));
    palette.setColor(QPalette::Text, ToQColor(enabled ? clWindowText : clBtnShadow));
    box->setPalette(palette);
}

int PointsToPixels(int points)
{
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

TFontSpec::TFontSpec(std::string name, int size, TFontStyles style, TColor color)
    : Name(std::move(name))
    , Style(style)
    , Color(color)
{
    SetSize(size);
}

int TFontSpec::Size() const
{
    if (m_height < 0)
        return static_cast<int>(std::lround(-m_height * 72.0 / 96.0));
    return static_cast<int>(std::lround(PixelSize() * 72.0 / 96.0));
}

void TFontSpec::SetSize(int points)
{
    m_height = -PointsToPixels(points);
}

int TFontSpec::PixelSize() const
{
    if (m_height < 0)
        return -m_height;
    if (m_height == 0)
        return 11;
    // A positive height is the cell height, leading included.
    return std::max(1, static_cast<int>(std::lround(m_height / faceOf(Name).cell)));
}

QString MapFontFamily(const std::string& windowsName) { return QString::fromLatin1(faceOf(windowsName).family); }

QFont ToQFont(const TFontSpec& font)
{
    const Face face = faceOf(font.Name);
    QFont result;
    result.setFamilies({ QString::fromLatin1(face.family), QString::fromLatin1(face.fallback) });
    result.setPixelSize(font.PixelSize());
    result.setBold((font.Style & fsBold) != 0);
    result.setItalic((font.Style & fsItalic) != 0);
    result.setUnderline((font.Style & fsUnderline) != 0);
    result.setStrikeOut((font.Style & fsStrikeOut) != 0);
    result.setStyleHint(QFont::SansSerif, QFont::PreferDefault);
    const std::string name = lower(font.Name);
    if (name == "ms sans serif") {
        // The raster sans face sets its capitals a little closer than Arial, whose metrics
        // the stand-in has; without this a full label such as "GOOD AFTERNOON" loses its edge.
        result.setLetterSpacing(QFont::PercentageSpacing, kRasterSansSpacing);
    }
    if (name == "terminal" || name == "fixedsys") {
        // The raster fonts step a whole number of pixels a character; a scalable face at
        // the same size steps fractions, which drifts into uneven gaps ("PORT AL") and
        // wider captions than their buttons. Hold each step to the whole pixel below it.
        const qreal advance = QFontMetricsF(result).horizontalAdvance(QLatin1Char('M'));
        result.setLetterSpacing(QFont::AbsoluteSpacing, std::floor(advance) - advance);
    }
    return result;
}

QString FontText(const TFontSpec& font, const std::string& text)
{
    const std::string name = lower(font.Name);
    if (!isSymbolFont(name))
        return codepage::ToUnicode(text);
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text)
        shown += symbolGlyph(name, static_cast<unsigned char>(c));
    return shown;
}

void SetFontAndText(QLabel& label, const TFontSpec& font, const std::string& text)
{
    label.setFont(ToQFont(font));
    label.setText(FontText(font, text));
}

void SetFontAndText(QAbstractButton& button, const TFontSpec& font, const std::string& text)
{
    button.setFont(ToQFont(font));
    button.setText(FontText(font, text));
}

int TextWidth(const TFontSpec& font, const std::string& text)
{
    return QFontMetrics(ToQFont(font)).horizontalAdvance(FontText(font, text));
}

int TextHeight(const TFontSpec& font)
{
    return QFontMetrics(ToQFont(font)).height();
}

void FillBands(QPainter& painter, const QRect& rect, TColor from, TColor to, int bands, bool vertical)
{
    if (rect.isEmpty())
        return;
    bands = std::clamp(bands, 1, 256);
    const TColor a = ColorToRGB(from);
    const TColor b = ColorToRGB(to);
    const int extent = vertical ? rect.width() : rect.height();
    for (int i = 0; i < bands; ++i) {
        auto channel = [&](int start, int end) { return bands == 1 ? start : start + i * (end - start) / (bands - 1); };
        const QColor color(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
            channel(GetBValue(a), GetBValue(b)));
        const int begin = i * extent / bands;
        const int end = (i + 1) * extent / bands;
        if (end <= begin)
            continue;
        const QRect band = vertical ? QRect(rect.left() + begin, rect.top(), end - begin, rect.height())
                                    : QRect(rect.left(), rect.top() + begin, rect.width(), end - begin);
        painter.fillRect(band, color);
    }
}

namespace {

std::map<TCursor, QCursor>& screenCursors()
{
    static std::map<TCursor, QCursor> cursors;
    return cursors;
}

}  // namespace

void SetScreenCursor(TCursor cursor, const QCursor& shape) { screenCursors()[cursor] = shape; }

QCursor ToQCursor(TCursor cursor)
{
    if (const auto added = screenCursors().find(cursor); added != screenCursors().end())
        return added->second;
    switch (cursor) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    case crHourGlass: return QCursor(Qt::WaitCursor);
    case crDrag: return QCursor(Qt::DragMoveCursor);
    case crNo: return QCursor(Qt::ForbiddenCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crVSplit: return QCursor(Qt::SplitVCursor);
    case crAppStart: return QCursor(Qt::BusyCursor);
    case crHelp: return QCursor(Qt::WhatsThisCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}
