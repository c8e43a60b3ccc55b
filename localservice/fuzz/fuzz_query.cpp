// Any bytes as a page's query: parsing never crashes, and what it accepts holds
// only non-empty lower-case names within the bounds.
#include "localservice/query.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const auto query = Query::Parse(raw);
    if (!query)
        return 0;
    if (query->pairs().size() > Query::kMaxParameters)
        std::abort();
    for (const auto& [name, value] : query->pairs()) {
        if (name.empty() || value.size() > raw.size())
            std::abort();
        for (const char c : name)
            if (c >= 'A' && c <= 'Z')
                std::abort();
        query->single(name);
    }
    return 0;
}
