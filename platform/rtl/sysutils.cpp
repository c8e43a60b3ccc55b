#include "platform/rtl/sysutils.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

// --- strings -------------------------------------------------------------

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

char ansiUpper(char ch)
{
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char>(c - 32);
    switch (c) {
    case 0x9A: return static_cast<char>(0x8A);
    case 0x9C: return static_cast<char>(0x8C);
    case 0x9E: return static_cast<char>(0x8E);
    case 0xFF: return static_cast<char>(0x9F);
    default: return ch;
    }
}

char ansiLower(char ch)
{
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<char>(c + 32);
    switch (c) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return ch;
    }
}

template <class Fold>
int compareFolded(std::string_view a, std::string_view b, Fold fold)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = static_cast<unsigned char>(fold(a[i]));
        const int cb = static_cast<unsigned char>(fold(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

[[noreturn]] void notAnInteger(std::string_view s)
{
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

// Reads an integer the way the runtime's Val does; false on any stray byte or overflow.
bool parseInteger(std::string_view s, std::int64_t low, std::int64_t high, std::int64_t& value)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return false;
    // Magnitudes are gathered as unsigned so the most negative value still fits.
    const std::uint64_t limit = negative ? static_cast<std::uint64_t>(-(low + 1)) + 1 : static_cast<std::uint64_t>(high);
    std::uint64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        if (magnitude > (limit - digit) / base)
            return false;
        magnitude = magnitude * base + digit;
    }
    value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

std::string hexDigits(std::uint64_t value, int digits)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out += kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(out.size()) < digits)
        out += '0';
    std::reverse(out.begin(), out.end());
    return out;
}

}  // namespace

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::string TrimLeft(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && isBlank(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), asciiUpper);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), asciiLower);
    return r;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }
int CompareText(std::string_view a, std::string_view b) { return compareFolded(a, b, asciiUpper); }
int CompareStr(std::string_view a, std::string_view b) { return compareFolded(a, b, [](char c) { return c; }); }

std::string AnsiUpperCase(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), ansiUpper);
    return r;
}

std::string AnsiLowerCase(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), ansiLower);
    return r;
}

bool AnsiSameText(std::string_view a, std::string_view b) { return a.size() == b.size() && AnsiCompareText(a, b) == 0; }
int AnsiCompareText(std::string_view a, std::string_view b) { return compareFolded(a, b, ansiLower); }
char AnsiLowerChar(char c) { return ansiLower(c); }

std::string IntToStr(long long value) { return std::to_string(value); }

bool TryStrToInt(std::string_view s, int& value)
{
    std::int64_t v = 0;
    if (!parseInteger(s, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), v))
        return false;
    value = static_cast<int>(v);
    return true;
}

bool TryStrToInt64(std::string_view s, std::int64_t& value)
{
    return parseInteger(s, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), value);
}

int StrToInt(std::string_view s)
{
    int v = 0;
    if (!TryStrToInt(s, v))
        notAnInteger(s);
    return v;
}

std::int64_t StrToInt64(std::string_view s)
{
    std::int64_t v = 0;
    if (!TryStrToInt64(s, v))
        notAnInteger(s);
    return v;
}

int StrToIntDef(std::string_view s, int defaultValue)
{
    int v = 0;
    return TryStrToInt(s, v) ? v : defaultValue;
}

std::int64_t StrToInt64Def(std::string_view s, std::int64_t defaultValue)
{
    std::int64_t v = 0;
    return TryStrToInt64(s, v) ? v : defaultValue;
}

std::string HexDigits(std::uint64_t value, int digits) { return hexDigits(value, digits); }

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string FloatToStr(double value)
{
    // Fifteen significant digits, as the runtime shows a Double.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return buffer;
}

double StrToFloatDef(std::string_view s, double defaultValue)
{
    const std::string text = Trim(s);
    if (text.empty())
        return defaultValue;
    for (char c : text) {
        // Only plain decimal notation: no hex floats, "inf" or "nan" from a file.
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return defaultValue;
    }
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE)
        return defaultValue;
    return v;
}

double StrToFloat(std::string_view s)
{
    const double sentinel = std::numeric_limits<double>::quiet_NaN();
    const double v = StrToFloatDef(s, sentinel);
    if (std::isnan(v))
        throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
    return v;
}

int Pos(std::string_view sub, std::string_view s)
{
    if (sub.empty())
        return 0;
    const std::size_t at = s.find(sub);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::string Copy(std::string_view s, int index, int count)
{
    if (index < 1)
        index = 1;
    if (count <= 0 || static_cast<std::size_t>(index) > s.size())
        return {};
    return std::string(s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count)));
}

void Delete(std::string& s, int index, int count)
{
    if (index < 1 || count <= 0 || static_cast<std::size_t>(index) > s.size())
        return;
    s.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

void Insert(std::string_view sub, std::string& s, int index)
{
    if (index < 1)
        index = 1;
    const std::size_t at = std::min(static_cast<std::size_t>(index - 1), s.size());
    s.insert(at, sub);
}

std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags)
{
    if (oldPattern.empty())
        return std::string(s);
    const bool ignoreCase = (flags & rfIgnoreCase) != 0;
    const std::string haystack = ignoreCase ? AnsiUpperCase(s) : std::string(s);
    const std::string needle = ignoreCase ? AnsiUpperCase(oldPattern) : std::string(oldPattern);
    std::string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = haystack.find(needle, from);
        if (at == std::string::npos)
            break;
        out.append(s.substr(from, at - from));
        out.append(newPattern);
        from = at + needle.size();
        if ((flags & rfReplaceAll) == 0)
            break;
    }
    out.append(s.substr(from));
    return out;
}

std::string StringOfChar(char c, int count) { return count > 0 ? std::string(static_cast<std::size_t>(count), c) : std::string(); }

std::string QuotedStr(std::string_view s)
{
    std::string out = "'";
    for (char c : s) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    return out;
}

// --- Format --------------------------------------------------------------

namespace {

[[noreturn]] void badFormat(std::string_view format)
{
    throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

void pad(std::string& out, std::string_view body, int width, bool left)
{
    const int fill = width - static_cast<int>(body.size());
    if (fill > 0 && !left)
        out.append(static_cast<std::size_t>(fill), ' ');
    out.append(body);
    if (fill > 0 && left)
        out.append(static_cast<std::size_t>(fill), ' ');
}

template <class T>
void appendPrintf(std::string& out, const std::string& conversion, T value)
{
    const int n = std::snprintf(nullptr, 0, conversion.c_str(), value);
    if (n <= 0)
        return;
    std::string buffer(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(buffer.data(), buffer.size(), conversion.c_str(), value);
    out.append(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace

std::string FormatList(std::string_view format, const FormatArg* args, std::size_t count)
{
    std::string out;
    std::size_t next = 0;
    auto take = [&]() -> const FormatArg& {
        if (next >= count)
            badFormat(format);
        return args[next++];
    };
    auto takeInt = [&]() -> int {
        const FormatArg& a = take();
        if (a.kind == FormatArg::Kind::Signed)
            return static_cast<int>(std::clamp<long long>(a.i, -100000, 100000));
        if (a.kind == FormatArg::Kind::Unsigned)
            return static_cast<int>(std::min<unsigned long long>(a.u, 100000));
        badFormat(format);
    };

    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i >= format.size())
            badFormat(format);
        if (format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::string flags;
        while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos)
            flags += format[i++];
        int width = -1;
        if (i < format.size() && format[i] == '*') {
            width = takeInt();
            if (width < 0) {
                flags += '-';
                width = -width;
            }
            ++i;
        } else {
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                width = std::max(width, 0) * 10 + (format[i++] - '0');
                if (width > 100000)
                    badFormat(format);
            }
        }
        int precision = -1;
        if (i < format.size() && format[i] == '.') {
            ++i;
            precision = 0;
            if (i < format.size() && format[i] == '*') {
                precision = std::max(takeInt(), 0);
                ++i;
            } else {
                while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                    precision = precision * 10 + (format[i++] - '0');
                    if (precision > 100000)
                        badFormat(format);
                }
            }
        }
        while (i < format.size() && std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos)
            ++i;
        if (i >= format.size())
            badFormat(format);
        const char conv = format[i++];
        std::string conversion = "%" + flags;
        if (width >= 0)
            conversion += std::to_string(width);
        if (precision >= 0)
            conversion += "." + std::to_string(precision);
        const bool left = flags.find('-') != std::string::npos;

        switch (conv) {
        case 'd':
        case 'i': {
            const FormatArg& a = take();
            conversion += "lld";
            if (a.kind == FormatArg::Kind::Signed)
                appendPrintf(out, conversion, a.i);
            else if (a.kind == FormatArg::Kind::Unsigned)
                appendPrintf(out, conversion.substr(0, conversion.size() - 1) + "u", a.u);
            else
                badFormat(format);
            break;
        }
        case 'u':
        case 'x':
        case 'X':
        case 'o': {
            const FormatArg& a = take();
            unsigned long long v;
            if (a.kind == FormatArg::Kind::Unsigned)
                v = a.u;
            else if (a.kind == FormatArg::Kind::Signed) {
                // A negative shows as its two's complement in the argument's own width.
                v = static_cast<unsigned long long>(a.i);
                if (a.size > 0 && a.size < sizeof v)
                    v &= (1ULL << (a.size * 8)) - 1;
            } else
                badFormat(format);
            conversion += "ll";
            conversion += conv;
            appendPrintf(out, conversion, v);
            break;
        }
        case 'c': {
            const FormatArg& a = take();
            if (a.kind != FormatArg::Kind::Signed && a.kind != FormatArg::Kind::Unsigned)
                badFormat(format);
            const char ch = static_cast<char>(a.kind == FormatArg::Kind::Signed ? a.i : static_cast<long long>(a.u));
            pad(out, std::string_view(&ch, 1), width, left);
            break;
        }
        case 's': {
            const FormatArg& a = take();
            if (a.kind != FormatArg::Kind::Text)
                badFormat(format);
            std::string_view text = a.s;
            if (precision >= 0 && static_cast<std::size_t>(precision) < text.size())
                text = text.substr(0, static_cast<std::size_t>(precision));
            pad(out, text, width, left);
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G': {
            const FormatArg& a = take();
            double v;
            if (a.kind == FormatArg::Kind::Float)
                v = a.f;
            else if (a.kind == FormatArg::Kind::Signed)
                v = static_cast<double>(a.i);
            else if (a.kind == FormatArg::Kind::Unsigned)
                v = static_cast<double>(a.u);
            else
                badFormat(format);
            conversion += conv;
            appendPrintf(out, conversion, v);
            break;
        }
        case 'p': {
            const FormatArg& a = take();
            if (a.kind != FormatArg::Kind::Pointer)
                badFormat(format);
            conversion += 'p';
            appendPrintf(out, conversion, a.p);
            break;
        }
        default:
            badFormat(format);
        }
    }
    return out;
}

// --- file names ----------------------------------------------------------

std::string ExtractFilePath(std::string_view fileName)
{
    const std::size_t slash = fileName.rfind(PathDelim);
    return slash == std::string_view::npos ? std::string() : std::string(fileName.substr(0, slash + 1));
}

std::string ExtractFileDir(std::string_view fileName)
{
    const std::size_t slash = fileName.rfind(PathDelim);
    if (slash == std::string_view::npos)
        return {};
    return std::string(fileName.substr(0, slash == 0 ? 1 : slash));
}

std::string ExtractFileName(std::string_view fileName)
{
    const std::size_t slash = fileName.rfind(PathDelim);
    return std::string(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.rfind(PathDelim);
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return std::string(fileName.substr(dot));
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension)
{
    const std::string ext = ExtractFileExt(fileName);
    return std::string(fileName.substr(0, fileName.size() - ext.size())) + std::string(extension);
}

std::string IncludeTrailingPathDelimiter(std::string_view path)
{
    std::string r(path);
    if (r.empty() || r.back() != PathDelim)
        r += PathDelim;
    return r;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path)
{
    std::string r(path);
    if (r.size() > 1 && r.back() == PathDelim)
        r.pop_back();
    return r;
}

// --- files ---------------------------------------------------------------

namespace {

bool statPath(const std::string& path, struct stat& st)
{
    return ::stat(codepage::ToUtf8(path).c_str(), &st) == 0;
}

int packDosTime(std::time_t t)
{
    std::tm tm {};
    localtime_r(&t, &tm);
    const int year = tm.tm_year + 1900;
    if (year < 1980)
        return (1 << 5) | 1;  // the first day the form can hold
    const unsigned date = static_cast<unsigned>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    const unsigned time = static_cast<unsigned>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return static_cast<int>((date << 16) | time);
}

int attributesOf(const std::string& name, const struct stat& st)
{
    int attr = 0;
    if (S_ISDIR(st.st_mode))
        attr |= faDirectory;
    else
        attr |= faArchive;
    if ((st.st_mode & S_IWUSR) == 0)
        attr |= faReadOnly;
    if (!name.empty() && name[0] == '.')
        attr |= faHidden;
    return attr;
}

}  // namespace

bool FileExists(const std::string& fileName)
{
    struct stat st {};
    return !fileName.empty() && statPath(ResolveFileName(fileName), st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& directory)
{
    struct stat st {};
    return !directory.empty() && statPath(ResolveFileName(ExcludeTrailingPathDelimiter(directory)), st)
        && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& directory)
{
    const std::string dir = ExcludeTrailingPathDelimiter(directory);
    if (dir.empty())
        return false;
    if (DirectoryExists(dir))
        return true;
    const std::string parent = ExtractFileDir(dir);
    if (!parent.empty() && parent != dir && !ForceDirectories(parent))
        return false;
    return CreateDir(dir) || DirectoryExists(dir);
}

bool CreateDir(const std::string& directory)
{
    return !directory.empty() && ::mkdir(codepage::ToUtf8(directory).c_str(), 0777) == 0;
}

bool RemoveDir(const std::string& directory)
{
    return !directory.empty()
        && ::rmdir(codepage::ToUtf8(ResolveFileName(ExcludeTrailingPathDelimiter(directory))).c_str()) == 0;
}

bool DeleteFile(const std::string& fileName)
{
    const std::string path = ResolveFileName(fileName);
    struct stat st {};
    if (fileName.empty() || !statPath(path, st) || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(codepage::ToUtf8(path).c_str()) == 0;
}

bool RenameFile(const std::string& oldName, const std::string& newName)
{
    if (oldName.empty() || newName.empty())
        return false;
    const std::string from = ResolveFileName(oldName);
    const std::string to = ResolveFileName(newName);
    struct stat st {};
    // Renaming to another spelling of the same name is allowed; replacing another file is not.
    if (::lstat(codepage::ToUtf8(to).c_str(), &st) == 0 && !SameFile(to, from))
        return false;
    return ::rename(codepage::ToUtf8(from).c_str(), codepage::ToUtf8(newName).c_str()) == 0;
}

std::int64_t FileSizeOf(const std::string& fileName)
{
    struct stat st {};
    if (fileName.empty() || !statPath(ResolveFileName(fileName), st) || S_ISDIR(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

int FileAge(const std::string& fileName)
{
    struct stat st {};
    if (fileName.empty() || !statPath(ResolveFileName(fileName), st) || S_ISDIR(st.st_mode))
        return -1;
    return packDosTime(st.st_mtime);
}

bool FileAge(const std::string& fileName, TDateTime& fileDateTime)
{
    struct stat st {};
    if (fileName.empty() || !statPath(ResolveFileName(fileName), st) || S_ISDIR(st.st_mode))
        return false;
    std::tm tm {};
    localtime_r(&st.st_mtime, &tm);
    fileDateTime = EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday)
        + EncodeTime(tm.tm_hour, tm.tm_min, std::min(tm.tm_sec, 59), 0);
    return true;
}

TDateTime FileDateToDateTime(int fileDate)
{
    const auto packed = static_cast<unsigned>(fileDate);
    const unsigned date = packed >> 16;
    const unsigned time = packed & 0xFFFF;
    TDateTime d = 0, t = 0;
    if (!TryEncodeDate(static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 15), static_cast<int>(date & 31), d)
        || !TryEncodeTime(static_cast<int>(time >> 11), static_cast<int>((time >> 5) & 63), static_cast<int>((time & 31) * 2), 0, t))
        throw EConvertError("Invalid argument to date encode");
    return d + t;
}

int DateTimeToFileDate(TDateTime dateTime)
{
    int y, m, d, h, n, s, ms;
    DecodeDate(dateTime, y, m, d);
    DecodeTime(dateTime, h, n, s, ms);
    if (y < 1980 || y > 2107)
        return 0;
    const unsigned date = static_cast<unsigned>(((y - 1980) << 9) | (m << 5) | d);
    const unsigned time = static_cast<unsigned>((h << 11) | (n << 5) | (s / 2));
    return static_cast<int>((date << 16) | time);
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    // Iterative '*' backtracking: linear in practice, never recursive on hostile masks.
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || ansiLower(mask[m]) == ansiLower(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

std::vector<TSearchRec> ListDirectory(const std::string& path, int attr)
{
    std::vector<TSearchRec> result;
    std::string folder = ExtractFileDir(path);
    std::string mask = ExtractFileName(path);
    // "*.*" means every name, with or without a dot, as it always has.
    if (mask == "*.*")
        mask = "*";
    const std::string dirPath = folder.empty() ? std::string(".") : codepage::ToUtf8(folder);
    DIR* dir = ::opendir(dirPath.c_str());
    if (!dir)
        return result;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view onDisk(entry->d_name);
        if (onDisk == "." || onDisk == "..")
            continue;
        const std::string name = codepage::FromUtf8(onDisk);
        if (codepage::ToUtf8(name) != onDisk || !MatchesMask(name, mask))
            continue;
        struct stat st {};
        if (::stat((dirPath + "/" + std::string(onDisk)).c_str(), &st) != 0)
            continue;
        TSearchRec rec;
        rec.Name = name;
        rec.Attr = attributesOf(name, st);
        if ((rec.Attr & faDirectory) && !(attr & faDirectory))
            continue;
        if ((rec.Attr & faHidden) && !(attr & faHidden))
            continue;
        rec.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
        rec.Time = packDosTime(st.st_mtime);
        result.push_back(std::move(rec));
    }
    ::closedir(dir);
    std::sort(result.begin(), result.end(), [](const TSearchRec& a, const TSearchRec& b) { return a.Name < b.Name; });
    return result;
}

int FindFirst(const std::string& path, int attr, TSearchRec& rec)
{
    rec = TSearchRec {};
    const std::string folder = ExtractFileDir(path);
    if (!folder.empty() && !DirectoryExists(folder))
        return ERROR_PATH_NOT_FOUND;
    std::vector<TSearchRec> entries = ListDirectory(path, attr);
    if (entries.empty())
        return ERROR_FILE_NOT_FOUND;
    std::reverse(entries.begin(), entries.end());
    rec.pending = std::move(entries);
    return FindNext(rec);
}

int FindNext(TSearchRec& rec)
{
    if (rec.pending.empty())
        return ERROR_NO_MORE_FILES;
    TSearchRec next = std::move(rec.pending.back());
    rec.pending.pop_back();
    rec.Name = std::move(next.Name);
    rec.Size = next.Size;
    rec.Attr = next.Attr;
    rec.Time = next.Time;
    return 0;
}

void FindClose(TSearchRec& rec) { rec.pending.clear(); }
