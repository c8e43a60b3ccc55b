#pragma once

#include <string>
#include <vector>

// The plug-ins installed under the program folder's "plugins" folder (found
// whatever its case): one real sub-folder each, a link never counts, so
// nothing a plug-in entry names lies outside that folder.

// The plug-in folders' full paths without a trailing separator, in case-blind name order.
std::vector<std::string> PluginFolders();
// The installed folder a peer's name means (case-blind, one trailing backslash
// allowed); "" for any other name, "..", or a name holding a separator.
std::string InstalledPluginFolder(std::string name);
