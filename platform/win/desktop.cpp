#include "platform/win/desktop.h"

#include "platform/rtl/directories.h"
#include "platform/rtl/files.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

// A desktop folder keeps nothing that outlives its processes: a folder untouched
// for this long whose locks nobody holds belongs to desktops that are gone.
constexpr std::time_t kAbandonedAfterSeconds = 60;

std::vector<std::string> entriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

bool lockHeld(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return held;
}

void removeIfAbandoned(const std::string& folder)
{
    // Holding the guard keeps a named mutex from being taken meanwhile.
    const int guard = open((folder + "/" + desktop::kMutexGuard).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (guard < 0)
        return;
    if (flock(guard, LOCK_EX | LOCK_NB) == 0) {
        const std::vector<std::string> names = entriesOf(folder);
        bool live = false;
        for (const std::string& name : names) {
            constexpr std::string_view suffix = ".lock";
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0
                && lockHeld(folder + "/" + name)) {
                live = true;
                break;
            }
        }
        if (!live) {
            for (const std::string& name : names)
                unlink((folder + "/" + name).c_str());
            rmdir(folder.c_str());
        }
    }
    close(guard);
}

void sweepAbandoned(const std::string& root)
{
    const std::time_t now = std::time(nullptr);
    for (const std::string& name : entriesOf(root)) {
        const std::string folder = root + "/" + name;
        struct stat info {};
        if (name.size() != 16 || lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)
            || now - info.st_mtime < kAbandonedAfterSeconds)
            continue;
        removeIfAbandoned(folder);
    }
}

}  // namespace

namespace desktop {

std::string Folder()
{
    const std::string root = runtimeRoot();
    if (root.empty())
        return {};
    static std::once_flag swept;
    std::call_once(swept, [&root] { sweepAbandoned(root); });
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
