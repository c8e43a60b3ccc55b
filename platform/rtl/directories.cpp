#include "platform/rtl/directories.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/sysutils.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace {

std::string fromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? codepage::FromUtf8(value) : std::string();
}

}  // namespace

std::string GetWindowsDir()
{
    std::string dir = fromEnvironment("KORVO_WINDIR");
    if (dir.empty()) {
        std::string config = fromEnvironment("XDG_CONFIG_HOME");
        if (config.empty())
            config = fromEnvironment("HOME") + "/.config";
        dir = ExcludeTrailingPathDelimiter(config) + "/korvo";
    }
    dir = ExcludeTrailingPathDelimiter(dir);
    ForceDirectories(dir);
    return dir;
}

std::string GetSystemDir()
{
    const std::string dir = GetWindowsDir() + "/system";
    ForceDirectories(dir);
    return dir;
}

std::string GetProgramDir()
{
    const std::string dir = fromEnvironment("KORVO_APPDIR");
    if (!dir.empty())
        return ExcludeTrailingPathDelimiter(dir);
    std::string exe(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size() - 1);
    if (n <= 0)
        return ".";
    exe.resize(static_cast<std::size_t>(n));
    return ExcludeTrailingPathDelimiter(ExtractFileDir(codepage::FromUtf8(exe)));
}
