#include "platform/rtl/dates.h"

#include "platform/rtl/exceptions.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace {

constexpr std::int64_t kUnixEpochDay = 25569;  // 1970-01-01 as a day number
constexpr std::int64_t kMsPerDay = 86400000;

const char* const kShortDayNames[] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
const char* const kLongDayNames[] = { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" };
const char* const kShortMonthNames[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
const char* const kLongMonthNames[] = { "January", "February", "March", "April", "May", "June",
                                        "July", "August", "September", "October", "November", "December" };

constexpr std::string_view kShortDateFormat = "m/d/yyyy";
constexpr std::string_view kLongDateFormat = "dddd, mmmm d, yyyy";
constexpr std::string_view kShortTimeFormat = "h:nn AM/PM";
constexpr std::string_view kLongTimeFormat = "h:nn:ss AM/PM";

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

// The day number and the milliseconds into it, rounded to the millisecond as the runtime does.
void split(TDateTime dateTime, std::int64_t& dayNumber, std::int64_t& msOfDay)
{
    const double clamped = std::isfinite(dateTime) ? std::fmin(std::fabs(dateTime), 3.0e6) : 0.0;
    const auto total = static_cast<std::int64_t>(std::llround(clamped * MSecsPerDay));
    dayNumber = total / kMsPerDay;
    msOfDay = total % kMsPerDay;
    if (dateTime < 0)
        dayNumber = -dayNumber;
}

std::string two(int v)
{
    char b[16];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

bool iequalsAt(std::string_view s, std::size_t at, std::string_view word)
{
    if (at + word.size() > s.size())
        return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
        char c = s[at + k];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != word[k])
            return false;
    }
    return true;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool hasAmPm(std::string_view format)
{
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (iequalsAt(format, i, "am/pm") || iequalsAt(format, i, "a/p") || iequalsAt(format, i, "ampm")) {
            return true;
        }
    }
    return false;
}

void formatInto(std::string& out, std::string_view format, TDateTime dateTime, int depth)
{
    std::int64_t dayNumber = 0, ms = 0;
    split(dateTime, dayNumber, ms);
    int year, month, day;
    civilFromDays(dayNumber - kUnixEpochDay, year, month, day);
    const int hour = static_cast<int>(ms / 3600000);
    const int minute = static_cast<int>(ms / 60000 % 60);
    const int second = static_cast<int>(ms / 1000 % 60);
    const int msec = static_cast<int>(ms % 1000);
    const int weekday = static_cast<int>(((dayNumber - 1) % 7 + 7) % 7);  // 0 = Sunday
    const bool twelveHour = hasAmPm(format);
    bool afterHour = false;

    std::size_t i = 0;
    auto run = [&](char letter) {
        std::size_t k = 0;
        while (i + k < format.size() && lower(format[i + k]) == letter)
            ++k;
        i += k;
        return k;
    };
    while (i < format.size()) {
        const char c = format[i];
        const char lc = lower(c);
        if (c == '"' || c == '\'') {
            const std::size_t end = format.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? format.size() : end;
            out.append(format.substr(i + 1, stop - i - 1));
            i = stop == format.size() ? stop : stop + 1;
            continue;
        }
        if (lc == 'a') {
            const bool pm = hour >= 12;
            if (iequalsAt(format, i, "am/pm")) {
                const bool upper = format[i] == 'A';
                out += pm ? (upper ? "PM" : "pm") : (upper ? "AM" : "am");
                i += 5;
            } else if (iequalsAt(format, i, "a/p")) {
                const bool upper = format[i] == 'A';
                out += pm ? (upper ? 'P' : 'p') : (upper ? 'A' : 'a');
                i += 3;
            } else if (iequalsAt(format, i, "ampm")) {
                out += pm ? "PM" : "AM";
                i += 4;
            } else {
                out += c;
                ++i;
            }
            afterHour = false;
            continue;
        }
        if (lc == 'h') {
            const std::size_t k = run('h');
            int h = hour;
            if (twelveHour) {
                h = hour % 12;
                if (h == 0)
                    h = 12;
            }
            out += k == 1 ? std::to_string(h) : two(h);
            afterHour = true;
            continue;
        }
        if (lc == 'm') {
            const std::size_t k = run('m');
            if (afterHour)
                out += k == 1 ? std::to_string(minute) : two(minute);
            else if (k == 1)
                out += std::to_string(month);
            else if (k == 2)
                out += two(month);
            else if (k == 3)
                out += kShortMonthNames[month - 1];
            else
                out += kLongMonthNames[month - 1];
            afterHour = false;
            continue;
        }
        if (lc == 'c' || lc == 'd' || lc == 'y' || lc == 'n' || lc == 's' || lc == 'z' || lc == 't')
            afterHour = false;
        switch (lc) {
        case 'c':
            ++i;
            if (depth < 2) {
                formatInto(out, kShortDateFormat, dateTime, depth + 1);
                if (ms != 0) {
                    out += ' ';
                    formatInto(out, kLongTimeFormat, dateTime, depth + 1);
                }
            }
            break;
        case 'd': {
            const std::size_t k = run('d');
            if (k == 1)
                out += std::to_string(day);
            else if (k == 2)
                out += two(day);
            else if (k == 3)
                out += kShortDayNames[weekday];
            else if (k == 4)
                out += kLongDayNames[weekday];
            else if (depth < 2)
                formatInto(out, k == 5 ? kShortDateFormat : kLongDateFormat, dateTime, depth + 1);
            break;
        }
        case 'y': {
            const std::size_t k = run('y');
            if (k <= 2)
                out += two(((year % 100) + 100) % 100);
            else
                out += std::to_string(year);
            break;
        }
        case 'n': {
            const std::size_t k = run('n');
            out += k == 1 ? std::to_string(minute) : two(minute);
            break;
        }
        case 's': {
            const std::size_t k = run('s');
            out += k == 1 ? std::to_string(second) : two(second);
            break;
        }
        case 'z': {
            const std::size_t k = run('z');
            char b[16];
            std::snprintf(b, sizeof b, k == 1 ? "%d" : "%03d", msec);
            out += b;
            break;
        }
        case 't': {
            const std::size_t k = run('t');
            if (depth < 2)
                formatInto(out, k == 1 ? kShortTimeFormat : kLongTimeFormat, dateTime, depth + 1);
            break;
        }
        default:
            out += c;
            ++i;
        }
    }
}

[[noreturn]] void notADate(std::string_view s, const char* what)
{
    throw EConvertError("'" + std::string(s) + "' is not a valid " + what);
}

// Reads unsigned decimal numbers separated by sep; false on anything else.
bool readNumbers(std::string_view s, char sep, int* values, int maxCount, int& count)
{
    count = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        if (count == maxCount)
            return false;
        int v = 0;
        std::size_t digits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 6) {
            v = v * 10 + (s[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0)
            return false;
        values[count++] = v;
        if (i < s.size()) {
            if (s[i] != sep)
                return false;
            ++i;
            if (i == s.size())
                return false;
        }
    }
    return count > 0;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month)
{
    static const int kDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    result = static_cast<double>(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kUnixEpochDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime r = 0;
    if (!TryEncodeDate(year, month, day, r))
        throw EConvertError("Invalid argument to date encode");
    return r;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    result = ((hour * 3600000.0) + (minute * 60000.0) + (second * 1000.0) + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime r = 0;
    if (!TryEncodeTime(hour, minute, second, msec, r))
        throw EConvertError("Invalid argument to time encode");
    return r;
}

void DecodeDate(TDateTime dateTime, int& year, int& month, int& day)
{
    std::int64_t dayNumber = 0, ms = 0;
    split(dateTime, dayNumber, ms);
    civilFromDays(dayNumber - kUnixEpochDay, year, month, day);
}

void DecodeTime(TDateTime dateTime, int& hour, int& minute, int& second, int& msec)
{
    std::int64_t dayNumber = 0, ms = 0;
    split(dateTime, dayNumber, ms);
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime dateTime)
{
    std::int64_t dayNumber = 0, ms = 0;
    split(dateTime, dayNumber, ms);
    // Day 1 (1899-12-31) was a Sunday.
    return static_cast<int>(((dayNumber - 1) % 7 + 7) % 7) + 1;
}

TDateTime Now()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm {};
    localtime_r(&ts.tv_sec, &tm);
    return EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday)
        + EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec > 59 ? 59 : tm.tm_sec, static_cast<int>(ts.tv_nsec / 1000000));
}

TDateTime Date() { return std::floor(Now()); }

TDateTime Time()
{
    const TDateTime now = Now();
    return now - std::floor(now);
}

std::string FormatDateTime(std::string_view format, TDateTime dateTime)
{
    std::string out;
    if (format.empty())
        format = "c";
    formatInto(out, format, dateTime, 0);
    return out;
}

std::string DateToStr(TDateTime dateTime) { return FormatDateTime(kShortDateFormat, dateTime); }
std::string TimeToStr(TDateTime dateTime) { return FormatDateTime(kLongTimeFormat, dateTime); }
std::string DateTimeToStr(TDateTime dateTime) { return FormatDateTime("c", dateTime); }

TDateTime StrToDate(std::string_view s)
{
    const std::string_view text = trimmed(s);
    int values[3] = { 0, 0, 0 };
    int count = 0;
    if (!readNumbers(text, '/', values, 3, count) || count < 2)
        notADate(s, "date");
    int thisYear, thisMonth, thisDay;
    DecodeDate(Now(), thisYear, thisMonth, thisDay);
    int year = count == 3 ? values[2] : thisYear;
    const std::size_t lastSlash = text.rfind('/');
    if (count == 3 && text.size() - lastSlash - 1 <= 2) {
        // A two-digit year falls within the fifty years before now or after.
        year += thisYear / 100 * 100;
        if (year < thisYear - 50)
            year += 100;
        else if (year > thisYear + 50)
            year -= 100;
    }
    TDateTime result = 0;
    if (!TryEncodeDate(year, values[0], values[1], result))
        notADate(s, "date");
    return result;
}

TDateTime StrToTime(std::string_view s)
{
    std::string_view text = trimmed(s);
    int pm = -1;
    if (text.size() >= 2 && (iequalsAt(text, text.size() - 2, "am") || iequalsAt(text, text.size() - 2, "pm"))) {
        pm = lower(text[text.size() - 2]) == 'p' ? 1 : 0;
        text = trimmed(text.substr(0, text.size() - 2));
    }
    int values[3] = { 0, 0, 0 };
    int count = 0;
    if (!readNumbers(text, ':', values, 3, count) || count < 2)
        notADate(s, "time");
    int hour = values[0];
    if (pm >= 0) {
        if (hour < 1 || hour > 12)
            notADate(s, "time");
        hour = hour % 12 + (pm ? 12 : 0);
    }
    TDateTime result = 0;
    if (!TryEncodeTime(hour, values[1], values[2], 0, result))
        notADate(s, "time");
    return result;
}

TDateTime StrToDateTime(std::string_view s)
{
    const std::string_view text = trimmed(s);
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos) {
        try {
            return StrToDate(text);
        } catch (const EConvertError&) {
            notADate(s, "date and time");
        }
    }
    try {
        const TDateTime date = StrToDate(text.substr(0, blank));
        const TDateTime time = StrToTime(text.substr(blank + 1));
        // Before the epoch the time of day counts away from zero, as the fraction is read.
        return date < 0 ? date - time : date + time;
    } catch (const EConvertError&) {
        notADate(s, "date and time");
    }
}

bool TryStrToDateTime(std::string_view s, TDateTime& result)
{
    try {
        result = StrToDateTime(s);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

std::string LongDayName(int dayOfWeek) { return dayOfWeek >= 1 && dayOfWeek <= 7 ? kLongDayNames[dayOfWeek - 1] : ""; }
std::string ShortDayName(int dayOfWeek) { return dayOfWeek >= 1 && dayOfWeek <= 7 ? kShortDayNames[dayOfWeek - 1] : ""; }
std::string LongMonthName(int month) { return month >= 1 && month <= 12 ? kLongMonthNames[month - 1] : ""; }
std::string ShortMonthName(int month) { return month >= 1 && month <= 12 ? kShortMonthNames[month - 1] : ""; }
