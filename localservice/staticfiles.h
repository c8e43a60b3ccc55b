#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the file a GET names lies under the service's files folder: none when the
// decoded path holds "..", a backslash or a NUL, or names no regular file inside
// the folder.
std::optional<std::string> StaticFilePath(const std::string& root, std::string_view path);

// The listing the advertisement refresh reads at "/images": a header line, then
// `NAME="<file>"` for each regular file of the files folder's "images", by name.
// Names that would break the line (a double quote, a control byte) are left out.
// None when there is no such folder.
std::optional<std::string> ImageListing(const std::string& root);
