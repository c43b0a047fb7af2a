#include "util/bounded_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string format(const char* fmt, ...) {
  char out[256];
  va_list args;
  va_start(args, fmt);
  int n = boundedFormat(out, sizeof out, fmt, args);
  va_end(args);
  EXPECT_EQ(n, static_cast<int>(std::string(out).size())) << fmt;
  return out;
}

TEST(BoundedFormat, IntegerConversions) {
  EXPECT_EQ(format("%d|%i|%u", -7, 42, 3000000000u), "-7|42|3000000000");
  EXPECT_EQ(format("%05d", -42), "-0042");
  EXPECT_EQ(format("%5d|%-5d|", 42, 42), "   42|42   |");
  EXPECT_EQ(format("%+ d", 5), "+5");
  EXPECT_EQ(format("% d|% d", 5, -5), " 5|-5");
  EXPECT_EQ(format("%+d|%+u", 5, 5u), "+5|5");
  EXPECT_EQ(format("%.0d", 0), "");
  EXPECT_EQ(format("%.3d|%.3d", 7, -7), "007|-007");
  EXPECT_EQ(format("%08.3d", 7), "     007");  // a precision turns the 0 flag off
  EXPECT_EQ(format("%x|%X|%o", 255, 255, 8), "ff|FF|10");
  EXPECT_EQ(format("%#x|%#X|%#x", 255, 255, 0), "0xff|0XFF|0");
  EXPECT_EQ(format("%#o|%#o|%#.0o", 8, 0, 0), "010|0|0");
  EXPECT_EQ(format("%#08x", 255), "0x0000ff");
  EXPECT_EQ(format("%ld|%lld|%D", 123456L, 654321L, 99L), "123456|654321|99");
  EXPECT_EQ(format("%U|%O", 10L, 8L), "10|10");
  EXPECT_EQ(format("%hd|%hu", 70000, 70000), "4464|4464");
  EXPECT_EQ(format("%d", -2147483647 - 1), "-2147483648");
  EXPECT_EQ(format("%'d", 1234567), "1234567");
}

TEST(BoundedFormat, WidthAndPrecisionFromArguments) {
  EXPECT_EQ(format("%*d|", 4, 7), "   7|");
  EXPECT_EQ(format("%*d|", -4, 7), "7   |");
  EXPECT_EQ(format("%.*d", 3, 7), "007");
  EXPECT_EQ(format("%.*d", -1, 7), "7");
  EXPECT_EQ(format("%.*s", 2, "abcdef"), "ab");
}

TEST(BoundedFormat, TextAndCharacters) {
  EXPECT_EQ(format("%-4s|", "ab"), "ab  |");
  EXPECT_EQ(format("%4s|", "ab"), "  ab|");
  EXPECT_EQ(format("%04s|%03c", "ab", 'x'), "00ab|00x");
  EXPECT_EQ(format("%.3s", "ab"), "ab");
  EXPECT_EQ(format("[%s]", static_cast<const char*>(nullptr)), "[]");
  EXPECT_EQ(format("%c%c", 'o', 'k'), "ok");
  EXPECT_EQ(format("100%%"), "100%");
}

TEST(BoundedFormat, NoFloatingPointConversions) {
  // The letter is written, no argument is taken: the 7 goes to %d.
  EXPECT_EQ(format("%5.2f %d", 7), "f 7");
  EXPECT_EQ(format("%e%g%q", 1), "egq");
  EXPECT_EQ(format("end%"), "end");
}

TEST(BoundedFormat, TruncationKeepsTerminatorAndReportsFullLength) {
  char out[8];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(boundedPrint(out, 1, "hello"), 5);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(out[1], 'x');
  EXPECT_EQ(boundedPrint(out, 0, "hello"), -1);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(boundedPrint(out, 4, "%s-%d", "abc", 12345), 9);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(boundedPrint(out, 8, "%s", "1234567"), 7);
  EXPECT_STREQ(out, "1234567");
  EXPECT_EQ(boundedPrint(out, 8, nullptr), 0);
  EXPECT_STREQ(out, "");
}

}  // namespace
