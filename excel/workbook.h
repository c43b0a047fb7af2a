// ExcelState: what the record walk learns about the workbook (shared strings,
// sheets, cell formats, fonts, number formats) and where the output stands.
#ifndef LUMEN_EXCEL_WORKBOOK_H_
#define LUMEN_EXCEL_WORKBOOK_H_

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "charset/code_page.h"
#include "charset/convert.h"
#include "excel/output.h"
#include "excel/settings.h"
#include "excel/strings.h"

struct ExcelState {
  ExcelState(const ExcelSettings* settings, ExcelOutput* output);

  const ExcelSettings* settings;
  CharsetContext charsetContext;
  ExcelOutput* out;

  // BIFF8 (BOF version 0x0600) or an older layout, from the first BOF record.
  bool biff8 = true;
  bool versionKnown = false;
  // The workbook's code page, from CODEPAGE; windows-1252 when there is none.
  uint32_t codePage = kCodePageWindows1252;
  // How texts are decoded: the output set, and the set of 8-bit characters that
  // the version and the code page give (see updateTextCoding).
  TextCoding coding;

  SharedStrings sharedStrings;
  std::vector<uint32_t> sheetPositions;  // stream position of each sheet's BOF
  std::vector<std::string> sheetNames;   // parallel to sheetPositions
  std::vector<uint16_t> xfFormats;       // number-format index of each XF
  std::vector<uint16_t> xfFonts;         // font index of each XF
  // Date flag of each FORMAT index, from the first FORMAT record with that index.
  std::unordered_map<uint32_t, bool> formatIsDate;
  std::vector<uint16_t> fontWeights;  // weight of each FONT record

  uint32_t sheetsStarted = 0;
  uint32_t currentRow = 0;
  int64_t lastColumn = -1;
  int64_t columnLimit = 0;
  int64_t previousColumnLimit = 0;
  bool sizeLimitReached = false;
  uint64_t streamPosition = 0;  // just after the current record and its continuations
};

// Sets state->coding.narrow: BIFF8 stores 8-bit characters as the low bytes of
// UTF-16 units, whatever its CODEPAGE says; older versions in the code page, read
// through this system's table for it (windows-1252 for a code page it lacks).
void updateTextCoding(ExcelState* state);

// A cell is bold when the weight of the font its XF names is 700 or more. Font
// index n names the FONT record at position n - 1; index 0, and XF or font
// indexes beyond the lists, are not bold.
bool cellIsBold(const ExcelState& state, uint16_t xf);
// A cell is a date when its XF's number format is 14 to 17, or the first FORMAT
// record with that index has a date text (a later one with the same index does not
// change it). A missing XF counts as format 0.
bool cellIsDate(const ExcelState& state, uint16_t xf);

#endif  // LUMEN_EXCEL_WORKBOOK_H_
