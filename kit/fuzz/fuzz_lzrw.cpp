// Hostile compressed blocks and blobs: each is refused or decodes within its bounds,
// and whatever decodes re-encodes to the same bytes.
#include "kit/qorblob.h"
#include "kit/qorlzrw.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= 1 && size <= static_cast<size_t>(kLZRWMaxBlock)) {
        // Exactly sized areas, so any overrun shows in the sanitizer build.
        std::vector<std::uint8_t> block(data, data + size);
        std::vector<std::uint8_t> out(kLZRWBlockSize);
        try {
            const int produced = LZRWDecompress(block.data(), out.data(), static_cast<int>(size));
            if (produced < 0 || produced > kLZRWBlockSize)
                std::abort();
            std::vector<std::uint8_t> plain(out.begin(), out.begin() + produced);
            std::vector<std::uint8_t> again(static_cast<size_t>(produced) + 6);
            const int length = LZRWCompress(plain.data(), again.data(), produced);
            std::vector<std::uint8_t> back(kLZRWBlockSize);
            if (LZRWDecompress(again.data(), back.data(), length) != produced
                || !std::equal(plain.begin(), plain.end(), back.begin()))
                std::abort();
        } catch (const EReadError&) {
        }
    }
    TStringStream in(std::string(reinterpret_cast<const char*>(data), size));
    TStringStream out;
    try {
        ReadCompressed(in, out);
    } catch (const EReadError&) {
        if (out.Size() != 0)
            std::abort();
    }
    return 0;
}
