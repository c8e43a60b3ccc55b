#include "platform/win/namedmutex.h"

#include "platform/win/desktop.h"

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Every holder of a name keeps a shared lock on the name's file; whoever finds no
// lock at all is the first. A guard file makes that test and the taking of the
// shared lock one step, so two processes starting together cannot both be first.
namespace {

std::string lockFileName(const std::string& name)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : name) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    char text[64];
    std::snprintf(text, sizeof text, "mutex-%016llx-%zu.lock", static_cast<unsigned long long>(hash), name.size());
    return text;
}

std::mutex handlesMutex;
std::set<TNamedMutex*> handles;

}  // namespace

TNamedMutex::TNamedMutex(const std::string& name)
{
    // A guard whose file was swept away with an abandoned folder guards nothing: start over.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::string folder = desktop::Folder();
        if (folder.empty())
            return;
        const std::string guardPath = folder + "/" + desktop::kMutexGuard;
        const int guard = open(guardPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (guard < 0)
            continue;
        struct stat held {}, named {};
        if (flock(guard, LOCK_EX) != 0 || fstat(guard, &held) != 0 || stat(guardPath.c_str(), &named) != 0
            || held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
            close(guard);
            continue;
        }
        m_fd = open((folder + "/" + lockFileName(name)).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            m_alreadyExisted = flock(m_fd, LOCK_EX | LOCK_NB) != 0;
            if (flock(m_fd, LOCK_SH) != 0) {
                close(m_fd);
                m_fd = -1;
                m_alreadyExisted = false;
            }
        }
        close(guard);
        return;
    }
}

TNamedMutex::~TNamedMutex()
{
    if (m_fd >= 0)
        close(m_fd);
}

HANDLE CreateMutex(void*, BOOL, const std::string& name)
{
    auto* mutex = new TNamedMutex(name);
    {
        std::lock_guard lock(handlesMutex);
        handles.insert(mutex);
    }
    SetLastError(mutex->AlreadyExisted() ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return mutex;
}

BOOL CloseHandle(HANDLE handle)
{
    auto* mutex = static_cast<TNamedMutex*>(handle);
    {
        std::lock_guard lock(handlesMutex);
        if (handles.erase(mutex) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
    }
    delete mutex;
    return 1;
}
