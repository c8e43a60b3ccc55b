#include "platform/rtl/dates.h"

#include "platform/rtl/exceptions.h"

#include <gtest/gtest.h>

TEST(Dates, DayNumbersCountFromTheEndOf1899)
{
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_DOUBLE_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(Dates, DecodeReturnsWhatWasEncoded)
{
    const TDateTime t = EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 58, 999);
    int y, m, d, h, n, s, ms;
    DecodeDate(t, y, m, d);
    DecodeTime(t, h, n, s, ms);
    EXPECT_EQ(y, 2024);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 23);
    EXPECT_EQ(n, 59);
    EXPECT_EQ(s, 58);
    EXPECT_EQ(ms, 999);
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 6);
}

TEST(Dates, ImpossibleDatesAndTimesRaise)
{
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2023, 1, 0), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(1, 60, 0, 0), EConvertError);
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
}

TEST(Dates, DayOfWeekStartsOnSunday)
{
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 6, 2)), 1);  // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 6, 8) + 0.9), 7);
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
}

TEST(Dates, DefaultFormatsAreUsEnglish)
{
    const TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
    EXPECT_EQ(DateToStr(t), "3/5/2024");
    EXPECT_EQ(TimeToStr(t), "2:07:09 PM");
    EXPECT_EQ(TimeToStr(EncodeTime(0, 5, 0, 0)), "12:05:00 AM");
    EXPECT_EQ(TimeToStr(EncodeTime(12, 0, 0, 0)), "12:00:00 PM");
    EXPECT_EQ(DateTimeToStr(t), "3/5/2024 2:07:09 PM");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "3/5/2024");
}

TEST(Dates, FormatDateTimeKnowsTheCommonTokens)
{
    const TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(9, 4, 3, 7);
    EXPECT_EQ(FormatDateTime("d dd ddd dddd", t), "5 05 Tue Tuesday");
    EXPECT_EQ(FormatDateTime("m mm mmm mmmm", t), "3 03 Mar March");
    EXPECT_EQ(FormatDateTime("yy yyyy", t), "24 2024");
    EXPECT_EQ(FormatDateTime("h:n:s", t), "9:4:3");
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", t), "09:04:03.007");
    EXPECT_EQ(FormatDateTime("hh:mm", t), "09:04");
    EXPECT_EQ(FormatDateTime("mm/dd/yy", t), "03/05/24");
    EXPECT_EQ(FormatDateTime("h:nn am/pm", t + 0.5), "9:04 pm");
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", t), "9:04 AM");
    EXPECT_EQ(FormatDateTime("h a/p", t), "9 a");
    EXPECT_EQ(FormatDateTime("hh ampm", t + 0.5), "09 PM");
    EXPECT_EQ(FormatDateTime("\"at\" h 'o''clock'", t), "at 9 oclock");
    EXPECT_EQ(FormatDateTime("ddddd t", t), "3/5/2024 9:04 AM");
    EXPECT_EQ(FormatDateTime("dddddd", t), "Tuesday, March 5, 2024");
    EXPECT_EQ(FormatDateTime("yyyymmdd-hhnnss", t), "20240305-090403");
}

TEST(Dates, NowIsTodayPlusTheTimeOfDay)
{
    const TDateTime now = Now();
    EXPECT_GT(now, EncodeDate(2020, 1, 1));
    EXPECT_GE(Date(), now - 1);
    EXPECT_LE(Date(), now + 1);
    EXPECT_GE(Time(), 0.0);
    EXPECT_LT(Time(), 1.0);
}

TEST(Dates, StrToDateAndStrToTimeReadTheShortForms)
{
    EXPECT_DOUBLE_EQ(StrToDate("3/5/2024"), EncodeDate(2024, 3, 5));
    EXPECT_DOUBLE_EQ(StrToDate(" 12/31/1999 "), EncodeDate(1999, 12, 31));
    int y, m, d;
    DecodeDate(StrToDate("1/2/05"), y, m, d);
    EXPECT_EQ(y, 2005);
    EXPECT_THROW(StrToDate("2/30/2024"), EConvertError);
    EXPECT_THROW(StrToDate("3-5-2024"), EConvertError);
    EXPECT_THROW(StrToDate(""), EConvertError);
    EXPECT_DOUBLE_EQ(StrToTime("2:07:09 PM"), EncodeTime(14, 7, 9, 0));
    EXPECT_DOUBLE_EQ(StrToTime("12:30 am"), EncodeTime(0, 30, 0, 0));
    EXPECT_DOUBLE_EQ(StrToTime("23:15"), EncodeTime(23, 15, 0, 0));
    EXPECT_THROW(StrToTime("25:00"), EConvertError);
    EXPECT_THROW(StrToTime("13:00 PM"), EConvertError);
}


TEST(Dates, StrToDateTimeReadsWhatDateTimeToStrWrote)
{
    const TDateTime t = EncodeDate(1900, 1, 1) + EncodeTime(12, 0, 0, 0);
    EXPECT_DOUBLE_EQ(StrToDateTime("1/1/1900 12:00:00 PM"), t);
    const TDateTime sent = EncodeDate(2025, 11, 30) + EncodeTime(23, 5, 1, 0);
    EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(sent)), sent);
    EXPECT_DOUBLE_EQ(StrToDateTime("6/1/2024"), EncodeDate(2024, 6, 1));
    TDateTime out = 0;
    EXPECT_FALSE(TryStrToDateTime("6/1/2024 noon", out));
    EXPECT_THROW(StrToDateTime("yesterday"), EConvertError);
}

TEST(Dates, ClockPatternsShowMinutesAfterTheHour)
{
    const TDateTime t = EncodeTime(15, 7, 0, 0);
    EXPECT_EQ(FormatDateTime("h:mmam/pm", t), "3:07pm");
    EXPECT_EQ(FormatDateTime("\"Today is\" dddd\rmmmm d, yyyy", EncodeDate(2024, 3, 5)),
              "Today is Tuesday\rMarch 5, 2024");
}

TEST(Dates, DayAndMonthNames)
{
    EXPECT_EQ(LongDayName(1), "Sunday");
    EXPECT_EQ(ShortDayName(7), "Sat");
    EXPECT_EQ(LongMonthName(12), "December");
    EXPECT_EQ(ShortMonthName(1), "Jan");
    EXPECT_EQ(LongDayName(0), "");
    EXPECT_EQ(LongMonthName(13), "");
}
