#pragma once

#include <QRect>

#include <string>

class QPainter;

// Text output as the classic drawing calls make it: text in the code page, in the painter's font
// and pen colour, placed by the top-left corner of its cell.

inline constexpr unsigned DT_TOP = 0x0000;
inline constexpr unsigned DT_LEFT = 0x0000;
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;
inline constexpr unsigned DT_BOTTOM = 0x0008;
inline constexpr unsigned DT_WORDBREAK = 0x0010;
inline constexpr unsigned DT_SINGLELINE = 0x0020;
inline constexpr unsigned DT_EXPANDTABS = 0x0040;
inline constexpr unsigned DT_NOCLIP = 0x0100;
inline constexpr unsigned DT_CALCRECT = 0x0400;
inline constexpr unsigned DT_NOPREFIX = 0x0800;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// Draws text into rect by the format flags ('&' marks the next letter unless
// DT_NOPREFIX); with DT_CALCRECT only measures, widening or lowering rect to fit.
// Answers the text's height.
int DrawTextA(QPainter& canvas, const std::string& text, QRect& rect, unsigned format);

// One line of text whose cell's top-left corner is at (x, y), turned by the
// painter's current transformation around that corner.
void ExtTextOutA(QPainter& canvas, int x, int y, const std::string& text);
