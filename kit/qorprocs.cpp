#include "kit/qorprocs.h"

#include "platform/rtl/directories.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>
#include <cmath>

namespace qorprocs {

namespace {

// The platform's folder routines answer through a 260-character buffer.
constexpr std::size_t kMaxPath = 260;

std::string Bounded(std::string path)
{
    if (path.size() >= kMaxPath)
        path.resize(kMaxPath - 1);
    return path;
}

template <class T, class ToText>
std::string Join(const std::vector<T>& items, int count, char sep, ToText toText)
{
    if (items.empty())
        return {};
    const std::size_t wanted = count < 0 ? 1 : static_cast<std::size_t>(count) + 1;
    const std::size_t n = std::min(wanted, items.size());
    std::string result = toText(items[0]);
    for (std::size_t i = 1; i < n; ++i) {
        result += sep;
        result += toText(items[i]);
    }
    return result;
}

}  // namespace

bool IsBlank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

std::string AddBackslash(std::string_view s)
{
    if (!IsBlank(s) && s.back() == PathDelim)
        return std::string(s);
    return std::string(s) + PathDelim;
}

std::string RemoveBackslash(std::string_view s)
{
    if (!IsBlank(s) && s.back() == PathDelim)
        return std::string(s.substr(0, s.size() - 1));
    return std::string(s);
}

std::string GetProgramDir() { return AddBackslash(Bounded(::GetProgramDir())); }
std::string GetWindowsDir() { return Bounded(::GetWindowsDir()); }
std::string GetSystemDir() { return Bounded(::GetSystemDir()); }

std::string GetPrefixPath(int prefix, bool withBackslash)
{
    std::string path;
    switch (prefix) {
    case ppWindows:
        path = GetWindowsDir();
        break;
    case ppSystem:
        path = GetSystemDir();
        break;
    case ppProgram:
        path = GetProgramDir();
        break;
    default:
        return {};
    }
    return withBackslash ? AddBackslash(path) : RemoveBackslash(path);
}

std::string JoinStrings(const std::vector<std::string>& list, int count, char sep)
{
    return Join(list, count, sep, [](const std::string& s) { return s; });
}

std::string JoinInts(const std::vector<int>& values, int count, char sep)
{
    return Join(values, count, sep, [](int v) { return IntToStr(v); });
}

void OffsetRectEdges(TRect& rect, int dLeft, int dTop, int dRight, int dBottom)
{
    rect.Left += dLeft;
    rect.Top += dTop;
    rect.Right += dRight;
    rect.Bottom += dBottom;
}

TRect FitRect(const TRect& src, const TRect& dst)
{
    TRect result { dst.Left, dst.Top, dst.Left, dst.Top };
    if (src.Width() == 0 || src.Height() == 0)
        return result;
    const double ratio = std::min(static_cast<double>(dst.Width()) / src.Width(),
                                  static_cast<double>(dst.Height()) / src.Height());
    result.Right = dst.Left + static_cast<int>(std::lround(src.Width() * ratio));
    result.Bottom = dst.Top + static_cast<int>(std::lround(src.Height() * ratio));
    return result;
}

std::string ResText(std::string_view s) { return std::string(s); }

}  // namespace qorprocs
