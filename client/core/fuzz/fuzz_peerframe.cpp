// Any line a peer sends goes through the frame splitter first.
#include "client/core/peerframe.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const TPeerFrame frame = SplitPeerFrame(line);
    // No field can hold more than the line did.
    if (frame.f1.size() + frame.f2.size() + frame.f3.size() + frame.f4.size() > line.size())
        std::abort();
    // What the builder makes of quote-free fields, the splitter gives back.
    if (frame.f3.find('"') == std::string::npos && frame.f4.find('"') == std::string::npos && !frame.f4.empty()
        && frame.f4.front() != ',' && frame.f4.back() != ',' && frame.f3.find(',') == std::string::npos) {
        const TPeerFrame again = SplitPeerFrame(BuildPeerFrame("x", "y", frame.f3, frame.f4));
        if (again.f4 != frame.f4)
            std::abort();
    }
    return 0;
}
