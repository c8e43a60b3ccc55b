// A task file's texts come from disk: any of them may be no date at all.
#include "client/features/task.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    // Date, time and last showing, one a line; the first byte picks the repeat kind.
    TTask task;
    std::string* fields[] = { &task.Date, &task.Time, &task.LastDisplayed };
    std::size_t start = input.empty() ? 0 : 1;
    for (std::string* field : fields) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        *field = start < input.size() ? input.substr(start, end - start) : std::string();
        start = end + 1;
    }
    task.Repeat = static_cast<std::int16_t>(input.empty() ? 0 : static_cast<unsigned char>(input[0]) % 6);
    task.CheckDue(EncodeDate(2026, 12, 9) + EncodeTime(10, 30, 0, 0));
    task.CheckDue(EncodeDate(2027, 1, 31) + EncodeTime(23, 59, 0, 0));
    return 0;
}
