// The Word converter: turns a Word binary document (.DOC: Word 97-2003 with its
// "0Table"/"1Table" stream, or Word 6 and 95 without one) into one text-only HTML
// file or a tagged text grouped by paragraph style.
#ifndef LUMEN_WORD_WORD_H_
#define LUMEN_WORD_WORD_H_

#include <cstdio>

struct WordSettings;

// Reads section `section` of configPath into the process-wide Word settings
// (replacing any read before). Returns 0.
int wordSetUp(const char* configPath, const char* section);
// Releases the process-wide Word settings. Returns 0.
int wordTearDown(const char* configPath, const char* section);

// Converts inputPath into outputPath, running wordSetUp first when the settings
// are not set up. Returns 0, or: -5 the input is not a readable compound file, its
// file information block or paragraph tables cannot be read, its text end lies
// before its text start, or the output cannot be created; -6 the document is
// encrypted; -8 there is no "WordDocument" stream.
int convertWord(const char* inputPath, const char* outputPath, const char* configPath,
                const char* section);

// The conversion of convertWord once the input is open, with the given settings:
// input is the document opened for binary reading, and inputPath names the file
// holding the same bytes (the head shows the name, the size is taken from it, and
// the encryption test opens it again). convertWord is this on the file it opens,
// with the process-wide settings; a fuzz target calls it on a stream in memory.
int convertWordStream(WordSettings* settings, FILE* input, const char* inputPath,
                      const char* outputPath);

#endif  // LUMEN_WORD_WORD_H_
