// The listing page comes from a server: whatever it holds, only bare picture
// names come out of it, never more than the limit.
#include "client/core/adindex.h"
#include "client/features/kestrowthread.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto names = ParseAdListing(text);
    if (names.size() > kMaxAdPictures)
        std::abort();
    for (const std::string& name : names)
        if (!IsAdPictureName(name))
            std::abort();
    ParseVersion(text.substr(0, 64));
    return 0;
}
