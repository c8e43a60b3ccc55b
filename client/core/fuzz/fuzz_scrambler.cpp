// Scrambled texts come from settings files and peers: unscrambling arbitrary
// bytes either raises the scrambler's own errors or gives a text that scrambles
// back to the same pieces; and any plain text of allowed length comes back whole.
#include "client/core/scrambler.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const std::string plain = UnscrambleText(bytes);
        if (plain.size() > kScrambleMaxLength)
            std::abort();
        if (UnscrambleText(ScrambleText(plain)) != plain)
            std::abort();
    } catch (const EScrambleError&) {
    } catch (const EConvertError&) {
    }
    const std::string_view plain = bytes.substr(0, kScrambleMaxLength);
    if (UnscrambleText(ScrambleText(plain)) != plain)
        std::abort();
    return 0;
}
