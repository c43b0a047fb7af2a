#include "excel/records.h"

#include <iterator>

#include "excel/numbers.h"
#include "excel/output.h"
#include "excel/strings.h"
#include "util/byte_reader.h"

namespace {

// The string of `count` characters that starts at offset in the body.
ExcelString stringAt(ExcelState* state, const uint8_t* body, size_t length, size_t offset,
                     uint32_t count) {
  if (offset > length) return ExcelString();
  return decodeExcelString(body + offset, length - offset, count, state->coding);
}

bool htmlMode(const ExcelState* state) { return !state->settings->outputXml; }

// Records that HTML mode writes as one text line: a character count of countWidth
// bytes at countAt, the string from stringFrom. A record too short for its count
// or for the string's start writes nothing, and XML mode writes none of them.
void writeTextRecord(ExcelState* state, const uint8_t* body, size_t length, size_t countAt,
                     size_t countWidth, size_t stringFrom) {
  if (!htmlMode(state) || length < stringFrom) return;
  ByteReader r(body, length);
  uint16_t count = countWidth == 1 ? r.u8At(countAt) : r.u16At(countAt);
  if (r.ok()) writeTextLine(state, stringAt(state, body, length, stringFrom, count));
}

void onBof(ExcelState* state, uint16_t type, ByteReader& r) {
  if (state->versionKnown) return;
  if (type == kRecordBof) {
    uint16_t version = r.u16At(0);
    if (!r.ok()) return;
    state->biff8 = version >= 0x0600;
  } else {
    state->biff8 = false;
  }
  state->versionKnown = true;
  updateTextCoding(state);
}

// A header or footer: in BIFF8 a 16-bit count and a string with its option byte;
// before, a one-byte count and 8-bit characters.
void onHeaderFooter(ExcelState* state, ByteReader& r) {
  if (!htmlMode(state) || !state->settings->includeHeaderAndFooter) return;
  if (state->biff8) {
    uint16_t count = r.u16At(0);
    if (!r.ok()) return;
    writeTextLine(state, stringAt(state, r.data(), r.size(), 2, count));
  } else {
    uint8_t count = r.u8At(0);
    if (!r.ok()) return;
    writeTextLine(state, stringAt(state, r.data(), r.size(), 1, count));
  }
}

// BOUNDSHEET: the 32-bit position of the sheet's BOF, two bytes of flags, then the
// name. BIFF8 stores a one-byte count at 6 and the option byte at 7; older
// versions a one-byte count at 6 and 8-bit characters from 7.
void onBoundSheet(ExcelState* state, ByteReader& r) {
  uint32_t position = r.u32At(0);
  uint8_t count = r.u8At(6);
  uint8_t option = state->biff8 ? r.u8At(7) : 0;
  if (!r.ok()) return;
  ExcelString name;
  if (!state->biff8 || (option & 0x01)) {
    name = stringAt(state, r.data(), r.size(), 7, count);
  } else {
    // 8-bit names as they have always been read: the count word at 6, the
    // characters from 8.
    name = stringAt(state, r.data(), r.size(), 8, r.u16At(6));
  }
  if (htmlMode(state)) {
    writeTextLine(state, name);
    return;
  }
  state->sheetPositions.push_back(position);
  state->sheetNames.push_back(name.hasText ? std::move(name.text) : std::string());
}

// FORMAT: the format index and the format text, whose beginning tells whether it
// shows dates. BIFF8 has a 16-bit count at 2 and the option byte at 4 before the
// characters; older versions a one-byte count at 2 and the characters from 3.
void onFormat(ExcelState* state, ByteReader& r) {
  if (r.size() <= 5) return;
  uint16_t index = r.u16At(0);
  uint8_t count = r.u8At(2);
  size_t start = state->biff8 ? 5 : 3;
  const uint8_t* text = r.bytesAt(start, count);
  if (!r.ok()) return;
  // Only the first record with an index counts.
  state->formatIsDate.emplace(index, formatTextIsDate(reinterpret_cast<const char*>(text), count));
}

// DIMENSIONS: BIFF8 has 32-bit rows, then the first and last column + 1 at 8 and
// 10 and a reserved word at 12; the older 10-byte layout has 16-bit rows and the
// last column + 1 at 6. A record too short for the word at 12 is the older layout.
void onDimensions(ExcelState* state, ByteReader& r) {
  uint16_t limit;
  if (r.has(12, 2)) {
    limit = r.u16At(12) == 0 ? r.u16At(10) : r.u16At(6);
  } else {
    limit = r.u16At(6);
  }
  if (!r.ok()) return;
  state->previousColumnLimit = state->columnLimit;
  state->columnLimit = limit;
}

void onSst(ExcelState* state, const uint8_t* body, size_t length,
           const std::vector<ContinuationStart>& continuations) {
  if (length < 8) return;  // no unique count: a table read before stays
  state->sharedStrings.decode(body, length, continuations, state->coding);
  if (htmlMode(state)) {
    writeSharedStringLines(state, state->sharedStrings);
    state->sharedStrings.clear();
  }
}

// One handler per record type, given the merged body and where its continuations
// begin. Each returns 0, or the conversion's result when the record ends it.
using Handler = int (*)(ExcelState* state, uint16_t type, const uint8_t* body, size_t length,
                        const std::vector<ContinuationStart>& continuations);

int onBofRecord(ExcelState* state, uint16_t type, const uint8_t* body, size_t length,
                const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  onBof(state, type, r);
  return 0;
}

// OLDLABEL, RSTRING and NAME: a 16-bit count at 6, the string from 8.
int onLabelLikeRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                      const std::vector<ContinuationStart>&) {
  writeTextRecord(state, body, length, 6, 2, 8);
  return 0;
}

int onNumberRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                   const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  uint16_t row = r.u16At(0);
  uint16_t column = r.u16At(2);
  double value = r.f64At(6);
  if (!r.ok()) return 0;
  if (htmlMode(state)) {
    writeNumberLine(state, value);
  } else {
    writeNumberCell(state, row, column, value);
  }
  return 0;
}

int onHeaderFooterRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                         const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  onHeaderFooter(state, r);
  return 0;
}

int onNoteRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                 const std::vector<ContinuationStart>&) {
  writeTextRecord(state, body, length, 4, 2, 6);
  return 0;
}

int onFilePassRecord(ExcelState*, uint16_t, const uint8_t*, size_t,
                     const std::vector<ContinuationStart>&) {
  return kExcelEncrypted;
}

int onCodePageRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                     const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  uint16_t codePage = r.u16At(0);
  if (!r.ok()) return 0;
  state->codePage = codePage;
  updateTextCoding(state);
  return 0;
}

int onFontRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                 const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  uint16_t weight = r.u16At(6);
  if (r.ok()) state->fontWeights.push_back(weight);
  return 0;
}

int onBoundSheetRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                       const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  onBoundSheet(state, r);
  return 0;
}

int onMulRkRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                  const std::vector<ContinuationStart>&) {
  if (length < 6) return 0;
  if (htmlMode(state)) {
    writeMulrkValues(state, body, length);
  } else {
    writeMulrkCell(state, body, length);
  }
  return 0;
}

int onType223Record(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                    const std::vector<ContinuationStart>&) {
  writeTextRecord(state, body, length, 0, 2, 2);
  return 0;
}

int onXfRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
               const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  uint16_t font = r.u16At(0);
  uint16_t format = r.u16At(2);
  if (!r.ok()) return 0;
  state->xfFonts.push_back(font);
  state->xfFormats.push_back(format);
  return 0;
}

int onSstRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                const std::vector<ContinuationStart>& continuations) {
  onSst(state, body, length, continuations);
  return 0;
}

int onLabelSstRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                     const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  uint16_t row = r.u16At(0);
  uint16_t column = r.u16At(2);
  uint16_t xf = r.u16At(4);
  uint32_t index = r.u32At(6);
  if (r.ok() && !htmlMode(state)) writeSharedStringCell(state, row, column, xf, index);
  return 0;
}

int onDimensionsRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                       const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  onDimensions(state, r);
  return 0;
}

int onLabelRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                  const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  uint16_t row = r.u16At(0);
  uint16_t column = r.u16At(2);
  uint16_t xf = r.u16At(4);
  uint16_t count = r.u16At(6);
  if (!r.ok()) return 0;
  ExcelString text = stringAt(state, body, length, 8, count);
  if (htmlMode(state)) {
    writeTextLine(state, text);
  } else {
    writeInlineTextCell(state, row, column, xf, text);
  }
  return 0;
}

int onStringRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                   const std::vector<ContinuationStart>&) {
  writeTextRecord(state, body, length, 0, 1, 2);
  return 0;
}

int onRkRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
               const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  uint16_t row = r.u16At(0);
  uint16_t column = r.u16At(2);
  uint16_t xf = r.u16At(4);
  uint32_t rk = r.u32At(6);
  if (!r.ok()) return 0;
  if (htmlMode(state)) {
    writeRkValue(state, xf, rk);
  } else {
    writeRkCell(state, row, column, xf, rk);
  }
  return 0;
}

int onFormatRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                   const std::vector<ContinuationStart>&) {
  ByteReader r(body, length);
  onFormat(state, r);
  return 0;
}

int onSeriesTextRecord(ExcelState* state, uint16_t, const uint8_t* body, size_t length,
                       const std::vector<ContinuationStart>&) {
  writeTextRecord(state, body, length, 2, 1, 3);
  return 0;
}

// The record types the walk acts on, each with its handler: this table decides
// both what is dispatched and whose continuations are merged.
struct Dispatch {
  uint16_t type;
  Handler handle;
};
constexpr Dispatch kDispatch[] = {
    {kRecordBof, onBofRecord},
    {kRecordBof2, onBofRecord},
    {kRecordBof3, onBofRecord},
    {kRecordBof4, onBofRecord},
    {kRecordOldLabel, onLabelLikeRecord},
    {kRecordRString, onLabelLikeRecord},
    {kRecordName, onLabelLikeRecord},
    {kRecordFormula, onNumberRecord},
    {kRecordNumber, onNumberRecord},
    {kRecordHeader, onHeaderFooterRecord},
    {kRecordFooter, onHeaderFooterRecord},
    {kRecordNote, onNoteRecord},
    {kRecordFilePass, onFilePassRecord},
    {kRecordCodePage, onCodePageRecord},
    {kRecordFont, onFontRecord},
    {kRecordBoundSheet, onBoundSheetRecord},
    {kRecordMulRk, onMulRkRecord},
    {kRecordType223, onType223Record},
    {kRecordXf, onXfRecord},
    {kRecordSst, onSstRecord},
    {kRecordLabelSst, onLabelSstRecord},
    {kRecordDimensions, onDimensionsRecord},
    {kRecordLabel, onLabelRecord},
    {kRecordString, onStringRecord},
    {kRecordRk, onRkRecord},
    {kRecordFormat, onFormatRecord},
    {kRecordSeriesText, onSeriesTextRecord},
};

// Every record is looked up twice, and most workbooks are mostly records the walk
// skips: the table is indexed by type, each slot holding 1 + the entry's position
// (0 for none), the first entry winning where a type repeats.
constexpr size_t kIndexedTypes = 0x1100;
struct DispatchIndex {
  uint8_t slot[kIndexedTypes];
};

constexpr bool allIndexed() {
  for (const Dispatch& entry : kDispatch) {
    if (entry.type >= kIndexedTypes) return false;
  }
  return std::size(kDispatch) < 255;
}
static_assert(allIndexed(), "every dispatched type must have a slot");

constexpr DispatchIndex makeIndex() {
  DispatchIndex index{};
  for (size_t i = std::size(kDispatch); i-- > 0;) {
    index.slot[kDispatch[i].type] = static_cast<uint8_t>(i + 1);
  }
  return index;
}
constexpr DispatchIndex kDispatchIndex = makeIndex();

Handler handlerOf(uint16_t type) {
  if (type >= kIndexedTypes) return nullptr;
  const uint8_t slot = kDispatchIndex.slot[type];
  return slot == 0 ? nullptr : kDispatch[slot - 1].handle;
}

}  // namespace

int dispatchRecord(ExcelState* state, uint16_t type, const uint8_t* body, size_t length,
                   const std::vector<ContinuationStart>& continuations) {
  Handler handle = handlerOf(type);
  return handle == nullptr ? 0 : handle(state, type, body, length, continuations);
}

bool isDispatchedRecord(uint16_t type) { return handlerOf(type) != nullptr; }

int walkWorkbook(ExcelState* state, WorkbookStream* stream, uint64_t fileSize) {
  uint64_t position = 0;
  ExcelRecord record;
  for (;;) {
    readRecord(stream, &position, &record, isDispatchedRecord);
    state->streamPosition = position;
    // A record whose body cannot be read ends the stream. An empty record has no
    // body to read: it is dispatched all the same, so that a FILEPASS without a
    // body still marks the workbook encrypted; every other handler needs bytes.
    if (!record.bodyRead && (!record.headerRead || record.length != 0)) return 0;
    int result = dispatchRecord(state, record.type, record.data, record.size, record.continuations);
    if (result != 0) return result;
    if (state->sizeLimitReached) {
      writeSizeLimitStop(state);
      return 0;
    }
    if (position > fileSize) return 0;
  }
}
