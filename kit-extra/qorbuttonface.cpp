#include "kit-extra/qorbuttonface.h"

#include "kit-extra/drawedge.h"

namespace {

bool IsDownLook(int state) { return state == 3 || state == 4 || state == 6 || state == 7; }

void FillChecker(QImage& canvas, const QRect& rect, QRgb face)
{
    const QRect area = rect.intersected(canvas.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            line[x] = ((x + y) & 1) ? face : qRgb(255, 255, 255);
    }
}

void SetPixel(QImage& canvas, int x, int y, TColor color)
{
    if (canvas.rect().contains(x, y))
        canvas.setPixel(x, y, ToQColor(color).rgb());
}

}  // namespace

QRect DrawButtonFace(QImage& canvas, const QRect& rect, int faceStyle, int state, TColor color, bool mouseInside)
{
    const bool flat = faceStyle >= fsFlat;
    const bool down = IsDownLook(state);
    if (faceStyle != fsFlatNoFill) {
        const QRgb face = ToQColor(color).rgb();
        if (state == 3 && !(flat && mouseInside))
            FillChecker(canvas, rect, face);
        else
            FillPixels(canvas, { rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1 }, color);
    }
    qorprocs::TRect r { rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1 };
    switch (faceStyle) {
    case fsOldLook: {
        qorprocs::TRect outer = r;
        DrawEdge(canvas, outer, BDR_SUNKENOUTER, BF_LEFT | BF_TOP | BF_SOFT);
        DrawEdge(canvas, outer, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
        // The rounded corners.
        SetPixel(canvas, r.Left, r.Top, clBtnFace);
        SetPixel(canvas, r.Right - 1, r.Top, clBtnFace);
        SetPixel(canvas, r.Left, r.Bottom - 1, clBtnFace);
        SetPixel(canvas, r.Right - 1, r.Bottom - 1, clBtnFace);
        qorprocs::TRect inner { r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1 };
        if (down) {
            DrawEdge(canvas, inner, BDR_SUNKENINNER, BF_LEFT | BF_TOP);
        } else {
            DrawEdge(canvas, inner, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
            DrawEdge(canvas, inner, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        }
        break;
    }
    case fsNewLook:
        if (down) {
            DrawEdge(canvas, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
            r.Right -= 1;
            r.Bottom -= 1;
            DrawEdge(canvas, r, BDR_SUNKENINNER, BF_LEFT | BF_TOP);
        } else {
            DrawEdge(canvas, r, BDR_RAISEDOUTER, BF_RECT | BF_ADJUST);
            DrawEdge(canvas, r, BDR_RAISEDINNER, BF_RIGHT | BF_BOTTOM);
        }
        break;
    case fsFramed:
        FramePixels(canvas, r, clBlack);
        if (down) {
            const TColor grey = static_cast<TColor>(8421504);
            FillPixels(canvas, { r.Left + 1, r.Top + 1, r.Right - 1, r.Top + 2 }, grey);
            FillPixels(canvas, { r.Left + 1, r.Top + 1, r.Left + 2, r.Bottom - 1 }, grey);
        } else {
            qorprocs::TRect inner { r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1 };
            DrawEdge(canvas, inner, BDR_RAISEDINNER, BF_RECT);
        }
        break;
    default:
        if (down)
            DrawEdge(canvas, r, BDR_SUNKENOUTER, BF_RECT);
        else if (state == 2)
            DrawEdge(canvas, r, BDR_RAISEDINNER, BF_RECT);
        break;
    }
    QRect content = rect.adjusted(3, 3, -3, -3);
    if (down)
        content.translate(1, 1);
    return content;
}
