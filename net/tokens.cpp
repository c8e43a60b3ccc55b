#include "net/tokens.h"

std::string TrimCharSet(std::string_view set, std::string_view text)
{
    const auto first = text.find_first_not_of(set);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(set);
    return std::string(text.substr(first, last - first + 1));
}

namespace {

// The set is almost always one delimiter: then one memchr, not one a byte.
std::size_t FindFirstOf(std::string_view text, std::string_view set)
{
    return set.size() == 1 ? text.find(set[0]) : text.find_first_of(set);
}

bool InSet(std::string_view set, char c)
{
    return set.size() == 1 ? c == set[0] : set.find(c) != std::string_view::npos;
}

}  // namespace

void NextToken(std::string_view delimiters, std::string& source, std::string& token)
{
    NextTokenQuoted(delimiters, {}, source, token);
}

void NextToken(std::string_view delimiters, std::string_view& source, std::string& token)
{
    NextTokenQuoted(delimiters, {}, source, token);
}

void NextTokenQuoted(std::string_view delimiters, std::string_view quotes, std::string& source, std::string& token)
{
    std::string_view rest(source);
    NextTokenQuoted(delimiters, quotes, rest, token);
    const std::size_t restAt = rest.empty() ? source.size() : static_cast<std::size_t>(rest.data() - source.data());
    const std::size_t restSize = rest.size();
    source.erase(0, restAt);
    source.resize(restSize);
}

void NextTokenQuoted(std::string_view delimiters, std::string_view quotes, std::string_view& source, std::string& token)
{
    // Positions are 1-based, as the field rules are written.
    const std::string_view all = source;
    const std::size_t length = all.size();
    std::size_t first = FindFirstOf(all, delimiters);
    first = first == std::string_view::npos ? length : first + 1;

    // Only a quote before the first delimiter opens a field: nothing past it is searched.
    const std::string_view head = all.substr(0, first);
    std::size_t open = 0;
    char closing = 0;
    for (std::size_t q = 0; q < quotes.size(); q += 2) {
        const std::size_t at = head.find(quotes[q]);
        if (at != std::string_view::npos && (open == 0 || at + 1 < open)) {
            open = at + 1;
            closing = q + 1 < quotes.size() ? quotes[q + 1] : quotes[q];
        }
    }

    // The token and what follows are ranges of the source, trimmed of delimiters: the
    // token is copied once, and the rest is only a narrower view.
    std::size_t tokenFrom = 0;
    std::size_t tokenTo = first;
    std::size_t restFrom = first;
    if (open != 0 && open < first && open != length) {
        const std::size_t close = all.find(closing, open);
        tokenFrom = open;
        if (close != std::string_view::npos) {
            tokenTo = close;
            restFrom = close + 1;
        } else {
            // No closing quote: the field runs to the byte before the last.
            tokenTo = length - 1;
            restFrom = length;
        }
    }
    const auto trimmed = [&](std::size_t from, std::size_t to) {
        while (from < to && InSet(delimiters, all[from]))
            ++from;
        while (to > from && InSet(delimiters, all[to - 1]))
            --to;
        return all.substr(from, to - from);
    };
    const std::string_view tokenPart = trimmed(tokenFrom, tokenTo);
    token.assign(tokenPart.data(), tokenPart.size());
    const std::string_view restPart = trimmed(restFrom, length);
    source = restPart.empty() ? all.substr(length) : restPart;
}
