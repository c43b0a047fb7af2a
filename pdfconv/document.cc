#include "pdfconv/document.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <cstdio>
#include <cstring>
#include <string_view>

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

std::u16string toUtf16(const poppler::ustring& text) {
  return std::u16string(text.begin(), text.end());
}

void quietly(const std::string&, void*) {}

}  // namespace

void PdfDocumentDeleter::operator()(poppler::document* document) const { delete document; }

PdfOpenStatus openPdf(const char* path, PdfDocumentPtr* document) {
  if (!hasPdfHeader(path)) return PdfOpenStatus::kNotPdf;
  PdfDocumentPtr opened(poppler::document::load_from_file(path));
  if (!opened) return PdfOpenStatus::kUnreadable;
  if (opened->is_locked()) return PdfOpenStatus::kEncrypted;
  *document = std::move(opened);
  return PdfOpenStatus::kOpened;
}

std::vector<PdfProperty> pdfProperties(const poppler::document& document) {
  std::vector<PdfProperty> properties = {
      {"Title", toUtf16(document.get_title())},
      {"Author", toUtf16(document.get_author())},
      {"Subject", toUtf16(document.get_subject())},
      {"Keywords", toUtf16(document.get_keywords())},
      {"Creator", toUtf16(document.get_creator())},
      {"Producer", toUtf16(document.get_producer())},
  };
  std::vector<PdfProperty> present;
  for (PdfProperty& property : properties) {
    if (!property.value.empty()) present.push_back(std::move(property));
  }
  return present;
}

int pdfPageCount(const poppler::document& document) { return document.pages(); }

std::u16string pdfPageText(const poppler::document& document, int index) {
  std::unique_ptr<poppler::page> page(document.create_page(index));
  if (!page) return std::u16string();
  return toUtf16(page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout));
}

void silencePoppler() { poppler::set_debug_error_function(quietly, nullptr); }
