#pragma once

#include <string>

// The buddy menu's "Pl&ugins" items, one for each installed plug-in with a
// caption, built once at sign-on.
void LoadPluginMenu();

// An item's click: the plug-in of that plugin.inf starts as the inviting side.
void StartPluginAsHost(const std::string& pluginInf);

// The program the plugin.inf's `Startup` names in its own folder; "" when the
// name is missing or would lead out of that folder.
std::string PluginProgram(const std::string& pluginInf);

// Tag of the plug-in items.
inline constexpr int kPluginItemTag = 55000;
