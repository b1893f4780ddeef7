#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <vector>

namespace kv {
namespace {

struct KnownDate {
    int Year, Month, Day;
    double Value;
    int Weekday;  // 1 = Sunday
};

const KnownDate kKnownDates[] = {
    {1899, 12, 30, 0, 7},         {1899, 12, 29, -1, 6},    {1900, 1, 1, 2, 2},
    {1900, 3, 1, 61, 5},          {1970, 1, 1, 25569, 5},   {2000, 1, 1, 36526, 7},
    {2004, 2, 29, 38046, 1},      {2004, 3, 15, 38061, 2},  {1850, 6, 15, -18095, 7},
    {1, 1, 1, -693593, 2},        {9999, 12, 31, 2958465, 6},
};

TEST(DateTime, KnownDatesEncodeDecodeAndGiveTheirWeekday) {
    for (const auto& c : kKnownDates) {
        double value = 12345.5;
        ASSERT_TRUE(TryEncodeDate(c.Year, c.Month, c.Day, value)) << c.Year << "-" << c.Month << "-" << c.Day;
        EXPECT_EQ(value, c.Value);
        EXPECT_EQ(EncodeDate(c.Year, c.Month, c.Day), c.Value);
        int y = 0, m = 0, d = 0;
        DecodeDate(c.Value, y, m, d);
        EXPECT_EQ(y, c.Year);
        EXPECT_EQ(m, c.Month);
        EXPECT_EQ(d, c.Day);
        EXPECT_EQ(DayOfWeek(c.Value), c.Weekday) << c.Value;
    }
}

TEST(DateTime, InvalidDatesAreRefused) {
    struct Case {
        int Year, Month, Day;
    } const cases[] = {
        {1900, 2, 29}, {2001, 2, 29}, {2100, 2, 29}, {2000, 4, 31}, {2000, 13, 1}, {2000, 0, 1},
        {2000, 1, 0},  {2000, 1, 32}, {0, 1, 1},     {10000, 1, 1}, {-1, 1, 1},
    };
    for (const auto& c : cases) {
        double value = 42;
        EXPECT_FALSE(TryEncodeDate(c.Year, c.Month, c.Day, value)) << c.Year << "-" << c.Month << "-" << c.Day;
        EXPECT_EQ(value, 42);
        EXPECT_EQ(EncodeDate(c.Year, c.Month, c.Day), 0);
    }
}

TEST(DateTime, LeapYearsAndMonthLengths) {
    struct Case {
        int Year, Month, Days;
        bool Leap;
    } const cases[] = {
        {1900, 2, 28, false}, {2000, 2, 29, true}, {2004, 2, 29, true},  {2023, 2, 28, false},
        {2100, 2, 28, false}, {2400, 2, 29, true}, {2023, 4, 30, false}, {2023, 12, 31, false},
        {2023, 13, 0, false}, {2023, 0, 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsLeapYear(c.Year), c.Leap) << c.Year;
        EXPECT_EQ(DaysInAMonth(c.Year, c.Month), c.Days) << c.Year << "-" << c.Month;
    }
}

TEST(DateTime, EveryDayRoundTrips) {
    // Walks the whole supported range: decoding and re-encoding each day gives it
    // back, and neighbouring days are one weekday apart.
    int previousWeekday = DayOfWeek(-693593);
    for (long long day = -693592; day <= 2958465; ++day) {
        int y, m, d;
        DecodeDate(static_cast<double>(day), y, m, d);
        double back = 0;
        ASSERT_TRUE(TryEncodeDate(y, m, d, back)) << day;
        ASSERT_EQ(back, static_cast<double>(day));
        const int weekday = DayOfWeek(static_cast<double>(day));
        ASSERT_EQ(weekday, previousWeekday % 7 + 1) << day;
        previousWeekday = weekday;
    }
}

TEST(DateTime, TimePartIsMeasuredFromTheDayStartAlsoBeforeTheEpoch) {
    struct Case {
        double Value;
        int Year, Month, Day, Hour, Min, Sec, Msec;
    } const cases[] = {
        {0.5, 1899, 12, 30, 12, 0, 0, 0},
        {-1.25, 1899, 12, 29, 6, 0, 0, 0},  // day -1, six hours in
        {-0.5, 1899, 12, 30, 12, 0, 0, 0},  // whole part 0: the epoch day itself
        {38061.75, 2004, 3, 15, 18, 0, 0, 0},
        {38061 + (((13 * 60 + 14) * 60 + 15) * 1000 + 16) / 86400000.0, 2004, 3, 15, 13, 14, 15, 16},
        {0.99999999999, 1899, 12, 31, 0, 0, 0, 0},   // rounds to midnight: the next day, never 24:00
        {-1.99999999999, 1899, 12, 30, 0, 0, 0, 0},  // the same rule before the epoch
    };
    for (const auto& c : cases) {
        int y, m, d, h, mi, s, ms;
        DecodeDateTime(c.Value, y, m, d, h, mi, s, ms);
        EXPECT_EQ((std::vector<int>{y, m, d, h, mi, s, ms}),
                  (std::vector<int>{c.Year, c.Month, c.Day, c.Hour, c.Min, c.Sec, c.Msec}))
            << c.Value;
    }
    EXPECT_EQ(DayOfWeek(-1.25), 6);
    EXPECT_EQ(DayOfWeek(0.99999999999), 1);
}

TEST(DateTime, ComposeKeepsTheTimeOnTheRightDay) {
    EXPECT_EQ(ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)), -1.25);
    EXPECT_EQ(ComposeDateTime(EncodeDate(2004, 3, 15), EncodeTime(18, 0, 0, 0)), 38061.75);
    EXPECT_EQ(ComposeDateTime(EncodeDate(1899, 12, 30), EncodeTime(12, 0, 0, 0)), 0.5);
}

TEST(DateTime, TimesEncodeAndInvalidOnesAreRefused) {
    double value = 0;
    ASSERT_TRUE(TryEncodeTime(23, 59, 59, 999, value));
    int h, mi, s, ms;
    DecodeTime(value, h, mi, s, ms);
    EXPECT_EQ((std::vector<int>{h, mi, s, ms}), (std::vector<int>{23, 59, 59, 999}));
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);

    struct Case {
        int Hour, Min, Sec, Msec;
    } const invalid[] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}, {0, 0, 0, -1}};
    for (const auto& c : invalid) {
        value = 7;
        EXPECT_FALSE(TryEncodeTime(c.Hour, c.Min, c.Sec, c.Msec, value));
        EXPECT_EQ(value, 7);
        EXPECT_EQ(EncodeTime(c.Hour, c.Min, c.Sec, c.Msec), 0);
    }
}

TEST(DateTime, ValuesOutsideTheCalendarDecodeToZero) {
    const double cases[] = {-693594.0, 2958466.0, 1e300, -1e300, std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity()};
    for (double value : cases) {
        int y = 1, m = 1, d = 1, h = 1, mi = 1, s = 1, ms = 1;
        DecodeDateTime(value, y, m, d, h, mi, s, ms);
        EXPECT_EQ((std::vector<int>{y, m, d, h, mi, s, ms}), (std::vector<int>(7, 0))) << value;
        EXPECT_EQ(DayOfWeek(value), 0) << value;
    }
}

class ClockTest : public ::testing::Test {
protected:
    void TearDown() override { SetClock({}); }
};

TEST_F(ClockTest, ReplacedClockDrivesNowAndToday) {
    SetClock([] { return 38061.75; });
    EXPECT_EQ(Now(), 38061.75);
    EXPECT_EQ(Today(), 38061);
}

TEST_F(ClockTest, EmptyClockRestoresLocalTime) {
    SetClock([] { return 1.0; });
    SetClock({});
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    const double expected = ComposeDateTime(
        EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
        EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec, 0));
    // Only the source of the value is checked here, so a minute's slack is plenty.
    EXPECT_NEAR(Now(), expected, 1.0 / (24 * 60));
}

}  // namespace
}  // namespace kv
