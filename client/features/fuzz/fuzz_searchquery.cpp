// Engine addresses and queries from files and typing: filling slots never
// crashes, and an address never gains a parameter or a fragment from a term.
#include "client/features/searchquery.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find('\n');
    const std::string post = bytes.substr(0, split);
    const std::string query = split == std::string::npos ? std::string() : bytes.substr(split + 1);
    for (const bool process : { true, false }) {
        const std::string url = BuildQueryUrl(post, query, process);
        const auto count = [](const std::string& s, char c) { return std::count(s.begin(), s.end(), c); };
        if (count(url, '&') > count(post, '&') || count(url, '#') > count(post, '#') || count(url, '=') > count(post, '='))
            std::abort();
    }
    (void)SearchWebUrl(post, query);
    return 0;
}
