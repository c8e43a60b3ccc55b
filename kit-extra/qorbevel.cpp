#include "kit-extra/qorbevel.h"

#include "kit-extra/drawedge.h"

using qorprocs::TRect;

namespace {

void inflate(TRect& r, int d)
{
    r.Left -= d;
    r.Top -= d;
    r.Right += d;
    r.Bottom += d;
}

bool isFrame(TQORBevelStyle style) { return style == bvFrameLowered || style == bvFrameRaised; }

int sideWidth(TQORBevelStyle style, int width)
{
    if (style == bvNone)
        return 0;
    return width + (isFrame(style) ? 1 : 0);
}

// The parts of a band of width w inside r: top-left owns its corner and the halves of
// the top-right and bottom-left corners above the diagonal; bottom-right the rest.
void fillBands(QImage& canvas, const TRect& r, int w, TColor first, TColor second)
{
    const QRgb dark = ToQColor(first).rgb();
    const QRgb light = ToQColor(second).rgb();
    const int top = std::max(r.Top, 0);
    const int bottom = std::min(r.Bottom, canvas.height());
    const int left = std::max(r.Left, 0);
    const int right = std::min(r.Right, canvas.width());
    for (int y = top; y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        const int dy = y - r.Top;
        const int dyb = r.Bottom - 1 - y;
        for (int x = left; x < right; ++x) {
            const int dx = x - r.Left;
            const int dxr = r.Right - 1 - x;
            const bool inTopLeft = dx < w || dy < w;
            const bool inBottomRight = dxr < w || dyb < w;
            if (!inTopLeft && !inBottomRight)
                continue;
            bool light_ = inTopLeft;
            if (inTopLeft && inBottomRight) {
                if (dy < w && dxr < w && !(dx < w && dyb < w))
                    light_ = dy < dxr;
                else if (dx < w && dyb < w && !(dy < w && dxr < w))
                    light_ = dx < dyb;
                else
                    light_ = dx + dy < dxr + dyb;
            }
            line[x] = light_ ? light : dark;
        }
    }
}

} // namespace

void TQORBevel::Assign(const TQORBevel& source)
{
    m_styleInner = source.m_styleInner;
    m_styleOuter = source.m_styleOuter;
    m_widthInner = source.m_widthInner;
    m_widthOuter = source.m_widthOuter;
    m_borderColor = source.m_borderColor;
    m_borderSides = source.m_borderSides;
    m_borderWidth = source.m_borderWidth;
    m_borderInnerWidth = source.m_borderInnerWidth;
    m_edgeStyle = source.m_edgeStyle;
    m_lightColor = source.m_lightColor;
    m_mode = source.m_mode;
    m_shadowColor = source.m_shadowColor;
    m_standardStyle = source.m_standardStyle;
    Change();
}

void TQORBevel::Change()
{
    updateTotalWidth();
    TQORObject::Change();
}

void TQORBevel::SetStandardStyle(TQORBorderStyle value)
{
    if (m_standardStyle == value)
        return;
    m_standardStyle = value;
    // Only a standard bevel shows it, so nothing else needs to repaint.
    if (m_mode == bmStandard)
        Change();
}

void TQORBevel::setStyle(TQORBevelStyle& side, TQORBevelStyle& other, TQORBevelStyle value)
{
    if (side == value)
        return;
    const bool wasShadow = side == bvShadow;
    side = value;
    // A shadow is one look made of both sides.
    if (value == bvShadow)
        other = bvShadow;
    else if (wasShadow)
        other = bvNone;
    Change();
}

void TQORBevel::updateTotalWidth()
{
    switch (m_mode) {
    case bmCustom:
        if (m_styleOuter == bvShadow && m_styleInner == bvShadow)
            m_totalWidth = m_widthOuter / 2 + m_widthInner + m_borderInnerWidth + 1;
        else
            m_totalWidth = m_borderWidth + m_borderInnerWidth + sideWidth(m_styleOuter, m_widthOuter)
                           + sideWidth(m_styleInner, m_widthInner);
        break;
    case bmStandard:
        switch (m_standardStyle) {
        case lsNone:
            m_totalWidth = m_borderInnerWidth;
            break;
        case lsSingle:
        case lsSingleRaised:
        case lsSingleLowered:
            m_totalWidth = m_borderInnerWidth + 1;
            break;
        default:
            m_totalWidth = m_borderInnerWidth + 2;
        }
        break;
    case bmEdge:
        m_totalWidth = m_borderInnerWidth + (m_borderSides != 0 ? 2 : 0);
        break;
    }
}

void TQORBevel::paintRings(QImage& canvas, TRect& r, int count, bool noFill) const
{
    for (int i = 0; i < count; ++i) {
        if (!noFill)
            FramePixels(canvas, r, m_borderColor);
        inflate(r, -1);
    }
}

void TQORBevel::paintStyleFrame(QImage& canvas, TRect& r, TQORBevelStyle style, int width) const
{
    if (style == bvNone || style == bvShadow || width == 0)
        return;
    TColor first = m_shadowColor;
    TColor second = m_lightColor;
    if (style == bvLowered || style == bvFrameLowered)
        std::swap(first, second);
    else if (style == bvNormal)
        first = second = clBlack;
    if (isFrame(style)) {
        for (int i = 0; i < width; ++i) {
            FramePixels(canvas, { r.Left + 1 + i, r.Top + 1 + i, r.Right, r.Bottom }, first);
            FramePixels(canvas, { r.Left, r.Top, r.Right - 1 - i, r.Bottom - 1 - i }, second);
        }
        inflate(r, -(width + 1));
        return;
    }
    if (width == 1) {
        FillPixels(canvas, { r.Left, r.Top, r.Left + 1, r.Bottom - 1 }, second);
        FillPixels(canvas, { r.Left, r.Top, r.Right - 1, r.Top + 1 }, second);
        FillPixels(canvas, { r.Right - 1, r.Top, r.Right, r.Bottom }, first);
        FillPixels(canvas, { r.Left, r.Bottom - 1, r.Right, r.Bottom }, first);
    } else {
        fillBands(canvas, r, width, first, second);
    }
    inflate(r, -width);
}

void TQORBevel::Paint(QImage& canvas, const TRect& rect, TRect& innerRect, bool noFill) const
{
    innerRect = rect;
    if (m_totalWidth == 0)
        return;
    TRect r = rect;
    switch (m_mode) {
    case bmCustom:
        if (m_styleOuter == bvShadow && m_styleInner == bvShadow) {
            if (!noFill)
                FillPixels(canvas, r, m_borderColor);
            FillPixels(canvas, { r.Left + m_widthOuter, r.Top + m_widthOuter, r.Right, r.Bottom }, m_shadowColor);
            const int h = m_widthInner / 2;
            TRect box { r.Left + h, r.Top + h, r.Right - m_widthOuter - h, r.Bottom - m_widthOuter - h };
            if (m_widthInner > 0) {
                // A pen of width w centred on the box's outline, the box filled inside it.
                TRect band = box;
                inflate(band, h);
                for (int i = 0; i < m_widthInner; ++i) {
                    FramePixels(canvas, band, m_lightColor);
                    inflate(band, -1);
                }
                FillPixels(canvas, band, m_borderColor);
            }
            r = box;
            inflate(r, -(h + 1));
        } else {
            paintStyleFrame(canvas, r, m_styleOuter, m_widthOuter);
            paintRings(canvas, r, m_borderWidth, noFill);
            paintStyleFrame(canvas, r, m_styleInner, m_widthInner);
        }
        break;
    case bmStandard: {
        const unsigned R = BF_RECT, S = BF_SOFT, A = BF_ADJUST;
        switch (m_standardStyle) {
        case lsNone:
            break;
        case lsSingle:
            DrawEdge(canvas, r, BDR_SUNKENOUTER, BF_LEFT | BF_TOP | S | A);
            DrawEdge(canvas, r, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
            break;
        case lsLowered:
            DrawEdge(canvas, r, EDGE_SUNKEN, R | S | A);
            break;
        case lsRaised:
            DrawEdge(canvas, r, EDGE_RAISED, R | S | A);
            break;
        case lsRaisedspb:
        case lsRaisedExt:
            DrawEdge(canvas, r, BDR_RAISEDOUTER, R | S | A);
            DrawEdge(canvas, r, BDR_RAISEDINNER, BF_RIGHT | BF_BOTTOM | A);
            if (m_standardStyle == lsRaisedExt) {
                ++r.Left;
                ++r.Top;
            }
            break;
        case lsLoweredspb:
        case lsLoweredExt:
            DrawEdge(canvas, r, BDR_SUNKENOUTER, R | A);
            DrawEdge(canvas, r, BDR_SUNKENINNER, BF_LEFT | BF_TOP | A);
            if (m_standardStyle == lsLoweredExt) {
                --r.Right;
                --r.Bottom;
            }
            break;
        case lsFrameInset:
            DrawEdge(canvas, r, EDGE_ETCHED, R | A);
            break;
        case lsFrameOffset:
            DrawEdge(canvas, r, BDR_RAISEDINNER, R | A);
            DrawEdge(canvas, r, BDR_SUNKENOUTER, R | A);
            break;
        case lsWindowBorder:
            DrawEdge(canvas, r, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM | A);
            ++r.Left;
            ++r.Top;
            DrawEdge(canvas, r, BDR_RAISEDINNER, R | A);
            break;
        case lsSingleRaised:
            DrawEdge(canvas, r, BDR_RAISEDINNER, R | A);
            break;
        case lsSingleLowered:
            DrawEdge(canvas, r, BDR_SUNKENOUTER, R | A);
            break;
        case lsDoubleRaised:
            DrawEdge(canvas, r, BDR_RAISEDINNER, R | A);
            DrawEdge(canvas, r, BDR_RAISEDINNER, R | A);
            break;
        case lsDoubleLowered:
            DrawEdge(canvas, r, BDR_SUNKENOUTER, R | A);
            DrawEdge(canvas, r, BDR_SUNKENOUTER, R | A);
            break;
        }
        break;
    }
    case bmEdge:
        // Without sides nothing is drawn, so nothing is taken from the rectangle.
        if (m_borderSides != 0) {
            static constexpr unsigned edges[] = { BDR_RAISEDINNER, BDR_RAISEDOUTER, BDR_SUNKENINNER, BDR_SUNKENOUTER,
                                                  EDGE_BUMP,       EDGE_ETCHED,     EDGE_RAISED,     EDGE_SUNKEN };
            unsigned flags = 0;
            if (m_borderSides & fsBottom)
                flags |= BF_BOTTOM;
            if (m_borderSides & fsLeft)
                flags |= BF_LEFT;
            if (m_borderSides & fsRight)
                flags |= BF_RIGHT;
            if (m_borderSides & fsTop)
                flags |= BF_TOP;
            DrawEdge(canvas, r, edges[m_edgeStyle], flags);
            inflate(r, -2);
        }
        break;
    }
    paintRings(canvas, r, m_borderInnerWidth, noFill);
    innerRect = r;
}
