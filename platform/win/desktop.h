#pragma once

#include <string>

// Bookkeeping shared by the processes of one desktop (window titles, named
// mutexes). A desktop is one Windows directory; its folder lives in the user's
// runtime directory, private to the user.
namespace desktop {

// The folder of the current desktop (file-system spelling), made on first use;
// "" when none can be made or the place is not the user's own.
std::string Folder();

// The file in a desktop folder whose lock makes taking a named mutex one step;
// an abandoned folder is only removed while it is held.
inline constexpr const char* kMutexGuard = "mutex.guard";

}  // namespace desktop
