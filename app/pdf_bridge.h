// The bridge to the PDF plug-in library: PDFs are converted by an outside
// library, "pdfconv.dll" (libpdfconv.so on Linux), loaded at run time.
#ifndef LUMEN_APP_PDF_BRIDGE_H_
#define LUMEN_APP_PDF_BRIDGE_H_

#include "app/convert_file.h"

// The plug-in's two exported functions, called in this order. Their results are
// not used.
using PdfConvInit = int (*)(const char* configPath, const char* section);
using PdfConvConvert = int (*)(const char* input, const char* output, const char* configPath,
                               const char* section);

// Loads the library (every call; it is never unloaded), looks up "convInit" and
// then "convConvert", and calls both, with the arguments as given, only when both
// exist. Whatever the library writes to output is the conversion. Always 0: a
// missing library writes nothing and selects no error page.
ConvertResult pdfConvert(const char* input, const char* output, const char* configPath,
                         const char* section);

#endif  // LUMEN_APP_PDF_BRIDGE_H_
