// The record walk: every record of the workbook stream, in order, dispatched by
// type to what it fills in the workbook state or writes out.
#ifndef LUMEN_EXCEL_RECORDS_H_
#define LUMEN_EXCEL_RECORDS_H_

#include <cstdint>
#include <vector>

#include "excel/stream.h"
#include "excel/workbook.h"

// Record types the walk acts on.
enum ExcelRecordType : uint16_t {
  kRecordOldLabel = 0x0004,
  kRecordFormula = 0x0006,
  kRecordBof2 = 0x0009,
  kRecordEof = 0x000A,
  kRecordHeader = 0x0014,
  kRecordFooter = 0x0015,
  kRecordName = 0x0018,
  kRecordNote = 0x001C,
  kRecordFilePass = 0x002F,
  kRecordFont = 0x0031,
  kRecordCodePage = 0x0042,
  kRecordBoundSheet = 0x0085,
  kRecordMulRk = 0x00BD,
  kRecordRString = 0x00D6,
  kRecordType223 = 0x00DF,
  kRecordXf = 0x00E0,
  kRecordLabelSst = 0x00FD,
  kRecordDimensions = 0x0200,
  kRecordNumber = 0x0203,
  kRecordLabel = 0x0204,
  kRecordString = 0x0207,
  kRecordBof3 = 0x0209,
  kRecordRk = 0x027E,
  kRecordBof4 = 0x0409,
  kRecordFormat = 0x041E,
  kRecordBof = 0x0809,
  kRecordSeriesText = 0x100D,
};

constexpr int kExcelEncrypted = -6;

// Acts on one record whose merged body is body[0, length), with the places where
// its continuations begin. Returns 0, or kExcelEncrypted for FILEPASS. A record
// too short for what its handler reads is skipped.
int dispatchRecord(ExcelState* state, uint16_t type, const uint8_t* body, size_t length,
                   const std::vector<ContinuationStart>& continuations);

// True for the record types dispatchRecord acts on; the walk merges only their
// continuations.
bool isDispatchedRecord(uint16_t type);

// Walks the stream from position 0 until a record cannot be read, the position
// passes fileSize, a handler fails, or (XML mode) the output passed the size
// limit, which closes the open row and table. Returns 0 or the handler's result.
// The document start and end are the caller's.
int walkWorkbook(ExcelState* state, WorkbookStream* stream, uint64_t fileSize);

#endif  // LUMEN_EXCEL_RECORDS_H_
