// The HTML body: each text piece walked paragraph by paragraph, with field
// contents left out, heading paragraphs marked by named anchors, page starts and
// page breaks by "Page N" anchors.
#ifndef LUMEN_WORD_HTML_BODY_H_
#define LUMEN_WORD_HTML_BODY_H_

#include <cstdint>
#include <cstdio>
#include <vector>

#include "storage/compound_file.h"
#include "word/code_pages.h"
#include "word/pieces.h"
#include "word/run_index.h"
#include "word/settings.h"

using ParagraphRunIndex = RunIndex<ParagraphRun, &ParagraphRun::start, &ParagraphRun::end>;
using PageRunIndex = RunIndex<PageRun, &PageRun::firstChar, &PageRun::endChar>;

// What one conversion's pieces share: the runs, the coding of 8-bit text
// (nullptr: windows-1252), and the field depth carried from piece to piece
// (fields that do not pair up leave it above or below 0, which keeps text out
// until it is back at 0).
struct WordBody {
  WordBody(std::vector<PageRun>* pageRuns, const std::vector<ParagraphRun>* paragraphRuns,
           const NarrowCoding* narrowCoding = nullptr)
      : pages(pageRuns), pageIndex(pageRuns), paragraphIndex(paragraphRuns), coding(narrowCoding) {}

  std::vector<PageRun>* pages;
  PageRunIndex pageIndex;
  ParagraphRunIndex paragraphIndex;
  const NarrowCoding* coding;
  int64_t fieldDepth = 0;
};

// Reads the piece from "WordDocument" (only the part that lies inside the stream)
// and writes its text. Returns 0, or -5 when nothing of it can be read or, with
// reverse endian on, its length is odd.
int writePiece(WordSettings* settings, CompoundFile* compound, FILE* input, uint32_t documentEntry,
               WordBody* body, const WordPiece& piece, FILE* out);

// The walk of writePiece over bytes already read.
void writePieceText(WordSettings* settings, WordBody* body, const WordPiece& piece,
                    unsigned char* text, size_t length, FILE* out);

// A piece's bytes that lie inside "WordDocument", or nullptr; *length receives
// their count.
unsigned char* readPieceBytes(CompoundFile* compound, FILE* input, uint32_t documentEntry,
                              const WordPiece& piece, size_t* length);

#endif  // LUMEN_WORD_HTML_BODY_H_
