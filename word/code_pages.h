// The character sets of a document's 8-bit text. Word 97 and later store 8-bit
// ("compressed") pieces in windows-1252. Word 6 and 95 store their text in the
// character set of the font each run of text is set in: the font table records a
// Windows character set per font, the character-property pages give each run its
// font. Where the fonts say nothing, the code page of the document's property
// set counts, then windows-1252.
#ifndef LUMEN_WORD_CODE_PAGES_H_
#define LUMEN_WORD_CODE_PAGES_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "charset/charset.h"
#include "storage/compound_file.h"
#include "word/fib.h"

// Bytes [start, end) of "WordDocument" in one character set.
struct CodePageRun {
  uint32_t start;
  uint32_t end;
  CharsetId charset;
};

// The character set of 8-bit text by where it lies in "WordDocument".
struct NarrowCoding {
  CharsetId fallback = CHARSET_ASCII;  // outside every run: windows-1252 unless set
  std::vector<CodePageRun> runs;       // sorted, not overlapping

  // The set of the byte at offset; *end receives the end of the stretch from
  // offset on that shares it (past the last run: UINT64_MAX).
  CharsetId at(uint64_t offset, uint64_t* end) const;
};

// Where a stretch of 8-bit text comes from: its coding (nullptr: windows-1252)
// and the offset in "WordDocument" of its first byte.
struct NarrowText {
  const NarrowCoding* coding = nullptr;
  uint64_t offset = 0;
};

// The code page of a Windows character set number as fonts record it (0 ANSI
// 1252, 204 Cyrillic 1251, 128 Shift-JIS 932 ...), or 0 when the number says
// nothing about the bytes of the text (1 default, 2 symbol, 255 OEM, unknown).
uint32_t CodePageOfFontCharset(uint8_t fontCharset);

// The character set each font of a Word 6/95 font table (a 16-bit total size,
// then entries of a length byte (size - 1), flags, 16-bit weight, character set,
// alternate name offset and the name) stands for, by font index; -1 where the
// font says nothing or no table of this system serves its code page.
std::vector<CharsetId> parseWord6FontCharsets(const unsigned char* bytes, size_t length);

// The font index a Word 6/95 character-property list sets (sprm 93), or -1.
// The walk stops at a property it does not know the size of.
int32_t word6FontOf(const unsigned char* grpprl, size_t length);

// The default font of a Word 6/95 stylesheet: the one the first style's
// character properties set, else the stylesheet's standard font; 0 when the
// stylesheet cannot be read.
uint16_t word6DefaultFont(const unsigned char* bytes, size_t length);

// Appends the runs of one 512-byte Word 6/95 character-property page (run count
// in the last byte, run count + 1 file positions, one word offset per run of its
// property list: length byte, then the list). A run takes the set of the font its
// list names, else of defaultFont; a font that says nothing (-1 in fonts) or that
// the table lacks gives fallback. A run that continues the last one in the same
// set is merged into it.
void parseWord6CharacterPage(const unsigned char* page, const std::vector<CharsetId>& fonts,
                             uint16_t defaultFont, CharsetId fallback,
                             std::vector<CodePageRun>* runs);

// The coding of a Word 6/95 document's 8-bit text, read from "WordDocument"
// through the FIB's font table, stylesheet and character-property bin table;
// text no run covers, and runs whose font says nothing, take the property set's
// code page when a table serves it and it is an 8-bit one, else windows-1252.
NarrowCoding readWord6Coding(CompoundFile* compound, FILE* input, uint32_t documentEntry,
                             const Word6Fib& fib);

#endif  // LUMEN_WORD_CODE_PAGES_H_
