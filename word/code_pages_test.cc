#include "word/code_pages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

TEST(Word6Coding, FontOfCharacterProperties) {
  // Property lists as Word 6 and 95 write them, the font (93) after properties of
  // one, two and variable size; a list without a font; a property of unknown size
  // ends the walk; a font whose operand is cut.
  const struct {
    const char* grpprl;
    int32_t font;
  } cases[] = {
      {"5a005b006201632c00600000560055005d0300", 3},
      {"55815d0300610908631800", 3},
      {"7501440404e707005581568162015d0200", 2},
      {"558156816201", -1},
      {"54005d0100", -1},
      {"5d01", -1},
  };
  for (const auto& c : cases) {
    std::string bytes = Hex(c.grpprl);
    EXPECT_EQ(word6FontOf(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()),
              c.font)
        << c.grpprl;
  }
}

TEST(Word6Coding, SetOfEachOffset) {
  NarrowCoding coding;
  coding.fallback = CHARSET_CYRILLIC;
  coding.runs = {{10, 20, CHARSET_GREEK}, {20, 30, CHARSET_ASCII}, {40, 50, CHARSET_TURKISH}};
  const struct {
    uint64_t offset;
    CharsetId charset;
    uint64_t end;
  } cases[] = {
      {0, CHARSET_CYRILLIC, 10}, {10, CHARSET_GREEK, 20},  {29, CHARSET_ASCII, 30},
      {30, CHARSET_CYRILLIC, 40}, {49, CHARSET_TURKISH, 50}, {50, CHARSET_CYRILLIC, UINT64_MAX},
  };
  for (const auto& c : cases) {
    uint64_t end = 0;
    EXPECT_EQ(coding.at(c.offset, &end), c.charset) << c.offset;
    EXPECT_EQ(end, c.end) << c.offset;
  }
  EXPECT_EQ(CodePageOfFontCharset(204), 1251u);
  EXPECT_EQ(CodePageOfFontCharset(2), 0u);  // symbol: says nothing about the bytes
}

}  // namespace
