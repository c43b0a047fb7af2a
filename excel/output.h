// The converter's output: a buffered writer that knows how much of the file has
// reached the file system, and every piece of markup the record walk writes.
#ifndef LUMEN_EXCEL_OUTPUT_H_
#define LUMEN_EXCEL_OUTPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "excel/strings.h"
#include "storage/compound_file.h"

struct ExcelState;

// The XML output stops before a cell once the file holds more than this.
constexpr uint64_t kExcelSizeLimit = 51200;

// Writes through its own buffer of kBlock bytes and hands each full block to the
// file system at once (fwrite and fflush), so that what the file system reports
// as the file's size is always the count of bytes flushed, known without asking.
class ExcelOutput {
 public:
  static constexpr size_t kBlock = 4096;

  explicit ExcelOutput(FILE* file);
  ~ExcelOutput();
  ExcelOutput(const ExcelOutput&) = delete;
  ExcelOutput& operator=(const ExcelOutput&) = delete;

  void write(const char* data, size_t length);
  void write(const std::string& text) { write(text.data(), text.size()); }
  void write(const char* text);
  void flush();
  // Bytes the file system holds: those flushed, plus any written to the file by
  // others before syncWithFile.
  uint64_t bytesInFile() const { return flushed_; }
  // Flushes, then takes the file's position as the bytes it holds.
  void syncWithFile();
  FILE* file() const { return file_; }

 private:
  FILE* file_;
  char buffer_[kBlock];
  size_t used_ = 0;
  uint64_t flushed_ = 0;
};

// Document start: the XML header text, or in HTML mode the head lines made from
// the document properties.
void writeDocumentStart(ExcelState* state, CompoundFile* compound, FILE* input,
                        const char* inputPath);
// Document end: in XML mode "</tr></table>" when a sheet was started, then the
// footer text; nothing in HTML mode.
void writeDocumentEnd(ExcelState* state);

// HTML mode: a decoded text and "\n"; nothing when the string gave no text.
void writeTextLine(ExcelState* state, const ExcelString& text);
// HTML mode: every shared string that holds a text, one per line, in index order.
void writeSharedStringLines(ExcelState* state, const SharedStrings& strings);

// XML mode cells. Each places the cell first (sheet change, size check, row
// change, column gap); see placeCell.
void placeCell(ExcelState* state, uint32_t row, uint32_t column);
void writeSharedStringCell(ExcelState* state, uint32_t row, uint32_t column, uint16_t xf,
                           uint32_t index);
void writeInlineTextCell(ExcelState* state, uint32_t row, uint32_t column, uint16_t xf,
                         const ExcelString& text);
void writeNumberCell(ExcelState* state, uint32_t row, uint32_t column, double value);
void writeRkCell(ExcelState* state, uint32_t row, uint32_t column, uint16_t xf, uint32_t rk);
// A MULRK body (row, first column, then 6-byte XF and RK pairs); at least 6 bytes.
void writeMulrkCell(ExcelState* state, const uint8_t* body, size_t length);

// Both modes: the value of one RK cell ("<B>" around it when bold; a date text
// for date cells) and the values of a MULRK run.
void writeRkValue(ExcelState* state, uint16_t xf, uint32_t rk);
void writeMulrkValues(ExcelState* state, const uint8_t* body, size_t length);
// HTML mode: a NUMBER or FORMULA value with "%g   \n".
void writeNumberLine(ExcelState* state, double value);

// XML mode, once the size limit was reached: pads and closes the row and table.
void writeSizeLimitStop(ExcelState* state);

#endif  // LUMEN_EXCEL_OUTPUT_H_
