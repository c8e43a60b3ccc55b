// The lookup reply comes from the directory server: any bytes give at most 256
// entries, each name and address within its bound, and raise nothing.
#include "client/core/servicelogon.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const std::vector<BuddyLookupEntry> entries = ReadBuddyLookup(reply);
    if (entries.size() > 256)
        std::abort();
    for (const BuddyLookupEntry& entry : entries) {
        if (entry.name.size() > 255 || entry.address.size() > 255)
            std::abort();
        if (entry.name.find('\xB6') != std::string::npos || entry.name.find('\n') != std::string::npos)
            std::abort();
    }
    return 0;
}
