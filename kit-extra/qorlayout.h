#pragma once

#include "kit/qordrawex.h"
#include "kit/qorobject.h"
#include "platform/ui/graphics.h"

#include <QImage>
#include <QRect>
#include <QSize>

enum TQORTextArrange { taLeft, taRight, taTop, taBottom };
enum TQORArrowPosition { apRightText, apLeftText, apRightGlyph, apLeftGlyph };

// Where a button's glyph and caption stand and how far apart.
class TQORGlyphTextLayout : public TQORObject {
public:
    void Assign(const TQORGlyphTextLayout& source);

    TQORAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TQORAlignment value) { set(m_alignment, value); }
    // Where the text stands beside the glyph.
    TQORTextArrange AlignText2Glyph() const { return m_alignText2Glyph; }
    void SetAlignText2Glyph(TQORTextArrange value) { set(m_alignText2Glyph, value); }
    int OffsetX() const { return m_offsetX; }
    void SetOffsetX(int value) { set(m_offsetX, value); }
    int OffsetY() const { return m_offsetY; }
    void SetOffsetY(int value) { set(m_offsetY, value); }
    // Pixels between glyph and text.
    int Spacing() const { return m_spacing; }
    void SetSpacing(int value) { set(m_spacing, value); }

protected:
    template <typename T>
    void set(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        Change();
    }

private:
    TQORAlignment m_alignment { agCenter };
    TQORTextArrange m_alignText2Glyph { taRight };
    int m_offsetX { 0 };
    int m_offsetY { 0 };
    int m_spacing { 2 };
};

// The layout with an optional drop-down arrow beside the text or the glyph.
class TQORButtonLayout final : public TQORGlyphTextLayout {
public:
    void Assign(const TQORButtonLayout& source);

    bool Arrow() const { return m_arrow; }
    void SetArrow(bool value) { set(m_arrow, value); }
    TColor ArrowColor() const { return m_arrowColor; }
    void SetArrowColor(TColor value) { set(m_arrowColor, value); }
    int ArrowIndent() const { return m_arrowIndent; }
    void SetArrowIndent(int value) { set(m_arrowIndent, value); }
    TQORArrowPosition ArrowPosition() const { return m_arrowPosition; }
    void SetArrowPosition(TQORArrowPosition value) { set(m_arrowPosition, value); }
    // 2..10
    int ArrowSize() const { return m_arrowSize; }
    void SetArrowSize(int value) { set(m_arrowSize, value < 2 ? 2 : (value > 10 ? 10 : value)); }

private:
    bool m_arrow { false };
    TColor m_arrowColor { 0 };
    int m_arrowIndent { 3 };
    TQORArrowPosition m_arrowPosition { apRightText };
    int m_arrowSize { 3 };
};

// The places of glyph, caption and arrow inside a button's face; empty rectangles
// for what is not shown.
struct TQORButtonPlaces {
    QRect glyph;
    QRect text;
    QRect arrow;
};

// Lays out a glyph and a caption of the given sizes (empty when absent) in face.
// The arrow keeps beside its element, clear of it by ArrowIndent; OffsetX stays the user's.
TQORButtonPlaces LayoutButton(const TQORButtonLayout& layout, QSize glyph, QSize text, const QRect& face);

// A filled triangle of size n (2..15; other sizes draw nothing) with its top-left at (x, y).
void DrawDropDownArrow(QImage& canvas, int x, int y, int n, TColor color, bool pointingDown = true);
