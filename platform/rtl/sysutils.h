#pragma once

#include "platform/rtl/dates.h"
#include "platform/rtl/exceptions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// The string and file routines every unit takes for granted, with their
// Pascal names and 1-based positions. Text is code-page bytes.

inline constexpr char PathDelim = '/';

// --- strings -------------------------------------------------------------

// Trimming drops every byte up to and including the blank (control bytes too).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII letters only.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
int CompareStr(std::string_view a, std::string_view b);

// Letters of the code page too (accented letters fold to their partners).
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
bool AnsiSameText(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b);
char AnsiLowerChar(char c);

std::string IntToStr(long long value);
// Leading blanks, an optional sign, decimal digits or a "$"/"0x" hex number, nothing after.
// EConvertError "'<text>' is not a valid integer value" otherwise, or when out of range.
int StrToInt(std::string_view s);
std::int64_t StrToInt64(std::string_view s);
int StrToIntDef(std::string_view s, int defaultValue);
std::int64_t StrToInt64Def(std::string_view s, std::int64_t defaultValue);
bool TryStrToInt(std::string_view s, int& value);
bool TryStrToInt64(std::string_view s, std::int64_t& value);
std::string HexDigits(std::uint64_t value, int digits);
// The value of a hex digit (0-9, a-f, A-F); -1 for any other byte.
int HexDigitValue(char c);
// Upper-case hex of at least digits digits; a negative value as its two's complement
// in its own type's width (32 bits at least, as the runtime's Integer).
template <class T>
    requires std::is_integral_v<T>
std::string IntToHex(T value, int digits)
{
    constexpr std::size_t bytes = sizeof(T) < 4 ? 4 : sizeof(T);
    auto bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
    if constexpr (std::is_unsigned_v<T>)
        bits = static_cast<std::uint64_t>(value);
    if constexpr (bytes < 8)
        bits &= (std::uint64_t { 1 } << (bytes * 8)) - 1;
    return HexDigits(bits, digits);
}
std::string FloatToStr(double value);
double StrToFloat(std::string_view s);
double StrToFloatDef(std::string_view s, double defaultValue);

// 1-based: the position of sub in s, 0 when absent.
int Pos(std::string_view sub, std::string_view s);
// 1-based: up to count bytes from index; out-of-range parts are simply left out.
std::string Copy(std::string_view s, int index, int count);
// 1-based: removes up to count bytes from index.
void Delete(std::string& s, int index, int count);
// 1-based: inserts sub before index (at the end when index is past it).
void Insert(std::string_view sub, std::string& s, int index);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags);

std::string StringOfChar(char c, int count);
std::string QuotedStr(std::string_view s);

// --- Format --------------------------------------------------------------

// One argument of Format, typed so a mismatched conversion is an error and not a crash.
struct FormatArg {
    enum class Kind { Signed, Unsigned, Float, Text, Pointer };
    Kind kind { Kind::Signed };
    long long i { 0 };
    unsigned long long u { 0 };
    double f { 0 };
    std::string_view s;
    const void* p { nullptr };
    std::size_t size { 0 };  // bytes of the integer type, for %x of negatives
};

namespace format_detail {

template <class T>
FormatArg MakeArg(const T& value)
{
    using D = std::decay_t<T>;
    FormatArg a;
    if constexpr (std::is_same_v<T, const char*> || std::is_same_v<T, char*>) {
        a.kind = FormatArg::Kind::Text;
        a.s = value ? std::string_view(value) : std::string_view("(null)");
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        a.kind = FormatArg::Kind::Text;
        a.s = std::string_view(value);
    } else if constexpr (std::is_enum_v<D>) {
        a.kind = FormatArg::Kind::Signed;
        a.i = static_cast<long long>(value);
        a.size = sizeof(D);
    } else if constexpr (std::is_integral_v<D> && std::is_signed_v<D>) {
        a.kind = FormatArg::Kind::Signed;
        a.i = value;
        a.size = sizeof(D);
    } else if constexpr (std::is_integral_v<D>) {
        a.kind = FormatArg::Kind::Unsigned;
        a.u = value;
        a.size = sizeof(D);
    } else if constexpr (std::is_floating_point_v<D>) {
        a.kind = FormatArg::Kind::Float;
        a.f = static_cast<double>(value);
    } else if constexpr (std::is_pointer_v<D> || std::is_null_pointer_v<D>) {
        a.kind = FormatArg::Kind::Pointer;
        a.p = static_cast<const void*>(value);
    } else {
        static_assert(sizeof(D) == 0, "Format: unsupported argument type");
    }
    return a;
}

}  // namespace format_detail

// printf-style conversions (%d %i %u %x %X %o %c %s %f %e %g %p %%, flags, width,
// precision, '*'); length modifiers are accepted and ignored since arguments are typed.
// A missing or mismatched argument raises EConvertError.
std::string FormatList(std::string_view format, const FormatArg* args, std::size_t count);

template <class... Args>
std::string Format(std::string_view format, const Args&... args)
{
    const std::array<FormatArg, sizeof...(Args)> list { format_detail::MakeArg(args)... };
    return FormatList(format, list.data(), list.size());
}

// --- file names ----------------------------------------------------------

// The folder part with its trailing delimiter ("" when there is none).
std::string ExtractFilePath(std::string_view fileName);
// The folder part without the trailing delimiter.
std::string ExtractFileDir(std::string_view fileName);
std::string ExtractFileName(std::string_view fileName);
// The extension with its dot, from the last component only.
std::string ExtractFileExt(std::string_view fileName);
std::string ChangeFileExt(std::string_view fileName, std::string_view extension);
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
inline std::string IncludeTrailingBackslash(std::string_view path) { return IncludeTrailingPathDelimiter(path); }
inline std::string ExcludeTrailingBackslash(std::string_view path) { return ExcludeTrailingPathDelimiter(path); }

// --- files ---------------------------------------------------------------
// The last component of a name is found whatever its letter case (files.h).

bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& directory);
// Creates the folder and any missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& directory);
bool CreateDir(const std::string& directory);
bool RemoveDir(const std::string& directory);
bool DeleteFile(const std::string& fileName);
// Fails, as the platform's does, when newName already exists.
bool RenameFile(const std::string& oldName, const std::string& newName);
// Size in bytes, -1 when the file is missing.
std::int64_t FileSizeOf(const std::string& fileName);
// Last write time in the packed DOS form, -1 when the file is missing.
int FileAge(const std::string& fileName);
bool FileAge(const std::string& fileName, TDateTime& fileDateTime);
TDateTime FileDateToDateTime(int fileDate);
int DateTimeToFileDate(TDateTime dateTime);

inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faVolumeID = 0x08;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faAnyFile = 0x3F;

// One folder entry; FindFirst/FindNext step through a snapshot of the folder.
struct TSearchRec {
    std::string Name;  // code page
    std::int64_t Size { 0 };
    int Attr { 0 };
    int Time { 0 };  // packed DOS date
    std::vector<TSearchRec> pending;  // entries still to come
};

inline constexpr int ERROR_FILE_NOT_FOUND = 2;
inline constexpr int ERROR_PATH_NOT_FOUND = 3;
inline constexpr int ERROR_NO_MORE_FILES = 18;

// path is a folder plus a pattern with '*' and '?', matched case-blind ("/x/*.ini").
// Directories come only when attr includes faDirectory, hidden (dot) entries only with
// faHidden; "." and ".." never. 0 on success, else an error code.
int FindFirst(const std::string& path, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);
// The same entries as a list, in name order.
std::vector<TSearchRec> ListDirectory(const std::string& path, int attr);
// Case-blind wildcard match of a name against '*' and '?'.
bool MatchesMask(std::string_view name, std::string_view mask);
