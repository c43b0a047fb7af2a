#include "util/strings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "util/memory.h"

namespace {

std::string replaced(const std::string& input, const char* pattern, const char* replacement) {
  int length = static_cast<int>(input.size());
  char* buffer = static_cast<char*>(std::malloc(input.size() + 1));
  std::memcpy(buffer, input.data(), input.size() + 1);
  replaceAll(&buffer, &length, pattern, replacement);
  std::string result(buffer, static_cast<size_t>(length));
  EXPECT_EQ(buffer[length], '\0');
  std::free(buffer);
  return result;
}

TEST(ReplaceAll, ReplacesEveryOccurrence) {
  struct Case {
    const char* input;
    const char* pattern;
    const char* replacement;
    const char* expected;
  };
  const Case cases[] = {
      {"a<b<", "<", "&lt;", "a&lt;b&lt;"},
      {"<<<<<<<<", "<", "&lt;", "&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;"},  // grows several times
      {"abcabc", "abc", "x", "xx"},
      {"aaa", "aa", "b", "ba"},
      {"plain", "<", "&lt;", "plain"},
      {"x", "xyz", "q", "x"},
      {"\"quoted'", "'", "\"", "\"quoted\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(replaced(c.input, c.pattern, c.replacement), c.expected) << c.input;
  }
}

TEST(ReplaceAll, CountedBufferMayHoldZeroBytes) {
  std::string input("a\0<", 3);
  EXPECT_EQ(replaced(input, "<", "[]"), std::string("a\0[]", 4));
}

TEST(ReplaceAll, PreconditionsLeaveBufferAlone) {
  char* buffer = dupString("a<b");
  char* original = buffer;
  int length = 3;
  replaceAll(&buffer, &length, "", "x");
  replaceAll(&buffer, &length, "<", "");
  replaceAll(&buffer, &length, nullptr, "x");
  replaceAll(&buffer, &length, "<", nullptr);
  replaceAll(&buffer, nullptr, "<", "x");
  int zero = 0;
  replaceAll(&buffer, &zero, "<", "x");
  EXPECT_EQ(buffer, original);
  EXPECT_EQ(length, 3);
  buffer[0] = '\0';  // a buffer that begins with a 0 is left alone, whatever follows
  replaceAll(&buffer, &length, "<", "x");
  EXPECT_EQ(buffer, original);
  EXPECT_EQ(std::memcmp(buffer, "\0<b", 3), 0);
  std::free(buffer);
  replaceAll(nullptr, &length, "<", "x");
}

TEST(Strings, FindBytes) {
  const char data[] = "abcabd";
  EXPECT_EQ(findBytes(data, 6, "abd", 3), data + 3);
  EXPECT_EQ(findBytes(data, 6, "", 0), data);
  EXPECT_EQ(findBytes(data, 5, "abd", 3), nullptr);  // the match would end past the range
  EXPECT_EQ(findBytes(data, 2, "abc", 3), nullptr);
}

TEST(Strings, FindEarlier) {
  const char* text = "one<two>";
  EXPECT_EQ(findEarlier(text, "<", ">"), text + 3);
  EXPECT_EQ(findEarlier(text, ">", "<"), text + 3);
  EXPECT_EQ(findEarlier(text, "z", ">"), text + 7);
  EXPECT_EQ(findEarlier(text, "z", "y"), nullptr);
}

TEST(Strings, Copies) {
  char* text = dupBytes(nullptr, 0);
  EXPECT_STREQ(text, "");
  std::free(text);
  EXPECT_EQ(dupBytes(nullptr, 3), nullptr);
  EXPECT_EQ(dupBytes("abc", -1), nullptr);
  text = dupBytes("a\0c", 3);
  EXPECT_EQ(std::memcmp(text, "a\0c\0", 4), 0);
  std::free(text);
  text = dupStringMax("abcdef", 3);
  EXPECT_STREQ(text, "abc");
  std::free(text);
  text = dupStringMax("ab", 10);
  EXPECT_STREQ(text, "ab");
  std::free(text);
  text = dupStringMax("ab", 0);
  EXPECT_STREQ(text, "");
  std::free(text);
  EXPECT_EQ(dupStringMax("ab", -1), nullptr);
  EXPECT_EQ(dupStringMax(nullptr, 3), nullptr);
  EXPECT_EQ(dupString(nullptr), nullptr);
}

TEST(Strings, StringTail) {
  char* tail = stringTail("report.doc", 4);
  EXPECT_STREQ(tail, ".doc");
  std::free(tail);
  tail = stringTail("ab", 4);
  EXPECT_STREQ(tail, "ab");
  std::free(tail);
  EXPECT_EQ(stringTail("abc", 0), nullptr);
  EXPECT_EQ(stringTail("abc", -2), nullptr);
  EXPECT_EQ(stringTail("", 4), nullptr);
  EXPECT_EQ(stringTail(nullptr, 4), nullptr);
}

TEST(Strings, CaseAndBlanks) {
  char text[] = "  Mixed Case\t\r\n";
  EXPECT_STREQ(upperAscii(trimBlanks(text)), "MIXED CASE");
  char accented[] = "\xe9t\xe9";
  EXPECT_STREQ(upperAscii(accented), "\xe9T\xe9");  // only a to z change
  EXPECT_TRUE(equalsIgnoreCase("WorkBook", "workbook"));
  EXPECT_FALSE(equalsIgnoreCase("Book", "Books"));
  EXPECT_FALSE(equalsIgnoreCase(nullptr, ""));
}

TEST(Strings, ReplaceCharAndByte) {
  char text[] = "a'b'c";
  EXPECT_STREQ(replaceChar(text, '\'', '"'), "a\"b\"c");
  unsigned char bytes[] = {0, 1, 0, 2};
  replaceByte(bytes, 4, 0, ' ');
  EXPECT_EQ(bytes[0], ' ');
  EXPECT_EQ(bytes[2], ' ');
  EXPECT_EQ(bytes[3], 2);
}

}  // namespace
