#include "platform/DateTime.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <mutex>

namespace kv {

namespace {

constexpr long long kMSecsPerDay = 86'400'000;
// Day numbers (days since 1899-12-30) of 0001-01-01 and of 9999-12-31.
constexpr long long kMinDay = -693'593;
constexpr long long kMaxDay = 2'958'465;
// 0001-01-01 was a Monday; day numbers counted from there give the weekday.
constexpr long long kDaysFromYearOneToEpoch = 693'594;

// Days from 1970-01-01 in the proleptic Gregorian calendar (H. Hinnant's
// civil-from-days algorithms), valid far beyond 1..9999.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(era * 400 + yoe + (m <= 2 ? 1 : 0));
}

const long long kEpochFromUnixDays = DaysFromCivil(1899, 12, 30);

// Splits a value into its day number and the milliseconds since that day's start,
// by the classic rule (whole part = day, |fraction| = time). A time rounding up to
// a full day moves on to the next day instead of reading as 24:00.
bool SplitValue(TDateTime value, long long& day, long long& msec) {
    if (!std::isfinite(value) || value <= static_cast<double>(kMinDay) - 1 ||
        value >= static_cast<double>(kMaxDay) + 1)
        return false;
    const double whole = std::trunc(value);
    day = static_cast<long long>(whole);
    msec = std::llround(std::fabs(value - whole) * static_cast<double>(kMSecsPerDay));
    if (msec >= kMSecsPerDay) {
        msec -= kMSecsPerDay;
        ++day;
    }
    return day >= kMinDay && day <= kMaxDay;
}

TDateTime SystemNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto msec = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    TDateTime date = 0, time = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
    // A leap second (tm_sec 60) is folded into the last regular second.
    TryEncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec, msec < 0 ? 0 : msec, time);
    return ComposeDateTime(date, time);
}

std::mutex& ClockMutex() {
    static std::mutex mutex;
    return mutex;
}

ClockFn& Clock() {
    static ClockFn clock;
    return clock;
}

}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInAMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    out = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                              kEpochFromUnixDays);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result = 0;
    TryEncodeDate(year, month, day, result);
    return result;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        return false;
    const long long total = ((hour * 60LL + min) * 60 + sec) * 1000 + msec;
    out = static_cast<double>(total) / static_cast<double>(kMSecsPerDay);
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime result = 0;
    TryEncodeTime(hour, min, sec, msec, result);
    return result;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
    // Before the epoch the time is counted away from zero: -1 and 06:00 is -1.25.
    const double day = std::trunc(date);
    const double part = std::fabs(time - std::trunc(time));
    return day < 0 ? day - part : day + part;
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min, int& sec, int& msec) {
    long long dayNumber = 0, ms = 0;
    if (!SplitValue(value, dayNumber, ms)) {
        year = month = day = hour = min = sec = msec = 0;
        return;
    }
    CivilFromDays(dayNumber + kEpochFromUnixDays, year, month, day);
    msec = static_cast<int>(ms % 1000);
    sec = static_cast<int>(ms / 1000 % 60);
    min = static_cast<int>(ms / 60'000 % 60);
    hour = static_cast<int>(ms / 3'600'000);
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    int h, mi, s, ms;
    DecodeDateTime(value, year, month, day, h, mi, s, ms);
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec) {
    int y, m, d;
    DecodeDateTime(value, y, m, d, hour, min, sec, msec);
}

int DayOfWeek(TDateTime value) {
    long long day = 0, ms = 0;
    if (!SplitValue(value, day, ms))
        return 0;
    return static_cast<int>((day + kDaysFromYearOneToEpoch) % 7) + 1;
}

TDateTime Now() {
    ClockFn clock;
    {
        std::lock_guard lock(ClockMutex());
        clock = Clock();
    }
    return clock ? clock() : SystemNow();
}

TDateTime Today() {
    return std::trunc(Now());
}

void SetClock(ClockFn fn) {
    std::lock_guard lock(ClockMutex());
    Clock() = std::move(fn);
}

}  // namespace kv
