#include "client/features/receivedfile.h"

#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// What a file name may hold in bytes, with room for "(255)".
constexpr std::size_t kMaxNameLength = 200;

// The n-th name of a series: the name itself for 0, else the number before the last
// extension; a leading dot starts no extension.
std::string NumberedPath(const std::string& folder, const std::string& name, int n)
{
    if (n == 0)
        return folder + "/" + name;
    const std::size_t dot = name.rfind('.');
    const bool extension = dot != std::string::npos && dot > 0;
    const std::string stem = extension ? name.substr(0, dot) : name;
    const std::string suffix = extension ? name.substr(dot) : std::string();
    return folder + "/" + stem + "(" + std::to_string(n) + ")" + suffix;
}

// Puts partial at target unless something is there; EEXIST when something is.
int MoveWithoutReplacing(const std::string& partial, const std::string& target)
{
    const std::string from = FileSystemName(partial);
    const std::string to = FileSystemName(target);
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    // No hard links here (FAT, some network shares): a rename that refuses to replace.
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

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
    for (int n = 0; n <= kMaxNumberedNames; ++n) {
        const std::string candidate = NumberedPath(folder, name, n);
        if (!FileExists(candidate) && !DirectoryExists(candidate))
            return candidate;
    }
    return {};
}

std::string CreatePartialFile(const std::string& folder, const std::string& name)
{
    for (int n = 0; n <= kMaxNumberedNames; ++n) {
        const std::string candidate = NumberedPath(folder, name + ".part", n);
        const int fd = ::open(FileSystemName(candidate).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

std::string PlaceReceivedFile(const std::string& partial, const std::string& folder, const std::string& name)
{
    // Another file may take the free name between the look and the move: then the next one.
    for (int n = 0; n <= kMaxNumberedNames; ++n) {
        const std::string target = NumberedPath(folder, name, n);
        if (FileExists(target) || DirectoryExists(target))
            continue;
        const int error = MoveWithoutReplacing(partial, target);
        if (error == 0)
            return target;
        if (error != EEXIST)
            return {};
    }
    return {};
}
