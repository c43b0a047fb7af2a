// The file information block (FIB) at the start of "WordDocument", the streams of
// a Word document inside its compound file, and the encryption test.
#ifndef LUMEN_WORD_FIB_H_
#define LUMEN_WORD_FIB_H_

#include <cstdint>
#include <cstdio>

#include "storage/compound_file.h"

// Bytes of the FIB the converter reads.
constexpr uint32_t kFibSize = 0x2A2;

constexpr uint16_t kFibComplex = 0x0004;  // fast-saved: text through the piece table
constexpr uint16_t kFibEncrypted = 0x0100;
constexpr uint16_t kFibTableOne = 0x0200;    // the table stream is "1Table"
constexpr uint8_t kFibExtendedChars = 0x10;  // in the byte at 0x13
// Word 6/95: the text is stored in 16-bit units (UTF-16LE) instead of 8-bit bytes.
constexpr uint16_t kFibWideText = 0x1000;

// Versions of the format (nFib) written by Word 6 and Word 95; Word 97 and later
// write 193 or more.
constexpr uint16_t kFibWord6 = 101;
constexpr uint16_t kFibWord97 = 193;

// Parts of a Word 6/95 FIB, whose tables all lie in "WordDocument" itself.
struct Word6Fib {
  uint32_t styleOffset;    // 0x60, stylesheet
  uint32_t styleLength;    // 0x64
  uint32_t chpBinOffset;   // 0xB8, character-property bin table
  uint32_t chpBinLength;   // 0xBC
  uint32_t fontOffset;     // 0xD0, font table
  uint32_t fontLength;     // 0xD4
  uint32_t complexOffset;  // 0x160, complex part (piece table)
  uint32_t complexLength;  // 0x164
  uint16_t chpPages;       // 0x18E, character-property pages written
};

struct WordFib {
  uint16_t version;        // 0x02, nFib
  uint16_t flags;          // 0x0A
  uint8_t flags2;          // 0x13
  uint32_t textStart;      // 0x18, byte offset of the first character
  uint32_t textEnd;        // 0x1C, byte offset just past the text
  uint32_t styleOffset;    // 0xA2, stylesheet in the table stream
  uint32_t styleLength;    // 0xA6
  uint32_t binOffset;      // 0x102, paragraph-property bin table
  uint32_t binLength;      // 0x106
  uint32_t complexOffset;  // 0x1A2, complex part (piece table)
  uint32_t pageOffset;     // 0x292, page descriptor table
  uint32_t pageLength;     // 0x296
  uint32_t breakOffset;    // 0x29A, break descriptor table
  uint32_t breakLength;    // 0x29E
  Word6Fib word6;
};

// True for a Word 6 or Word 95 document: an older version and no table stream.
bool isWord6Document(const WordFib& fib, int32_t tableStream);

// Decodes the FIB from the first kFibSize bytes of "WordDocument"; false when
// fewer bytes are given.
bool parseWordFib(const unsigned char* bytes, size_t length, WordFib* fib);

// Entry indexes of the streams a conversion reads; -1 when absent.
struct WordStreams {
  int32_t document = -1;  // "WordDocument": the first, or a later one in the root
  int32_t table0 = -1;    // "0Table" beside it (the last one)
  int32_t table1 = -1;    // "1Table" beside it (the last one)
  int32_t contents = -1;  // "CONTENTS" under any other parent (the last one)
};
WordStreams findWordStreams(const CompoundFile* compound);

// The table stream: "0Table" when the FIB does not ask for "1Table" and "0Table"
// exists, otherwise "1Table" (possibly -1).
int32_t chooseTableStream(const WordStreams& streams, const WordFib& fib);

// True when the FIB flags of "WordDocument" carry the encryption bit. The flags of
// a stream kept in the mini stream are read through the compound reader; others
// at the stream's first sector of the file. A file that cannot be read counts as
// not encrypted.
bool isWordEncrypted(const char* inputPath, CompoundFile* compound, FILE* input,
                     uint32_t documentEntry);

#endif  // LUMEN_WORD_FIB_H_
