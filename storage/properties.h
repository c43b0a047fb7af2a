// Document property sets ("SummaryInformation", "DocumentSummaryInformation") and
// the HTML head lines made from them.
#ifndef LUMEN_STORAGE_PROPERTIES_H_
#define LUMEN_STORAGE_PROPERTIES_H_

#include <cstdint>
#include <cstdio>

#include "charset/charset.h"
#include "storage/compound_file.h"
#include "storage/ptr_list.h"

struct DocumentProperties {
  PtrList* names;   // owned texts
  PtrList* values;  // owned texts, parallel to names
};

// Appends the properties of one property-set entry to the two lists; 16-bit
// strings are converted from UCS2 to charset. Does nothing unless both lists exist
// and the entry carries the property-set flag.
void ReadDocumentProperties(CompoundFile* compound, FILE* file, uint32_t entry,
                            CharsetId charset, PtrList* names, PtrList* values);

// The code page (property 1) of the first section of the "SummaryInformation"
// stream, or 0 when there is none or it cannot be read.
uint32_t ReadSummaryCodePage(CompoundFile* compound, FILE* file);

// Writes the TITLE and META lines of every property-set stream, then the
// QVEFILENAME and QVEFULLFILENAME lines for inputPath. Returns a new copy of the
// "AppName" value (released with std::free), or nullptr.
char* WriteHtmlHead(CompoundFile* compound, FILE* file, FILE* out, const char* inputPath,
                    CharsetId charset);

#endif  // LUMEN_STORAGE_PROPERTIES_H_
