#include "platform/rtl/files.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/sysutils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::string join(std::string_view folder, std::string_view name)
{
    std::string result(folder);
    if (!result.empty() && result.back() != PathDelim)
        result += PathDelim;
    result += name;
    return result;
}

bool entryExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(codepage::ToUtf8(path).c_str(), &st) == 0;
}

// Closes a descriptor on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd { -1 };
};

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::string ResolveFileName(std::string_view folder, std::string_view name)
{
    const std::string given = join(folder, name);
    if (name.empty() || entryExists(given))
        return given;
    const std::string dirPath = folder.empty() ? std::string(".") : codepage::ToUtf8(folder);
    DIR* dir = ::opendir(dirPath.c_str());
    if (!dir)
        return given;
    std::string best;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view onDisk(entry->d_name);
        const std::string ansi = codepage::FromUtf8(onDisk);
        // A name the code page cannot spell is not the one asked for.
        if (codepage::ToUtf8(ansi) != onDisk)
            continue;
        if (AnsiSameText(ansi, name) && (best.empty() || ansi < best))
            best = ansi;
    }
    ::closedir(dir);
    return best.empty() ? given : join(folder, best);
}

std::string ResolveFileName(std::string_view path)
{
    const std::size_t slash = path.rfind(PathDelim);
    if (slash == std::string_view::npos)
        return ResolveFileName(std::string_view(), path);
    if (slash == 0)
        return ResolveFileName(path.substr(0, 1), path.substr(1));
    return ResolveFileName(path.substr(0, slash), path.substr(slash + 1));
}

bool IsSafeFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string SafeJoin(std::string_view folder, std::string_view name)
{
    if (!IsSafeFileName(name))
        return {};
    return ResolveFileName(folder, name);
}

std::string FileSystemName(std::string_view path) { return codepage::ToUtf8(path); }

bool IsLink(std::string_view path)
{
    std::error_code error;
    return std::filesystem::is_symlink(FileSystemName(path), error);
}

bool SameFile(std::string_view first, std::string_view second)
{
    const std::string a = FileSystemName(ResolveFileName(first));
    const std::string b = FileSystemName(ResolveFileName(second));
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code errorA, errorB;
    const std::filesystem::path canonicalA = std::filesystem::weakly_canonical(a, errorA);
    const std::filesystem::path canonicalB = std::filesystem::weakly_canonical(b, errorB);
    if (errorA || errorB)
        return a == b;
    return canonicalA == canonicalB;
}

bool WriteFileAtomically(const std::string& fileName, std::string_view bytes)
{
    static std::atomic<unsigned> counter { 0 };
    std::string target = codepage::ToUtf8(ResolveFileName(fileName));
    // A link stays a link: the file it points at is the one replaced.
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* real = ::realpath(target.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const std::string temp = target + ".~" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    mode_t mode = 0666;
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode))
        return false;
    FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (fd.get() < 0)
        return false;
    // The replacement keeps the permissions the file had.
    bool ok = (!existed || ::fchmod(fd.get(), st.st_mode & 07777) == 0) && writeAll(fd.get(), bytes)
        && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

ReadFileResult ReadBoundedFile(const std::string& fileName, std::string& bytes, std::size_t maxBytes)
{
    const std::string path = codepage::ToUtf8(ResolveFileName(fileName));
    // Non-blocking, so opening a pipe with no writer returns at once.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return ReadFileResult::unreadable;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return ReadFileResult::unreadable;
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return ReadFileResult::tooLarge;
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        // A file growing while it is read stops one byte past the limit.
        const std::size_t room = maxBytes + 1 - bytes.size();
        const ssize_t n = ::read(fd.get(), buffer, room < sizeof buffer ? room : sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ReadFileResult::unreadable;
        }
        if (n == 0)
            return ReadFileResult::read;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > maxBytes)
            return ReadFileResult::tooLarge;
    }
}

bool ReadWholeFile(const std::string& fileName, std::string& bytes)
{
    return ReadBoundedFile(fileName, bytes) == ReadFileResult::read;
}
