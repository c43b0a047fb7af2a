// A small compound-file writer for tests: builds exact containers in memory so that
// readers can be tested on edge cases (unit boundaries, extension sectors, missing
// mini stream) and on hostile variants made by poking bytes of the image.
//
// Layout of a built file: allocation-table sectors first, then extension sectors,
// the directory, the mini allocation table, the mini stream, and finally the data of
// each large stream in entry order. Entry 0 is the root; stream i is entry i + 1,
// chained as right siblings under the root. Streams below 4096 bytes live in the
// mini stream (64-byte units), others in 512-byte sectors; empty streams own no unit.
#ifndef LUMEN_TESTS_CFB_WRITER_H_
#define LUMEN_TESTS_CFB_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

struct CfbStream {
  std::string name;  // 8-bit characters, stored as UTF-16 code units 0..255
  std::string data;
  bool propertySet = false;  // store the name behind a leading 0x05
};

struct CfbOptions {
  // At least this many allocation-table sectors; above 109 the list continues in
  // extension sectors.
  uint32_t minTableSectors = 0;
  // Give the root no mini stream (first sector end of chain, size 0) even when
  // small streams exist; their units are then not written at all.
  bool omitMiniStream = false;
};

constexpr uint32_t kCfbEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kCfbFree = 0xFFFFFFFF;
constexpr uint32_t kCfbTableSector = 0xFFFFFFFD;
constexpr uint32_t kCfbExtensionSector = 0xFFFFFFFC;

// A built file and where its parts lie, for tests that poke bytes.
struct CfbImage {
  std::string bytes;
  std::vector<uint32_t> tableSectors;      // allocation-table sectors, in list order
  std::vector<uint32_t> extensionSectors;  // in chain order
  std::vector<uint32_t> directorySectors;
  std::vector<uint32_t> miniTableSectors;
  std::vector<uint32_t> miniStreamSectors;
  std::vector<uint32_t> firstSectors;  // per stream (entry i + 1); mini unit for small ones

  static size_t SectorOffset(uint32_t sector) { return (static_cast<size_t>(sector) + 1) * 512; }
  // File offset of directory entry `entry` (0 = root).
  size_t EntryOffset(uint32_t entry) const;
  // File offset of the allocation-table cell of `sector`.
  size_t TableCellOffset(uint32_t sector) const;
  // File offset of the mini allocation-table cell of mini unit `unit`.
  size_t MiniTableCellOffset(uint32_t unit) const;

  void PutU8(size_t offset, uint8_t value);
  void PutU16(size_t offset, uint16_t value);
  void PutU32(size_t offset, uint32_t value);
  uint32_t GetU32(size_t offset) const;
  // Shorthands for the fields tests change most.
  void SetTableCell(uint32_t sector, uint32_t value) { PutU32(TableCellOffset(sector), value); }
  void SetMiniTableCell(uint32_t unit, uint32_t value) { PutU32(MiniTableCellOffset(unit), value); }
  void SetEntryU32(uint32_t entry, size_t field, uint32_t value) {
    PutU32(EntryOffset(entry) + field, value);
  }
};

// Directory entry field offsets.
constexpr size_t kCfbEntryNameLength = 0x40;
constexpr size_t kCfbEntryKind = 0x42;
constexpr size_t kCfbEntryLeft = 0x44;
constexpr size_t kCfbEntryRight = 0x48;
constexpr size_t kCfbEntryChild = 0x4C;
constexpr size_t kCfbEntryFirstSector = 0x74;
constexpr size_t kCfbEntrySize = 0x78;
// Header field offsets.
constexpr size_t kCfbHeaderTableSectors = 0x2C;
constexpr size_t kCfbHeaderFirstDirectory = 0x30;
constexpr size_t kCfbHeaderFirstMiniTable = 0x3C;
constexpr size_t kCfbHeaderFirstExtension = 0x44;
constexpr size_t kCfbHeaderExtensionCount = 0x48;
constexpr size_t kCfbHeaderTableList = 0x4C;

CfbImage BuildCompoundImage(const std::vector<CfbStream>& streams, const CfbOptions& options = {});
std::string BuildCompoundFile(const std::vector<CfbStream>& streams,
                              const CfbOptions& options = {});

// Property-set streams. A property's stored bytes are its value as the format
// keeps it: type, then payload (the dictionary, id 0, has no type).
struct CfbProperty {
  uint32_t id;
  std::string value;
};
// Type 30: length with terminator, the text, a 0, padded to 4 bytes.
std::string PropertyString8(const std::string& text);
// Type 31: count of code units with terminator, UTF-16LE units, a 0 unit, padded.
std::string PropertyString16(const std::u16string& text);
// Any type with a raw payload (e.g. 3 and four bytes for a 32-bit integer).
std::string PropertyRaw(uint32_t type, const std::string& payload);
// Dictionary value: count, then (id, length with terminator, name, 0) per entry.
std::string PropertyDictionary(const std::vector<std::pair<uint32_t, std::string>>& entries);
// One section: size, count, (id, offset) table, then the values in order.
std::string BuildPropertySection(const std::vector<CfbProperty>& properties);
// A whole stream: the 28-byte header, a section count, one (format id, offset)
// pair per section, then the sections back to back.
std::string BuildPropertySetStream(const std::vector<std::string>& sections);

// A temporary file holding bytes, positioned at its start (removed when closed);
// nullptr when none can be made.
FILE* OpenTempFileWith(const std::string& bytes);

// Little-endian helpers for building payloads.
std::string LeU16(uint16_t value);
std::string LeU32(uint32_t value);

#endif  // LUMEN_TESTS_CFB_WRITER_H_
