// Workbook strings: the counted strings of BIFF records (with or without an
// option byte) and the shared string table (SST).
#ifndef LUMEN_EXCEL_STRINGS_H_
#define LUMEN_EXCEL_STRINGS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "charset/convert.h"

// What a string decodes to. `hasText` is false when the string gives no text at
// all; a present text may still be empty. `occupies` is the number of bytes the
// string takes in its record (header, characters, rich-text runs, extended data),
// which may run past the record when its fields lie.
struct ExcelString {
  bool hasText = false;
  std::string text;
  uint64_t occupies = 0;
};

// Where a continuation's bytes begin in a merged record body, and whether the
// 0 byte it began with was dropped in the merge.
struct ContinuationStart {
  size_t offset;
  bool droppedZero;
};

// The character sets a workbook's texts are decoded with.
struct TextCoding {
  CharsetId output = CHARSET_ASCII;  // the output character set
  // The set of 8-bit characters: BIFF8 stores them as the low bytes of UTF-16
  // units (CHARSET_UCS2); older versions in the workbook's code page.
  CharsetId narrow = CHARSET_UCS2;
  const CharsetContext* context = nullptr;
  // Older versions with code page 1200 store each such string either as ASCII or
  // as UTF-16LE units, its character count then counting bytes.
  bool narrowMayBeUtf16 = false;
};

// Decodes `count` characters stored at data (available bytes left in the record).
//  - available 0: no text; the string occupies count bytes.
//  - a first byte with any of the bits 0xF2 set is no option byte: 8-bit
//    characters start right there.
//  - otherwise the option byte: bit 0 16-bit characters, bit 3 a 16-bit rich-text
//    run count follows (4 bytes of runs per run after the characters), bit 2 a
//    32-bit length of extended data follows (that many bytes after the runs).
// Text is made only when the characters lie wholly inside the record and there
// are some. 16-bit characters go through ConvertCharset (UCS2 to the output set);
// 8-bit characters as convertNarrow says. Either way the text ends at its first 0
// byte, "<" becomes "&lt;", ">" becomes "&gt;" and apostrophes become double quotes.
ExcelString decodeExcelString(const uint8_t* data, size_t available, uint32_t count,
                              const TextCoding& coding);

// The text of length 8-bit characters in coding.narrow, escaped as above:
//  - a text already in the output set is copied;
//  - low bytes of UTF-16 units going to ASCII output (windows-1252) are copied
//    too, except the C1 controls 0x80..0x9F, which real text does not hold and
//    which are converted like any 16-bit character;
//  - any other is decoded to UCS-2 (DecodeToUcs2) and converted to the output set;
//  - with narrowMayBeUtf16, a string that holds any byte outside 0x01..0x7F is
//    taken as UTF-16LE units (a last odd byte dropped).
// No text when a conversion fails (its tables cannot be loaded).
ExcelString convertNarrow(const uint8_t* characters, size_t length, const TextCoding& coding);

// The "<", ">" and apostrophe replacements of output text, applied to bytes.
std::string escapeExcelText(const char* bytes, size_t length);

// The decoded shared string table. Slots beyond `slots` are empty.
class SharedStrings {
 public:
  // Unique count of the SST (0 when it had none, or more than 999999).
  uint32_t count() const { return count_; }
  // The text of slot index, or nullptr when the index is at or beyond the count or
  // the slot is empty (no text was decoded for it).
  const std::string* at(uint32_t index) const;
  void clear();

  // Decodes an SST body: total count (ignored), unique count u, then the strings.
  // u of 0 or above 999999 keeps nothing; a body shorter than u + 4 bytes leaves
  // every slot empty. Reading stops at u strings, when 3 bytes or fewer remain, or
  // at a string that occupies no bytes.
  //
  // The body may be merged from CONTINUE records (`continuations`, in order). When
  // the characters of a 16-bit string run into a continuation, that continuation
  // starts with a fresh option byte telling how the rest is stored (a 0 option
  // byte was already dropped by the merge: 8-bit). 8-bit strings read on through
  // the merged bytes as they are.
  void decode(const uint8_t* body, size_t length,
              const std::vector<ContinuationStart>& continuations, const TextCoding& coding);
  // Calls each(text) for every slot that holds a non-empty text, in index order.
  template <typename Each>
  void forEachText(Each each) const {
    for (int32_t slot : slotText_) {
      if (slot >= 0 && !texts_[static_cast<size_t>(slot)].empty()) {
        each(texts_[static_cast<size_t>(slot)]);
      }
    }
  }

 private:
  uint32_t count_ = 0;
  std::vector<std::string> texts_;  // decoded texts, in slot order
  std::vector<int32_t> slotText_;   // per slot: index into texts_, or -1 for empty
};

#endif  // LUMEN_EXCEL_STRINGS_H_
