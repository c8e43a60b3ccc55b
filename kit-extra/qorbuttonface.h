#pragma once

#include "platform/ui/graphics.h"

#include <QImage>
#include <QRect>

// The kit's button faces: 1 old look (rounded corners), 2 new look, 3 framed,
// 4 and 5 flat, 6 flat without fill.
enum TQORFaceStyle { fsOldLook = 1, fsNewLook = 2, fsFramed = 3, fsFlat = 4, fsFlatNoFill = 6 };

// Paints the face of a button in state (0..7) over rect and returns the content
// rectangle: rect inset by 3, moved by (1, 1) in the down look (3, 4, 6, 7).
// A latched face is a checker of color and white, except a flat face under the mouse.
QRect DrawButtonFace(QImage& canvas, const QRect& rect, int faceStyle, int state, TColor color, bool mouseInside);
