// The classic date-time value: a double counting days since 1899-12-30 00:00,
// the fraction being the time of day. For days before 1899-12-30 the whole part is
// the (negative) day and |fraction| the time from that day's start, so -1.25 is
// 1899-12-29 06:00. Plain arithmetic (proleptic Gregorian calendar, years
// 1..9999), no Qt.
#pragma once

#include <functional>

namespace kv {

using TDateTime = double;

bool IsLeapYear(int year);
// 0 for a month outside 1..12.
int DaysInAMonth(int year, int month);

// False (out untouched) unless 1 <= year <= 9999 and month/day form a real date.
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
// The date, or 0 for an invalid date. 0 is also a real date (1899-12-30): callers
// that take dates from outside use TryEncodeDate.
TDateTime EncodeDate(int year, int month, int day);
// False (out untouched) unless hour < 24, min < 60, sec < 60, msec < 1000, all >= 0.
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out);
// The time as a day fraction, or 0 for an invalid time.
TDateTime EncodeTime(int hour, int min, int sec, int msec);

// A date plus a time of day. Prefer this to date + time: before 1899-12-30 the
// time counts away from zero (-1 and 06:00 give -1.25, not -0.75).
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

// A value outside 0001-01-01 .. 9999-12-31 (or not a number) decodes to 0/0/0.
// A time that rounds to the next millisecond-day boundary belongs to the next day.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec);

// 1 = Sunday .. 7 = Saturday; 0 for a value outside the supported range.
int DayOfWeek(TDateTime value);

// Local date and time from the current clock.
TDateTime Now();
// The date part of Now().
TDateTime Today();

// The clock behind Now(). Tests replace it; an empty function restores the system
// clock (local time).
using ClockFn = std::function<TDateTime()>;
void SetClock(ClockFn fn);

}  // namespace kv
