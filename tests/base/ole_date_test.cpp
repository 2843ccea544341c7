#include "base/ole_date.h"

#include <gtest/gtest.h>

namespace vexav6 {
namespace {

TEST(OleDate, KnownDaysAndTimes) {
    EXPECT_DOUBLE_EQ(DateFromCivil(1899, 12, 30).value, 0.0);
    EXPECT_DOUBLE_EQ(DateFromCivil(1900, 1, 1).value, 2.0);
    EXPECT_DOUBLE_EQ(DateFromCivil(2010, 1, 1).value, 40179.0);
    EXPECT_DOUBLE_EQ(DateFromCivil(1970, 1, 1).value, 25569.0);
    EXPECT_DOUBLE_EQ(DateFromCivil(2000, 1, 1, 18, 0, 0).value, 36526.75);
    // Before the epoch the whole part counts back while the fraction still counts forward.
    EXPECT_DOUBLE_EQ(DateFromCivil(1899, 12, 29, 6, 0, 0).value, -1.25);
}

TEST(OleDate, FieldsOutOfRangeRollOver) {
    EXPECT_EQ(DateFromCivil(1994, 11, 31), DateFromCivil(1994, 12, 1));
    EXPECT_EQ(DateFromCivil(1994, 13, 1), DateFromCivil(1995, 1, 1));
    EXPECT_EQ(DateFromCivil(1994, 0, 1), DateFromCivil(1993, 12, 1));
    EXPECT_EQ(DateFromCivil(2024, 2, 30), DateFromCivil(2024, 3, 1));
    EXPECT_EQ(DateFromCivil(2023, 1, 1, 25, 0, 0), DateFromCivil(2023, 1, 2, 1, 0, 0));
    EXPECT_EQ(DateFromCivil(2023, 1, 1, 0, 0, 61), DateFromCivil(2023, 1, 1, 0, 1, 1));
}

TEST(OleDate, CivilFieldsRoundTripAcrossTheEpoch) {
    for (const CivilTime t :
         {CivilTime{1899, 12, 29, 6, 0, 0}, CivilTime{1994, 11, 15, 8, 12, 31},
          CivilTime{2038, 1, 19, 3, 14, 8}, CivilTime{1600, 2, 29, 23, 59, 59}}) {
        const CivilTime back = CivilFromDate(DateFromCivil(t));
        EXPECT_EQ(back.year, t.year);
        EXPECT_EQ(back.month, t.month);
        EXPECT_EQ(back.day, t.day);
        EXPECT_EQ(back.hour, t.hour);
        EXPECT_EQ(back.minute, t.minute);
        EXPECT_EQ(back.second, t.second);
    }
}

TEST(OleDate, ArithmeticWorksAcrossTheEpoch) {
    const OleDate start = DateFromCivil(1899, 12, 30, 3, 0, 0);
    EXPECT_EQ(AddDays(start, -1), DateFromCivil(1899, 12, 29, 3, 0, 0));
    EXPECT_EQ(AddMinutes(DateFromCivil(1970, 1, 1), 60), DateFromCivil(1970, 1, 1, 1, 0, 0));
    EXPECT_TRUE(DateFromCivil(1899, 12, 29, 23, 0, 0) < DateFromCivil(1899, 12, 30));
    EXPECT_EQ(DateFromUnixSeconds(0), DateFromCivil(1970, 1, 1));
    EXPECT_EQ(DateFromUnixSeconds(784887151), DateFromCivil(1994, 11, 15, 8, 12, 31));
}

TEST(OleDate, HttpDateForm) {
    EXPECT_EQ(FormatHttpDateTime(OleDate{}), "Sat, 30 Dec 1899 00:00:00");
    EXPECT_EQ(FormatHttpDateTime(DateFromCivil(1994, 11, 6, 8, 49, 37)),
              "Sun, 06 Nov 1994 08:49:37");
    EXPECT_EQ(FormatHttpDateTime(DateFromCivil(2010, 1, 1)), "Fri, 01 Jan 2010 00:00:00");
    EXPECT_EQ(Weekday(DateFromCivil(2026, 12, 8)), 2);  // a Tuesday
}

}  // namespace
}  // namespace vexav6
