// Japanese code detection and conversion among JIS (ISO-2022-JP), EUC-JP and
// Shift_JIS, by the arithmetic that relates the three forms of JIS X 0208.
#ifndef LUMEN_CHARSET_JAPANESE_H_
#define LUMEN_CHARSET_JAPANESE_H_

#include <cstddef>
#include <cstdint>
#include <string>

// Codes of a Japanese text.
constexpr int JAPANESE_JIS = 1;          // JIS, JIS X 0208 entered by ESC $ B
constexpr int JAPANESE_JIS_OLD = 2;      // JIS, JIS X 0208 entered by ESC $ @
constexpr int JAPANESE_EUC = 3;
constexpr int JAPANESE_SJIS = 4;
constexpr int JAPANESE_EUC_OR_SJIS = 5;  // undecided between the two
constexpr int JAPANESE_NONE = 6;         // no Japanese bytes found

// Scans text (length bytes, or up to a 0 byte) from the start and returns the
// first decisive code, or 5 or 6 when the text never decides.
int DetectJapaneseCode(const uint8_t* text, size_t length);

// Converts the text (length bytes, or up to a 0 byte) to targetCode (JAPANESE_JIS,
// JAPANESE_EUC or JAPANESE_SJIS), appending to *output. The source code is
// detected; an undecided text is taken to be in assumedSource. A text already in
// the target code, or without Japanese bytes, is copied. JIS output enters
// JIS X 0208 with ESC $ B and ends in ASCII mode.
void ConvertJapaneseCode(int targetCode, const uint8_t* text, size_t length,
                         std::string* output, int assumedSource);
// The same for a text whose code is known (JAPANESE_JIS, JAPANESE_EUC or
// JAPANESE_SJIS): nothing is detected.
void ConvertJapaneseText(int targetCode, const uint8_t* text, size_t length,
                         std::string* output, int sourceCode);

#endif  // LUMEN_CHARSET_JAPANESE_H_
