#pragma once

#include <cstddef>
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

// True when both names lead to one file: the same device and inode when both
// exist, else the same canonical path. "./a.zkt", "x//a.zkt" and a folder reached
// through a link are the same file as the plain spelling.
bool SameFile(std::string_view first, std::string_view second);

// Writes bytes to a temporary file beside fileName, then renames it over fileName,
// so a reader never sees half a file. The last component is resolved case-blind.
// False when the folder is missing or not writable.
bool WriteFileAtomically(const std::string& fileName, std::string_view bytes);

// The most any reader of settings, contacts or other stored files takes in.
inline constexpr std::size_t kMaxReadFileBytes = 16u * 1024u * 1024u;
enum class ReadFileResult { read, unreadable, tooLarge };
// All bytes of a regular file (resolved case-blind) of at most maxBytes. A pipe or
// a device named like a settings file is refused without waiting on it, and no
// more than one byte past maxBytes is ever read.
ReadFileResult ReadBoundedFile(const std::string& fileName, std::string& bytes, std::size_t maxBytes = kMaxReadFileBytes);
// The same, true only when the whole file was read.
bool ReadWholeFile(const std::string& fileName, std::string& bytes);
