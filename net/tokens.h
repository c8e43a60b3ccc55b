#pragma once

#include <string>
#include <string_view>

// Field cutting for the line protocols: the delimiters and quote pairs are byte sets.

// text without leading and trailing bytes of set.
std::string TrimCharSet(std::string_view set, std::string_view text);
// NextTokenQuoted with no quotes.
void NextToken(std::string_view delimiters, std::string& source, std::string& token);
void NextToken(std::string_view delimiters, std::string_view& source, std::string& token);
// Cuts the first field off source. quotes holds pairs of opening and closing bytes;
// a field that opens with a quote before the first delimiter runs to its closing quote.
void NextTokenQuoted(std::string_view delimiters, std::string_view quotes, std::string& source, std::string& token);
// The same over a view: source narrows to what follows, nothing is copied but the token.
void NextTokenQuoted(std::string_view delimiters, std::string_view quotes, std::string_view& source, std::string& token);
