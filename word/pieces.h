// The three tables a conversion builds before it writes: the text pieces (piece
// table), the paragraph runs (paragraph-property bin table and its pages) and the
// page runs (page and break descriptor tables); and the byte squeeze of text
// stored with reversed byte pairs.
#ifndef LUMEN_WORD_PIECES_H_
#define LUMEN_WORD_PIECES_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "storage/compound_file.h"

// One run of document text as the piece table describes it.
struct WordPiece {
  uint32_t firstChar;  // character position of its first character
  uint32_t offset;     // byte offset of its text in "WordDocument"
  uint32_t length;     // bytes
  bool wide;           // UTF-16LE characters; otherwise 8-bit
};

// Paragraphs that share one paragraph-property entry: byte offsets [start, end) in
// "WordDocument" and the style index of the entry.
struct ParagraphRun {
  uint32_t start;
  uint32_t end;
  uint16_t style;
};

// A stretch of text that begins a page: character positions [firstChar, endChar).
struct PageRun {
  bool written;
  uint16_t page;
  uint32_t firstChar;
  uint32_t endChar;
};

// How a piece descriptor's file position reads. Word 97 and later: bit 0x40000000
// marks 8-bit text at half the position (the rest is 16-bit text at the position
// itself). Word 6/95: the position is the text's offset, and every piece is 8-bit,
// or 16-bit in a document whose FIB says its text is wide.
enum class PieceForm { kWord97, kWord6Narrow, kWord6Wide };

// Piece table of the complex part `bytes` (from the complex part's offset on):
// property blocks (1, 16-bit size, bytes) are skipped up to the piece table (2,
// 32-bit length, plex of character positions and 8-byte piece descriptors).
// Appends the pieces read; false when the part is malformed (the pieces read
// before the fault remain).
bool parsePieceTable(const unsigned char* bytes, size_t length, std::vector<WordPiece>* pieces,
                     PieceForm form = PieceForm::kWord97);
// The complex part is read from the entry's stream (the table stream, or for Word
// 6/95 "WordDocument") at complexOffset: at most limit bytes of what the stream
// holds from there on.
bool readPieceTable(CompoundFile* compound, FILE* input, uint32_t entry, uint32_t complexOffset,
                    std::vector<WordPiece>* pieces, PieceForm form = PieceForm::kWord97,
                    uint32_t limit = UINT32_MAX);

// The runs of one 512-byte paragraph-property page. HTML mode (keepAll false)
// keeps only runs of the heading styles 1, 2 and 3. false when a run's property
// entry is malformed.
bool parseParagraphPage(const unsigned char* page, bool keepAll, std::vector<ParagraphRun>* runs);
// Walks the bin table's page numbers; each page is read from "WordDocument". false
// (the conversion's -5) when a page lies at or past fileSize or parseParagraphPage
// fails; a page that cannot be read adds nothing.
bool readParagraphRuns(CompoundFile* compound, FILE* input, const unsigned char* binTable,
                       size_t binLength, uint32_t documentEntry, uint64_t fileSize, bool keepAll,
                       std::vector<ParagraphRun>* runs);

// Page runs from the page descriptor table and the break descriptor table. false
// when a table is malformed; runs read before the fault remain.
bool parsePageRuns(const unsigned char* pages, size_t pagesLength, const unsigned char* breaks,
                   size_t breaksLength, std::vector<PageRun>* runs);
bool readPageRuns(CompoundFile* compound, FILE* input, uint32_t tableEntry, uint32_t pageOffset,
                  uint32_t pageLength, uint32_t breakOffset, uint32_t breakLength,
                  std::vector<PageRun>* runs);

// Undoes reversed byte pairs in place: for each pair (a, b) it keeps b unless b is 0
// or a space after a byte from 0xA6 to 0xDF (a half-width katakana), then a unless
// it is 0; the bytes freed at the end become 0. false for an odd length.
bool squeezeReversedPairs(unsigned char* bytes, size_t length);

#endif  // LUMEN_WORD_PIECES_H_
