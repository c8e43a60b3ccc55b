#include "kit-extra/qorlayout.h"

#include <algorithm>

void TQORGlyphTextLayout::Assign(const TQORGlyphTextLayout& source)
{
    m_alignment = source.m_alignment;
    m_alignText2Glyph = source.m_alignText2Glyph;
    m_offsetX = source.m_offsetX;
    m_offsetY = source.m_offsetY;
    m_spacing = source.m_spacing;
    Change();
}

void TQORButtonLayout::Assign(const TQORButtonLayout& source)
{
    BeginUpdate();
    TQORGlyphTextLayout::Assign(source);
    m_arrow = source.m_arrow;
    m_arrowColor = source.m_arrowColor;
    m_arrowIndent = source.m_arrowIndent;
    m_arrowPosition = source.m_arrowPosition;
    m_arrowSize = source.m_arrowSize;
    EndUpdate(true);
}

TQORButtonPlaces LayoutButton(const TQORButtonLayout& layout, QSize glyph, QSize text, const QRect& face)
{
    const bool hasGlyph = !glyph.isEmpty();
    const bool hasText = !text.isEmpty();
    if (!hasGlyph)
        glyph = QSize(0, 0);
    if (!hasText)
        text = QSize(0, 0);
    const int spacing = hasGlyph && hasText ? layout.Spacing() : 0;
    const bool besideGlyph = layout.ArrowPosition() == apRightGlyph || layout.ArrowPosition() == apLeftGlyph;
    const bool arrowLeft = layout.ArrowPosition() == apLeftText || layout.ArrowPosition() == apLeftGlyph;
    const bool arrow = layout.Arrow() && (besideGlyph ? hasGlyph : hasText);
    const int arrowW = 2 * layout.ArrowSize() - 1;
    const int arrowSpan = arrow ? arrowW + layout.ArrowIndent() : 0;

    // Each element with the arrow beside it, if it has one.
    const QSize glyphBlock(glyph.width() + (arrow && besideGlyph ? arrowSpan : 0), glyph.height());
    const QSize textBlock(text.width() + (arrow && !besideGlyph ? arrowSpan : 0), text.height());

    QPoint glyphAt;
    QPoint textAt;
    QSize total;
    switch (layout.AlignText2Glyph()) {
    case taLeft:
    case taRight: {
        total = QSize(glyphBlock.width() + spacing + textBlock.width(), std::max(glyph.height(), text.height()));
        const int gy = (total.height() - glyph.height()) / 2;
        const int ty = (total.height() - text.height()) / 2;
        if (layout.AlignText2Glyph() == taRight) {
            glyphAt = QPoint(0, gy);
            textAt = QPoint(glyphBlock.width() + spacing, ty);
        } else {
            textAt = QPoint(0, ty);
            glyphAt = QPoint(textBlock.width() + spacing, gy);
        }
        break;
    }
    case taTop:
    case taBottom: {
        total = QSize(std::max(glyphBlock.width(), textBlock.width()), glyph.height() + spacing + text.height());
        const int gx = (total.width() - glyphBlock.width()) / 2;
        const int tx = (total.width() - textBlock.width()) / 2;
        if (layout.AlignText2Glyph() == taBottom) {
            glyphAt = QPoint(gx, 0);
            textAt = QPoint(tx, glyph.height() + spacing);
        } else {
            textAt = QPoint(tx, 0);
            glyphAt = QPoint(gx, text.height() + spacing);
        }
        break;
    }
    }

    const int column = layout.Alignment() % 3;
    const int row = layout.Alignment() / 3;
    const int freeW = face.width() - total.width();
    const int freeH = face.height() - total.height();
    const QPoint origin(face.left() + (column == 0 ? 0 : column == 1 ? freeW / 2 : freeW),
                        face.top() + (row == 0 ? 0 : row == 1 ? freeH / 2 : freeH));
    const QPoint offset(layout.OffsetX(), layout.OffsetY());

    TQORButtonPlaces places;
    QPoint g = origin + glyphAt + offset;
    QPoint t = origin + textAt + offset + QPoint(1, 1);
    if (arrow && arrowLeft) {
        if (besideGlyph)
            g.rx() += arrowSpan;
        else
            t.rx() += arrowSpan;
    }
    if (hasGlyph)
        places.glyph = QRect(g, glyph);
    if (hasText)
        places.text = QRect(t, text);
    if (arrow) {
        const QRect& beside = besideGlyph ? places.glyph : places.text;
        const int x = arrowLeft ? beside.left() - arrowSpan : beside.right() + 1 + layout.ArrowIndent();
        const int y = beside.top() + beside.height() / 2 - layout.ArrowSize() / 2;
        places.arrow = QRect(x, y, arrowW, layout.ArrowSize());
    }
    return places;
}

void DrawDropDownArrow(QImage& canvas, int x, int y, int n, TColor color, bool pointingDown)
{
    if (n < 2 || n > 15)
        return;
    const QRgb rgb = ToQColor(color).rgb();
    auto span = [&](int from, int to, int row) {  // to excluded
        if (row < 0 || row >= canvas.height())
            return;
        for (int px = std::max(from, 0); px < std::min(to, canvas.width()); ++px)
            canvas.setPixel(px, row, rgb);
    };
    if (pointingDown) {
        for (int i = 0; i <= n - 2; ++i)
            span(x + i, x + 2 * n - 1 - i, y + i);
        span(x + n - 1, x + n, y + n - 1);
    } else {
        for (int i = 0; i <= n - 1; ++i)
            span(x + n / 2 - i, x + n / 2 + i + 1, y + i);
    }
}
