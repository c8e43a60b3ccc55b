#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QRect>

#include <cstdint>
#include <string>

class QAbstractButton;
class QLabel;
class QPainter;

// Colours in the classic form: 0x00BBGGRR, or a system colour (high bit set,
// low byte the system colour index) resolved from the classic desktop scheme.
using TColor = std::int32_t;

inline constexpr TColor RGB(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int GetRValue(TColor c) { return c & 0xFF; }
inline constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clLtGray = clSilver;
inline constexpr TColor clDkGray = clGray;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);
inline constexpr TColor clActiveCaption = SystemColor(2);
inline constexpr TColor clInactiveCaption = SystemColor(3);
inline constexpr TColor clMenu = SystemColor(4);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clMenuText = SystemColor(7);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clCaptionText = SystemColor(9);
inline constexpr TColor clActiveBorder = SystemColor(10);
inline constexpr TColor clInactiveBorder = SystemColor(11);
inline constexpr TColor clAppWorkSpace = SystemColor(12);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clInactiveCaptionText = SystemColor(19);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);
inline constexpr TColor clInfoText = SystemColor(23);
inline constexpr TColor clInfoBk = SystemColor(24);
inline constexpr TColor clHotLight = SystemColor(26);
inline constexpr TColor clGradientActiveCaption = SystemColor(27);
inline constexpr TColor clGradientInactiveCaption = SystemColor(28);

// A system colour becomes its RGB value; clNone and clDefault become black; others pass.
TColor ColorToRGB(TColor color);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// The palette of a window in the classic scheme, so Qt's widgets look as the forms were drawn for.
QPalette ClassicPalette();

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// A font as the forms describe it. Size is in points at 96 DPI; Height in pixels
// (negative: character height, positive: cell height), and setting one sets the other.
class TFontSpec {
public:
    TFontSpec() = default;
    TFontSpec(std::string name, int size, TFontStyles style = 0, TColor color = clWindowText);

    std::string Name { "MS Sans Serif" };
    TFontStyles Style { 0 };
    TColor Color { clWindowText };
    int Charset { 1 };  // kept as the forms set it; Qt chooses glyphs by Unicode

    int Size() const;
    void SetSize(int points);
    int Height() const { return m_height; }
    void SetHeight(int pixels) { m_height = pixels; }

    // The em size in pixels a QFont gets.
    int PixelSize() const;

    bool operator==(const TFontSpec&) const = default;

private:
    int m_height { -11 };
};

// The installed family that stands in for a Windows font name; ToQFont falls back to DejaVu.
QString MapFontFamily(const std::string& windowsName);
QFont ToQFont(const TFontSpec& font);
// Text in the code page as the font shows it: the letters of the symbol fonts (Marlett,
// Wingdings, Symbol) become the characters of the pictures those fonts draw for them.
QString FontText(const TFontSpec& font, const std::string& text);
// A label's or button's font, and its text (code page) as that font shows it.
void SetFontAndText(QLabel& label, const TFontSpec& font, const std::string& text);
void SetFontAndText(QAbstractButton& button, const TFontSpec& font, const std::string& text);
int PointsToPixels(int points);

// Text measures in pixels, text in the code page.
int TextWidth(const TFontSpec& font, const std::string& text);
int TextHeight(const TFontSpec& font);

// Fills rect with bands blended from one colour to the other: band i of n spans
// i*W/n to (i+1)*W/n and each channel is from + i*(to - from)/(n - 1).
void FillBands(QPainter& painter, const QRect& rect, TColor from, TColor to, int bands, bool vertical = true);

// Screen cursors in the classic numbering.
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// A number's own cursor shape (a program's cursor added to the screen's list);
// it comes before the stock shape of that number.
void SetScreenCursor(TCursor cursor, const QCursor& shape);
QCursor ToQCursor(TCursor cursor);
