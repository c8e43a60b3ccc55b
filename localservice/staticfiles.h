#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the file a GET names lies under the service's files folder: none when the
// decoded path holds "..", a backslash or a NUL, or names no regular file inside
// the folder.
std::optional<std::string> StaticFilePath(const std::string& root, std::string_view path);
