#pragma once

#include <string>
#include <string_view>

// Dates and times as the runtime keeps them: days since 1899-12-30, the
// fraction being the time of day. Formats are the US-English defaults.
using TDateTime = double;

inline constexpr double MSecsPerDay = 86400000.0;

TDateTime Now();
TDateTime Date();
TDateTime Time();

// EConvertError for a day, month or time that does not exist.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result);
void DecodeDate(TDateTime dateTime, int& year, int& month, int& day);
void DecodeTime(TDateTime dateTime, int& hour, int& minute, int& second, int& msec);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime dateTime);

// Tokens: c d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz
// t tt am/pm a/p ampm / : and quoted literals; "m" right after an hour means minutes.
std::string FormatDateTime(std::string_view format, TDateTime dateTime);
// "m/d/yyyy"
std::string DateToStr(TDateTime dateTime);
// "h:nn:ss AM/PM"
std::string TimeToStr(TDateTime dateTime);
// The date, then the time when there is one.
std::string DateTimeToStr(TDateTime dateTime);
// Reads "m/d/yyyy" (a two-digit year is taken within 50 years of now); EConvertError otherwise.
TDateTime StrToDate(std::string_view s);
// Reads "h:nn[:ss] [AM|PM]"; EConvertError otherwise.
TDateTime StrToTime(std::string_view s);
// A date, then optionally a blank and a time, as DateTimeToStr writes them; EConvertError otherwise.
TDateTime StrToDateTime(std::string_view s);
bool TryStrToDateTime(std::string_view s, TDateTime& result);

// The US-English names: dayOfWeek 1 = Sunday, month 1 = January; "" out of range.
std::string LongDayName(int dayOfWeek);
std::string ShortDayName(int dayOfWeek);
std::string LongMonthName(int month);
std::string ShortMonthName(int month);
