#pragma once

#include "platform/ui/graphics.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <string>
#include <vector>

class QWidget;
class TQORFxCaption;

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

// The size a caption needs, measured with font: rect keeps its top-left corner
// and gets width and height, each grown by 2 x (extra + 1). An angled caption
// effect is measured turned, and its PosX/PosY are set (silently) so the turned
// text stays centred; an unangled one gets PosX = PosY = 0. Otherwise the text is
// measured as DrawText would lay it out (word-wrapped to rect's width when
// multiLine, '&' as a marker when showAccel); an empty text as one blank.
void MeasureCaption(const std::string& text, TQORFxCaption* fxCaption, QRect& rect, int extra, bool showAccel,
                    bool multiLine, const TFontSpec& font);
