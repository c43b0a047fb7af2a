// The two head lines that carry the input file's name, written after the property
// lines of every HTML head (compound documents and PDFs alike).
#ifndef LUMEN_STORAGE_FILE_NAME_LINES_H_
#define LUMEN_STORAGE_FILE_NAME_LINES_H_

#include <string>

// "<META NAME=\"QVEFILENAME\" CONTENT=\"NAME\">\n" with the part of inputPath after
// its last "/" or "\" (the whole path when it has none), then
// "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"PATH\">\n" with the whole path, both
// unescaped. Empty for a missing or empty path.
std::string FileNameLines(const char* inputPath);

#endif  // LUMEN_STORAGE_FILE_NAME_LINES_H_
