#include "localservice/query.h"

#include "platform/rtl/sysutils.h"

#include <algorithm>

std::optional<std::string> PercentDecode(std::string_view encoded)
{
    std::string decoded;
    decoded.reserve(encoded.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            decoded += encoded[i];
            continue;
        }
        if (i + 2 >= encoded.size())
            return std::nullopt;
        const int high = HexDigitValue(encoded[i + 1]);
        const int low = HexDigitValue(encoded[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

std::optional<Query> Query::Parse(std::string_view raw)
{
    if (raw.size() > kMaxLength)
        return std::nullopt;
    Query query;
    if (raw.empty())
        return query;
    std::size_t start = 0;
    while (start <= raw.size()) {
        const std::size_t end = std::min(raw.find('&', start), raw.size());
        const std::string_view pair = raw.substr(start, end - start);
        // The client escapes every such byte, so a bare one is a broken request.
        for (const char ch : pair)
            if (static_cast<unsigned char>(ch) <= 0x20 || static_cast<unsigned char>(ch) >= 0x7F)
                return std::nullopt;
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos || query.m_pairs.size() == kMaxParameters)
            return std::nullopt;
        auto name = PercentDecode(pair.substr(0, equals));
        auto value = PercentDecode(pair.substr(equals + 1));
        if (!name || name->empty() || !value)
            return std::nullopt;
        query.m_pairs.emplace_back(LowerCase(*name), std::move(*value));
        start = end + 1;
    }
    return query;
}

std::optional<std::string> Query::single(std::string_view name) const
{
    std::optional<std::string> found;
    for (const auto& [key, value] : m_pairs) {
        if (key != name)
            continue;
        if (found)
            return std::nullopt;
        found = value;
    }
    return found;
}

std::vector<std::string> Query::all(std::string_view name) const
{
    std::vector<std::string> values;
    for (const auto& [key, value] : m_pairs)
        if (key == name)
            values.push_back(value);
    return values;
}
