#include "charset/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kShippedTables[] = LUMEN_SOURCE_DIR "/tables";

TEST(CodePageTest, NumbersToCharacterSets) {
  const struct {
    uint32_t codePage;
    CharsetId charset;
  } cases[] = {
      {1200, CHARSET_UCS2},     {28591, CHARSET_UCS2},       {1252, CHARSET_ASCII},
      {32769, CHARSET_ASCII},   {1251, CHARSET_CYRILLIC},    {20866, CHARSET_CYRILLIC_KOI8},
      {28597, CHARSET_GREEK_ISO}, {932, CHARSET_SHIFTJIS},   {28605, CHARSET_LATIN9},
      {437, -1},                {10000, CHARSET_MAC_ROMAN},  {0, -1},
      {65001, CHARSET_UTF8},
  };
  for (const auto& c : cases) EXPECT_EQ(CharsetForCodePage(c.codePage), c.charset) << c.codePage;
}

class CodePageDecodeTest : public ::testing::Test {
 protected:
  void SetUp() override { UnloadCharsetTables(); }
  void TearDown() override { UnloadCharsetTables(); }
};

TEST_F(CodePageDecodeTest, DecodesThroughTheTables) {
  const struct {
    const char* what;
    CharsetId source;
    std::string bytes;
    int status;
    std::u16string units;
  } cases[] = {
      {"low bytes of UTF-16 units", CHARSET_UCS2, "a\x80\xff", 0, u"a\u0080\u00ff"},
      {"windows-1252", CHARSET_ASCII, "\x80\xe9", 0, u"\u20ac\u00e9"},
      {"windows-1251", CHARSET_CYRILLIC, "\xcc\xee", 0, u"\u041c\u043e"},
      {"unmapped byte dropped", CHARSET_CYRILLIC, std::string("a\x98z", 3), 0, u"az"},
      {"Shift_JIS pairs and single bytes", CHARSET_SHIFTJIS, "\x93\xfa" "a\xb1", 0,
       u"\u65e5a\uff71"},
      {"lead byte at the end dropped", CHARSET_SHIFTJIS, "a\x93", 0, u"a"},
      {"UTF-8", CHARSET_UTF8, "a\xc3\xa9\xe2\x80\x94", 0, u"a\u00e9\u2014"},
      {"Mac Roman", CHARSET_MAC_ROMAN, "\x8a\xd0", 0, u"\u00e4\u2013"},
      {"no table kind", CHARSET_JIS, "a", -4, u""},
  };
  for (const auto& c : cases) {
    std::string units;
    EXPECT_EQ(DecodeToUcs2(c.source, reinterpret_cast<const uint8_t*>(c.bytes.data()),
                           c.bytes.size(), kShippedTables, &units),
              c.status)
        << c.what;
    std::string expected;
    for (char16_t u : c.units) {
      expected += static_cast<char>(u & 0xFF);
      expected += static_cast<char>(u >> 8);
    }
    EXPECT_EQ(units, expected) << c.what;
  }
  std::string units;
  EXPECT_EQ(DecodeToUcs2(CHARSET_GREEK, reinterpret_cast<const uint8_t*>("a"), 1,
                         "/nonexistent-tables", &units),
            -3);
}

TEST_F(CodePageDecodeTest, NarrowTextsConvertedToTheOutputSet) {
  const struct {
    const char* what;
    CharsetId narrow;
    CharsetId output;
    std::string bytes;
    std::string expected;
  } cases[] = {
      {"windows-1252 to ASCII keeps its bytes", CHARSET_ASCII, CHARSET_ASCII, "\x93\xe9\x81",
       "\x93\xe9\x81"},
      {"Latin-1 to ASCII: C1 controls converted", CHARSET_UCS2, CHARSET_ASCII, "\xf3\x85",
       "\xf3&#133;"},
      {"Latin-1 to UCS2 is widened", CHARSET_UCS2, CHARSET_UCS2, "\xfc", std::string("\xfc\0", 2)},
      {"windows-1251 to UTF8", CHARSET_CYRILLIC, CHARSET_UTF8, "\xcc", "\xd0\x9c"},
      {"UTF-8 to UTF8 is encoded again", CHARSET_UTF8, CHARSET_UTF8, "a\xe9", "a\xc3\xa9"},
  };
  CharsetContext context = {const_cast<char*>(kShippedTables), -1};
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(ConvertNarrowText(c.narrow, c.output, reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                c.bytes.size(), &context, &out),
              CHARSET_OK)
        << c.what;
    EXPECT_EQ(out, c.expected) << c.what;
  }
}

}  // namespace
