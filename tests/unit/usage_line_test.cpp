// Tests for the usage line and calendar-day counting.
#include "startup/usage_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using startup::CalendarDaysBetween;
using startup::UsageLine;

TEST(UsageLine, SplitsTotalIntoYearsAndDays) {
    EXPECT_EQ(UsageLine(0), L"You are using this about 0 Year(s) , And 0 Day(s) (Total: 0 Days)");
    EXPECT_EQ(UsageLine(364),
              L"You are using this about 0 Year(s) , And 364 Day(s) (Total: 364 Days)");
    EXPECT_EQ(UsageLine(365),
              L"You are using this about 1 Year(s) , And 0 Day(s) (Total: 365 Days)");
    EXPECT_EQ(UsageLine(850),
              L"You are using this about 2 Year(s) , And 120 Day(s) (Total: 850 Days)");
}

TEST(UsageLine, NegativeTotalsRoundYearsDown) {
    EXPECT_EQ(UsageLine(-1),
              L"You are using this about -1 Year(s) , And 364 Day(s) (Total: -1 Days)");
    EXPECT_EQ(UsageLine(-365),
              L"You are using this about -1 Year(s) , And 0 Day(s) (Total: -365 Days)");
    EXPECT_EQ(UsageLine(-366),
              L"You are using this about -2 Year(s) , And 364 Day(s) (Total: -366 Days)");
}

TEST(UsageLine, HugeTotals) {
    // 1e12 = 365 * 2739726027 + 145
    EXPECT_EQ(UsageLine(1000000000000LL),
              L"You are using this about 2739726027 Year(s) , And 145 Day(s) "
              L"(Total: 1000000000000 Days)");
    EXPECT_EQ(UsageLine(-1000000000000LL),
              L"You are using this about -2739726028 Year(s) , And 220 Day(s) "
              L"(Total: -1000000000000 Days)");
    // The extremes must not overflow (checked by UBSan).
    EXPECT_EQ(UsageLine(std::numeric_limits<long long>::max()),
              L"You are using this about 25269512429739111 Year(s) , And 292 Day(s) "
              L"(Total: 9223372036854775807 Days)");
    EXPECT_EQ(UsageLine(std::numeric_limits<long long>::min()),
              L"You are using this about -25269512429739112 Year(s) , And 72 Day(s) "
              L"(Total: -9223372036854775808 Days)");
}

TEST(UsageLine, MissingTotal) {
    EXPECT_EQ(UsageLine(std::nullopt),
              L"You are using this about 0 Year(s) , And 0 Day(s) (Total:  Days)");
}

TEST(CalendarDaysBetween, IgnoresTimeOfDay) {
    const double day = 45000.0;  // 2023-03-15
    const double minute = 1.0 / 1440.0;
    EXPECT_EQ(CalendarDaysBetween(day + 0.1, day + 0.9), 0);
    EXPECT_EQ(CalendarDaysBetween(day + 0.9, day + 0.1), 0);
    EXPECT_EQ(CalendarDaysBetween(day + 1439 * minute, day + 1 + minute), 1);
    EXPECT_EQ(CalendarDaysBetween(day, day + 850.99), 850);
    EXPECT_EQ(CalendarDaysBetween(day + 10.5, day + 0.2), -10);
}

TEST(CalendarDaysBetween, DatesAroundTheEpoch) {
    // Before 1899-12-30 the fraction is still a time added to the day: -1.25 is 12-29 06:00.
    EXPECT_EQ(CalendarDaysBetween(-1.25, 0.5), 1);
    EXPECT_EQ(CalendarDaysBetween(-0.5, 0.5), 0);  // both 1899-12-30 12:00
    EXPECT_EQ(CalendarDaysBetween(-1.75, -1.25), 0);
    EXPECT_EQ(CalendarDaysBetween(-2.75, -1.25), 1);
    EXPECT_EQ(CalendarDaysBetween(0.5, -1.25), -1);
    EXPECT_EQ(CalendarDaysBetween(-400.9, 400.9), 800);
}

TEST(CalendarDaysBetween, ValuesOutsideTheDateRangeAreClamped) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(CalendarDaysBetween(0, 2958465.99), 2958465);
    EXPECT_EQ(CalendarDaysBetween(0, 1e300), 2958465);
    EXPECT_EQ(CalendarDaysBetween(0, inf), 2958465);
    EXPECT_EQ(CalendarDaysBetween(-inf, inf), 2958465 + 657434);
    EXPECT_EQ(CalendarDaysBetween(nan, 10.5), 10);
    EXPECT_EQ(CalendarDaysBetween(10.5, nan), -10);
}
