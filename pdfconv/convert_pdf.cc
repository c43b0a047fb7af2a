#include "pdfconv/convert_pdf.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "charset/convert.h"
#include "pdfconv/document.h"
#include "storage/file_name_lines.h"
#include "util/files.h"
#include "util/memory.h"

namespace {

// Page text and dictionary values as they are written: "<" and ">" escaped (in
// attribute values '"' too), carriage returns and page breaks dropped, and other
// control characters but line feed and tab (in values, all) turned into spaces.
std::u16string escapeText(std::u16string_view text, bool attribute) {
  std::u16string escaped;
  escaped.reserve(text.size());
  for (char16_t unit : text) {
    if (unit == u'<') {
      escaped += u"&lt;";
    } else if (unit == u'>') {
      escaped += u"&gt;";
    } else if (attribute && unit == u'"') {
      escaped += u"&quot;";
    } else if (unit == u'\r' || unit == u'\f') {
      continue;
    } else if (unit < 0x20 && (attribute || (unit != u'\n' && unit != u'\t'))) {
      escaped += u' ';
    } else {
      escaped += unit;
    }
  }
  return escaped;
}

class PdfWriter {
 public:
  // Text is converted with the tables of the directory set by ScopedTablesDirectory.
  PdfWriter(FILE* out, CharsetId charset) : out_(out), charset_(charset) {}
  PdfWriter(const PdfWriter&) = delete;
  PdfWriter& operator=(const PdfWriter&) = delete;

  // Writes UTF-16 text converted to the output character set; a text that cannot
  // be converted is left out, as the other converters do.
  void text(const std::u16string& units) {
    if (units.empty() || units.size() > INT32_MAX / 2) return;
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    }
    char* converted = nullptr;
    int32_t length = 0;
    if (ConvertCharsetWithDefaults(CHARSET_UCS2, charset_, bytes.data(),
                                   static_cast<int32_t>(bytes.size()), &converted,
                                   &length) == CHARSET_OK) {
      CharPtr owner(converted);
      if (length > 0) std::fwrite(converted, 1, static_cast<size_t>(length), out_);
    }
  }
  void raw(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), out_); }

 private:
  FILE* out_;
  CharsetId charset_;
};

void writeHead(PdfWriter* writer, PdfDocument* document, const char* input) {
  writer->raw("<HTML>\n<HEAD>\n");
  for (const PdfProperty& property : pdfProperties(document)) {
    std::u16string value = escapeText(property.value, true);
    if (std::string_view(property.name) == "Title") {
      writer->raw("<TITLE>");
      writer->text(value);
      writer->raw("</TITLE>\n");
    } else {
      writer->raw("<META NAME=\"");
      writer->raw(property.name);
      writer->raw("\" CONTENT=\"");
      writer->text(value);
      writer->raw("\">\n");
    }
  }
  writer->raw(FileNameLines(input));
  writer->raw("\n</HEAD>\n<BODY>\n");
}

using Clock = std::chrono::steady_clock;

bool pastDeadline(void* deadline) {
  return Clock::now() >= *static_cast<const Clock::time_point*>(deadline);
}

// A page whose reading runs past the deadline keeps its anchor, goes without
// text, and ends the conversion.
void writePages(PdfWriter* writer, PdfDocument* document, const PdfSettings& settings,
                Clock::time_point deadline) {
  int count = pdfPageCount(document);
  if (count > settings.maxPages) count = settings.maxPages;
  bool stopped = false;
  for (int index = 0; index < count && !stopped && Clock::now() < deadline; ++index) {
    std::string number = std::to_string(index + 1);
    if (settings.outputXml) {
      writer->raw("\n<page number=\"" + number + "\">\n");
    } else {
      writer->raw("\n<a name=\"Page " + number + "\"></a>\n");
    }
    std::u16string text =
        escapeText(pdfPageText(document, index, pastDeadline, &deadline, &stopped), false);
    size_t end = text.find_last_not_of(u" \t\n");
    text.erase(end == std::u16string::npos ? 0 : end + 1);
    writer->text(text);
    if (settings.outputXml) {
      writer->raw("\n</page>\n");
    } else if (!text.empty()) {
      writer->raw("\n");
    }
  }
}

int fail(int code, const std::string& page, const char* output) {
  copyFile(page.c_str(), output, "w");
  return code;
}

}  // namespace

int convertPdf(const char* input, const char* output, const PdfSettings& settings) {
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(kPdfTimeBudgetMilliseconds);
  PdfDocumentPtr document;
  switch (openPdf(input, &document)) {
    case PdfOpenStatus::kOpened:
      break;
    case PdfOpenStatus::kNotPdf:
      return fail(kPdfNotPdf, settings.notPdfPage, output);
    case PdfOpenStatus::kUnreadable:
      return fail(kPdfUnreadable, settings.unreadablePage, output);
    case PdfOpenStatus::kEncrypted:
      return fail(kPdfEncrypted, settings.encryptedPage, output);
  }

  FilePtr out(openFile(output, "w+b"));
  if (!out) return kPdfUnreadable;
  ScopedTablesDirectory tables(settings.tablesDirectory.c_str());
  PdfWriter writer(out.get(), settings.outputCharset);
  if (settings.outputXml) {
    writer.raw(settings.xmlHeader);
    writer.raw("\n");
  } else {
    writeHead(&writer, document.get(), input);
  }
  writePages(&writer, document.get(), settings, deadline);
  writer.raw(settings.outputXml ? std::string_view(settings.xmlFooter)
                                : std::string_view("\n</BODY>\n</HTML>\n"));
  return 0;
}
