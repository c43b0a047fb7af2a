#include "excel/output.h"

#include <cstdlib>
#include <cstring>

#include "charset/convert.h"
#include "excel/numbers.h"
#include "excel/workbook.h"
#include "storage/properties.h"
#include "util/byte_reader.h"
#include "util/memory.h"

ExcelOutput::ExcelOutput(FILE* file) : file_(file) {}

ExcelOutput::~ExcelOutput() { flush(); }

void ExcelOutput::write(const char* data, size_t length) {
  while (length > 0) {
    size_t room = kBlock - used_;
    size_t n = length < room ? length : room;
    std::memcpy(buffer_ + used_, data, n);
    used_ += n;
    data += n;
    length -= n;
    if (used_ == kBlock) flush();
  }
}

void ExcelOutput::write(const char* text) { write(text, std::strlen(text)); }

void ExcelOutput::flush() {
  if (used_ == 0) return;
  // Write errors are not reported; the size seen is what the file system took.
  if (file_ != nullptr) {
    flushed_ += std::fwrite(buffer_, 1, used_, file_);
    std::fflush(file_);
  }
  used_ = 0;
}

void ExcelOutput::syncWithFile() {
  flush();
  if (file_ == nullptr) return;
  std::fflush(file_);
  long position = std::ftell(file_);
  if (position >= 0) flushed_ = static_cast<uint64_t>(position);
}

namespace {

const char kEmptyCell[] = "<td>&nbsp;</td>\n";

// One empty cell for each column in [from, to).
void padColumns(ExcelState* state, int64_t from, int64_t to) {
  for (int64_t column = from; column < to; ++column) state->out->write(kEmptyCell);
}

void startTable(ExcelState* state) {
  state->out->write("<table border='0'>\n");
  state->currentRow = 0;
  state->lastColumn = -1;
  state->sheetsStarted += 1;
}

void changeSheet(ExcelState* state) {
  if (state->sheetPositions.empty()) {
    // A stream that lists no sheets gets one table without a heading, so that its
    // cells stand in rows like any sheet's and the document end closes it.
    if (state->sheetsStarted == 0) startTable(state);
    return;
  }
  if (state->sheetsStarted >= state->sheetPositions.size()) return;
  if (state->streamPosition < state->sheetPositions[state->sheetsStarted]) return;
  const bool tableOpen = state->sheetsStarted > 0;
  // Sheets whose substreams the walk has already passed held no cells: the cell
  // belongs to the last sheet that begins before it, and takes that sheet's heading.
  while (state->sheetsStarted + 1 < state->sheetPositions.size() &&
         state->streamPosition >= state->sheetPositions[state->sheetsStarted + 1]) {
    state->sheetsStarted += 1;
  }
  if (tableOpen) {
    padColumns(state, state->lastColumn + 1, state->previousColumnLimit);
    state->out->write("</tr></table>\n");
  }
  state->out->write("<h3>\n");
  const std::string& name = state->sheetNames[state->sheetsStarted];
  if (!name.empty()) {
    state->out->write(name);
    state->out->write("\n");
  }
  state->out->write("</h3>\n");
  startTable(state);
}

}  // namespace

void writeDocumentStart(ExcelState* state, CompoundFile* compound, FILE* input,
                        const char* inputPath) {
  if (state->settings->outputXml) {
    state->out->write(state->settings->xmlHeader.c_str());
    return;
  }
  // The head lines go straight into the file.
  state->out->flush();
  ScopedTablesDirectory tables(state->settings->tablesDirectory.c_str());
  CharPtr application(WriteHtmlHead(compound, input, state->out->file(), inputPath,
                                    state->settings->fileNameCharset));
  state->out->syncWithFile();
}

void writeDocumentEnd(ExcelState* state) {
  if (!state->settings->outputXml) return;
  if (state->sheetsStarted > 0) state->out->write("</tr></table>");
  state->out->write(state->settings->xmlFooter.c_str());
}

void writeTextLine(ExcelState* state, const ExcelString& text) {
  if (!text.hasText) return;
  state->out->write(text.text);
  state->out->write("\n");
}

void writeSharedStringLines(ExcelState* state, const SharedStrings& strings) {
  strings.forEachText([state](const std::string& text) {
    state->out->write(text);
    state->out->write("\n");
  });
}

void placeCell(ExcelState* state, uint32_t row, uint32_t column) {
  changeSheet(state);
  if (state->out->bytesInFile() > kExcelSizeLimit) state->sizeLimitReached = true;
  if (row != state->currentRow) {
    padColumns(state, state->lastColumn + 1, state->columnLimit);
    if (row != 0) state->out->write("</tr>\n");
    state->out->write("<tr>\n");
    state->lastColumn = -1;
  }
  padColumns(state, state->lastColumn + 1, column);
  state->currentRow = row;
  state->lastColumn = column;
}

void writeSharedStringCell(ExcelState* state, uint32_t row, uint32_t column, uint16_t xf,
                           uint32_t index) {
  placeCell(state, row, column);
  const std::string* text = state->sharedStrings.at(index);
  if (text == nullptr) return;
  bool bold = cellIsBold(*state, xf);
  state->out->write("\n<td> \n");
  if (bold) state->out->write("\n<B> \n");
  state->out->write(*text);
  if (bold) state->out->write("\n</B> \n");
  state->out->write("\n</td>");
}

void writeInlineTextCell(ExcelState* state, uint32_t row, uint32_t column, uint16_t xf,
                         const ExcelString& text) {
  if (!text.hasText) return;
  placeCell(state, row, column);
  bool bold = cellIsBold(*state, xf);
  state->out->write("\n<td> \n");
  if (bold) state->out->write("\n<b> \n");
  state->out->write(text.text);
  if (bold) state->out->write("\n</b> \n");
  state->out->write("\n</td>");
}

void writeNumberCell(ExcelState* state, uint32_t row, uint32_t column, double value) {
  placeCell(state, row, column);
  state->out->write("<td>");
  state->out->write(cellNumberText(value));
  state->out->write("</td> ");
}

void writeRkCell(ExcelState* state, uint32_t row, uint32_t column, uint16_t xf, uint32_t rk) {
  placeCell(state, row, column);
  state->out->write("<td >");
  writeRkValue(state, xf, rk);
  state->out->write("</td> ");
}

void writeMulrkCell(ExcelState* state, const uint8_t* body, size_t length) {
  ByteReader reader(body, length);
  uint32_t row = reader.u16At(0);
  uint32_t column = reader.u16At(2);
  if (!reader.ok()) return;
  placeCell(state, row, column);
  state->out->write("<td >");
  writeMulrkValues(state, body, length);
  state->out->write("</td> ");
}

void writeRkValue(ExcelState* state, uint16_t xf, uint32_t rk) {
  bool bold = cellIsBold(*state, xf);
  double value = rkNumber(rk);
  if (bold) state->out->write("<B>");
  if (cellIsDate(*state, xf)) {
    std::string date;
    if (dateText(value, &date)) state->out->write(date);
  } else {
    state->out->write(rkNumberText(value));
  }
  if (bold) state->out->write("</B>");
}

void writeMulrkValues(ExcelState* state, const uint8_t* body, size_t length) {
  if (length < 6) return;
  ByteReader reader(body, length);
  size_t values = (length - 6) / 6;
  for (size_t i = 0; i < values; ++i) {
    if (i > 0) state->out->write("<td>");
    state->out->write(mulrkNumberText(rkNumber(reader.u32At(6 + 6 * i))));
  }
  state->lastColumn += static_cast<int64_t>(values) - 1;
  state->out->write("\n");
}

void writeNumberLine(ExcelState* state, double value) {
  state->out->write(cellNumberText(value));
  state->out->write("\n");
}

void writeSizeLimitStop(ExcelState* state) {
  padColumns(state, state->lastColumn + 1, state->columnLimit);
  state->out->write("</tr></table>\n");
}
