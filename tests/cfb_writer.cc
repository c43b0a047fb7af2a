#include "tests/cfb_writer.h"

#include <cassert>

namespace {

constexpr size_t kSector = 512;
constexpr size_t kMiniUnit = 64;
constexpr size_t kMiniCutoff = 4096;
constexpr uint32_t kEntriesPerSector = 128;
constexpr uint32_t kHeaderTableSlots = 109;
constexpr uint32_t kExtensionSlots = 127;

uint32_t CeilDiv(size_t a, size_t b) { return static_cast<uint32_t>((a + b - 1) / b); }

bool IsMini(const CfbStream& s) { return !s.data.empty() && s.data.size() < kMiniCutoff; }

// Appends a chain of `count` consecutive sectors starting at `first` to the table.
void Chain(std::vector<uint32_t>* table, uint32_t first, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    (*table)[first + i] = (i + 1 < count) ? first + i + 1 : kCfbEndOfChain;
  }
}

void WriteEntry(CfbImage* image, uint32_t index, const std::string& name, bool propertySet,
                uint8_t kind, uint32_t right, uint32_t child, uint32_t first, uint32_t size) {
  size_t at = image->EntryOffset(index);
  std::u16string units;
  if (propertySet) units.push_back(0x05);
  for (unsigned char c : name) units.push_back(c);
  assert(units.size() < 32);
  for (size_t i = 0; i < units.size(); ++i) image->PutU16(at + 2 * i, units[i]);
  image->PutU16(at + kCfbEntryNameLength, static_cast<uint16_t>((units.size() + 1) * 2));
  image->PutU8(at + kCfbEntryKind, kind);
  image->PutU8(at + 0x43, 1);  // black
  image->PutU32(at + kCfbEntryLeft, kCfbFree);
  image->PutU32(at + kCfbEntryRight, right);
  image->PutU32(at + kCfbEntryChild, child);
  image->PutU32(at + kCfbEntryFirstSector, first);
  image->PutU32(at + kCfbEntrySize, size);
}

}  // namespace

size_t CfbImage::EntryOffset(uint32_t entry) const {
  return SectorOffset(directorySectors.at(entry / 4)) + (entry % 4) * 128;
}

size_t CfbImage::TableCellOffset(uint32_t sector) const {
  return SectorOffset(tableSectors.at(sector / kEntriesPerSector)) +
         (sector % kEntriesPerSector) * 4;
}

size_t CfbImage::MiniTableCellOffset(uint32_t unit) const {
  return SectorOffset(miniTableSectors.at(unit / kEntriesPerSector)) +
         (unit % kEntriesPerSector) * 4;
}

void CfbImage::PutU8(size_t offset, uint8_t value) { bytes.at(offset) = static_cast<char>(value); }

void CfbImage::PutU16(size_t offset, uint16_t value) {
  PutU8(offset, value & 0xFF);
  PutU8(offset + 1, value >> 8);
}

void CfbImage::PutU32(size_t offset, uint32_t value) {
  PutU16(offset, value & 0xFFFF);
  PutU16(offset + 2, value >> 16);
}

uint32_t CfbImage::GetU32(size_t offset) const {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes.at(offset + i));
  return v;
}

CfbImage BuildCompoundImage(const std::vector<CfbStream>& streams, const CfbOptions& options) {
  CfbImage image;
  const uint32_t entryCount = static_cast<uint32_t>(streams.size()) + 1;

  // Mini stream units and large-stream sectors.
  uint32_t miniUnits = 0;
  uint32_t dataSectors = 0;
  for (const CfbStream& s : streams) {
    if (IsMini(s)) {
      miniUnits += CeilDiv(s.data.size(), kMiniUnit);
    } else {
      dataSectors += CeilDiv(s.data.size(), kSector);
    }
  }
  if (options.omitMiniStream) miniUnits = 0;
  const uint32_t miniStreamCount = CeilDiv(size_t{miniUnits} * kMiniUnit, kSector);
  const uint32_t miniTableCount = CeilDiv(size_t{miniUnits} * 4, kSector);
  const uint32_t directoryCount = CeilDiv(entryCount, 4);
  const uint32_t others = directoryCount + miniTableCount + miniStreamCount + dataSectors;

  uint32_t tableCount = 1;
  uint32_t extensionCount = 0;
  for (;; ++tableCount) {
    extensionCount = tableCount > kHeaderTableSlots
                         ? CeilDiv(tableCount - kHeaderTableSlots, kExtensionSlots)
                         : 0;
    if (tableCount >= options.minTableSectors &&
        size_t{tableCount} * kEntriesPerSector >= size_t{others} + tableCount + extensionCount) {
      break;
    }
  }
  const uint32_t sectorCount = tableCount + extensionCount + others;
  image.bytes.assign((size_t{sectorCount} + 1) * kSector, '\0');

  uint32_t next = 0;
  auto take = [&next](std::vector<uint32_t>* list, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) list->push_back(next++);
  };
  take(&image.tableSectors, tableCount);
  take(&image.extensionSectors, extensionCount);
  take(&image.directorySectors, directoryCount);
  take(&image.miniTableSectors, miniTableCount);
  take(&image.miniStreamSectors, miniStreamCount);

  std::vector<uint32_t> table(size_t{tableCount} * kEntriesPerSector, kCfbFree);
  for (uint32_t s : image.tableSectors) table[s] = kCfbTableSector;
  for (uint32_t s : image.extensionSectors) table[s] = kCfbExtensionSector;
  if (directoryCount) Chain(&table, image.directorySectors[0], directoryCount);
  if (miniTableCount) Chain(&table, image.miniTableSectors[0], miniTableCount);
  if (miniStreamCount) Chain(&table, image.miniStreamSectors[0], miniStreamCount);

  // Stream data.
  std::vector<uint32_t> miniTable(size_t{miniTableCount} * kEntriesPerSector, kCfbFree);
  uint32_t nextUnit = 0;
  for (const CfbStream& s : streams) {
    if (s.data.empty() || (IsMini(s) && options.omitMiniStream)) {
      image.firstSectors.push_back(kCfbEndOfChain);
    } else if (IsMini(s)) {
      uint32_t units = CeilDiv(s.data.size(), kMiniUnit);
      image.firstSectors.push_back(nextUnit);
      Chain(&miniTable, nextUnit, units);
      for (size_t i = 0; i < s.data.size(); ++i) {
        size_t unit = nextUnit + i / kMiniUnit;
        size_t at = CfbImage::SectorOffset(image.miniStreamSectors[unit / 8]) +
                    (unit % 8) * kMiniUnit + i % kMiniUnit;
        image.bytes[at] = s.data[i];
      }
      nextUnit += units;
    } else {
      uint32_t count = CeilDiv(s.data.size(), kSector);
      image.firstSectors.push_back(next);
      Chain(&table, next, count);
      image.bytes.replace(CfbImage::SectorOffset(next), s.data.size(), s.data);
      next += count;
    }
  }
  assert(next == sectorCount);

  // Header.
  const std::string signature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  image.bytes.replace(0, 8, signature);
  image.PutU16(0x18, 0x3E);
  image.PutU16(0x1A, 3);
  image.PutU16(0x1C, 0xFFFE);
  image.PutU16(0x1E, 9);
  image.PutU16(0x20, 6);
  image.PutU32(kCfbHeaderTableSectors, tableCount);
  image.PutU32(kCfbHeaderFirstDirectory, image.directorySectors[0]);
  image.PutU32(0x38, static_cast<uint32_t>(kMiniCutoff));
  image.PutU32(kCfbHeaderFirstMiniTable,
               miniTableCount ? image.miniTableSectors[0] : kCfbEndOfChain);
  image.PutU32(0x40, miniTableCount);
  image.PutU32(kCfbHeaderFirstExtension,
               extensionCount ? image.extensionSectors[0] : kCfbEndOfChain);
  image.PutU32(kCfbHeaderExtensionCount, extensionCount);
  for (uint32_t i = 0; i < kHeaderTableSlots; ++i) {
    image.PutU32(kCfbHeaderTableList + 4 * i, i < tableCount ? image.tableSectors[i] : kCfbFree);
  }
  for (uint32_t e = 0; e < extensionCount; ++e) {
    size_t at = CfbImage::SectorOffset(image.extensionSectors[e]);
    for (uint32_t i = 0; i < kExtensionSlots; ++i) {
      size_t k = kHeaderTableSlots + size_t{e} * kExtensionSlots + i;
      image.PutU32(at + 4 * i, k < tableCount ? image.tableSectors[k] : kCfbFree);
    }
    image.PutU32(at + 4 * kExtensionSlots,
                 e + 1 < extensionCount ? image.extensionSectors[e + 1] : kCfbEndOfChain);
  }
  for (size_t i = 0; i < table.size(); ++i) image.PutU32(image.TableCellOffset(i), table[i]);
  for (size_t i = 0; i < miniTable.size(); ++i) {
    image.PutU32(image.MiniTableCellOffset(i), miniTable[i]);
  }

  // Directory: the root, then the streams chained as right siblings.
  WriteEntry(&image, 0, "Root Entry", false, 5, kCfbFree, streams.empty() ? kCfbFree : 1,
             miniStreamCount ? image.miniStreamSectors[0] : kCfbEndOfChain,
             miniUnits * static_cast<uint32_t>(kMiniUnit));
  for (uint32_t i = 0; i < streams.size(); ++i) {
    const CfbStream& s = streams[i];
    WriteEntry(&image, i + 1, s.name, s.propertySet, 2, i + 2 < entryCount ? i + 2 : kCfbFree,
               kCfbFree, image.firstSectors[i], static_cast<uint32_t>(s.data.size()));
  }
  for (uint32_t i = entryCount; i < directoryCount * 4; ++i) {
    size_t at = image.EntryOffset(i);
    image.PutU32(at + kCfbEntryLeft, kCfbFree);
    image.PutU32(at + kCfbEntryRight, kCfbFree);
    image.PutU32(at + kCfbEntryChild, kCfbFree);
  }
  return image;
}

std::string BuildCompoundFile(const std::vector<CfbStream>& streams, const CfbOptions& options) {
  return BuildCompoundImage(streams, options).bytes;
}

std::string LeU16(uint16_t value) {
  std::string s(2, '\0');
  s[0] = static_cast<char>(value & 0xFF);
  s[1] = static_cast<char>(value >> 8);
  return s;
}

std::string LeU32(uint32_t value) { return LeU16(value & 0xFFFF) + LeU16(value >> 16); }

static std::string PadTo4(std::string s) {
  s.resize((s.size() + 3) / 4 * 4, '\0');
  return s;
}

std::string PropertyString8(const std::string& text) {
  return PadTo4(LeU32(30) + LeU32(static_cast<uint32_t>(text.size() + 1)) + text +
                std::string(1, '\0'));
}

std::string PropertyString16(const std::u16string& text) {
  std::string s = LeU32(31) + LeU32(static_cast<uint32_t>(text.size() + 1));
  for (char16_t c : text) s += LeU16(c);
  s += LeU16(0);
  return PadTo4(s);
}

std::string PropertyRaw(uint32_t type, const std::string& payload) {
  return PadTo4(LeU32(type) + payload);
}

std::string PropertyDictionary(const std::vector<std::pair<uint32_t, std::string>>& entries) {
  std::string s = LeU32(static_cast<uint32_t>(entries.size()));
  for (const auto& e : entries) {
    s += LeU32(e.first) + LeU32(static_cast<uint32_t>(e.second.size() + 1)) + e.second;
    s.push_back('\0');
  }
  return PadTo4(s);
}

std::string BuildPropertySection(const std::vector<CfbProperty>& properties) {
  std::string table;
  std::string values;
  const size_t head = 8 + 8 * properties.size();
  for (const CfbProperty& p : properties) {
    table += LeU32(p.id) + LeU32(static_cast<uint32_t>(head + values.size()));
    values += p.value;
  }
  return LeU32(static_cast<uint32_t>(head + values.size())) +
         LeU32(static_cast<uint32_t>(properties.size())) + table + values;
}

std::string BuildPropertySetStream(const std::vector<std::string>& sections) {
  std::string s = LeU16(0xFFFE) + LeU16(0) + LeU32(0x00020006) + std::string(16, '\0');
  s += LeU32(static_cast<uint32_t>(sections.size()));
  size_t offset = s.size() + 20 * sections.size();
  for (const std::string& section : sections) {
    s += std::string(16, '\x11') + LeU32(static_cast<uint32_t>(offset));
    offset += section.size();
  }
  for (const std::string& section : sections) s += section;
  return s;
}

FILE* OpenTempFileWith(const std::string& bytes) {
  FILE* file = std::tmpfile();
  if (file == nullptr) return nullptr;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::fclose(file);
    return nullptr;
  }
  std::rewind(file);
  return file;
}
