#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The parameters of one page request: names lower-cased (pages look them up
// case-blind), values percent-decoded to the raw code-page bytes the client sent.
class Query final {
public:
    // Bounds on what one request may carry; beyond them the request is malformed.
    static constexpr std::size_t kMaxLength = 64 * 1024;
    static constexpr std::size_t kMaxParameters = 1024;

    // Splits a raw (still encoded) query at '&' and the first '='; '+' stays a '+'.
    // No value: a pair without '=', a '%' not followed by two hex digits, an empty
    // name, a byte that is not printable ASCII, or a query beyond the bounds.
    static std::optional<Query> Parse(std::string_view raw);

    // The one value of a parameter; none when it is missing or given twice.
    std::optional<std::string> single(std::string_view name) const;
    // Every value of a parameter, in the order given.
    std::vector<std::string> all(std::string_view name) const;

    const std::vector<std::pair<std::string, std::string>>& pairs() const { return m_pairs; }

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
};

// Decodes %XX escapes; none on a malformed escape.
std::optional<std::string> PercentDecode(std::string_view encoded);
