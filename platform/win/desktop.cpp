#include "platform/win/desktop.h"

#include "platform/rtl/files.h"
#include "platform/win/directories.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string environment(const char* name)
{
    const char* value = getenv(name);
    return value ? std::string(value) : std::string();
}

// FNV-1a: stable across processes and builds, which std::hash is not.
std::uint64_t stableHash(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    return hash;
}

// A folder we made or that is ours alone; anything else could be a trap set by another user.
bool ownPrivateFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 0077) == 0;
}

std::string runtimeRoot()
{
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    if (!runtime.empty() && QFileInfo(QString::fromStdString(runtime)).isDir()) {
        const std::string root = runtime + "/korvo";
        if (ownPrivateFolder(root))
            return root;
    }
    const std::string root = "/tmp/korvo-" + std::to_string(getuid());
    return ownPrivateFolder(root) ? root : std::string();
}

}  // namespace

namespace desktop {

std::string Folder()
{
    const std::string root = runtimeRoot();
    if (root.empty())
        return {};
    // Two spellings of one folder (a symlink, "a/../b") are one desktop.
    const QString windowsDir = QString::fromStdString(FileSystemName(GetWindowsDir()));
    QString canonical = QFileInfo(windowsDir).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(QDir(windowsDir).absolutePath());
    char name[32];
    std::snprintf(name, sizeof name, "%016llx",
        static_cast<unsigned long long>(stableHash(canonical.toStdString())));
    const std::string folder = root + "/" + name;
    return ownPrivateFolder(folder) ? folder : std::string();
}

}  // namespace desktop
