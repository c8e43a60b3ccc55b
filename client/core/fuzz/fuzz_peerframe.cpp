// Any line a peer sends goes through the frame splitter first.
#include "client/core/peerframe.h"
#include "net/tokens.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const TPeerFrame frame = SplitPeerFrame(line);
    // However a line is cut, the fields are the ones the field rules give.
    std::string rest = line.empty() ? line : line.substr(1);
    TPeerFrame rules;
    NextToken(",", rest, rules.f1);
    NextToken(",", rest, rules.f2);
    NextTokenQuoted(",", "\"\"", rest, rules.f3);
    NextTokenQuoted(",", "\"\"", rest, rules.f4);
    if (frame.f1 != rules.f1 || frame.f2 != rules.f2 || frame.f3 != rules.f3 || frame.f4 != rules.f4)
        std::abort();
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
