#pragma once

#include "platform/rtl/dates.h"

#include <string>

// "yyyy-mm-dd hh:nn:ss", the form [NEWS] LastUpdated is kept in, whoever writes it.
std::string FormatNewsTime(TDateTime when);
bool ParseNewsTime(const std::string& text, TDateTime& when);
