#include "util/date_template.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

#include "tests/test_support.h"

namespace {

// The tests run with a fixed time zone so that local time is predictable.
class DateTemplate : public ::testing::Test {
 protected:
  void SetUp() override {
    setTimeZone("UTC");
  }
  static std::string format(const char* templateText, long long seconds) {
    char* result = nullptr;
    FormatDateTemplate(templateText, seconds, &result);
    std::string text = result != nullptr ? result : "<none>";
    std::free(result);
    return text;
  }
};

constexpr long long kMarch7th2005 = 1110204309;  // 2005-03-07 14:05:09 UTC, a Monday

TEST_F(DateTemplate, Tokens) {
  struct Case {
    const char* templateText;
    const char* expected;
  };
  const Case cases[] = {
      {"DD-MM-YY", "07-03-05"},
      {"DD SHORTMONTH YY HH.NN.SS", "07 Mar 05 14.05.09"},
      {"D+/M+/YYYY H+:N+:S+", "07/03/2005 14:05:09"},
      {"SHORTDAY, DD MONTH YYYY", "Mon, 07 March 2005"},
      {"DAY..........", "Monday.........."},
      {"YYYYY", "2005Y"},
      {"dd-mm", "dd-mm"},  // tokens are upper case
      {"%j", "066"},       // reaches strftime as is
  };
  for (const Case& c : cases) EXPECT_EQ(format(c.templateText, kMarch7th2005), c.expected);
}

TEST_F(DateTemplate, EpochSecondsInAnyCase) {
  EXPECT_EQ(format("epochseconds", kMarch7th2005), "1110204309");
  EXPECT_EQ(format("EPOCHSECONDS", -5), "-5");
}

TEST_F(DateTemplate, ResultThatDoesNotFitIsEmpty) {
  EXPECT_EQ(format("DAY", kMarch7th2005), "");  // "Monday" needs 7 bytes of 6
  EXPECT_EQ(format("", kMarch7th2005), "");
  // A year past what the record holds: no date at all, on every platform.
  EXPECT_EQ(format("DD-MM-YY", LLONG_MAX), "");
}

TEST_F(DateTemplate, LocalTimeFollowsTimeZone) {
  setTimeZone("EST5");
  EXPECT_EQ(format("DD-MM-YY HH", kMarch7th2005), "07-03-05 09");
  std::tm broken;
  localTimeSafe(0, &broken);
  EXPECT_EQ(broken.tm_year, 69);
  EXPECT_EQ(broken.tm_hour, 19);
}

}  // namespace
