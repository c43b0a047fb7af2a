// PdfDocument: one PDF opened through poppler's C++ interface, with the text of
// its information dictionary and of its pages. The rest of the plug-in sees no
// poppler type.
#ifndef LUMEN_PDFCONV_DOCUMENT_H_
#define LUMEN_PDFCONV_DOCUMENT_H_

#include <memory>
#include <string>
#include <vector>

namespace poppler {
class document;
}

enum class PdfOpenStatus {
  kOpened,
  kNotPdf,       // no "%PDF-" in the first 1024 bytes
  kUnreadable,   // a PDF header, but poppler cannot make a document of it
  kEncrypted,    // it needs a user password
};

struct PdfDocumentDeleter {
  void operator()(poppler::document* document) const;
};
using PdfDocumentPtr = std::unique_ptr<poppler::document, PdfDocumentDeleter>;

// Opens the file at path; *document receives it when the result is kOpened.
PdfOpenStatus openPdf(const char* path, PdfDocumentPtr* document);

// One entry of the information dictionary: the name written in the HTML head
// ("Title", "Author", "Subject", "Keywords", "Creator", "Producer") and its text
// in UTF-16. Only entries with a non-empty text are returned, in that order.
struct PdfProperty {
  const char* name;
  std::u16string value;
};
std::vector<PdfProperty> pdfProperties(const poppler::document& document);

int pdfPageCount(const poppler::document& document);
// The text of page index (0-based) in reading order, one line per text line; ""
// for a page that cannot be read.
std::u16string pdfPageText(const poppler::document& document, int index);

// Routes poppler's diagnostics away from the host's standard error.
void silencePoppler();

#endif  // LUMEN_PDFCONV_DOCUMENT_H_
