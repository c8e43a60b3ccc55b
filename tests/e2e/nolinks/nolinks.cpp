// Preloaded into a program under test, it makes every hard link fail as it does on a
// file system that has none (FAT, many network shares).
#include <cerrno>

extern "C" int link(const char*, const char*)
{
    errno = EPERM;
    return -1;
}

extern "C" int linkat(int, const char*, int, const char*, int)
{
    errno = EPERM;
    return -1;
}
