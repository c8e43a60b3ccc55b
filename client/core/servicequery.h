#pragma once

#include <string>
#include <string_view>

// One encoding for every value the client puts into a service page's query:
// bytes outside letters, digits and - . _ ~ become %XX, so blanks, '&' and '='
// in a value can neither break the address nor add parameters. Plain values go
// out unchanged.
std::string EncodeServiceValue(std::string_view value);
