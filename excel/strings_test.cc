#include "excel/strings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const CharsetContext kContext = {const_cast<char*>("."), -1};
const TextCoding kUtf8 = {CHARSET_UTF8, CHARSET_UCS2, &kContext};

ExcelString Decode(const std::string& bytes, uint32_t count) {
  return decodeExcelString(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), count,
                           kUtf8);
}

std::string Le16(uint16_t v) {
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string Le32(uint32_t v) {
  return Le16(static_cast<uint16_t>(v)) + Le16(static_cast<uint16_t>(v >> 16));
}

TEST(ExcelStringTest, LayoutsAndTheBytesTheyOccupy) {
  struct Case {
    const char* what;
    std::string bytes;
    uint32_t count;
    bool hasText;
    std::string text;
    uint64_t occupies;
  };
  const Case cases[] = {
      {"no option byte: first character has bits of 0xF2", "Abc", 3, true, "Abc", 3},
      {"option 0, 8-bit", std::string("\0xyz", 4), 3, true, "xyz", 4},
      {"option 1, 16-bit",
       std::string("\x01"
                   "h\0i\0",
                   5),
       2, true, "hi", 5},
      {"16-bit Greek to UTF-8", std::string("\x01\xa3\x03", 3), 1, true, "\xce\xa3", 3},
      {"rich text runs after the characters", std::string("\x08\x02\0ab", 5) + std::string(8, 'r'),
       2, true, "ab", 13},
      {"extended data after the runs", std::string("\x0c\x01\0\x03\0\0\0ab", 9) + "rrrreee", 2,
       true, "ab", 16},
      {"rich flag without room for the run count", std::string("\x08", 1), 0, false, "", 1},
      {"characters past the record: no text", std::string("\0ab", 3), 5, false, "", 6},
      {"16-bit characters past the record",
       std::string("\x01"
                   "a\0b",
                   4),
       2, false, "", 5},
      {"zero characters", std::string("\0", 1), 0, false, "", 1},
      {"nothing available", "", 7, false, "", 7},
      {"escapes", std::string("\0a<b>'c'", 8), 7, true, "a&lt;b&gt;\"c\"", 8},
      {"text ends at a 0 byte", std::string("\0ab\0cd", 6), 5, true, "ab", 6},
      {"16-bit text ends at U+0000",
       std::string("\x01"
                   "a\0\0\0b\0",
                   7),
       3, true, "a", 7},
  };
  for (const Case& c : cases) {
    ExcelString s = Decode(c.bytes, c.count);
    EXPECT_EQ(s.hasText, c.hasText) << c.what;
    EXPECT_EQ(s.text, c.text) << c.what;
    EXPECT_EQ(s.occupies, c.occupies) << c.what;
  }
}

TEST(ExcelStringTest, HugeRunAndExtendedCountsDoNotWrap) {
  std::string bytes = std::string("\x0c\xff\xff\xff\xff\xff\xff", 7) + "ab";
  ExcelString s = Decode(bytes, 2);
  EXPECT_EQ(s.occupies, 7u + 2u + 4u * 0xFFFF + 0xFFFFFFFFull);
  EXPECT_TRUE(s.hasText);
}

std::string SstBody(uint32_t unique, const std::string& strings) {
  return Le32(unique) + Le32(unique) + strings;
}

void DecodeSst(SharedStrings* sst, const std::string& body,
               const std::vector<ContinuationStart>& continuations = {}) {
  sst->decode(reinterpret_cast<const uint8_t*>(body.data()), body.size(), continuations, kUtf8);
}

TEST(SharedStringsTest, SlotsCountAndLimits) {
  SharedStrings sst;
  // The second string has characters past the body: its slot stays empty, and it
  // occupies more than remains, so reading ends before the third.
  DecodeSst(&sst, SstBody(3, Le16(2) + std::string("\0ab", 3) + Le16(9) + std::string("\0cd", 3)));
  EXPECT_EQ(sst.count(), 3u);
  ASSERT_NE(sst.at(0), nullptr);
  EXPECT_EQ(*sst.at(0), "ab");
  EXPECT_EQ(sst.at(1), nullptr);
  EXPECT_EQ(sst.at(2), nullptr);
  EXPECT_EQ(sst.at(3), nullptr);

  // Unique counts of 0 and above 999999 keep nothing; 999999 is accepted.
  DecodeSst(&sst, SstBody(1000000, std::string(1000000, '\0')));
  EXPECT_EQ(sst.count(), 0u);
  DecodeSst(&sst, SstBody(0, Le16(1) + "\0a"));
  EXPECT_EQ(sst.count(), 0u);
  std::string many;
  for (int i = 0; i < 999999; ++i)
    many += Le16(1) + std::string("\0", 1) + static_cast<char>('a' + i % 26);
  DecodeSst(&sst, SstBody(999999, many));
  EXPECT_EQ(sst.count(), 999999u);
  ASSERT_NE(sst.at(999998), nullptr);
  EXPECT_EQ(*sst.at(999998), std::string(1, static_cast<char>('a' + 999998 % 26)));

  // A body shorter than the unique count + 4 leaves every slot empty.
  DecodeSst(&sst, SstBody(20, Le16(1) + std::string("\0a", 2)));
  EXPECT_EQ(sst.count(), 20u);
  EXPECT_EQ(sst.at(0), nullptr);
}

TEST(SharedStringsTest, StopsAtAStringThatOccupiesNothing) {
  SharedStrings sst;
  // Count 0 without an option byte (first byte has bits of 0xF2) occupies 0 bytes.
  DecodeSst(&sst, SstBody(3, Le16(1) + std::string("\0a", 2) + Le16(0) + "zzzz" + Le16(1) +
                                 std::string("\0b", 2)));
  ASSERT_NE(sst.at(0), nullptr);
  EXPECT_EQ(sst.at(2), nullptr);
  std::vector<std::string> seen;
  sst.forEachText([&seen](const std::string& t) { seen.push_back(t); });
  EXPECT_EQ(seen, std::vector<std::string>{"a"});
}

TEST(SharedStringsTest, WideStringsSplitByContinuations) {
  // Bodies as merged: a 16-bit string whose characters run into a continuation
  // that starts with option byte 1 (kept by the merge) or 0 (dropped by it).
  SharedStrings sst;
  std::string wide = SstBody(2, Le16(3) +
                                    std::string("\x01"
                                                "a\0",
                                                3) +
                                    std::string("\x01"
                                                "b\0c\0",
                                                5) +
                                    Le16(1) + std::string("\0z", 2));
  DecodeSst(&sst, wide, {{13, false}});
  ASSERT_NE(sst.at(0), nullptr);
  EXPECT_EQ(*sst.at(0), "abc");
  ASSERT_NE(sst.at(1), nullptr);
  EXPECT_EQ(*sst.at(1), "z");

  std::string narrowed =
      SstBody(2, Le16(3) + std::string("\x01\xa3\x03", 3) + "bc" + Le16(1) + std::string("\0z", 2));
  DecodeSst(&sst, narrowed, {{13, true}});
  ASSERT_NE(sst.at(0), nullptr);
  EXPECT_EQ(*sst.at(0),
            "\xce\xa3"
            "bc");
  ASSERT_NE(sst.at(1), nullptr);
  EXPECT_EQ(*sst.at(1), "z");

  // An 8-bit string switches to 16-bit at an option byte 1; any other kept
  // byte is one of its characters.
  std::string narrow = SstBody(1, Le16(3) + std::string("\0a", 2) +
                                      std::string("\x01\xe9\x00" "b\0", 5));
  DecodeSst(&sst, narrow, {{12, false}});
  ASSERT_NE(sst.at(0), nullptr);
  EXPECT_EQ(*sst.at(0), "a\xc3\xa9" "b");
  std::string kept = SstBody(1, Le16(3) + std::string("\0a", 2) + "\x02" "b");
  DecodeSst(&sst, kept, {{12, false}});
  ASSERT_NE(sst.at(0), nullptr);
  EXPECT_EQ(*sst.at(0), "a\x02" "b");

  // Characters that run out of the body give no text, wherever the split lies.
  std::string cut = SstBody(1, Le16(4) +
                                   std::string("\x01"
                                               "a\0",
                                               3) +
                                   std::string("\x01"
                                               "b\0",
                                               3));
  DecodeSst(&sst, cut, {{13, false}});
  EXPECT_EQ(sst.at(0), nullptr);
}

}  // namespace
