#include "charset/convert.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "charset/charset.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const char kShippedTables[] = LUMEN_SOURCE_DIR "/tables";

// UCS-2 little-endian bytes of code units.
std::string Ucs(std::initializer_list<uint16_t> units) {
  std::string bytes;
  for (uint16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

struct Converted {
  int status;
  bool buffer;
  std::string text;
};

Converted Conv(CharsetId source, CharsetId target, const std::string& input,
              const char* directory = kShippedTables, int32_t hint = -1) {
  std::string dir(directory);
  CharsetContext context = {dir.data(), hint};
  char* output = nullptr;
  int32_t length = -1;
  int status = ConvertCharset(source, target, input.data(), static_cast<int32_t>(input.size()),
                              &output, &length, &context);
  Converted result = {status, output != nullptr, ""};
  if (output != nullptr) {
    result.text.assign(output, length);
    EXPECT_EQ(output[length], '\0');
    std::free(output);
  } else {
    EXPECT_EQ(length, 0);
  }
  return result;
}

class ConvertTest : public ::testing::Test {
 protected:
  void SetUp() override { UnloadCharsetTables(); }
  void TearDown() override { UnloadCharsetTables(); }
};

TEST_F(ConvertTest, RoutesOnShortTexts) {
  const CharsetId kUcs2 = CHARSET_UCS2, kUtf8 = CHARSET_UTF8;
  const CharsetId kBig5 = CHARSET_CHINESETRADITIONAL, kGb = CHARSET_CHINESESIMPLIFIED;
  struct Case {
    CharsetId source, target;
    std::string input, expected;
  } cases[] = {
      // B: reverse table; references for ASCII only.
      {kUcs2, CHARSET_ASCII, Ucs({'A', 0x20AC, 0x4E00}), "A\x80&#19968;"},
      {kUcs2, CHARSET_ASCII, Ucs({0xFFFF, 0x100, '<'}), "&#65535;&#256;<"},
      {kUcs2, CHARSET_ASCII, Ucs({10000, 1000, 10010}), "&#10000;&#1000;&#10010;"},
      {kUcs2, CHARSET_WESTERNEUROPEAN, Ucs({'A', 0x20AC, 0x4E00}), "A\x80"},
      {kUcs2, CHARSET_GREEK, Ucs({0x3B1, 0x386, 0}), "\xe1\xa2"},
      {kUcs2, CHARSET_GREEK_ISO, Ucs({0x3B1, 0x386, 0x2026}), "\xe1\xb6"},
      {kUcs2, CHARSET_CYRILLIC_KOI8, Ucs({0x410}), "\xe1"},
      {kUcs2, CHARSET_ASCII, std::string("A\0B", 3), "AB"},  // odd length
      // C: forward table; references of the entity set decoded.
      {CHARSET_GREEK, kUcs2, "\xe1\xa2", Ucs({0x3B1, 0x386})},
      {CHARSET_ASCII, kUcs2, "a&#19968;b&#x4e00;", Ucs({'a', 0x4E00, 'b', 0x4E00})},
      {CHARSET_ASCII, kUcs2, "&#65;", Ucs({'&', '#', '6', '5', ';'})},  // not in the set
      {CHARSET_ASCII, kUcs2, "&#X4e00;", Ucs({'&', '#', 'X', '4', 'e', '0', '0', ';'})},
      {CHARSET_ASCII, kUcs2, "&#19968 x;", Ucs({0x4E00})},  // up to the first ";"
      {CHARSET_ASCII, kUcs2, "&#", Ucs({'&', '#'})},
      {CHARSET_ASCII, kUcs2, "&#x", Ucs({'&', '#', 'x'})},
      {CHARSET_ASCII, kUcs2, "&#99999999;", Ucs({'&', '#', '9', '9', '9', '9', '9', '9', '9',
                                                  '9', ';'})},
      {CHARSET_ASCII, kUcs2, std::string("a\0b", 3), Ucs({'a', 'b'})},
      {CHARSET_ASCII, kUcs2, "\x80\x81", Ucs({0x20AC, 0x81})},
      // D: UCS-2 to UTF-8.
      {kUcs2, kUtf8, "\xff\xfe" "A\0", "A"},
      {kUcs2, kUtf8, Ucs({0xE9, 0x20AC, 0x7FF, 0x800}), "\xc3\xa9\xe2\x82\xac\xdf\xbf\xe0\xa0\x80"},
      {kUcs2, kUtf8, Ucs({0xD83D, 0xDE00}), "\xf0\x9f\x98\x80"},
      {kUcs2, kUtf8, Ucs({0xDBFF, 0xDFFF}), "\xf4\x8f\xbf\xbf"},
      {kUcs2, kUtf8, Ucs({0xD83D, 'A'}), "\xed\xa0\xbd" "A"},       // lone high surrogate
      {kUcs2, kUtf8, Ucs({0xDE00, 0xD83D}), "\xed\xb8\x80\xed\xa0\xbd"},
      {kUcs2, kUtf8, "A", "A"},                                      // odd length
      // E: UTF-8 to UCS-2.
      {kUtf8, kUcs2, "A\xc3\xa9\xe2\x82\xac", Ucs({'A', 0xE9, 0x20AC})},
      {kUtf8, kUcs2, "\xf0\x9f\x98\x80", Ucs({0xD83D, 0xDE00})},
      {kUtf8, kUcs2, "\x80z", Ucs({0x80, 'z'})},                      // stray continuation
      {kUtf8, kUcs2, "z\xe2\x82", Ucs({'z', 0xE2, 0x82})},            // cut short
      {kUtf8, kUcs2, "\xf0\x9f\x98", Ucs({0x07D8})},  // three bytes left: read as three
      // A: UTF-8 to single-byte.
      {kUtf8, CHARSET_GREEK, "abc", "abc"},
      {kUtf8, CHARSET_GREEK, "a\xce\xb1", "a\xe1"},
      {kUtf8, CHARSET_ASCII, "x\xe4\xb8\x80", "x&#19968;"},
      // F: UCS-2 to double-byte.
      {kUcs2, CHARSET_CHINESESIMPLIFIED, Ucs({0x554A, 'A', 0x3042}), "\xb0\xa1" "A\xa4\xa2"},
      {kUcs2, CHARSET_CHINESETRADITIONAL, Ucs({0x4E00, 0x4EEC, 0xE9}), "\xa4\x40\xad\xcc"},
      {kUcs2, CHARSET_KOREAN, Ucs({0xAC00, 'k'}), "\xb0\xa1k"},
      {kUcs2, CHARSET_SHIFTJIS, Ucs({0x3042, 0xFF71, 0x30FB, 0x4E02}), "\x82\xa0\xb1\x81\x45"},
      // G: through Shift_JIS to JIS and EUC.
      {kUcs2, CHARSET_JIS, Ucs({0x3042, 'a'}), "\x1b$B$\"\x1b(Ba"},
      {kUcs2, CHARSET_EUC, Ucs({0x3042, 0xFF71}), "\xa4\xa2\x8e\xb1"},
      {kUcs2, CHARSET_EUC, Ucs({0xE000, 'a'}), "a"},  // user-defined F0 40: no EUC form
      {kUcs2, CHARSET_JIS, Ucs({0xE000, 0x3042}), "\x1b$B$\"\x1b(B"},
      {kUcs2, CHARSET_EUC, Ucs({0xFF02}), "\xfc\xfe"},  // NEC-selected IBM extension EE FC
      // H: double-byte to UCS-2, numeric references of any value.
      {CHARSET_SHIFTJIS, kUcs2, "\x82\xa0\xb1", Ucs({0x3042, 0xFF71})},
      {CHARSET_SHIFTJIS, kUcs2, "&#x4E00;&#19968;&#65;", Ucs({0x4E00, 0x4E00, 'A'})},
      {CHARSET_SHIFTJIS, kUcs2, "&#0;", Ucs({'&', '#', '0', ';'})},
      {CHARSET_SHIFTJIS, kUcs2, "&#123456;", Ucs({'&', '#', '1', '2', '3', '4', '5', '6', ';'})},
      {CHARSET_SHIFTJIS, kUcs2, "&#x12345;", Ucs({'&', '#', 'x', '1', '2', '3', '4', '5', ';'})},
      {CHARSET_SHIFTJIS, kUcs2, "&#99999;", Ucs({99999 & 0xFFFF})},
      {CHARSET_SHIFTJIS, kUcs2, "a\x82", Ucs({'a'})},               // lead byte at the end
      {CHARSET_SHIFTJIS, kUcs2, std::string("\0", 1), Ucs({0})},
      {CHARSET_CHINESETRADITIONAL, kUcs2, "\xa4\x40\xa4\x80z", Ucs({0x4E00, 'z'})},
      {CHARSET_KOREAN, kUcs2, "\xb0\xa1", Ucs({0xAC00})},
      // I: JIS and EUC to UCS-2.
      {CHARSET_JIS, kUcs2, "\x1b$B$\"\x1b(Ba", Ucs({0x3042, 'a'})},
      {CHARSET_EUC, kUcs2, "\xa4\xa2\x8e\xb1", Ucs({0x3042, 0xFF71})},
      // J: among the Japanese codes.
      {CHARSET_SHIFTJIS, CHARSET_EUC, "\x82\xa0", "\xa4\xa2"},
      {CHARSET_EUC, CHARSET_JIS, "\xa4\xa2", "\x1b$B$\"\x1b(B"},
      {CHARSET_JIS, CHARSET_SHIFTJIS, "\x1b$B$\"\x1b(B", "\x82\xa0"},
      {CHARSET_SHIFTJIS, CHARSET_SHIFTJIS, "\x82\xa0", "\x82\xa0"},
      // K: Big5 to GB2312, a blank appended.
      {kBig5, kGb, "\xa4\x40\xad\xcc", "\xd2\xbb\xc3\xc7 "},
      {kBig5, kGb, "abc", "abc "},
      {kBig5, kGb, "\x81\x40z\xa4", "?z?"},  // the last lead byte takes the blank
      {kBig5, kGb, std::string("a\0\xa4\x40", 4), "a "},
      // L: through UCS-2.
      {CHARSET_GREEK, CHARSET_GREEK_ISO, "\xa2\xe1", "\xb6\xe1"},
      {CHARSET_CHINESESIMPLIFIED, CHARSET_CHINESETRADITIONAL, "\xc3\xc7", "\xad\xcc"},
      {kUtf8, kUtf8, "\xc3\xa9", "\xc3\xa9"},
      {CHARSET_ASCII, CHARSET_ASCII, "&#19968;\x80", "&#19968;\x80"},
      {CHARSET_CYRILLIC, CHARSET_CYRILLIC_DOS, "\xc0", "\x80"},
      {CHARSET_ASCII, CHARSET_JIS, "ab", "ab"},
      // UCS-2 to itself: a copy.
      {kUcs2, kUcs2, Ucs({0xD800, 'x'}), Ucs({0xD800, 'x'})},
  };
  for (const Case& c : cases) {
    Converted result = Conv(c.source, c.target, c.input);
    EXPECT_EQ(result.status, 0) << c.source << "->" << c.target << " "
                                << testing::PrintToString(c.input);
    EXPECT_EQ(result.text, c.expected) << c.source << "->" << c.target << " "
                                       << testing::PrintToString(c.input);
  }
}

TEST_F(ConvertTest, ArgumentsAndEmptyResults) {
  std::string dir(kShippedTables);
  CharsetContext context = {dir.data(), -1};
  char* output = nullptr;
  int32_t length = 5;
  EXPECT_EQ(ConvertCharset(CHARSET_UCS2, CHARSET_UTF8, "A", 1, &output, nullptr, &context), -6);
  EXPECT_EQ(ConvertCharset(CHARSET_UCS2, CHARSET_UTF8, "A", 1, &output, &length, nullptr), -6);
  EXPECT_EQ(length, 0);
  length = 5;
  EXPECT_EQ(ConvertCharset(CHARSET_UCS2, CHARSET_UTF8, "A", 0, &output, &length, &context), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(ConvertCharset(CHARSET_UCS2, CHARSET_UTF8, "A", -1, &output, &length, &context), -6);
  EXPECT_EQ(output, nullptr);

  // Plain ASCII in UTF-8 to a single-byte set needs no table at all.
  Converted plain = Conv(CHARSET_UTF8, CHARSET_GREEK, "plain", "/nonexistent/lumen");
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.text, "plain");
  EXPECT_EQ(Conv(CHARSET_UTF8, CHARSET_GREEK, "\xce\xb1", "/nonexistent/lumen").status, -3);

  // Every character dropped: a buffer all the same, empty.
  Converted dropped = Conv(CHARSET_UCS2, CHARSET_GREEK, Ucs({0x4E00}));
  EXPECT_EQ(dropped.status, 0);
  EXPECT_TRUE(dropped.buffer);
  EXPECT_EQ(dropped.text, "");
  // An empty first step of a two-step route: no buffer.
  Converted none = Conv(CHARSET_GREEK, CHARSET_GREEK_ISO, std::string("\0", 1));
  EXPECT_EQ(none.status, 0);
  EXPECT_FALSE(none.buffer);
  Converted noSjis = Conv(CHARSET_UCS2, CHARSET_EUC, Ucs({0x4E02}));
  EXPECT_EQ(noSjis.status, 0);
  EXPECT_FALSE(noSjis.buffer);
}

TEST_F(ConvertTest, PairsRefusedBeforeAnyTable) {
  struct Case {
    CharsetId source, target;
    int32_t hint;
    int status;
  } cases[] = {
      {CHARSET_GREEK, CHARSET_CYRILLIC, -1, -4},
      {CHARSET_ASCII, CHARSET_WESTERNEUROPEAN, -1, -4},
      {CHARSET_SHIFTJIS, CHARSET_KOREAN, -1, -4},
      {CHARSET_JIS, CHARSET_ASCII, -1, -4},
      {-1, CHARSET_UCS2, -1, -4},
      {CHARSET_UCS2, 33, -1, -4},
      {CHARSET_UCS2, 33, 99, -4},
      {CHARSET_GREEK, CHARSET_UCS2, 3, -4},    // hint 3: Cyrillic only
      {CHARSET_GREEK, CHARSET_UCS2, 0, -4},    // other hints: ASCII and ASCII_IBM
      {CHARSET_GREEK, CHARSET_UCS2, 57, -4},
      {CHARSET_UCS2, CHARSET_LATIN9, 54, -4},
  };
  for (const Case& c : cases) {
    // A directory without tables: a refusal must come before any load.
    EXPECT_EQ(Conv(c.source, c.target, "ab", "/nonexistent/lumen", c.hint).status, c.status)
        << c.source << "->" << c.target << " hint " << c.hint;
  }
}

TEST(CheckCharsetPairTest, HintTable) {
  struct Case {
    CharsetId source, target;
    int32_t hint;
    int result;
  } cases[] = {
      {3, 3, -1, 0},     {3, 4, -1, 0},     {4, 3, -3, 0},     {9, 22, -1, 0},
      {22, 10, -1, 0},   {16, 17, -1, 0},   {21, 19, -1, 0},   {0, 20, -1, 0},
      {26, 0, -1, 0},    {20, 0, -1, -2},   {12, 2, -1, 0},    {1, 18, -1, 0},
      {0, 27, -1, -2},   {12, 15, -2, 0},  {12, 15, 58, 0},   {12, 15, -5, 0},
      {7, 8, 2, 0},      {7, 2, 2, 0},      {7, 9, 2, -2},     {22, 1, 46, 0},
      {16, 17, 5, 0},    {13, 14, 29, 0},   {3, 1, 14, 0},     {6, 2, 15, 0},
      {20, 21, 19, 0},   {18, 2, 20, 0},    {12, 1, 33, 0},    {15, 2, 34, 0},
      {23, 2, 50, 0},    {25, 24, 56, 0},   {3, 18, 55, 0},    {0, 26, 0, 0},
      {0, 26, 57, 0},    {0, 3, 57, -2},    {2, 1, 49, 0},     {12, 2, 49, -2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckCharsetPair(c.source, c.target, c.hint), c.result)
        << c.source << "->" << c.target << " hint " << c.hint;
  }
}

// With the shipped entity set, ASCII output loses no character of the Basic
// Multilingual Plane but the surrogates, and reads back to the same text.
TEST_F(ConvertTest, AsciiReferencesOutAndBack) {
  std::string text;
  for (uint32_t unit = 1; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    text += static_cast<char>(unit & 0xFF);
    text += static_cast<char>(unit >> 8);
  }
  Converted ascii = Conv(CHARSET_UCS2, CHARSET_ASCII, text);
  ASSERT_EQ(ascii.status, 0);
  EXPECT_NE(ascii.text.find("&#256;"), std::string::npos);
  EXPECT_NE(ascii.text.find("&#65535;"), std::string::npos);
  EXPECT_EQ(ascii.text.find("&#8364;"), std::string::npos);  // windows-1252 has the euro
  Converted back = Conv(CHARSET_ASCII, CHARSET_UCS2, ascii.text);
  ASSERT_EQ(back.status, 0);
  EXPECT_TRUE(back.text == text);
}

TEST_F(ConvertTest, AsciiOutputGrowsByDoubling) {
  for (size_t units : {1, 4, 5, 6, 1000, 4097}) {
    std::string text;
    std::string expected;
    for (size_t i = 0; i < units; ++i) {
      text += Ucs({0xFFFF});
      expected += "&#65535;";
    }
    Converted result = Conv(CHARSET_UCS2, CHARSET_ASCII, text);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.text, expected) << units;
  }
}

// Long texts take the paths that convert many characters at once: the result
// is what converting each character alone gives, also at every length and with
// a lone last byte.
TEST_F(ConvertTest, LongTextsConvertAsTheirCharactersOneByOne) {
  const uint16_t kMix[] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 0,
                           0xE9, 0x20AC, 0x4E00, 0x416, 0x7F, '<', 0xFFFF, 0x152};
  std::string text;
  for (size_t i = 0; i < 9000; ++i) {
    uint16_t unit = i % 37 < 20 ? static_cast<uint16_t>('A' + i % 26) : kMix[i % 20];
    text += Ucs({unit});
  }
  for (CharsetId target : {CHARSET_ASCII, CHARSET_UTF8, CHARSET_CYRILLIC}) {
    for (size_t length : {size_t{7}, size_t{8}, size_t{17}, size_t{63}, size_t{8193},
                          text.size()}) {
      std::string expected;
      for (size_t at = 0; at < length; at += 2) {
        expected += Conv(CHARSET_UCS2, target, text.substr(at, std::min<size_t>(2, length - at))).text;
      }
      EXPECT_EQ(Conv(CHARSET_UCS2, target, text.substr(0, length)).text, expected)
          << target << " " << length;
    }
  }
}

// Every single-byte set, through the shipped tables, agrees with the codec the
// tables were generated from: each byte reads as the codec's character, and each
// character the codec writes as one byte is written as that byte.
TEST_F(ConvertTest, SingleByteSetsMatchTheirCodecs) {
  int seed = ::testing::UnitTest::GetInstance()->random_seed();
  fs::path dir = fs::temp_directory_path() / ("lumen_codecs_" + std::to_string(seed));
  fs::create_directories(dir);
  const std::pair<CharsetId, const char*> kSets[] = {
      {CHARSET_ASCII, "cp1252"},        {CHARSET_GREEK, "cp1253"},
      {CHARSET_GREEK_ISO, "iso8859_7"}, {CHARSET_HEBREW, "cp1255"},
      {CHARSET_HEBREW_ISO, "iso8859_8"}, {CHARSET_ARABIC, "cp1256"},
      {CHARSET_ARABIC_ISO, "iso8859_6"}, {CHARSET_CYRILLIC, "cp1251"},
      {CHARSET_CYRILLIC_KOI8, "koi8_r"}, {CHARSET_CYRILLIC_ISO, "iso8859_5"},
      {CHARSET_THAI, "tis_620"},        {CHARSET_EASTERNEUROPEAN, "cp1250"},
      {CHARSET_EASTERNEUROPEAN_ISO, "iso8859_2"}, {CHARSET_TURKISH, "cp1254"},
      {CHARSET_CYRILLIC_DOS, "cp866"},  {CHARSET_VIETNAMESE, "cp1258"},
      {CHARSET_NORTHERNEUROPEAN, "cp1257"}, {CHARSET_NORTHERNEUROPEAN_ISO, "iso8859_4"},
      {CHARSET_ASCII_IBM, "cp850"},     {CHARSET_WESTERNEUROPEAN, "cp1252"},
      {CHARSET_LATIN3, "iso8859_3"},    {CHARSET_LATIN5, "iso8859_9"},
      {CHARSET_LATIN6, "iso8859_14"},   {CHARSET_LATIN7, "iso8859_13"},
      {CHARSET_LATIN9, "iso8859_15"},
  };
  std::string script =
      "import sys\n"
      "for codec in sys.argv[2:]:\n"
      "  with open(sys.argv[1] + '/' + codec, 'w') as f:\n"
      "    for b in range(256):\n"
      "      try:\n"
      "        c = bytes([b]).decode(codec)\n"
      "        f.write('%d %d\\n' % (ord(c), c.encode(codec)[0] == b))\n"
      "      except UnicodeError:\n"
      "        f.write('-1 0\\n')\n";
  {
    std::ofstream out(dir / "codecs.py");
    out << script;
  }
  std::string command = "python3 \"" + (dir / "codecs.py").string() + "\" \"" + dir.string() + "\"";
  for (const auto& set : kSets) command += std::string(" ") + set.second;
  if (std::system(command.c_str()) != 0) {
    fs::remove_all(dir);
    GTEST_SKIP() << "python3 is not available";
  }
  for (const auto& set : kSets) {
    std::ifstream in(dir / set.second);
    for (int byte = 0; byte < 256; ++byte) {
      int code = -1, canonical = 0;
      in >> code >> canonical;
      ASSERT_TRUE(in) << set.second;
      if (byte == 0 || code < 0) continue;
      std::string one(1, static_cast<char>(byte));
      EXPECT_EQ(Conv(set.first, CHARSET_UCS2, one).text, Ucs({static_cast<uint16_t>(code)}))
          << set.second << " byte " << byte;
      if (canonical) {
        EXPECT_EQ(Conv(CHARSET_UCS2, set.first, Ucs({static_cast<uint16_t>(code)})).text, one)
            << set.second << " U+" << std::hex << code;
      }
    }
  }
  fs::remove_all(dir);
}

// Every character a double-byte set writes reads back as itself or as the
// character whose code it borrows; for Shift_JIS the same holds through EUC and
// JIS for the JIS X 0208 lead bytes.
TEST_F(ConvertTest, DoubleByteRoundTrips) {
  for (CharsetId set : {CHARSET_CHINESESIMPLIFIED, CHARSET_CHINESETRADITIONAL, CHARSET_KOREAN,
                        CHARSET_SHIFTJIS}) {
    int written = 0;
    for (uint32_t unit = 1; unit < 0x10000; ++unit) {
      std::string ucs = Ucs({static_cast<uint16_t>(unit)});
      Converted out = Conv(CHARSET_UCS2, set, ucs);
      ASSERT_EQ(out.status, 0);
      if (out.text.empty()) continue;
      ++written;
      std::string back = Conv(set, CHARSET_UCS2, out.text).text;
      if (back != ucs) {
        // A character written with another one's code (a simplified character
        // as its traditional form, U+00A2 as the code of U+FFE0): that code is
        // the other character's own.
        ASSERT_EQ(back.size(), 2u) << set << " U+" << std::hex << unit;
        ASSERT_EQ(Conv(CHARSET_UCS2, set, back).text, out.text) << set << " U+" << std::hex << unit;
        continue;
      }
      uint8_t lead = static_cast<uint8_t>(out.text[0]);
      if (set == CHARSET_SHIFTJIS && out.text.size() == 2 && lead <= 0xEF) {
        for (CharsetId japanese : {CHARSET_EUC, CHARSET_JIS}) {
          Converted via = Conv(CHARSET_UCS2, japanese, ucs);
          ASSERT_EQ(Conv(japanese, CHARSET_UCS2, via.text).text, ucs)
              << japanese << " U+" << std::hex << unit;
        }
      }
    }
    EXPECT_GT(written, 7000) << set;
  }
}

TEST_F(ConvertTest, SimplifiedCharactersInBig5) {
  // Each pair of the shipped file: the simplified character is written with
  // the Big5 code of its traditional form.
  std::ifstream in(std::string(kShippedTables) + "/TB_ucs2chsimp_ucs2chtrad.txt");
  int pairs = 0;
  unsigned simplified, traditional;
  while (in >> std::hex >> simplified >> traditional) {
    ++pairs;
    std::string big5 = Conv(CHARSET_UCS2, CHARSET_CHINESETRADITIONAL,
                            Ucs({static_cast<uint16_t>(traditional)})).text;
    ASSERT_EQ(big5.size(), 2u);
    EXPECT_EQ(Conv(CHARSET_UCS2, CHARSET_CHINESETRADITIONAL,
                   Ucs({static_cast<uint16_t>(simplified)})).text, big5);
  }
  EXPECT_GT(pairs, 2000);
}

// Routes that read a text stop at the given length even without a 0 byte.
TEST_F(ConvertTest, TextRoutesStopAtTheLength) {
  const char text[] = "ab\x82\xa0\xa4\x40";
  struct Case {
    CharsetId source, target;
    size_t length;
    std::string expected;
  } cases[] = {
      {CHARSET_CHINESETRADITIONAL, CHARSET_CHINESESIMPLIFIED, 2, "ab "},
      {CHARSET_CHINESETRADITIONAL, CHARSET_CHINESESIMPLIFIED, 3, "ab?"},
      {CHARSET_SHIFTJIS, CHARSET_EUC, 3, "ab"},
      {CHARSET_SHIFTJIS, CHARSET_JIS, 4, "ab\x1b$B$\"\x1b(B"},
      {CHARSET_EUC, CHARSET_UCS2, 3, Ucs({'a', 'b'})},
  };
  for (const Case& c : cases) {
    std::vector<char> exact(text, text + c.length);  // no terminator after it
    Converted out = Conv(c.source, c.target, std::string(exact.begin(), exact.end()));
    EXPECT_EQ(out.text, c.expected) << c.source << "->" << c.target << " " << c.length;
  }
}

TEST_F(ConvertTest, DefaultTablesDirectory) {
  fs::path empty = fs::temp_directory_path() / "lumen_no_tables";
  fs::create_directories(empty);
  std::string input = Ucs({0x3B1});
  char* output = nullptr;
  int32_t length = 0;
  SetDefaultTablesDirectory(empty.string().c_str());
  EXPECT_EQ(ConvertCharsetWithDefaults(CHARSET_UCS2, CHARSET_GREEK, input.data(), 2, &output,
                                       &length), -3);
  SetDefaultTablesDirectory(kShippedTables);
  ASSERT_EQ(ConvertCharsetWithDefaults(CHARSET_UCS2, CHARSET_GREEK, input.data(), 2, &output,
                                       &length), 0);
  EXPECT_EQ(std::string(output, length), "\xe1");
  std::free(output);
  SetDefaultTablesDirectory(nullptr);
  fs::remove_all(empty);
}

// The checks come in a fixed order: the slots, the pair, then the length.
TEST_F(ConvertTest, ChecksBeforeAnyTable) {
  std::string dir = "/nonexistent/lumen";
  CharsetContext context = {dir.data(), -1};
  char* output = nullptr;
  int32_t length = 5;
  EXPECT_EQ(ConvertCharset(CHARSET_GREEK, CHARSET_CYRILLIC, "a", 1, &output, nullptr, nullptr),
            -6);
  EXPECT_EQ(ConvertCharset(CHARSET_GREEK, CHARSET_CYRILLIC, "a", 1, &output, &length, nullptr),
            -6);
  EXPECT_EQ(length, 0);
  // Empty input to every pair: refused pairs still say so, the others succeed
  // without a buffer and without a table.
  for (CharsetId source = -1; source <= CHARSET_COUNT; ++source) {
    for (CharsetId target = -1; target <= CHARSET_COUNT; ++target) {
      length = 5;
      int expected = CheckCharsetPair(source, target, -1) == 0 ? 0 : -4;
      EXPECT_EQ(ConvertCharset(source, target, "", 0, &output, &length, &context), expected)
          << source << "->" << target;
      EXPECT_EQ(length, 0);
      EXPECT_EQ(output, nullptr);
    }
  }
}

// Conversions with table files written by the test.
class ConvertWithTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { UnloadCharsetTables(); }
  void TearDown() override { UnloadCharsetTables(); }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream out(dir_ / name, std::ios::binary);
    out << text;
  }
  Converted Run(CharsetId source, CharsetId target, const std::string& input) {
    return Conv(source, target, input, dir_.string().c_str());
  }

  ScratchDir scratch_;
  const fs::path dir_{scratch_.path()};
};

// References are written for the code units of the entity set even when the
// target has a byte for them, and read back in decimal (leading zeros
// included) or in hexadecimal after a lower-case x.
TEST_F(ConvertWithTablesTest, EntitySetDecidesReferences) {
  Write("TB_ascii_ucs2.txt", "0x26-0x26\n0x41-0x41\n0x42-0x42\n0x80-0x20ac\n");
  Write("TB_westerneuropean_ucs2.txt", "0x41-0x41\n");
  Write("TB_unicode_entities.txt", "65\n0\n");
  struct Case {
    CharsetId source, target;
    std::string input, expected;
  } cases[] = {
      {CHARSET_UCS2, CHARSET_ASCII, Ucs({'A', 'B', 0x20AC}), "&#65;B\x80"},
      {CHARSET_UCS2, CHARSET_ASCII, Ucs({0}), "&#0;"},
      {CHARSET_UCS2, CHARSET_WESTERNEUROPEAN, Ucs({'A', 'B'}), "A"},
      {CHARSET_ASCII, CHARSET_UCS2, "&#65;&#065;&#x41;&#x0041;", Ucs({'A', 'A', 'A', 'A'})},
      {CHARSET_ASCII, CHARSET_UCS2, "&#0101;", Ucs({'&', 0, 0, 0, 0, 0, 0})},  // decimal 101, not 65
      {CHARSET_ASCII, CHARSET_UCS2, "&#;B", Ucs({0, 'B'})},  // no digits: the number 0
      {CHARSET_ASCII, CHARSET_UCS2, "&#65B", Ucs({'&', 0, 0, 0, 'B'})},  // no ";"
      {CHARSET_ASCII, CHARSET_UCS2, "\x80\x81", Ucs({0x20AC, 0})},  // unmapped: code unit 0
  };
  for (const Case& c : cases) {
    Converted result = Run(c.source, c.target, c.input);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.text, c.expected) << c.source << "->" << c.target << " "
                                       << testing::PrintToString(c.input);
  }
}

// Route K through tables written here: a Big5 code whose first-table value is
// below 0x80 gives that byte, and a value 0 ends the text.
TEST_F(ConvertWithTablesTest, Big5ToGbValues) {
  std::vector<uint16_t> first(kBig5TableSize, 0x4E00);
  first[Big5Index(0xA4, 0x41)] = 0;
  first[Big5Index(0xA4, 0x42)] = 'Q';
  std::string text;
  for (uint16_t value : first) text += std::to_string(value) + "\n";
  for (int unit = 0; unit < 0x4E00; ++unit) text += "0\n";
  text += "0xd2bb\n";
  Write("TB_chtraditional_chsimplified.txt", text);
  struct Case {
    std::string input, expected;
  } cases[] = {
      {"\xa4\x40\xa4\x42z", "\xd2\xbbQz "},
      {"a\xa4\x41z", "a"},
      {"\xfe\xfe", "\xd2\xbb "},
  };
  for (const Case& c : cases) {
    Converted result = Run(CHARSET_CHINESETRADITIONAL, CHARSET_CHINESESIMPLIFIED, c.input);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.text, c.expected) << testing::PrintToString(c.input);
  }
}

// A malformed simplified-to-traditional file fails every conversion that loads
// the Big5 tables, until it is mended.
TEST_F(ConvertWithTablesTest, BlankLineFailsBig5UntilMended) {
  Write("TB_chtraditional_ucs2.txt", "0x40a4-0x4e00\n");
  Write("TB_chsimplified_ucs2.txt", "0xbbd2-0x4e00\n");
  Write("TB_ucs2chsimp_ucs2chtrad.txt", "4e07 4e00\n\n");
  struct Case {
    CharsetId source, target;
    std::string input;
  } cases[] = {
      {CHARSET_UCS2, CHARSET_CHINESETRADITIONAL, Ucs({0x4E00})},
      {CHARSET_CHINESETRADITIONAL, CHARSET_UCS2, "\xa4\x40"},
      {CHARSET_CHINESESIMPLIFIED, CHARSET_CHINESETRADITIONAL, "\xd2\xbb"},
  };
  for (const Case& c : cases) {
    Converted result = Run(c.source, c.target, c.input);
    EXPECT_EQ(result.status, -3) << c.source << "->" << c.target;
    EXPECT_FALSE(result.buffer);
  }
  Write("TB_ucs2chsimp_ucs2chtrad.txt", "4e07 4e00\n");
  EXPECT_EQ(Run(CHARSET_UCS2, CHARSET_CHINESETRADITIONAL, Ucs({0x4E07})).text, "\xa4\x40");
  EXPECT_EQ(Run(CHARSET_CHINESESIMPLIFIED, CHARSET_CHINESETRADITIONAL, "\xd2\xbb").text,
            "\xa4\x40");
}

}  // namespace
