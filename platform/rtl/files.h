#pragma once

#include <string>
#include <string_view>

// File names as the platform treats them: case-blind, and a received name never
// leaves its folder. All names are code-page text.

// The existing entry of folder whose name equals name whatever its letter case
// (the exact spelling wins), as folder + '/' + entry; folder + '/' + name when there is none,
// so a new file gets the caller's spelling.
std::string ResolveFileName(std::string_view folder, std::string_view name);
// The same for the last component of a full path.
std::string ResolveFileName(std::string_view path);

// False for "", ".", "..", and names holding '/', '\\' or NUL.
bool IsSafeFileName(std::string_view name);
// folder + '/' + name (resolved case-blind) for a safe name, "" for an unsafe one,
// so nothing can be opened or written with it.
std::string SafeJoin(std::string_view folder, std::string_view name);

// The file-system (UTF-8) spelling of a code-page path.
std::string FileSystemName(std::string_view path);
// A link on disk: whatever it points at lies elsewhere, so a walk or a delete
// must not go through it. False for a missing entry.
bool IsLink(std::string_view path);

// Writes bytes to a temporary file beside fileName, then renames it over fileName,
// so a reader never sees half a file. The last component is resolved case-blind.
// False when the folder is missing or not writable.
bool WriteFileAtomically(const std::string& fileName, std::string_view bytes);
// All bytes of a file (resolved case-blind); false when it cannot be opened.
bool ReadWholeFile(const std::string& fileName, std::string& bytes);
