// The tagged (XML-like) body: the text of every piece, cut at paragraph-run ends
// and grouped under a tag named after each run's style.
#ifndef LUMEN_WORD_XML_BODY_H_
#define LUMEN_WORD_XML_BODY_H_

#include <cstdint>
#include <cstdio>
#include <vector>

#include "storage/compound_file.h"
#include "word/code_pages.h"
#include "word/pieces.h"
#include "word/settings.h"
#include "word/style_names.h"

// "\n<NAME>\n" (or "\n<text-unknown>\n" when the run's style has no name) and the
// matching "\n</NAME>\n".
void openStyleTag(FILE* out, const ParagraphRun& run, const StyleNames& names);
void closeStyleTag(FILE* out, const ParagraphRun& run, const StyleNames& names);

// One element of the body: converted text and the index of its run.
struct TextElement {
  std::string text;
  size_t run;
};

// Cuts a piece's bytes at the ends of the runs from its own on, appending the
// non-empty elements: 16-bit cuts converted to the output character set, 8-bit
// cuts up to their first 0 byte, decoded as coding says (nullptr:
// windows-1252) and converted likewise. A piece before the first run is skipped.
void cutPiece(WordSettings* settings, const std::vector<ParagraphRun>& runs, const WordPiece& piece,
              const unsigned char* bytes, size_t length, std::vector<TextElement>* elements,
              const NarrowCoding* coding = nullptr);

// Writes the body and, unless there are no runs (then each piece is written as
// "<P>" text "</P>" and nothing follows), the XMLFooter text. Returns 0.
int writeWordXml(WordSettings* settings, CompoundFile* compound, FILE* input,
                 uint32_t documentEntry, FILE* out, const std::vector<ParagraphRun>& runs,
                 const std::vector<WordPiece>& pieces, const StyleNames& names,
                 const NarrowCoding* coding = nullptr);

#endif  // LUMEN_WORD_XML_BODY_H_
