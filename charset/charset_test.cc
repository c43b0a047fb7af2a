#include "charset/charset.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "charset/convert.h"
#include "charset/table_text.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const char kShippedTables[] = LUMEN_SOURCE_DIR "/tables";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// Each test reads its own table directory: the loaded flags are cleared before
// and after it.
class TablesTest : public ::testing::Test {
 protected:
  void SetUp() override { UnloadCharsetTables(); }
  void TearDown() override { UnloadCharsetTables(); }
  std::string Dir() const { return dir_.string(); }
  void Write(const std::string& name, const std::string& text) { WriteFile(dir_ / name, text); }

  ScratchDir scratch_;
  const fs::path dir_{scratch_.path()};
};

TEST(CharsetNameTest, ConfigurationNamesOnly) {
  struct Case {
    const char* name;
    CharsetId id;
  } cases[] = {
      {"ASCII", 0},          {"utf8", 1},           {"UCS2", 2},
      {"LATIN9", 32},        {"latin9", 32},        {"Cyrillic_Koi8", 10},
      {"EUC", 21},           {"JIS", 20},           {"NORTHERNEUROPEAN_ISO", 25},
      {"ISO-8859-15", -1},   {"", -1},              {"ASCII ", -1},
      {"windows-1252", -1},  {nullptr, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CharsetIdFromName(c.name), c.id) << (c.name ? c.name : "(null)");
  }
}

TEST(CharsetNameTest, KindsAndFamilies) {
  int singles = 0;
  for (CharsetId id = 0; id < CHARSET_COUNT; ++id) singles += IsSingleByteCharset(id);
  EXPECT_EQ(singles, 25);
  EXPECT_EQ(CharsetFamily(CHARSET_CYRILLIC_DOS), CHARSET_CYRILLIC);
  EXPECT_EQ(CharsetFamily(CHARSET_EUC), CHARSET_SHIFTJIS);
  EXPECT_EQ(CharsetFamily(CHARSET_UCS2), -1);
  EXPECT_EQ(CharsetFamily(33), -1);
  EXPECT_EQ(LoadCharsetTables(CHARSET_GREEK_ISO, "."), -1);  // heads no family
  EXPECT_EQ(LoadCharsetTables(CHARSET_UTF8, "."), -1);
}

TEST_F(TablesTest, BuiltInAsciiFileIsWrittenInANewDirectory) {
  fs::path nested = dir_ / "a" / "b";
  EXPECT_EQ(LoadCharsetTables(CHARSET_ASCII, nested.string().c_str()), 0);
  std::string text = ReadFile(nested / "TB_ascii_ucs2.txt");
  EXPECT_EQ(text.compare(0, 16, "0x0-0x0\n0x1-0x1\n"), 0);
  EXPECT_NE(text.find("\n0x7f-0x7f\n0x80-0x20ac\n0x81-0x81\n0x82-0x201a\n0x83-0x192\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n0x9f-0x178\n0xa0-0xa0\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 10), "\n0xff-0xff");  // no final line feed
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 255);
  // The shipped file is the same table, generated from windows-1252 independently.
  EXPECT_EQ(text, ReadFile(fs::path(kShippedTables) / "TB_ascii_ucs2.txt"));
  EXPECT_EQ(SingleByteForward(CHARSET_ASCII)[0x80], 0x20AC);
  EXPECT_EQ(SingleByteReverse(CHARSET_ASCII)[0x20AC], 0x80);
  EXPECT_EQ(SingleByteReverse(CHARSET_ASCII)[0x8D], 0x8D);
}

// With an empty tables directory the first conversion to ASCII writes the table
// into the working directory and uses it.
TEST_F(TablesTest, AsciiFileInTheWorkingDirectory) {
  fs::path saved = fs::current_path();
  fs::current_path(dir_);
  char empty[] = "";
  CharsetContext context = {empty, -1};
  const char euro[] = {'\xac', '\x20', 'A', 0};
  char* output = nullptr;
  int32_t length = 0;
  int status = ConvertCharset(CHARSET_UCS2, CHARSET_ASCII, euro, 4, &output, &length, &context);
  fs::current_path(saved);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(std::string(output, length), "\x80" "A");
  std::free(output);
  std::string text = ReadFile(dir_ / "TB_ascii_ucs2.txt");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 255);
}

TEST_F(TablesTest, ExistingAsciiFileIsKept) {
  Write("TB_ascii_ucs2.txt", "0x41-0x42\n");
  EXPECT_EQ(LoadCharsetTables(CHARSET_ASCII, Dir().c_str()), 0);
  EXPECT_EQ(ReadFile(dir_ / "TB_ascii_ucs2.txt"), "0x41-0x42\n");
  EXPECT_EQ(SingleByteForward(CHARSET_ASCII)[0x41], 0x42);
  EXPECT_EQ(SingleByteForward(CHARSET_ASCII)[0x80], 0);
}

// Lines go on being read across the reader's 16 KB windows.
TEST_F(TablesTest, SingleByteLinesPastTheFirstWindow) {
  std::string text;
  for (int i = 0; i < 190; ++i) text += std::string(89, 'x') + "\n";
  text += "0x41-0x42\n0x43-0x44";
  Write("TB_greek_ucs2.txt", text);
  ASSERT_EQ(LoadCharsetTables(CHARSET_GREEK, Dir().c_str()), 0);
  EXPECT_EQ(SingleByteForward(CHARSET_GREEK)[0x41], 0x42);
  EXPECT_EQ(SingleByteForward(CHARSET_GREEK)[0x43], 0x44);
}

TEST_F(TablesTest, SingleByteLines) {
  std::string text =
      "0x41-0x391\n"        // ordinary line
      "0x42-0x391\n"        // same code point: the later byte wins the reverse entry
      "no dash here\n"      // skipped, still a line
      "0x43-0x10000\n"      // code point too large: ignored
      "0x100-0x3a9\n"       // byte too large: ignored
      "-5-0x45\n"           // empty byte text reads as 0
      "0x46--1\n"           // negative code point: ignored
      "0x47-0107 name\n"    // octal, text after the number ignored
      "0x4a-0x00041\n"      // five hexadecimal digits
      "0X4B-0X3A3\n"        // upper case
      "0x4c-0x3a4\r\n"      // CR before the line feed
      "0x00004d-0x3a5\n"
      + std::string(200, 'x') + "\n";  // 201 bytes: three reads of 99, 99 and 3 bytes
  for (int i = 15; i < 256; ++i) text += "0x48-0x" + std::to_string(i) + "\n";
  text += "0x49-0x49\n";  // the 257th line is never read
  Write("TB_greek_ucs2.txt", text);
  ASSERT_EQ(LoadCharsetTables(CHARSET_GREEK, Dir().c_str()), 0);
  for (CharsetId id : {CHARSET_GREEK, CHARSET_GREEK_ISO}) {
    const uint16_t* forward = SingleByteForward(id);
    const uint8_t* reverse = SingleByteReverse(id);
    EXPECT_EQ(forward[0x41], 0x391);
    EXPECT_EQ(forward[0x42], 0x391);
    EXPECT_EQ(reverse[0x391], 0x42);
    EXPECT_EQ(forward[0x43], 0);
    EXPECT_EQ(reverse[0x3A9], 0);
    EXPECT_EQ(forward[0x00], 5);  // "-5-0x45": byte "" (0), code point "5-0x45" (5)
    EXPECT_EQ(forward[0x46], 0);
    EXPECT_EQ(forward[0x47], 0107);
    EXPECT_EQ(forward[0x4A], 0x41);
    EXPECT_EQ(forward[0x4B], 0x3A3);
    EXPECT_EQ(forward[0x4C], 0x3A4);
    EXPECT_EQ(forward[0x4D], 0x3A5);
    EXPECT_EQ(forward[0x48], 0x255);  // the 256th line
    EXPECT_EQ(forward[0x49], 0);
  }
}

TEST_F(TablesTest, BinaryGarbageLoadsWithoutHarm) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  for (const char* name : {"TB_thai_ucs2.txt", "TB_korean_ucs2.txt", "TB_iso8859.txt",
                           "TB_unicode_entities.txt", "TB_chtraditional_ucs2.txt",
                           "TB_ucs2chsimp_ucs2chtrad.txt", "TB_cyrillic_ucs2.txt"}) {
    Write(name, garbage);
  }
  EXPECT_EQ(LoadCharsetTables(CHARSET_THAI, Dir().c_str()), 0);
  EXPECT_EQ(LoadCharsetTables(CHARSET_KOREAN, Dir().c_str()), 0);
  EXPECT_EQ(LoadCharsetTables(CHARSET_CYRILLIC, Dir().c_str()), 0);
  LoadCharsetTables(CHARSET_CHINESETRADITIONAL, Dir().c_str());
}

TEST_F(TablesTest, IsoSectionOverridesOnlyTheIsoMember) {
  Write("TB_greek_ucs2.txt", "0xa1-0x385\n0xa2-0x386\n");
  Write("TB_iso8859.txt",
        "HEBREW_ISO\n"
        "8:0xA1 = U+05D0 : HEBREW LETTER ALEF\n"
        "\n"
        "[GREEK_ISO] section\n"
        "7:0xA1 = U+2018 : LEFT SINGLE QUOTATION MARK\n"
        "7:A3 = U+00A3 : POUND SIGN\n"
        "7:0x1FF = U+0041 : byte out of range\n"
        "7:0xA4 = U+20AC no separator, ends the section\n"
        "7:0xA5 = U+00A5 : YEN SIGN\n");
  ASSERT_EQ(LoadCharsetTables(CHARSET_GREEK, Dir().c_str()), 0);
  EXPECT_EQ(SingleByteForward(CHARSET_GREEK_ISO)[0xA1], 0x2018);
  EXPECT_EQ(SingleByteReverse(CHARSET_GREEK_ISO)[0x2018], 0xA1);
  EXPECT_EQ(SingleByteForward(CHARSET_GREEK_ISO)[0xA2], 0x386);
  EXPECT_EQ(SingleByteForward(CHARSET_GREEK_ISO)[0xA3], 0xA3);
  EXPECT_EQ(SingleByteForward(CHARSET_GREEK_ISO)[0xA4], 0);
  EXPECT_EQ(SingleByteForward(CHARSET_GREEK_ISO)[0xA5], 0);
  EXPECT_EQ(SingleByteForward(CHARSET_GREEK)[0xA1], 0x385);
  EXPECT_EQ(SingleByteReverse(CHARSET_GREEK)[0x2018], 0);
}

TEST_F(TablesTest, IsoSectionWithoutMainFile) {
  Write("TB_iso8859.txt", "CYRILLIC_ISO\n5:0xB0 = U+0410 : CYRILLIC CAPITAL LETTER A\n");
  EXPECT_EQ(LoadCharsetTables(CHARSET_CYRILLIC, Dir().c_str()), -3);
  EXPECT_EQ(SingleByteForward(CHARSET_CYRILLIC_ISO)[0xB0], 0x410);
}

TEST_F(TablesTest, DoubleByteReverseExceptions) {
  // Code numbers are first byte + 256 * second byte.
  Write("TB_chsimplified_ucs2.txt",
        "0xa1b0-0x554a\n"    // B0 A1: both bytes in A1..FE
        "0x40b0-0x4e02\n"    // B0 40: read, never written
        "0x46e9-0x9555\n"    // E9 46: written all the same
        "0x41-0x41\n"
        "0x10000-0x42\n"     // code number too large
        "0x4141-0x12345\n"); // code point too large
  ASSERT_EQ(LoadCharsetTables(CHARSET_CHINESESIMPLIFIED, Dir().c_str()), 0);
  const uint16_t* forward = DoubleByteForward(CHARSET_CHINESESIMPLIFIED);
  const uint16_t* reverse = DoubleByteReverse(CHARSET_CHINESESIMPLIFIED);
  EXPECT_EQ(forward[0xA1B0], 0x554A);
  EXPECT_EQ(reverse[0x554A], 0xA1B0);
  EXPECT_EQ(forward[0x40B0], 0x4E02);
  EXPECT_EQ(reverse[0x4E02] & 0xFF, 0);
  EXPECT_EQ(reverse[0x9555], 0x46E9);
  EXPECT_EQ(reverse[0x41], 0x41);
  EXPECT_EQ(forward[0x4141], 0);

  Write("TB_chtraditional_ucs2.txt",
        "0x40a4-0x4e00\n"    // A4 40: trail 40..7E
        "0xa1a4-0x4e59\n"    // A4 A1: trail A1..FE
        "0x80a4-0x4e01\n"    // A4 80: trail outside both ranges
        "0x41a4-0x4e03\n");
  Write("TB_ucs2chsimp_ucs2chtrad.txt", "4e07 4e03\n");
  ASSERT_EQ(LoadCharsetTables(CHARSET_CHINESETRADITIONAL, Dir().c_str()), 0);
  reverse = DoubleByteReverse(CHARSET_CHINESETRADITIONAL);
  EXPECT_EQ(reverse[0x4E00], 0x40A4);
  EXPECT_EQ(reverse[0x4E59], 0xA1A4);
  EXPECT_EQ(reverse[0x4E01] & 0xFF, 0);
  EXPECT_EQ(reverse[0x4E07], 0x41A4);  // simplified form written as the traditional

  Write("TB_shiftjis_ucs2.txt", "0x4581-0x30fb\n0x45a1-0x30fb\n0xa5-0xff65\n");
  ASSERT_EQ(LoadCharsetTables(CHARSET_SHIFTJIS, Dir().c_str()), 0);
  EXPECT_EQ(DoubleByteReverse(CHARSET_SHIFTJIS)[0x30FB], 0x4581);
  EXPECT_EQ(DoubleByteForward(CHARSET_SHIFTJIS)[0x45A1], 0x30FB);
  EXPECT_EQ(DoubleByteReverse(CHARSET_SHIFTJIS)[0xFF65], 0xA5);

  Write("TB_korean_ucs2.txt", "0xa1b0-0xac00\n0x4181-0xac02\n");
  ASSERT_EQ(LoadCharsetTables(CHARSET_KOREAN, Dir().c_str()), 0);
  EXPECT_EQ(DoubleByteReverse(CHARSET_KOREAN)[0xAC02], 0x4181);
}

TEST_F(TablesTest, SimplifiedToTraditionalFileMustBeWhole) {
  Write("TB_chtraditional_ucs2.txt", "0x40a4-0x4e00\n0x42a4-0x842c\n");
  struct Case {
    const char* text;  // nullptr: no file
    int status;
  } cases[] = {
      {"4e07 842c\n", 0},
      {"4e07 842c\n\n", -3},          // a blank line
      {"4e07 842c\n4e08\n", -3},      // one number
      {"0x4e07 0x842c\r\n", 0},
      {"4e07 12345678\n", 0},         // out of range: ignored
      {nullptr, -3},
  };
  for (const Case& c : cases) {
    fs::remove(dir_ / "TB_ucs2chsimp_ucs2chtrad.txt");
    if (c.text != nullptr) Write("TB_ucs2chsimp_ucs2chtrad.txt", c.text);
    EXPECT_EQ(LoadCharsetTables(CHARSET_CHINESETRADITIONAL, Dir().c_str()), c.status)
        << (c.text ? c.text : "(missing)");
  }
  // Lines before the bad one keep their effect.
  Write("TB_ucs2chsimp_ucs2chtrad.txt", "4e07 842c\nbad\n");
  EXPECT_EQ(LoadCharsetTables(CHARSET_CHINESETRADITIONAL, Dir().c_str()), -3);
  EXPECT_EQ(DoubleByteReverse(CHARSET_CHINESETRADITIONAL)[0x4E07], 0x42A4);
}

TEST_F(TablesTest, EntitySet) {
  Write("TB_westerneuropean_ucs2.txt", "0x41-0x41\n");
  Write("TB_unicode_entities.txt", "8364 EURO SIGN\n65535\n65536\n-3\n\n  338\nx 339\n");
  ASSERT_EQ(LoadCharsetTables(CHARSET_WESTERNEUROPEAN, Dir().c_str()), 0);
  EXPECT_TRUE(IsEntityCodeUnit(8364));
  EXPECT_TRUE(IsEntityCodeUnit(65535));
  EXPECT_TRUE(IsEntityCodeUnit(338));
  EXPECT_FALSE(IsEntityCodeUnit(339));
  EXPECT_FALSE(IsEntityCodeUnit(0));  // neither the blank line nor 65536 enter 0
}

// The entity set as reading the text's pieces one by one through a 500-byte line
// buffer gives it.
std::vector<bool> EntitiesOfPieces(const std::string& text) {
  std::vector<bool> set(65536);
  LineSplitter lines(text, 500);
  std::string_view line;
  while (lines.Next(&line)) {
    int64_t code;
    if (ParseInteger(line, 10, &code) > 0 && code >= 0 && code <= 0xFFFF) set[code] = true;
  }
  return set;
}

// The file is read through a window of its own: lines of every form, also
// across the window's edges and longer than the 500-byte line buffer, give the
// set that reading the pieces one by one gives.
TEST_F(TablesTest, LargeEntityFileMatchesPieceByPieceReading) {
  std::string text;
  const char* const kForms[] = {"%u\n", "%05u\n", "%u EURO SIGN\n", " %u\n", "+%u\n",
                                "%u", "%u\r\n", "-%u\n", "x%u\n", "%u0\n"};
  for (unsigned i = 0; text.size() < 3 * TableReader::kWindow; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, kForms[i % 10], (i * 7919u) % 70000u);
    text += line;
    if (i % 10 == 5) text += '\n';
    if (i % 997 == 0) text += std::string(520 + i % 7, '1') + "\n";
    if (i % 1499 == 0) text += std::string("12\0" "34\n", 6);
  }
  Write("TB_westerneuropean_ucs2.txt", "0x41-0x41\n");
  Write("TB_unicode_entities.txt", text);
  std::vector<bool> expected = EntitiesOfPieces(text);
  ASSERT_EQ(LoadCharsetTables(CHARSET_WESTERNEUROPEAN, Dir().c_str()), 0);
  for (uint32_t code = 0; code < 65536; ++code) {
    ASSERT_EQ(IsEntityCodeUnit(static_cast<uint16_t>(code)), expected[code]) << code;
  }
}

// Runs of consecutive numbers are read ten lines at a time: a run that is edited,
// reordered, cut short or damaged anywhere gives the set that reading the pieces
// one by one gives.
TEST_F(TablesTest, EditedRunsOfTheEntityFileMatchPieceByPieceReading) {
  std::string whole;
  for (unsigned code = 0; code <= 70000; ++code) whole += std::to_string(code) + "\n";
  const std::string kNul("\n50\0" "001\n", 8);
  struct Case {
    const char* find;
    std::string replace;
  } cases[] = {
      {"\n130\n", "\n0130\n"},                  // leading zero
      {"\n1234\n", "\n1243\n"},                 // digits swapped inside ten lines
      {"\n12349\n", "\n12348\n"},               // the last of ten lines
      {"\n5670\n", "\n5670 \n"},                // text after the number
      {"\n9999\n", "\n9999\r\n"},               // at a digit count's edge
      {"\n10000\n", "\n1000\n"},
      {"\n23456\n", "\n23456"},                 // two lines joined
      {"\n31000\n", "\n31000\r"},
      {"\n40000\n", "\n40000\n40000\n"},        // repeated
      {"\n40010\n", "\n\n"},                    // emptied
      {"\n300\n301\n", "\n301\n300\n"},         // reordered
      {"\n777\n778\n", "\n+777\n 778\n"},
      {"\n50001\n", kNul},                      // a 0 byte
      {"\n60000\n", "\n" + std::string(600, '6') + "\n"},  // longer than the line buffer
      {"\n65534\n", "\n65534\n65535"},          // cut short in the last line
      {"\n20005\n", "\n2000"},                  // cut short inside ten lines
  };
  // A first line of no number moves every line against the edges of the window.
  for (size_t shift : {0, 3, 250}) {
    for (const Case& c : cases) {
      std::string text = whole;
      size_t at = text.find(c.find);
      ASSERT_NE(at, std::string::npos) << c.find;
      text.replace(at, std::strlen(c.find), c.replace);
      if (c.replace.back() != '\n') text.resize(at + c.replace.size());
      if (shift > 0) text = std::string(shift, 'x') + "\n" + text;
      UnloadCharsetTables();
      Write("TB_westerneuropean_ucs2.txt", "0x41-0x41\n");
      Write("TB_unicode_entities.txt", text);
      std::vector<bool> expected = EntitiesOfPieces(text);
      ASSERT_EQ(LoadCharsetTables(CHARSET_WESTERNEUROPEAN, Dir().c_str()), 0);
      for (uint32_t code = 0; code < 65536; ++code) {
        ASSERT_EQ(IsEntityCodeUnit(static_cast<uint16_t>(code)), expected[code])
            << c.find << " " << shift << " " << code;
      }
    }
  }
}

TEST_F(TablesTest, MissingEntitySetIsReadAtTheNextLoad) {
  std::string dir = Dir();
  CharsetContext context = {dir.data(), -1};
  auto toAscii = [&](std::u16string text) {
    char* output = nullptr;
    int32_t length = 0;
    std::string bytes;
    for (char16_t unit : text) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    }
    EXPECT_EQ(ConvertCharset(CHARSET_UCS2, CHARSET_ASCII, bytes.data(),
                             static_cast<int32_t>(bytes.size()), &output, &length, &context), 0);
    std::string result(output, length);
    std::free(output);
    return result;
  };
  EXPECT_EQ(toAscii(u"A\u4e00"), "A");  // no entity set: dropped
  Write("TB_unicode_entities.txt", "19968\n");
  Write("TB_latin9_ucs2.txt", "0x41-0x41\n");
  EXPECT_EQ(toAscii(u"A\u4e00"), "A");  // ASCII is loaded; nothing reads the set yet
  EXPECT_EQ(LoadCharsetTables(CHARSET_LATIN9, dir.c_str()), 0);
  EXPECT_EQ(toAscii(u"A\u4e00"), "A&#19968;");
}

TEST_F(TablesTest, MissingFileFailsAndIsRetried) {
  char* output = nullptr;
  int32_t length = -1;
  std::string dir = Dir();
  CharsetContext context = {dir.data(), -1};
  const char text[] = {'A', 0};
  EXPECT_EQ(ConvertCharset(CHARSET_UCS2, CHARSET_THAI, text, 2, &output, &length, &context), -3);
  EXPECT_EQ(output, nullptr);
  EXPECT_EQ(length, 0);
  Write("TB_thai_ucs2.txt", "0x41-0x41\n");
  ASSERT_EQ(ConvertCharset(CHARSET_UCS2, CHARSET_THAI, text, 2, &output, &length, &context), 0);
  EXPECT_EQ(std::string(output, length), "A");
  std::free(output);
  // Once loaded, the family is kept: removing the file changes nothing.
  fs::remove(dir_ / "TB_thai_ucs2.txt");
  output = nullptr;
  ASSERT_EQ(ConvertCharset(CHARSET_UCS2, CHARSET_THAI, text, 2, &output, &length, &context), 0);
  std::free(output);
}

TEST_F(TablesTest, UnwritableAsciiDirectory) {
  // A regular file where the directory should be: nothing can be created there.
  Write("blocker", "x");
  std::string dir = (dir_ / "blocker" / "tables").string();
  EXPECT_EQ(LoadCharsetTables(CHARSET_ASCII, dir.c_str()), -3);
}

TEST_F(TablesTest, Big5ToGbValues) {
  std::string text = "0x20\r\n\r\n";
  text += "0x4e00\n";  // index 1
  for (int i = 2; i < kBig5TableSize; ++i) text += "7\n";
  for (int i = 0; i < 0x4E00; ++i) text += "0\n";
  text += "0xb0a1\n";  // second[0x4E00]
  text += "0x12345\n";  // stored as 16 bits
  Write("TB_chtraditional_chsimplified.txt", text);
  ASSERT_EQ(LoadBig5ToGbTables(Dir().c_str()), 1);
  EXPECT_EQ(Big5ToGbFirst(0), 0x20);
  EXPECT_EQ(Big5ToGbFirst(1), 0x4E00);
  EXPECT_EQ(Big5ToGbSecond(0x4E00), 0xB0A1);
  EXPECT_EQ(Big5ToGbSecond(0x4E01), 0x2345);
  EXPECT_EQ(Big5ToGbFirst(-1), 0);
  EXPECT_EQ(Big5ToGbFirst(kBig5TableSize), 0);
  EXPECT_EQ(LoadBig5ToGbTables((dir_ / "none").string().c_str()), 0);
  EXPECT_EQ(Big5Index(0xA1, 0x40), 0);
  EXPECT_EQ(Big5Index(0xA1, 0xA1), 63);
  EXPECT_EQ(Big5Index(0xFE, 0xFE), kBig5TableSize - 1);
  EXPECT_EQ(Big5Index(0xA1, 0x80), -1);
  EXPECT_EQ(Big5Index(0x81, 0x40), -1);
}

// A line of the code-page files is what one read into a 100-byte buffer returns:
// 98 characters and the line feed fit, 99 characters take two reads.
TEST_F(TablesTest, LinesAsTheLineBufferReadsThem) {
  std::string text = "0x41-0x41" + std::string(89, ' ') + "\n";  // 98 + 1 bytes: one line
  text += "0x42-0x42" + std::string(90, ' ') + "\n";             // 99 + 1 bytes: two lines
  for (int line = 4; line <= 256; ++line) text += "0x43-0x" + std::to_string(line) + "\n";
  text += "0x44-0x44\n";  // the 257th line
  Write("TB_latin3_ucs2.txt", text);
  ASSERT_EQ(LoadCharsetTables(CHARSET_LATIN3, Dir().c_str()), 0);
  EXPECT_EQ(SingleByteForward(CHARSET_LATIN3)[0x42], 0x42);
  EXPECT_EQ(SingleByteForward(CHARSET_LATIN3)[0x43], 0x256);
  EXPECT_EQ(SingleByteForward(CHARSET_LATIN3)[0x44], 0);

  // A double-byte file is read for 65,536 lines, lines without "-" included.
  std::string many;
  for (int line = 1; line < 65536; ++line) many += "\n";
  many += "0xa1b0-0x554a\n0xa2b0-0x963f\n";
  Write("TB_chsimplified_ucs2.txt", many);
  ASSERT_EQ(LoadCharsetTables(CHARSET_CHINESESIMPLIFIED, Dir().c_str()), 0);
  EXPECT_EQ(DoubleByteForward(CHARSET_CHINESESIMPLIFIED)[0xA1B0], 0x554A);
  EXPECT_EQ(DoubleByteForward(CHARSET_CHINESESIMPLIFIED)[0xA2B0], 0);
}

// The ISO and entity files are read through a 500-byte buffer: a longer line goes
// on as a line of its own.
TEST_F(TablesTest, LongLinesOfTheIsoAndEntityFiles) {
  Write("TB_arabic_ucs2.txt", "0xa1-0xa1\n0xa2-0xa2\n0xa3-0xa3\n");
  Write("TB_iso8859.txt",
        "ARABIC_ISO\n"
        "6:0xA1 = U+0621 : " + std::string(480, 'N') + "\n"   // 499 bytes: one line
        "6:0xA2 = U+0622 : " + std::string(481, 'N') + "\n"   // its rest ends the section
        "6:0xA3 = U+0623 : ARABIC LETTER ALEF WITH HAMZA ABOVE\n");
  Write("TB_unicode_entities.txt",
        "65" + std::string(497, ' ') + "338\n"   // the rest begins with a number
        "66" + std::string(493, ' ') + "339\n"); // 499 bytes: the 339 is text after 66
  ASSERT_EQ(LoadCharsetTables(CHARSET_ARABIC, Dir().c_str()), 0);
  EXPECT_EQ(SingleByteForward(CHARSET_ARABIC_ISO)[0xA1], 0x621);
  EXPECT_EQ(SingleByteForward(CHARSET_ARABIC_ISO)[0xA2], 0x622);
  EXPECT_EQ(SingleByteForward(CHARSET_ARABIC_ISO)[0xA3], 0xA3);
  EXPECT_TRUE(IsEntityCodeUnit(65));
  EXPECT_TRUE(IsEntityCodeUnit(338));
  EXPECT_TRUE(IsEntityCodeUnit(66));
  EXPECT_FALSE(IsEntityCodeUnit(339));
}

TEST_F(TablesTest, Big5ToGbFileInTheWorkingDirectoryComesFirst) {
  Write("TB_chtraditional_chsimplified.txt", "0x30\n");
  fs::path work = dir_ / "work";
  fs::create_directories(work);
  fs::path saved = fs::current_path();
  fs::current_path(work);
  struct Case {
    std::string local;  // "big5togb.txt"; "-": none
    uint16_t first[3];
  } cases[] = {
      {"-", {0x30, 0, 0}},
      {"", {0x30, 0, 0}},  // empty: the file of the tables directory
      {"0x41\r\n\r\n066\n7", {0x41, 066, 7}},
      {std::string("0x41\n0x42\0\n0x43\n", 16), {0x41, 0x42, 0}},  // the text ends at 0
  };
  for (const Case& c : cases) {
    fs::remove(work / "big5togb.txt");
    if (c.local != "-") WriteFile(work / "big5togb.txt", c.local);
    EXPECT_EQ(LoadBig5ToGbTables(Dir().c_str()), 1);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(Big5ToGbFirst(i), c.first[i]) << testing::PrintToString(c.local) << " " << i;
    }
  }
  fs::current_path(saved);
}

}  // namespace
