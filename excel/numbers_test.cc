#include "excel/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

uint32_t IntegerRk(int32_t v) { return (static_cast<uint32_t>(v) << 2) | 2u; }
uint32_t DoubleRk(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return static_cast<uint32_t>(bits >> 32) & 0xFFFFFFFCu;
}

TEST(RkTest, EncodingsAndTheirTexts) {
  struct Case {
    uint32_t rk;
    double value;
    const char* text;
  };
  const Case cases[] = {
      {IntegerRk(-5), -5, " -5 "},
      {IntegerRk(12345) | 1u, 123.45, " 123.450000 "},
      {IntegerRk(536870911), 536870911, " 536870911 "},
      {IntegerRk(-536870912), -536870912, " -536870912 "},
      {IntegerRk(-1) | 1u, -0.01, " -0.010000 "},
      {IntegerRk(1000) | 1u, 10, " 10 "},
      {DoubleRk(0.5), 0.5, " 0.500000 "},
      {DoubleRk(4294967296.0), 4294967296.0, " 4294967296 "},
      {DoubleRk(123.0) | 1u, 1.23, " 1.230000 "},
      {0, 0, " 0 "},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(rkNumber(c.rk), c.value) << c.rk;
    EXPECT_EQ(rkNumberText(rkNumber(c.rk)), c.text) << c.rk;
  }
}

TEST(NumberTextTest, MulRkAndCellForms) {
  EXPECT_EQ(mulrkNumberText(2.5), " 2.500000 </td>");
  EXPECT_EQ(mulrkNumberText(3), " 3 ");
  EXPECT_EQ(cellNumberText(3.14159265358979), "3.14159   ");
  EXPECT_EQ(cellNumberText(12345678901.0), "1.23457e+10   ");
  EXPECT_EQ(cellNumberText(-1.5), "-1.5   ");
  // The largest double fits, whole, in the %.0f form.
  std::string big = rkNumberText(1.7976931348623157e308);
  EXPECT_EQ(big.size(), 311u);
  EXPECT_EQ(big.front(), ' ');
  EXPECT_EQ(big.back(), ' ');
}

TEST(NumberTextTest, SameCharactersAsPrintf) {
  // Values of every magnitude and rounding case, from bit patterns.
  uint64_t state = 0x9E3779B97F4A7C15ull;
  std::vector<double> values = {
      0.0,       -0.0,      0.5,       1.5,         2.5,   -2.5,
      0.0000005, 0.0000015, 1e-7,      123456.5,    1e15,  1e16,
      1e-4,      9.9999999999999991e-05, 999999.5, 0.099999996, 99999.95, 5e-5,
      1e21,      9.999995,  99999.95,  999999.5,    1e300, -1.7976931348623157e308,
      4.9e-324,  HUGE_VAL,  -HUGE_VAL, std::nan("")};
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    double v;
    std::memcpy(&v, &state, sizeof v);
    values.push_back(v);
    values.push_back(static_cast<double>(static_cast<int64_t>(state >> 20)) / 1000.0);
    // Below 2^20, where six decimals are worked out without the exact formatter:
    // hundredths, and binary fractions that end in a tie at the sixth decimal.
    values.push_back(static_cast<double>(static_cast<int32_t>(state >> 32)) / 100.0 / 64.0);
    values.push_back(static_cast<double>(static_cast<int32_t>(state >> 32)) / 268435456.0);
    values.push_back(std::ldexp(static_cast<double>(state >> 11), -70 + static_cast<int>(state % 40)));
  }
  char expected[400];
  for (double v : values) {
    bool whole = std::floor(v) == v;
    std::snprintf(expected, sizeof expected, whole ? " %.0f " : " %f ", v);
    EXPECT_EQ(rkNumberText(v), expected);
    std::snprintf(expected, sizeof expected, whole ? " %.0f " : " %f </td>", v);
    EXPECT_EQ(mulrkNumberText(v), expected);
    std::snprintf(expected, sizeof expected, "%g   ", v);
    EXPECT_EQ(cellNumberText(v), expected);
  }
}

class DateTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    if (tz != nullptr) saved_ = tz, hadTz_ = true;
    setTimeZone("UTC");
  }
  void TearDown() override {
    setTimeZone(hadTz_ ? saved_.c_str() : nullptr);
  }
  std::string saved_;
  bool hadTz_ = false;
};

TEST_F(DateTextTest, AroundTheOffset) {
  struct Case {
    double day;
    bool written;
    const char* text;
  };
  const Case cases[] = {
      {25569, true, " 01-01-70 "},
      {25550, false, ""},
      {25549, false, ""},
      {25551, true, " 14-12-69 "},
      {44259, true, " 04-03-21 "},
      {44259.99, true, " 04-03-21 "},
      {25550.5, true, " 13-12-69 "},
      {-1, false, ""},
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_EQ(dateText(c.day, &text), c.written) << c.day;
    if (c.written) {
      EXPECT_EQ(text, c.text) << c.day;
    }
  }
  // Days no clock can show still give a text, never an out-of-range conversion.
  std::string text;
  EXPECT_TRUE(dateText(1e300, &text));
  EXPECT_TRUE(dateText(HUGE_VAL, &text));
  EXPECT_FALSE(dateText(std::nan(""), &text));
}

TEST(FormatTest, DateTexts) {
  struct Case {
    const char* text;
    bool date;
  };
  const Case cases[] = {
      {"mm/dd/yy", true},    {"mm/dd/yyyy", true}, {"dd\\-mmm\\-yy", true},
      {"mmmm\\-yy;@", true}, {"mm/dd/y", false},   {"MM/DD/YY", false},
      {"d/m/yyyy", false},   {"0.00", false},      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatTextIsDate(c.text, std::strlen(c.text)), c.date) << c.text;
  }
  EXPECT_FALSE(formatTextIsDate("mm/dd/yy", 7));
  for (uint32_t index : {14u, 15u, 16u, 17u}) EXPECT_TRUE(isBuiltInDateFormat(index));
  for (uint32_t index : {0u, 13u, 18u, 22u, 164u}) EXPECT_FALSE(isBuiltInDateFormat(index));
}

}  // namespace
