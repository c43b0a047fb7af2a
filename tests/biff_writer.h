// A BIFF record writer for tests: builds workbook streams record by record, and
// whole workbook files through the compound-file writer, so that the Excel
// converter can be run on exact and on deliberately broken workbooks.
#ifndef LUMEN_TESTS_BIFF_WRITER_H_
#define LUMEN_TESTS_BIFF_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr uint16_t kBiff8 = 0x0600;
constexpr uint16_t kBiff5 = 0x0500;

// One record: type, body length and body. The length is the body's unless given.
std::string BiffRecord(uint16_t type, const std::string& body);
std::string BiffRecordWithLength(uint16_t type, uint16_t length, const std::string& body);

// Strings as records store them after their character count.
std::string Biff8String(const std::string& latin1);          // option 0, 8-bit
std::string Biff16String(const std::u16string& characters);  // option 1, 16-bit
std::string Utf16Le(const std::u16string& characters);

// RK values: an integer (upper 30 bits), optionally in hundredths; a double whose
// low 34 bits are 0, optionally in hundredths.
uint32_t RkInteger(int32_t value, bool hundredths = false);
uint32_t RkDouble(double value, bool hundredths = false);
std::string LeDouble(double value);

// Record bodies and whole records of the kinds the converter reads.
std::string BofRecord(uint16_t version, uint16_t kind);  // kind 5 globals, 0x10 sheet
std::string EofRecord();
std::string FontRecord(uint16_t weight);
std::string XfRecord(uint16_t font, uint16_t format);
// BIFF8 FORMAT: index, 16-bit count, option 0, 8-bit characters.
std::string FormatRecord(uint16_t index, const std::string& text);
// SST of 8-bit strings (total and unique count = strings.size()).
std::string SstRecord(const std::vector<std::string>& strings);
std::string LabelSstRecord(uint16_t row, uint16_t column, uint16_t xf, uint32_t index);
std::string NumberRecord(uint16_t row, uint16_t column, uint16_t xf, double value);
std::string RkRecord(uint16_t row, uint16_t column, uint16_t xf, uint32_t rk);
// MULRK: row, first column, (XF, RK) pairs, last column.
std::string MulRkRecord(uint16_t row, uint16_t column,
                        const std::vector<std::pair<uint16_t, uint32_t>>& values);
// BIFF8 DIMENSIONS (14 bytes) with columns [0, columnLimit) and rows [0, rowLimit).
std::string DimensionsRecord(uint16_t columnLimit, uint32_t rowLimit = 1);
// LABEL: row, column, XF, 16-bit count, then `text` as stored (with or without an
// option byte).
std::string LabelRecord(uint16_t row, uint16_t column, uint16_t xf, uint16_t count,
                        const std::string& text);

// A sheet of a workbook: its name as stored in BOUNDSHEET after the count byte (for
// BIFF8 the option byte and the characters, for BIFF5 the characters), its
// character count, and the records between its BOF and EOF.
struct BiffSheet {
  std::string storedName;
  uint8_t nameCount;
  std::string records;
};
BiffSheet Sheet8(const std::string& name, const std::string& records);  // BIFF8, 8-bit name
BiffSheet Sheet16(const std::u16string& name, const std::string& records);
BiffSheet Sheet5(const std::string& name, const std::string& records);  // BIFF5

// A workbook stream: BOF (version, globals), the globals records, one BOUNDSHEET
// per sheet (positions filled in), EOF, then each sheet's BOF, records and EOF.
std::string WorkbookStream(uint16_t version, const std::string& globals,
                           const std::vector<BiffSheet>& sheets);

// A compound file holding one stream (default "Workbook") plus any others.
std::string WorkbookFile(const std::string& stream, const std::string& name = "Workbook");

#endif  // LUMEN_TESTS_BIFF_WRITER_H_
