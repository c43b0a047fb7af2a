#include "tests/biff_writer.h"

#include <cstring>

#include "tests/cfb_writer.h"

std::string BiffRecordWithLength(uint16_t type, uint16_t length, const std::string& body) {
  return LeU16(type) + LeU16(length) + body;
}

std::string BiffRecord(uint16_t type, const std::string& body) {
  return BiffRecordWithLength(type, static_cast<uint16_t>(body.size()), body);
}

std::string Utf16Le(const std::u16string& characters) {
  std::string bytes;
  for (char16_t c : characters) bytes += LeU16(static_cast<uint16_t>(c));
  return bytes;
}

std::string Biff8String(const std::string& latin1) { return std::string(1, '\0') + latin1; }

std::string Biff16String(const std::u16string& characters) {
  return std::string(1, '\x01') + Utf16Le(characters);
}

uint32_t RkInteger(int32_t value, bool hundredths) {
  return (static_cast<uint32_t>(value) << 2) | 0x02u | (hundredths ? 0x01u : 0u);
}

uint32_t RkDouble(double value, bool hundredths) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return (static_cast<uint32_t>(bits >> 32) & 0xFFFFFFFCu) | (hundredths ? 0x01u : 0u);
}

std::string LeDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return LeU32(static_cast<uint32_t>(bits)) + LeU32(static_cast<uint32_t>(bits >> 32));
}

std::string BofRecord(uint16_t version, uint16_t kind) {
  return BiffRecord(0x0809, LeU16(version) + LeU16(kind) + std::string(12, '\0'));
}

std::string EofRecord() { return BiffRecord(0x000A, ""); }

std::string FontRecord(uint16_t weight) {
  return BiffRecord(0x0031, LeU16(200) + LeU16(0) + LeU16(0x7FFF) + LeU16(weight) +
                                std::string(6, '\0') + Biff8String("Arial").insert(0, 1, '\x05'));
}

std::string XfRecord(uint16_t font, uint16_t format) {
  return BiffRecord(0x00E0, LeU16(font) + LeU16(format) + std::string(16, '\0'));
}

std::string FormatRecord(uint16_t index, const std::string& text) {
  return BiffRecord(0x041E,
                    LeU16(index) + LeU16(static_cast<uint16_t>(text.size())) + Biff8String(text));
}

std::string SstRecord(const std::vector<std::string>& strings) {
  std::string body =
      LeU32(static_cast<uint32_t>(strings.size())) + LeU32(static_cast<uint32_t>(strings.size()));
  for (const std::string& s : strings) {
    body += LeU16(static_cast<uint16_t>(s.size())) + Biff8String(s);
  }
  return BiffRecord(0x00FC, body);
}

std::string LabelSstRecord(uint16_t row, uint16_t column, uint16_t xf, uint32_t index) {
  return BiffRecord(0x00FD, LeU16(row) + LeU16(column) + LeU16(xf) + LeU32(index));
}

std::string NumberRecord(uint16_t row, uint16_t column, uint16_t xf, double value) {
  return BiffRecord(0x0203, LeU16(row) + LeU16(column) + LeU16(xf) + LeDouble(value));
}

std::string RkRecord(uint16_t row, uint16_t column, uint16_t xf, uint32_t rk) {
  return BiffRecord(0x027E, LeU16(row) + LeU16(column) + LeU16(xf) + LeU32(rk));
}

std::string MulRkRecord(uint16_t row, uint16_t column,
                        const std::vector<std::pair<uint16_t, uint32_t>>& values) {
  std::string body = LeU16(row) + LeU16(column);
  for (const auto& value : values) body += LeU16(value.first) + LeU32(value.second);
  body += LeU16(static_cast<uint16_t>(column + values.size() - 1));
  return BiffRecord(0x00BD, body);
}

std::string DimensionsRecord(uint16_t columnLimit, uint32_t rowLimit) {
  return BiffRecord(0x0200, LeU32(0) + LeU32(rowLimit) + LeU16(0) + LeU16(columnLimit) + LeU16(0));
}

std::string LabelRecord(uint16_t row, uint16_t column, uint16_t xf, uint16_t count,
                        const std::string& text) {
  return BiffRecord(0x0204, LeU16(row) + LeU16(column) + LeU16(xf) + LeU16(count) + text);
}

BiffSheet Sheet8(const std::string& name, const std::string& records) {
  return BiffSheet{Biff8String(name), static_cast<uint8_t>(name.size()), records};
}

BiffSheet Sheet16(const std::u16string& name, const std::string& records) {
  return BiffSheet{Biff16String(name), static_cast<uint8_t>(name.size()), records};
}

BiffSheet Sheet5(const std::string& name, const std::string& records) {
  return BiffSheet{name, static_cast<uint8_t>(name.size()), records};
}

std::string WorkbookStream(uint16_t version, const std::string& globals,
                           const std::vector<BiffSheet>& sheets) {
  auto boundSheet = [](uint32_t position, const BiffSheet& sheet) {
    return BiffRecord(0x0085, LeU32(position) + LeU16(0) +
                                  std::string(1, static_cast<char>(sheet.nameCount)) +
                                  sheet.storedName);
  };
  std::string head = BofRecord(version, 0x0005) + globals;
  size_t sheetsSize = 0;
  for (const BiffSheet& sheet : sheets) sheetsSize += boundSheet(0, sheet).size();
  size_t position = head.size() + sheetsSize + EofRecord().size();
  std::string boundSheets;
  std::string bodies;
  for (const BiffSheet& sheet : sheets) {
    boundSheets += boundSheet(static_cast<uint32_t>(position + bodies.size()), sheet);
    bodies += BofRecord(version, 0x0010) + sheet.records + EofRecord();
  }
  return head + boundSheets + EofRecord() + bodies;
}

std::string WorkbookFile(const std::string& stream, const std::string& name) {
  return BuildCompoundFile({CfbStream{name, stream, false}});
}
