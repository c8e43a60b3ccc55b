#include "client/core/plugins.h"

#include "client/core/helpers.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

bool RealFolder(const TSearchRec& entry, const std::string& path)
{
    return (entry.Attr & faDirectory) != 0 && entry.Name != "." && entry.Name != ".." && !IsLink(path);
}

}  // namespace

std::vector<std::string> PluginFolders()
{
    std::vector<std::string> folders;
    for (const TSearchRec& plugins : ListDirectory(AppPath() + "*", faDirectory)) {
        const std::string root = AppPath() + plugins.Name;
        if (!SameText(plugins.Name, "plugins") || !RealFolder(plugins, root))
            continue;
        for (const TSearchRec& entry : ListDirectory(root + "/*", faDirectory)) {
            const std::string folder = root + "/" + entry.Name;
            if (RealFolder(entry, folder))
                folders.push_back(folder);
        }
        break;
    }
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    return folders;
}

std::string InstalledPluginFolder(std::string name)
{
    if (!name.empty() && name.back() == '\\')
        name.pop_back();
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\:") != std::string::npos
        || std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }))
        return {};
    for (const std::string& folder : PluginFolders())
        if (SameText(ExtractFileName(folder), name))
            return folder;
    return {};
}
