#include "platform/automation/Date.h"

#include <gtest/gtest.h>

using platform::automation::Date;

TEST(Date, SerialNumbersMatchTheAutomationEpoch) {
    EXPECT_EQ(Date::FromParts(1899, 12, 30).Serial(), 0.0);
    EXPECT_EQ(Date::FromParts(1900, 1, 1).Serial(), 2.0);
    EXPECT_EQ(Date::FromParts(2000, 1, 1).Serial(), 36526.0);
    EXPECT_DOUBLE_EQ(Date::FromParts(2000, 1, 1, 18, 0, 0).Serial(), 36526.75);
    // Before the epoch the fraction still counts forward from midnight.
    Date before = Date::FromParts(1899, 12, 29, 6, 0, 0);
    EXPECT_DOUBLE_EQ(before.Serial(), -1.25);
    EXPECT_EQ(before.Day(), 29);
    EXPECT_EQ(before.Hour(), 6);
}

TEST(Date, PartsCarryOver) {
    struct Case {
        int y, m, d, h, mi, s;
        int ey, em, ed, eh, emi;
    } cases[] = {
        {2024, 13, 1, 0, 0, 0, 2025, 1, 1, 0, 0},     {2024, 0, 1, 0, 0, 0, 2023, 12, 1, 0, 0},
        {2024, 3, 0, 0, 0, 0, 2024, 2, 29, 0, 0},     {2023, 2, 29, 0, 0, 0, 2023, 3, 1, 0, 0},
        {2024, 1, 31, 24, 0, 0, 2024, 2, 1, 0, 0},    {2024, 1, 1, 10, 60, 0, 2024, 1, 1, 11, 0},
        {2024, 1, 1, 0, -1, 0, 2023, 12, 31, 23, 59}, {2024, 25, 1, 0, 0, 0, 2026, 1, 1, 0, 0},
    };
    for (const auto& c : cases) {
        Date d = Date::FromParts(c.y, c.m, c.d, c.h, c.mi, c.s);
        EXPECT_EQ(d.Year(), c.ey);
        EXPECT_EQ(d.Month(), c.em);
        EXPECT_EQ(d.Day(), c.ed);
        EXPECT_EQ(d.Hour(), c.eh);
        EXPECT_EQ(d.Minute(), c.emi);
    }
}

TEST(Date, ArithmeticAndTheZeroDate) {
    Date zero;
    EXPECT_TRUE(zero.IsZero());
    EXPECT_EQ(zero, Date::Zero());
    EXPECT_EQ(zero.Year(), 1899);
    Date d = Date::FromParts(2024, 2, 28, 22, 30, 0);
    EXPECT_FALSE(d.IsZero());
    Date next = d.AddDays(1);
    EXPECT_EQ(next.Month(), 2);
    EXPECT_EQ(next.Day(), 29);
    EXPECT_EQ(next.Hour(), 22);
    EXPECT_EQ(d.AddSeconds(2 * 3600).Day(), 29);
    EXPECT_EQ(d.AddSeconds(2 * 3600).Hour(), 0);
    EXPECT_EQ(d.DaysUntil(Date::FromParts(2024, 3, 1)), 2);
    EXPECT_EQ(d.DatePart(), Date::FromParts(2024, 2, 28));
    EXPECT_DOUBLE_EQ(d.TimePart(), 22.5 / 24);
    EXPECT_EQ(Date::FromParts(2024, 3, 10).Weekday(), 1); // a Sunday
    EXPECT_EQ(Date::FromParts(1899, 12, 30).Weekday(), 7);
    EXPECT_EQ(d.Iso(), "2024-02-28 22:30:00");
}

// Serials far outside the date range (as a damaged file may hold) are taken as the range's ends, so
// that no arithmetic on them overflows.
TEST(Date, SerialsBeyondTheRangeStayAtItsEnds) {
    const struct {
        double serial;
        const char* iso;
    } cases[] = {
        {1e300, "9999-12-31 23:59:59"},
        {-1e300, "0100-01-01 00:00:00"},
        {2958466.5, "9999-12-31 23:59:59"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.serial);
        Date d(c.serial);
        EXPECT_EQ(d.Iso(), c.iso);
        EXPECT_EQ(d.AddDays(1e300).Iso(), "9999-12-31 23:59:59");
        EXPECT_EQ(d.AddSeconds(-1e300).Iso(), "0100-01-01 00:00:00");
    }
    EXPECT_EQ(Date(-1e300).DaysUntil(Date(1e300)), 2958465 + 657434);
}
