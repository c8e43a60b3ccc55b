#pragma once

#include "platform/ui/graphics.h"

#include <QImage>
#include <QPoint>

// A bitmap as the kit's drawing routines read it: its pixels and the state of
// its canvas they consult.
struct TBitmap {
    QImage Image;
    // clDefault: the colour of the bottom-left pixel, as the class library takes it.
    TColor TransparentColor { clDefault };
    // The canvas's current pen position; an X of -1 marks a bitmap not to be drawn.
    QPoint PenPos { 0, 0 };

    bool Empty() const { return Image.isNull() || Image.width() == 0 || Image.height() == 0; }
    int Width() const { return Image.width(); }
    int Height() const { return Image.height(); }
    // The transparent colour as RGB.
    TColor ResolvedTransparentColor() const
    {
        if (TransparentColor != clDefault)
            return ColorToRGB(TransparentColor);
        if (Empty())
            return clBlack;
        return FromQColor(Image.pixelColor(0, Image.height() - 1));
    }
};
