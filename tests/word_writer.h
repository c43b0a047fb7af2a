// A Word document writer for tests: builds the "WordDocument" stream and its table
// stream byte for byte from a plain description (text pieces, paragraph runs with
// style indexes, style names, page breaks), and packs them with any other streams
// into a compound file, so that the Word converter can be run on exact and on
// deliberately broken documents.
//
// "WordDocument" layout: the file information block (FIB) in its first 0x400 bytes,
// then the text of every piece back to back from kWordTextStart, then the paragraph
// property pages (512 bytes each, on 512-byte boundaries). Table stream layout:
// stylesheet, complex part (optional property block, then the piece table),
// paragraph bin table, page descriptor table, break descriptor table.
//
// A Word 6/95 description (word6) has no table stream: after the text come its
// character-property pages, then the font table, the character-property bin table
// and the complex part, all in "WordDocument".
#ifndef LUMEN_TESTS_WORD_WRITER_H_
#define LUMEN_TESTS_WORD_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/cfb_writer.h"
#include "word/fib.h"

constexpr uint32_t kWordTextStart = 0x400;

// FIB flags at 0x0A: kFibComplex, kFibEncrypted, kFibTableOne and (Word 6/95)
// kFibWideText of word/fib.h.

// FIB field offsets (32-bit values unless noted).
constexpr size_t kFibFlags = 0x0A;  // 16-bit
constexpr size_t kFibTextStart = 0x18;
constexpr size_t kFibTextEnd = 0x1C;
constexpr size_t kFibStylesheet = 0xA2;  // offset; its length follows at + 4
constexpr size_t kFibBinTable = 0x102;
constexpr size_t kFibComplexPart = 0x1A2;
constexpr size_t kFibPageTable = 0x292;
constexpr size_t kFibBreakTable = 0x29A;

struct WordPieceText {
  std::string bytes;  // as stored: 8-bit characters, or UTF-16LE units
  bool sixteenBit = false;
};

// A run of paragraphs sharing one property entry: byte offsets in "WordDocument".
// Runs that do not follow one another go to separate pages.
struct WordParagraphRun {
  uint32_t start;
  uint32_t end;
  uint16_t style;
};

struct WordStyle {
  std::u16string name;
  bool empty = false;          // a slot without a style (size 0)
  int32_t sizeOverride = -1;   // stored size instead of the real one
  int32_t countOverride = -1;  // stored name length instead of the real one
};

// A page: its number and the character positions it spans.
struct WordPage {
  uint32_t first;
  uint32_t end;
  uint16_t number;
};

// Word 6/95: bytes [start, end) of piece `piece` set in font `font` (-1: a run
// without a font of its own).
struct WordFontRun {
  size_t piece;
  uint32_t start;
  uint32_t end;
  int32_t font;
};

struct WordDescription {
  uint16_t flags = kFibComplex | kFibTableOne;
  uint8_t byte13 = 0;
  std::vector<WordPieceText> pieces;
  std::vector<WordParagraphRun> runs;
  bool zeroCountForm = false;  // property entries stored as 0, count, style
  std::vector<WordStyle> styles;
  std::vector<WordPage> pages;
  bool clxPropertyBlock = false;  // a property block before the piece table
  bool tableStream = true;        // false: no table stream at all (older format)
  std::string tableName;          // default "1Table" or "0Table" after the flags
  uint32_t minDocumentSize = 0;   // pad "WordDocument" (4096 and up: regular sectors)
  std::string contents;           // a "CONTENTS" stream in a storage, when not empty
  std::vector<CfbStream> extra;   // further streams (property sets, a second table)
  // The pieces the piece table lists, in its order (default: all, as stored); a
  // stored piece left out is text the table no longer holds.
  std::vector<size_t> pieceOrder;
  // Word 6/95 form: nFib 101, no table stream, tables in "WordDocument".
  bool word6 = false;
  std::vector<uint8_t> fontCharsets;  // one font per entry: its character set
  std::vector<WordFontRun> fontRuns;
};

// The two built streams and where their parts lie, for tests that poke bytes.
struct WordStreamBytes {
  std::string document;
  std::string table;
  std::vector<uint32_t> textOffsets;  // per piece, in "WordDocument"
  uint32_t pieceTable = 0;            // offset of the piece plex in the table stream
  uint32_t stylesheet = 0;
  uint32_t binTable = 0;  // paragraph bin table in the table stream
};

// Byte offset in "WordDocument" of byte `at` of piece `piece`.
uint32_t WordTextOffset(const WordDescription& description, size_t piece, uint32_t at = 0);

WordStreamBytes BuildWordStreams(const WordDescription& description);
// The compound file: "WordDocument", the table stream (unless disabled), the extra
// streams, and "CONTENTS" under its own storage.
std::string PackWordFile(const WordDescription& description, const WordStreamBytes& streams);
std::string BuildWordFile(const WordDescription& description);

// Shorthands for descriptions.
WordPieceText Text8(const std::string& text);
WordPieceText Text16(const std::u16string& text);
// A "CONTENTS" stream carrying (name, value) pairs, written as META lines.
std::string ContentsStream(const std::vector<std::pair<std::u16string, std::u16string>>& pairs);
void PokeU16(std::string* bytes, size_t offset, uint16_t value);
void PokeU32(std::string* bytes, size_t offset, uint32_t value);

#endif  // LUMEN_TESTS_WORD_WRITER_H_
