#include "platform/ui/graphics.h"

#include "platform/rtl/codepage.h"

#include <QFontMetrics>
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
    // A positive height is the cell height, leading included; the sans face's cell is about 1.16 em.
    return std::max(1, static_cast<int>(std::lround(m_height / 1.16)));
}

QString MapFontFamily(const std::string& windowsName)
{
    const std::string name = lower(windowsName);
    if (name == "times new roman" || name == "times" || name == "ms serif" || name == "georgia" || name == "garamond"
        || name == "book antiqua")
        return QStringLiteral("DejaVu Serif");
    if (name == "courier new" || name == "courier" || name == "fixedsys" || name == "terminal" || name == "lucida console"
        || name == "consolas")
        return QStringLiteral("DejaVu Sans Mono");
    // MS Sans Serif, Arial, Tahoma, Verdana, System, and the symbol fonts (which have no glyph mapping here).
    return QStringLiteral("DejaVu Sans");
}

QFont ToQFont(const TFontSpec& font)
{
    QFont result(MapFontFamily(font.Name));
    result.setPixelSize(font.PixelSize());
    result.setBold((font.Style & fsBold) != 0);
    result.setItalic((font.Style & fsItalic) != 0);
    result.setUnderline((font.Style & fsUnderline) != 0);
    result.setStrikeOut((font.Style & fsStrikeOut) != 0);
    result.setStyleHint(QFont::SansSerif, QFont::PreferDefault);
    const std::string name = lower(font.Name);
    if (name == "terminal" || name == "fixedsys") {
        // The raster fonts step a whole number of pixels a character; a scalable face at
        // the same size steps fractions, which drifts into uneven gaps ("PORT AL") and
        // wider captions than their buttons. Hold each step to the whole pixel below it.
        const qreal advance = QFontMetricsF(result).horizontalAdvance(QLatin1Char('M'));
        result.setLetterSpacing(QFont::AbsoluteSpacing, std::floor(advance) - advance);
    }
    return result;
}

int TextWidth(const TFontSpec& font, const std::string& text)
{
    return QFontMetrics(ToQFont(font)).horizontalAdvance(codepage::ToUnicode(text));
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
