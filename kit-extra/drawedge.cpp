#include "kit-extra/drawedge.h"

#include <algorithm>

namespace {

void fillSpan(QImage& image, int left, int top, int right, int bottom, TColor color)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image.width());
    bottom = std::min(bottom, image.height());
    if (left >= right || top >= bottom)
        return;
    const QRgb rgb = ToQColor(color).rgb();
    for (int y = top; y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + left, line + right, rgb);
    }
}

// One ring: top and left in light, then bottom and right in dark over the corners they own;
// a corner whose dark side is not drawn stays the light side's.
void drawRing(QImage& image, const qorprocs::TRect& r, unsigned flags, TColor light, TColor dark)
{
    if (flags & BF_TOP)
        fillSpan(image, r.Left, r.Top, (flags & BF_RIGHT) ? r.Right - 1 : r.Right, r.Top + 1, light);
    if (flags & BF_LEFT)
        fillSpan(image, r.Left, r.Top, r.Left + 1, (flags & BF_BOTTOM) ? r.Bottom - 1 : r.Bottom, light);
    if (flags & BF_BOTTOM)
        fillSpan(image, r.Left, r.Bottom - 1, r.Right, r.Bottom, dark);
    if (flags & BF_RIGHT)
        fillSpan(image, r.Right - 1, r.Top, r.Right, r.Bottom, dark);
}

void shrink(qorprocs::TRect& r, unsigned flags)
{
    if (flags & BF_LEFT)
        ++r.Left;
    if (flags & BF_TOP)
        ++r.Top;
    if (flags & BF_RIGHT)
        --r.Right;
    if (flags & BF_BOTTOM)
        --r.Bottom;
}

} // namespace

void FillPixels(QImage& image, const qorprocs::TRect& rect, TColor color)
{
    fillSpan(image, rect.Left, rect.Top, rect.Right, rect.Bottom, color);
}

void FramePixels(QImage& image, const qorprocs::TRect& r, TColor color)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    fillSpan(image, r.Left, r.Top, r.Right, r.Top + 1, color);
    fillSpan(image, r.Left, r.Bottom - 1, r.Right, r.Bottom, color);
    fillSpan(image, r.Left, r.Top, r.Left + 1, r.Bottom, color);
    fillSpan(image, r.Right - 1, r.Top, r.Right, r.Bottom, color);
}

void DrawEdge(QImage& image, qorprocs::TRect& rect, unsigned edge, unsigned flags)
{
    const bool soft = flags & BF_SOFT;
    qorprocs::TRect r = rect;
    // Soft edges trade the top-left colours of the outer and inner rings.
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
        const bool raised = edge & BDR_RAISEDOUTER;
        const TColor light = raised ? (soft ? clBtnHighlight : cl3DLight) : (soft ? cl3DDkShadow : clBtnShadow);
        const TColor dark = raised ? cl3DDkShadow : clBtnHighlight;
        drawRing(image, r, flags, light, dark);
        shrink(r, flags);
    }
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) {
        const bool raised = edge & BDR_RAISEDINNER;
        const TColor light = raised ? (soft ? cl3DLight : clBtnHighlight) : (soft ? clBtnShadow : cl3DDkShadow);
        const TColor dark = raised ? clBtnShadow : cl3DLight;
        drawRing(image, r, flags, light, dark);
        shrink(r, flags);
    }
    if (flags & BF_ADJUST)
        rect = r;
}
