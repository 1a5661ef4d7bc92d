#include "runtime/dates.h"

#include <gtest/gtest.h>

namespace routelet {
namespace {

struct DateCase {
  std::int64_t year, month, day;
  const char* expected;  // the date text of that midnight
};

TEST(DateFromParts, CarriesMonthsAndDaysIntoNeighbours) {
  const DateCase cases[] = {
      {1899, 12, 30, "1899/12/30 00:00:00"},  // serial 0
      {1970, 1, 1, "1970/01/01 00:00:00"},
      {2011, 11, 5, "2011/11/05 00:00:00"},
      {2011, 13, 1, "2012/01/01 00:00:00"},   // month 13 is January of the next year
      {2011, 0, 1, "2010/12/01 00:00:00"},    // month 0 is December of the year before
      {2011, 3, 0, "2011/02/28 00:00:00"},    // day 0 is the last day of the month before
      {2012, 3, 0, "2012/02/29 00:00:00"},
      {2011, 1, 32, "2011/02/01 00:00:00"},
      {2000, 0, 0, "1999/11/30 00:00:00"},    // an all-zero date field
      {2000, -13, 1, "1998/11/01 00:00:00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateText(DateFromParts(c.year, c.month, c.day)), c.expected)
        << c.year << "-" << c.month << "-" << c.day;
  }
  EXPECT_EQ(DateFromParts(1970, 1, 1), kUnixEpochSerial);
  EXPECT_EQ(DateFromParts(1899, 12, 30), 0.0);
}

TEST(TimeFromParts, IsTheFractionOfADayAndMayPassOne) {
  EXPECT_EQ(TimeFromParts(12, 0, 0), 0.5);
  EXPECT_EQ(TimeFromParts(24, 0, 0), 1.0);
  EXPECT_EQ(DateText(DateFromParts(2011, 11, 5) + TimeFromParts(15, 9, 28)), "2011/11/05 15:09:28");
  EXPECT_EQ(DateText(DateFromParts(2011, 11, 5) + TimeFromParts(24, 0, 1)), "2011/11/06 00:00:01");
}

TEST(DateText, RoundsToTheNearestSecond) {
  const DaySerial noon = DateFromParts(2011, 11, 5) + 0.5;
  const double second = 1.0 / 86400;
  EXPECT_EQ(DateText(noon + 0.4 * second), "2011/11/05 12:00:00");
  EXPECT_EQ(DateText(noon - 0.4 * second), "2011/11/05 12:00:00");  // just below a full second
  EXPECT_EQ(DateText(noon + 0.6 * second), "2011/11/05 12:00:01");
  EXPECT_EQ(DateText(DateFromParts(2011, 11, 6) - 0.3 * second), "2011/11/06 00:00:00");
  EXPECT_EQ(DateText(-0.25), "1899/12/29 18:00:00");
  EXPECT_EQ(DateText(1e300), "");  // no calendar date
}

TEST(ParseDateText, AcceptsOnlyRealDatesAndTimes) {
  const struct {
    std::string_view text;
    const char* expected;  // nullptr: does not convert
  } cases[] = {
      {"2011/11/05 12:34:56", "2011/11/05 12:34:56"},
      {"2011/11/05", "2011/11/05 00:00:00"},
      {"2012/02/29 00:00:00", "2012/02/29 00:00:00"},
      {"2011/1/5 1:2:3", "2011/01/05 01:02:03"},
      {"2011/02/29 00:00:00", nullptr},
      {"2011/13/01 00:00:00", nullptr},
      {"2011/00/10 00:00:00", nullptr},
      {"2011/11/00 00:00:00", nullptr},
      {"2011/11/05 24:00:00", nullptr},
      {"2011/11/05 12:60:00", nullptr},
      {"2011/11/05 12:00:60", nullptr},
      {"0000/00/00 00:00:00", nullptr},
      {"    /  /     :  :  ", nullptr},
      {"2011/11/05 12:34", nullptr},
      {"2011/11/05 12:34:56x", nullptr},
      {std::string_view("2011/11/05 12:34:5\0", 19), nullptr},
      {"11/11/05", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const auto serial = ParseDateText(c.text);
    if (c.expected == nullptr) {
      EXPECT_FALSE(serial.has_value()) << c.text;
    } else {
      ASSERT_TRUE(serial.has_value()) << c.text;
      EXPECT_EQ(DateText(*serial), c.expected);
    }
  }
  EXPECT_EQ(*ParseDateText("2011/11/05 12:34:56"), 40852.0 + 45296.0 / 86400.0);
}

TEST(NumberText, RoundsHalfAwayFromZeroOnTheShortestDecimal) {
  const struct {
    double value;
    int digits;
    const char* expected;
  } cases[] = {
      {12.5, 2, "12.50"},       {123.456, 2, "123.46"},   {0.5, 2, ".50"},
      {0, 2, ".00"},            {-0.25, 2, "-.25"},       {139.7454178, 4, "139.7454"},
      {0.00004, 4, ".0000"},    {0.00006, 4, ".0001"},    {2.675, 2, "2.68"},
      {35.68125, 4, "35.6813"}, {-0.001, 2, ".00"},       {-0.005, 2, "-.01"},
      {9.995, 2, "10.00"},      {99.99999, 4, "100.0000"}, {-0.99999, 4, "-1.0000"},
      {12345678.9, 2, "12345678.90"}, {1e20, 2, "100000000000000000000.00"},
      {-0.0, 2, ".00"},         {5e-324, 4, ".0000"},     {1.0 / 3, 2, ".33"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NumberText(c.value, c.digits), c.expected) << c.value;
  }
}

TEST(RightAligned10, PadsOnTheLeftAndNeverCuts) {
  EXPECT_EQ(RightAligned10(0), "         0");
  EXPECT_EQ(RightAligned10(999999999), " 999999999");
  EXPECT_EQ(RightAligned10(1320505768), "1320505768");
  EXPECT_EQ(RightAligned10(-5), "        -5");
  EXPECT_EQ(RightAligned10(4102444800), "4102444800");
  EXPECT_EQ(RightAligned10(32503680000), "32503680000");
}

}  // namespace
}  // namespace routelet
