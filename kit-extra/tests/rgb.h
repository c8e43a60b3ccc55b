#pragma once

#include "platform/ui/graphics.h"

#include <QColor>

// The pixel value a colour paints.
inline QRgb Rgb(TColor color) { return ToQColor(color).rgb(); }
