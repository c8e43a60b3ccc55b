#pragma once

#include "kit/qorprocs.h"
#include "platform/ui/graphics.h"

#include <QImage>

// The classic three-dimensional edges of the desktop, drawn pixel for pixel as
// one-pixel spans in the classic colour scheme, so bevels look the same on any style.

enum : unsigned {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};

enum : unsigned {
    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_SOFT = 0x1000,
    BF_ADJUST = 0x2000,
};

// Fills rect (right and bottom excluded), clipped to the image.
void FillPixels(QImage& image, const qorprocs::TRect& rect, TColor color);
// A one-pixel outline of rect.
void FramePixels(QImage& image, const qorprocs::TRect& rect, TColor color);

// Draws the outer then the inner ring of edge on the flagged sides of rect.
// The bottom and right colours own the top-right and bottom-left corners.
// With BF_ADJUST the rectangle shrinks by the rings drawn on each flagged side.
void DrawEdge(QImage& image, qorprocs::TRect& rect, unsigned edge, unsigned flags);
