#include "net/tokens.h"

std::string TrimCharSet(std::string_view set, std::string_view text)
{
    const auto first = text.find_first_not_of(set);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(set);
    return std::string(text.substr(first, last - first + 1));
}

void NextToken(std::string_view delimiters, std::string& source, std::string& token)
{
    NextTokenQuoted(delimiters, {}, source, token);
}

void NextTokenQuoted(std::string_view delimiters, std::string_view quotes, std::string& source, std::string& token)
{
    // Positions are 1-based, as the field rules are written.
    const std::size_t length = source.size();
    std::size_t first = source.find_first_of(delimiters);
    first = first == std::string::npos ? length : first + 1;

    std::size_t open = 0;
    char closing = 0;
    for (std::size_t q = 0; q < quotes.size(); q += 2) {
        const std::size_t at = source.find(quotes[q]);
        if (at != std::string::npos && (open == 0 || at + 1 < open)) {
            open = at + 1;
            closing = q + 1 < quotes.size() ? quotes[q + 1] : quotes[q];
        }
    }

    std::string rest;
    if (open != 0 && open < first && open != length) {
        const std::size_t close = source.find(closing, open);
        if (close != std::string::npos) {
            token = source.substr(open, close - open);
            rest = source.substr(close + 1);
        } else {
            // No closing quote: the field runs to the byte before the last.
            token = source.substr(open, length - open - 1);
        }
    } else {
        token = source.substr(0, first);
        rest = source.substr(first);
    }
    token = TrimCharSet(delimiters, token);
    source = TrimCharSet(delimiters, rest);
}
