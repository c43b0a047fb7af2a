#include "charset/japanese.h"

#include <string>

#include <gtest/gtest.h>

namespace {

int Detect(const std::string& text) {
  return DetectJapaneseCode(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::string Convert(int target, const std::string& text, int assumed) {
  std::string out;
  ConvertJapaneseCode(target, reinterpret_cast<const uint8_t*>(text.data()), text.size(), &out,
                      assumed);
  return out;
}

TEST(DetectJapaneseCodeTest, Cases) {
  struct Case {
    std::string text;
    int code;
  } cases[] = {
      {"", JAPANESE_NONE},
      {"plain text", JAPANESE_NONE},
      {"a\x1b$B$\"", JAPANESE_JIS},
      {"\x1b$@$\"", JAPANESE_JIS_OLD},
      {"\x1b(I1\x1b(B", JAPANESE_NONE},     // escapes that select no kanji set
      {"\x1b$", JAPANESE_NONE},              // cut short
      {"\x1b", JAPANESE_NONE},
      {"\x82\xa0", JAPANESE_SJIS},
      {"\x8e\x40", JAPANESE_SJIS},
      {"\x8e\xb1", JAPANESE_EUC_OR_SJIS},
      {"\x8e", JAPANESE_NONE},
      {"\xa4\xa2", JAPANESE_EUC_OR_SJIS},
      {"\xb0\xf0", JAPANESE_EUC},
      {"\xb1", JAPANESE_SJIS},               // katakana at the end: Shift_JIS
      {"\xb1z", JAPANESE_SJIS},
      {"\xb1\xa0", JAPANESE_NONE},
      {"\xa4\xe0\x41", JAPANESE_EUC_OR_SJIS},
      {"\xa4\xe0\xa1\xfd", JAPANESE_EUC},
      {"\xa4\xe0\xa1\x85", JAPANESE_SJIS},
      {"\xa4\xe0\x20\x85", JAPANESE_SJIS},   // the scan stops below 0x40, then 0x85
      {"\xe0\x41", JAPANESE_SJIS},
      {"\xe0\xfd", JAPANESE_EUC},
      {"\xe0\xa1", JAPANESE_EUC_OR_SJIS},
      {"\xf0", JAPANESE_EUC},
      {"\xa4\xa2\xb0\xf0", JAPANESE_EUC},    // undecided, then decided
      {std::string("\xa4\xa2\0\xb0\xf0", 5), JAPANESE_EUC_OR_SJIS},  // a text ends at 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Detect(c.text), c.code) << testing::PrintToString(c.text);
  }
}

TEST(ConvertJapaneseCodeTest, EveryDirection) {
  const int kJis = JAPANESE_JIS, kEuc = JAPANESE_EUC, kSjis = JAPANESE_SJIS;
  struct Case {
    int target;
    std::string text;
    int assumed;
    std::string expected;
  } cases[] = {
      // Shift_JIS to JIS and EUC: kanji, half-width katakana, ASCII between.
      {kJis, "\x82\xa0z\xb1", kSjis, "\x1b$B$\"\x1b(Bz\x1b(I1\x1b(B"},
      {kEuc, "\x82\xa0z\xb1", kSjis, "\xa4\xa2z\x8e\xb1"},
      {kEuc, "\x88\x9f\xea\xa4", kSjis, "\xb0\xa1\xf4\xa6"},
      // Extension characters (lead bytes F0..FC) have no JIS or EUC form.
      {kJis, "\x82\xa0\xfa\x57z\xfa", kSjis, "\x1b$B$\"\x1b(Bz"},
      {kEuc, "\x82\xa0\xfa\x57z", kSjis, "\xa4\xa2z"},
      // EUC to Shift_JIS and JIS.
      {kSjis, "\xa4\xa2z\x8e\xb1", kEuc, "\x82\xa0z\xb1"},
      {kJis, "\xa4\xa2z", kEuc, "\x1b$B$\"\x1b(Bz"},
      // After a single-shifted character the next kanji enters JIS X 0208 again.
      {kJis, "\x8e\xb1\xa4\xa2", kEuc, "\x1b(I1\x1b$B$\"\x1b(B"},
      {kJis, "\xb0\xf0\x8f\xb0\xa1\xa4\xa2", kEuc,
       "\x1b$B0p\x1b$(D0!\x1b$B$\"\x1b(B"},
      // JIS to EUC and Shift_JIS.
      {kEuc, "\x1b$B$\"\x1b(Bz", kJis, "\xa4\xa2z"},
      {kSjis, "\x1b$@$\"\x1b(Jz", kJis, "\x82\xa0z"},
      {kEuc, "\x1b$B$\"\x0e\x31\x0fz", kJis, "\xa4\xa2\x8e\xb1z"},
      {kSjis, "\x1b$B$\"\x0e\x31\n\x0f", kJis, "\x82\xa0\xb1\n"},
      {kEuc, "\x1b$B$\"\x0e\x31\n\x0f", kJis, "\xa4\xa2\x8e\xb1"},
      {kEuc, "\x1b$B$\"\x1b$(D0!\x1b(B", kJis, "\xa4\xa2\x8f\xb0\xa1"},
      {kSjis, "\x1b$B$\"\x1b$)C$\"", kJis, "\x82\xa0\x1b$)C\x82\xa0"},
      // Half-width katakana alone does not decide, yet a JIS text is read as JIS.
      {kEuc, "\x1b(I1\x1b(B", kJis, "\x8e\xb1"},
      {kSjis, "\x1b(I1\x1b(B", kJis, "\xb1"},
      // Undecided texts take the assumed code.
      {kSjis, "\xa4\xa2", kEuc, "\x82\xa0"},
      {kSjis, "\xa4\xa2", kSjis, "\xa4\xa2"},
      // Already in the target code, or no Japanese at all: copied.
      {kSjis, "\x82\xa0", kSjis, "\x82\xa0"},
      {kJis, "\x1b$B$\"\x1b(B", kJis, "\x1b$B$\"\x1b(B"},
      {kEuc, "plain", kSjis, "plain"},
      // Cut short: lead bytes without trail bytes, a JIS pair without its second
      // byte, an escape sequence without its final byte.
      {kEuc, "z\x82", kSjis, "z"},
      {kJis, "\x82\xa0\x82", kSjis, "\x1b$B$\"\x1b(B"},
      {kSjis, "\xb0\xf0\xa4", kEuc, "\x88\xee"},
      {kJis, "\xb0\xf0\x8f\xb0", kEuc, "\x1b$B0p\x1b(B"},
      {kJis, "\xb0\xf0\x8e", kEuc, "\x1b$B0p\x1b(B"},
      {kEuc, "\x1b$B$\"$", kJis, "\xa4\xa2"},
      {kEuc, "\x1b$B$\"\x1b$", kJis, "\xa4\xa2\x1b$"},
      {kSjis, "\x1b", kJis, "\x1b"},
      // The text ends at its first 0 byte.
      {kEuc, std::string("\x82\xa0\0\x82\xa0", 5), kSjis, "\xa4\xa2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(c.target, c.text, c.assumed), c.expected)
        << testing::PrintToString(c.text) << " to " << c.target;
  }
}

TEST(ConvertJapaneseCodeTest, LengthBoundsTheText) {
  const char text[] = "\x82\xa0\x82\xa0";
  std::string out;
  ConvertJapaneseCode(JAPANESE_EUC, reinterpret_cast<const uint8_t*>(text), 3, &out,
                      JAPANESE_SJIS);
  EXPECT_EQ(out, "\xa4\xa2");
}

// Every JIS X 0208 row and cell survives EUC -> Shift_JIS -> JIS -> EUC.
TEST(ConvertJapaneseCodeTest, ArithmeticRoundTrip) {
  for (int row = 0x21; row <= 0x7E; ++row) {
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      // A decisive EUC pair first, so that the row/cell pair alone is not read
      // as Shift_JIS.
      std::string euc = "\xb0\xf0";
      euc += static_cast<char>(row | 0x80);
      euc += static_cast<char>(cell | 0x80);
      std::string sjis = Convert(JAPANESE_SJIS, euc, JAPANESE_EUC);
      std::string jis = Convert(JAPANESE_JIS, sjis, JAPANESE_SJIS);
      std::string back = Convert(JAPANESE_EUC, jis, JAPANESE_JIS);
      ASSERT_EQ(back, euc) << std::hex << row << " " << cell;
    }
  }
}

}  // namespace
