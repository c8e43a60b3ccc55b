#pragma once

#include "platform/ui/graphics.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

// Rectangle and bitmap helpers the kit's controls share.

// image: a copy of source whose pixels of transparentColor are black; mask: a
// monochrome mask of source, white where it has that colour, black elsewhere.
void SplitByColor(const QImage& source, QImage& image, QImage& mask, TColor transparentColor);

// What window shows in rect (its own rendering; the screen is never read).
// An empty rectangle leaves bitmap alone.
void CopyScreenRect(QImage& bitmap, QWidget& window, const QRect& rect);

// Horizontal and vertical placement of a rectangle within another.
enum TQORAlignment {
    agTopLeft, agTopCenter, agTopRight,
    agCenterLeft, agCenter, agCenterRight,
    agBottomLeft, agBottomCenter, agBottomRight
};
QRect AlignRect(TQORAlignment alignment, const QRect& inner, const QRect& outer);
QSize RectSize(const QRect& rect);
// The largest and smallest value; 0 for none.
int MaxOfInts(const std::vector<int>& values);
int MinOfInts(const std::vector<int>& values);
// The bounding box of rect turned by angle degrees about its centre, moved to (0, 0).
// Angle 0 leaves rect as it is.
QRect RotateRect(const QRect& rect, int angle);
