#include "pdfconv/document.h"

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <TextOutputDev.h>
#include <goo/GooString.h>

#include <cstdio>
#include <string_view>

#include "pdfconv/utf16.h"
#include "util/files.h"

namespace {

constexpr size_t kHeaderWindow = 1024;

bool hasPdfHeader(const char* path) {
  FilePtr file(openFile(path, "rb"));
  if (!file) return false;
  char head[kHeaderWindow];
  size_t count = std::fread(head, 1, sizeof head, file.get());
  return std::string_view(head, count).find("%PDF-") != std::string_view::npos;
}

void quietly(ErrorCategory, Goffset, const char*) {}

// A text string of the information dictionary: UTF-16 after a byte order mark
// (an odd last byte is dropped), else each byte one unit.
std::u16string infoText(const GooString& text) {
  const std::string& bytes = text.toStr();
  std::u16string units;
  bool big = GooString::hasUnicodeMarker(bytes);
  if (big || GooString::hasUnicodeMarkerLE(bytes)) {
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      unsigned char first = static_cast<unsigned char>(bytes[i]);
      unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
      units += static_cast<char16_t>(big ? (first << 8) | second : (second << 8) | first);
    }
  } else {
    for (char byte : bytes) units += static_cast<char16_t>(static_cast<unsigned char>(byte));
  }
  return units;
}

void appendText(void* stream, const char* text, int length) {
  static_cast<std::string*>(stream)->append(text, static_cast<size_t>(length));
}

// Reading order, no physical layout; the text is written at the end of the page,
// unless the page was stopped: then its characters are dropped unordered.
class PageTextDevice : public TextOutputDev {
 public:
  PageTextDevice(std::string* text, PdfStopCheck stop, void* stopData)
      : TextOutputDev(appendText, text, false, 0, false), stop_(stop), stopData_(stopData) {}

  static bool check(void* data) {
    PageTextDevice* device = static_cast<PageTextDevice*>(data);
    if (!device->stopped_ && device->stop_ != nullptr) {
      device->stopped_ = device->stop_(device->stopData_);
    }
    return device->stopped_;
  }
  void endPage() override {
    if (!stopped_) TextOutputDev::endPage();
  }
  bool stopped() const { return stopped_; }

 private:
  PdfStopCheck stop_;
  void* stopData_;
  bool stopped_ = false;
};

}  // namespace

// The parameters are shared by every document of the process and released with
// the last one.
class PdfDocument {
 public:
  explicit PdfDocument(const char* path)
      : parameters_(quietly),
        doc_(std::make_unique<GooString>(path), GooString(""), GooString("")) {}
  PDFDoc& doc() { return doc_; }

 private:
  GlobalParamsIniter parameters_;
  PDFDoc doc_;
};

void PdfDocumentDeleter::operator()(PdfDocument* document) const { delete document; }

PdfOpenStatus openPdf(const char* path, PdfDocumentPtr* document) {
  if (!hasPdfHeader(path)) return PdfOpenStatus::kNotPdf;
  PdfDocumentPtr opened(new PdfDocument(path));
  if (opened->doc().getErrorCode() == errEncrypted) return PdfOpenStatus::kEncrypted;
  if (!opened->doc().isOk()) return PdfOpenStatus::kUnreadable;
  *document = std::move(opened);
  return PdfOpenStatus::kOpened;
}

std::vector<PdfProperty> pdfProperties(PdfDocument* document) {
  std::vector<PdfProperty> present;
  // Fetched once: every fetch parses the dictionary again.
  Object info = document->doc().getDocInfo();
  if (!info.isDict()) return present;
  for (const char* name : {"Title", "Author", "Subject", "Keywords", "Creator", "Producer"}) {
    Object value = info.dictLookup(name);
    if (value.isString()) {
      std::u16string text = infoText(*value.getString());
      if (!text.empty()) present.push_back({name, std::move(text)});
    }
  }
  return present;
}

int pdfPageCount(PdfDocument* document) { return document->doc().getNumPages(); }

std::u16string pdfPageText(PdfDocument* document, int index, PdfStopCheck stop,
                           void* stopData, bool* stopped) {
  *stopped = false;
  PDFDoc& doc = document->doc();
  if (index < 0 || index >= doc.getNumPages() || doc.getPage(index + 1) == nullptr) {
    return std::u16string();
  }
  std::string text;
  PageTextDevice device(&text, stop, stopData);
  // 72 dpi, no rotation, the crop box, not for printing.
  doc.displayPage(&device, index + 1, 72, 72, 0, false, true, false, PageTextDevice::check,
                  &device);
  if (device.stopped()) {
    *stopped = true;
    return std::u16string();
  }
  return utf8ToUtf16(text);
}
