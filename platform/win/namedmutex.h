#pragma once

#include "platform/win/wintypes.h"

#include <string>

// A named mutex of the desktop (one Windows directory): the name "exists" while
// some live process of the desktop holds a handle to it, and is gone when the
// last handle closes or its process ends, however it ends.
class TNamedMutex final {
public:
    explicit TNamedMutex(const std::string& name);
    ~TNamedMutex();
    TNamedMutex(const TNamedMutex&) = delete;
    TNamedMutex& operator=(const TNamedMutex&) = delete;

    // The name was already held (by another process or another handle of this one).
    bool AlreadyExisted() const { return m_alreadyExisted; }
    // False when the desktop folder could not be used; the mutex then guards nothing.
    bool Valid() const { return m_fd >= 0; }

private:
    int m_fd { -1 };
    bool m_alreadyExisted { false };
};

// CreateMutex as the single-instance tests use it: always a handle, with
// GetLastError() == ERROR_ALREADY_EXISTS when the name was held already.
// Ownership (initialOwner) is not modelled; nothing waits on these mutexes.
HANDLE CreateMutex(void* securityAttributes, BOOL initialOwner, const std::string& name);
// Closes a handle from CreateMutex; false for anything else.
BOOL CloseHandle(HANDLE handle);
