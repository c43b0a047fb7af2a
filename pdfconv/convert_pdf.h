// convertPdf: one PDF to one HTML file (or the tagged form), page by page.
//
// HTML layout: "<HTML>\n<HEAD>\n", a TITLE line and META lines from the
// information dictionary, the QVEFILENAME and QVEFULLFILENAME lines, then
// "\n</HEAD>\n<BODY>\n", each page as "\n<a name=\"Page N\"></a>\n" and its text
// followed by "\n" (none for a page without text), and "\n</BODY>\n</HTML>\n".
// Tagged layout: the XML header and "\n", each page as "\n<page number=\"N\">\n"
// text "\n</page>\n", then the XML footer. A page's text is its lines in reading
// order, without trailing blanks and line feeds, converted from UTF-16 to the
// output character set with "<" and ">" escaped.
#ifndef LUMEN_PDFCONV_CONVERT_PDF_H_
#define LUMEN_PDFCONV_CONVERT_PDF_H_

#include "pdfconv/settings.h"

// The conversion stops after settings.maxPages pages, or at the first page that
// starts later than this many milliseconds after the call, and still closes the
// document properly.
constexpr long kPdfTimeBudgetMilliseconds = 2000;

constexpr int kPdfNotPdf = -4;
constexpr int kPdfUnreadable = -5;
constexpr int kPdfEncrypted = -6;

// 0 on success. On failure the configured error page is copied over output and
// its code returned: kPdfNotPdf, kPdfUnreadable (also when output cannot be
// created; nothing is copied then), kPdfEncrypted.
int convertPdf(const char* input, const char* output, const PdfSettings& settings);

#endif  // LUMEN_PDFCONV_CONVERT_PDF_H_
