// Field cutting over arbitrary lines, delimiters and quote pairs: every call
// must end, and each cut must leave a shorter source with no delimiter at its ends.
#include "net/tokens.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool HasDelimiterAtAnEnd(std::string_view delimiters, const std::string& text)
{
    return !text.empty()
        && (delimiters.find(text.front()) != std::string_view::npos
            || delimiters.find(text.back()) != std::string_view::npos);
}

void CutAll(std::string_view delimiters, std::string_view quotes, std::string source)
{
    std::string token;
    while (!source.empty()) {
        const std::size_t before = source.size();
        if (quotes.empty())
            NextToken(delimiters, source, token);
        else
            NextTokenQuoted(delimiters, quotes, source, token);
        // A source that does not shrink would cut forever.
        if (source.size() >= before || HasDelimiterAtAnEnd(delimiters, source))
            std::abort();
        if (token.size() > before)
            std::abort();
    }
}

}  // namespace

// Input: one byte of delimiter count, one of quote count, those bytes, then the line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t delimiterCount = data[0] % 4;
    const std::size_t quoteCount = data[1] % 5;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    if (rest.size() < delimiterCount + quoteCount)
        return 0;
    const std::string_view delimiters = rest.substr(0, delimiterCount);
    const std::string_view quotes = rest.substr(delimiterCount, quoteCount);
    const std::string line(rest.substr(delimiterCount + quoteCount));
    CutAll(delimiters.empty() ? std::string_view(" ") : delimiters, {}, line);
    CutAll(delimiters.empty() ? std::string_view(" ") : delimiters, quotes, line);
    return 0;
}
