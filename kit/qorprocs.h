#pragma once

#include <string>
#include <string_view>
#include <vector>

// The kit's small string, path and rectangle routines. They sit in their own
// namespace because the platform has directory routines of the same names
// with other trailing-separator rules.
namespace qorprocs {

// Where the kit finds its files: Windows directory, system directory, program folder,
// or a name taken as it stands.
enum TQORPathPrefix { ppWindows = 0, ppSystem = 1, ppProgram = 2, ppFixed = 3 };

struct TRect {
    int Left { 0 };
    int Top { 0 };
    int Right { 0 };
    int Bottom { 0 };
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

// True when s is empty or all blanks.
bool IsBlank(std::string_view s);
// s with a trailing separator, unless s is non-blank and already ends with one.
std::string AddBackslash(std::string_view s);
// Drops one trailing separator of a non-blank s.
std::string RemoveBackslash(std::string_view s);

// The running program's folder, with its trailing separator.
std::string GetProgramDir();
// The Windows and system directories, without a trailing separator.
std::string GetWindowsDir();
std::string GetSystemDir();
// One of the three folders (prefix 0..2) with or without its trailing separator; "" otherwise.
std::string GetPrefixPath(int prefix, bool withBackslash);

// The first element, then sep and each of the next count elements. Elements the
// list does not have are left out, so an empty list gives "".
std::string JoinStrings(const std::vector<std::string>& list, int count, char sep);
std::string JoinInts(const std::vector<int>& values, int count, char sep);

void OffsetRectEdges(TRect& rect, int dLeft, int dTop, int dRight, int dBottom);
// src's size scaled to fit dst keeping its shape, at dst's top-left corner.
// An empty src gives an empty rectangle there.
TRect FitRect(const TRect& src, const TRect& dst);

// Every kit message passes through here.
std::string ResText(std::string_view s);

}  // namespace qorprocs
