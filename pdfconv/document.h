// PdfDocument: one PDF opened through poppler's core library, with the text of
// its information dictionary and of its pages. The rest of the plug-in sees no
// poppler type.
#ifndef LUMEN_PDFCONV_DOCUMENT_H_
#define LUMEN_PDFCONV_DOCUMENT_H_

#include <memory>
#include <string>
#include <vector>

class PdfDocument;

enum class PdfOpenStatus {
  kOpened,
  kNotPdf,       // no "%PDF-" in the first 1024 bytes
  kUnreadable,   // a PDF header, but poppler cannot make a document of it
  kEncrypted,    // it needs a user password
};

// Closing the document also releases poppler's process-wide parameters when it
// was the last one open.
struct PdfDocumentDeleter {
  void operator()(PdfDocument* document) const;
};
using PdfDocumentPtr = std::unique_ptr<PdfDocument, PdfDocumentDeleter>;

// Opens the file at path; *document receives it when the result is kOpened.
// Poppler's diagnostics are dropped, never written to standard error.
PdfOpenStatus openPdf(const char* path, PdfDocumentPtr* document);

// One entry of the information dictionary: the name written in the HTML head
// ("Title", "Author", "Subject", "Keywords", "Creator", "Producer") and its text
// in UTF-16 (a text string with a byte order mark as UTF-16, any other one byte
// a unit). Only entries with a non-empty text are returned, in that order.
struct PdfProperty {
  const char* name;
  std::u16string value;
};
std::vector<PdfProperty> pdfProperties(PdfDocument* document);

int pdfPageCount(PdfDocument* document);

// Asked while a page is read; true stops the page.
using PdfStopCheck = bool (*)(void* data);

// The text of page index (0-based) in reading order, one line per text line,
// each line ending in a line feed and the page in a form feed; "" for a page that
// cannot be read. When stop returns true while the page's content is read (it is
// asked every few drawing operations), the page's text is left out: *stopped is
// set and "" returned, since ordering the characters gathered so far into lines
// can take far longer than gathering them.
std::u16string pdfPageText(PdfDocument* document, int index, PdfStopCheck stop,
                           void* stopData, bool* stopped);

#endif  // LUMEN_PDFCONV_DOCUMENT_H_
