// writeWordText: one stretch of document text, cleaned of Word's control
// characters, optionally laid out as a table, converted and escaped.
#ifndef LUMEN_WORD_TEXT_WRITER_H_
#define LUMEN_WORD_TEXT_WRITER_H_

#include <cstddef>
#include <cstdio>
#include <string>

#include "util/memory.h"
#include "word/code_pages.h"
#include "word/settings.h"

// Writes length bytes of text (changed in place) to out.
// - clean: control characters become plain text (11, 12, 14 a paragraph mark 13;
//   30 and 31 "-"; 160 a space; 7 a tab unless a table setting is on; the other
//   controls but 9, 13, 19, 20 and 21 a space; 133 ".", 147 and 148 "\"", 150
//   "-"). 16-bit text (wide, or reverse endian on) is cleaned on whole units with
//   a zero high byte.
// - BreakTables: cell marks (7) become line feeds. FormatTables: text holding cell
//   marks is written as "<table border='0'>" with a row per row mark (7 after a
//   cell's 7) and a cell per cell mark; text after the last cell follows the table.
// - 16-bit text is converted from UCS2 to the output character set (nothing is
//   written when that fails); 8-bit text is decoded from the character set its
//   coding gives each byte (narrow) and converted likewise. Text already in the
//   output set is written as it is, and so is 8-bit text when reverse endian is
//   on (its bytes are then double-byte text of the output set) or when the output
//   set is unknown.
// - escape: "<" and ">" become "&lt;" and "&gt;", "'" becomes "\"".
// - addLineFeed: a "\n" follows.
void writeWordText(WordSettings* settings, unsigned char* text, size_t length, bool wide,
                   bool addLineFeed, bool clean, FILE* out, bool escape,
                   const NarrowText& narrow = NarrowText());

// Appends length bytes of 8-bit text, decoded as narrow says, converted to the
// output character set (unescaped); as they are under the conditions above.
void appendNarrowText(WordSettings* settings, const unsigned char* text, size_t length,
                      const NarrowText& narrow, std::string* out);

// length bytes of UCS2 text converted to the output character set, their count
// in *convertedLength; nullptr when the conversion fails or the text is longer
// than the converter takes.
CharPtr convertWideText(WordSettings* settings, const unsigned char* text, size_t length,
                        size_t* convertedLength);

// Writes bytes to out, escaped as above when asked.
void writeEscaped(const char* bytes, size_t length, FILE* out, bool escape);

#endif  // LUMEN_WORD_TEXT_WRITER_H_
