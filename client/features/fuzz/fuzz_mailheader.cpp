// Sender and subject values as a hostile POP3 server sends them: the decoder never
// crashes, never grows a value past what its words can hold, and never leaves a
// line break that would split a line of headers.inf.
#include "client/features/mailheader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::string text = DecodeHeaderText(raw);
    // A code-page character per input byte at most, '?' for a UTF-8 sequence.
    if (text.size() > raw.size() || text.find_first_of("\r\n") != std::string::npos)
        std::abort();
    return 0;
}
