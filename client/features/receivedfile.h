#pragma once

#include <cstdint>
#include <string>

// Where a file a buddy sends is stored. The sender names it with a full path of
// its own machine; only the last component is kept, and it must stay a plain
// name inside the receiving folder.

// Sizes accepted from a peer.
inline constexpr std::int64_t kMaxReceivedFileSize = std::int64_t { 1 } << 40;
// "(n)" suffixes tried before a request is refused.
inline constexpr int kMaxNumberedNames = 255;

// The last component of the sent path, split at '\' and '/'; "" for an empty
// name, ".", "..", a name with control characters or one too long for a folder.
std::string ReceivedFileName(const std::string& sentPath);
// The sent size: decimal digits only, at most kMaxReceivedFileSize; -1 otherwise.
std::int64_t ParseReceivedFileSize(const std::string& text);
// folder + '/' + the name, or the first free numbered name (photo(1).jpeg,
// archive.tar(1).gz); "" when none is free. An existing file is never chosen.
std::string FreeTargetPath(const std::string& folder, const std::string& name);
// Creates the empty temporary file a reception of name is written to, under the first
// name of that series nobody holds, in one step: two receptions of one name never
// share it. "" when none could be made.
std::string CreatePartialFile(const std::string& folder, const std::string& name);
// Moves a finished partial file to the first free name for name in folder, never
// replacing a file, also where the file system has no hard links. The name it got,
// or "" when it could not be moved (the partial file is then left as it is).
std::string PlaceReceivedFile(const std::string& partial, const std::string& folder, const std::string& name);
