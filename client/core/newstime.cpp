#include "client/core/newstime.h"

#include "platform/rtl/sysutils.h"

namespace {

bool ReadNumber(const std::string& text, std::size_t at, std::size_t digits, int& value)
{
    value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::string FormatNewsTime(TDateTime when) { return FormatDateTime("yyyy-mm-dd hh:nn:ss", when); }

bool ParseNewsTime(const std::string& text, TDateTime& when)
{
    const std::string t = Trim(text);
    if (t.size() != 19 || t[4] != '-' || t[7] != '-' || t[10] != ' ' || t[13] != ':' || t[16] != ':')
        return false;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ReadNumber(t, 0, 4, year) || !ReadNumber(t, 5, 2, month) || !ReadNumber(t, 8, 2, day)
        || !ReadNumber(t, 11, 2, hour) || !ReadNumber(t, 14, 2, minute) || !ReadNumber(t, 17, 2, second))
        return false;
    TDateTime date = 0;
    TDateTime time = 0;
    if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, 0, time))
        return false;
    when = date + time;
    return true;
}
