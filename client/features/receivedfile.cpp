#include "client/features/receivedfile.h"

#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

// What a file name may hold in bytes, with room for "(255)".
constexpr std::size_t kMaxNameLength = 200;

}  // namespace

std::string ReceivedFileName(const std::string& sentPath)
{
    const std::size_t slash = sentPath.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? sentPath : sentPath.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || name.size() > kMaxNameLength)
        return {};
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; }))
        return {};
    return name;
}

std::int64_t ParseReceivedFileSize(const std::string& text)
{
    if (text.empty() || text.size() > 15 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    const std::int64_t size = std::stoll(text);
    return size <= kMaxReceivedFileSize ? size : -1;
}

std::string FreeTargetPath(const std::string& folder, const std::string& name)
{
    const std::string first = folder + "/" + name;
    if (!FileExists(first) && !DirectoryExists(first))
        return first;
    // The number goes before the last extension; a leading dot starts no extension.
    const std::size_t dot = name.rfind('.');
    const bool extension = dot != std::string::npos && dot > 0;
    const std::string stem = extension ? name.substr(0, dot) : name;
    const std::string suffix = extension ? name.substr(dot) : std::string();
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const std::string candidate = folder + "/" + stem + "(" + std::to_string(n) + ")" + suffix;
        if (!FileExists(candidate) && !DirectoryExists(candidate))
            return candidate;
    }
    return {};
}
