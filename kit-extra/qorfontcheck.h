#pragma once

#include "platform/ui/graphics.h"

// Whether a font can be turned: an outline font. The classic desktop's raster
// faces are not, whatever face stands in for them here.
bool IsTrueTypeFont(const TFontSpec& font);
