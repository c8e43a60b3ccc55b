#pragma once

#include "platform/ui/graphics.h"

#include <string>

// Colours as text, as the class library stores them: a colour's name ("clRed",
// "clWindowText") when it has one, else "$00BBGGRR".
std::string ColorToString(TColor color);
// A name (case-blind), "$" hexadecimal or a decimal number; EConvertError otherwise.
TColor StringToColor(const std::string& text);
