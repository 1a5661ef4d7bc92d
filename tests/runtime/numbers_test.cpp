#include "runtime/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace routelet {
namespace {

TEST(Val, ReadsTheLeadingNumber) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"3539.1234", 3539.1234}, {"13945.6789", 13945.6789}, {"-12.5", -12.5}, {"+7", 7},
      {"  42", 42},             {"1 2 3", 123},             {"12abc", 12},    {"1.2.3", 1.2},
      {".5", 0.5},              {"1e3", 1000},              {"1.5D2", 150},   {"2e", 2},
      {"2e-1x", 0.2},           {"", 0},                    {"abc", 0},       {"-", 0},
      {".", 0},                 {"*47", 0},                 {"150928.00", 150928},
      {"123.45,M", 123.45},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Val, NumbersBeyondADoubleBecomeInfiniteOrZero) {
  EXPECT_EQ(Val("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Val("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(Val(std::string(400, '9')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Val("1e-999"), 0.0);
  EXPECT_EQ(Val("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(ToInt32, RoundsTiesToEvenAndReportsOverflow) {
  const struct {
    double value;
    std::optional<std::int32_t> expected;
  } cases[] = {
      {2.5, 2},           {3.5, 4},           {-2.5, -2},          {-3.5, -4},
      {2.4999, 2},        {0.5, 0},           {1.5, 2},            {2147483647.0, 2147483647},
      {2147483647.4, 2147483647},             {2147483647.5, std::nullopt},
      {-2147483648.0, -2147483648},           {-2147483648.5, -2147483648},
      {-2147483648.6, std::nullopt},          {1e20, std::nullopt},
      {std::numeric_limits<double>::infinity(), std::nullopt},
      {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ToInt32(c.value), c.expected) << c.value;
}

TEST(ToInt64, CoversTimesPast2038AndRefusesTheRest) {
  EXPECT_EQ(ToInt64(4102444800.0), 4102444800);
  EXPECT_EQ(ToInt64(-0.5), 0);
  EXPECT_EQ(ToInt64(9.3e18), std::nullopt);
  EXPECT_EQ(ToInt64(-9.3e18), std::nullopt);
  EXPECT_EQ(ToInt64(-9223372036854775808.0), std::numeric_limits<std::int64_t>::min());
}

}  // namespace
}  // namespace routelet
