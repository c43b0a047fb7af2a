#include "storage/compound_file.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "util/byte_reader.h"
#include "util/files.h"
#include "util/memory.h"
#include "util/strings.h"

uint32_t ReadBudget = 0;

namespace {

constexpr size_t kSectorSize = 512;
constexpr size_t kMiniUnitSize = 64;
constexpr uint32_t kMiniCutoff = 4096;
constexpr uint32_t kCellsPerSector = 128;
constexpr uint32_t kHeaderTableSlots = 109;
constexpr uint32_t kExtensionSlots = 127;
constexpr uint32_t kEntriesPerSector = 4;
constexpr size_t kEntrySize = 128;
constexpr uint32_t kSignature0 = 0xE011CFD0;
constexpr uint32_t kSignature1 = 0xE11AB1A1;

uint64_t SectorOffset(uint32_t sector) { return (uint64_t{sector} + 1) * kSectorSize; }

bool ReadAt(FILE* file, uint64_t offset, void* buffer, size_t count) {
  if (offset > static_cast<uint64_t>(LONG_MAX)) return false;
  // A seek costs a system call even when the stream is already there, and walking
  // a hostile property set makes millions of small reads one after the other.
  const long here = std::ftell(file);
  if (here < 0 || static_cast<uint64_t>(here) != offset || std::feof(file) ||
      std::ferror(file)) {
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return false;
  }
  return std::fread(buffer, 1, count, file) == count;
}

void* SectorItem(uint32_t sector) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(sector));
}

uint32_t SectorOf(const PtrList* list, uint32_t index) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(PtrListGet(list, index)));
}

// A chain in a well-formed file never visits more sectors than the file holds;
// a longer walk has met a loop.
uint64_t ChainStepLimit(uint64_t fileSize) { return fileSize / kSectorSize + 1; }

bool LoadAllocationTable(CompoundFile* compound, FILE* file, ByteReader* header,
                         uint64_t fileSize) {
  // The list of allocation-table sectors: the header's slots, then the chain of
  // extension sectors, each holding 127 numbers and the next extension sector.
  std::vector<uint32_t> sectors;
  // The table holds tableCapacity / 128 sectors; the load below fails on the one
  // after them, so a longer list (a hostile count) is not built past it.
  const uint32_t wanted =
      std::min(compound->tableSectorCount, compound->tableCapacity / kCellsPerSector + 1);
  for (uint32_t i = 0; i < kHeaderTableSlots && sectors.size() < wanted; ++i) {
    sectors.push_back(header->u32At(0x4C + 4 * i));
  }
  uint32_t extension = header->u32At(0x44);
  uint8_t block[kSectorSize];
  for (uint32_t e = 0; e < compound->extensionSectorCount && sectors.size() < wanted; ++e) {
    if (!ReadAt(file, SectorOffset(extension), block, sizeof block)) return false;
    ByteReader reader(block, sizeof block);
    for (uint32_t i = 0; i < kExtensionSlots && sectors.size() < wanted; ++i) {
      sectors.push_back(reader.u32At(4 * i));
    }
    extension = reader.u32At(4 * kExtensionSlots);
  }

  for (uint32_t sector : sectors) {
    if (compound->tableCount > compound->tableCapacity - kCellsPerSector ||
        uint64_t{compound->tableCount} + kCellsPerSector > fileSize) {
      return false;
    }
    if (!ReadAt(file, SectorOffset(sector), block, sizeof block)) return false;
    ByteReader reader(block, sizeof block);
    for (uint32_t i = 0; i < kCellsPerSector; ++i) {
      compound->table[compound->tableCount++] = reader.u32At(4 * i);
    }
  }
  return true;
}

bool LoadDirectory(CompoundFile* compound, FILE* file, uint64_t fileSize) {
  const uint64_t limit = ChainStepLimit(fileSize);
  uint32_t sector = compound->firstDirectorySector;
  uint64_t steps = 0;
  for (;;) {
    if (PtrListAppend(compound->directorySectors, SectorItem(sector)) < 0) return false;
    if (++steps > limit) return false;
    if (sector >= compound->tableCount) return false;
    uint32_t next = compound->table[sector];
    if (next == kCompoundTableSector || next == kCompoundEndOfChain || next == kCompoundFree) {
      break;
    }
    sector = next;
  }
  const uint32_t sectorCount = static_cast<uint32_t>(PtrListCount(compound->directorySectors));
  if (uint64_t{sectorCount} * kSectorSize > kCompoundTableLimit) return false;

  compound->entryCount = sectorCount * kEntriesPerSector;
  compound->entries =
      static_cast<CompoundEntry*>(allocArray(compound->entryCount, sizeof(CompoundEntry)));
  if (compound->entries == nullptr) return false;

  uint8_t block[kSectorSize];
  for (uint32_t s = 0; s < sectorCount; ++s) {
    if (!ReadAt(file, SectorOffset(SectorOf(compound->directorySectors, s)), block, sizeof block)) {
      return false;
    }
    ByteReader reader(block, sizeof block);
    for (uint32_t k = 0; k < kEntriesPerSector; ++k) {
      const size_t at = k * kEntrySize;
      const uint32_t index = s * kEntriesPerSector + k;
      CompoundEntry* entry = &compound->entries[index];
      // The name is the low byte of each UTF-16 unit, up to the stored length (which
      // counts the terminator, in bytes) or the first zero unit.
      uint32_t nameBytes = reader.u8At(at + 0x40);
      if (nameBytes > 64) nameBytes = 64;
      size_t length = 0;
      for (uint32_t b = 0; b < nameBytes && length < sizeof entry->name - 1; b += 2) {
        uint8_t c = reader.u8At(at + b);
        if (c == 0) break;
        if (b == 0 && c == 0x05) {
          entry->propertySet = 1;
          continue;
        }
        entry->name[length++] = static_cast<char>(c);
      }
      entry->name[length] = '\0';
      entry->kind = reader.u8At(at + 0x42);
      entry->leftSibling = reader.u32At(at + 0x44);
      entry->rightSibling = reader.u32At(at + 0x48);
      entry->child = reader.u32At(at + 0x4C);
      entry->firstSector = reader.u32At(at + 0x74);
      entry->size = reader.u32At(at + 0x78);
      entry->parent = kCompoundNoParent;
      if (entry->kind == 5) compound->rootIndex = index;
    }
  }
  return true;
}

bool LoadMiniStreamSectors(CompoundFile* compound, bool haveRoot, uint64_t fileSize) {
  if (!haveRoot) return true;
  const uint64_t limit = ChainStepLimit(fileSize);
  uint64_t steps = 0;
  uint32_t sector = compound->entries[compound->rootIndex].firstSector;
  while (sector != kCompoundEndOfChain) {
    if (sector == kCompoundFree || sector == kCompoundTableSector) return false;
    if (sector >= compound->tableCount) return false;
    if (++steps > limit) return false;
    if (PtrListAppend(compound->miniSectors, SectorItem(sector)) < 0) return false;
    sector = compound->table[sector];
  }
  return true;
}

// The mini allocation table's values are read into one array, sized by a first
// walk of the chain: one allocation for the table instead of one per mini unit.
bool LoadMiniTable(CompoundFile* compound, FILE* file, uint64_t fileSize) {
  const uint64_t limit = ChainStepLimit(fileSize);
  uint64_t sectors = 0;
  for (uint32_t sector = compound->firstMiniTableSector;
       sector != kCompoundEndOfChain && sector < compound->tableCount;
       sector = compound->table[sector]) {
    if (++sectors > limit) return false;
  }
  if (sectors == 0) return true;
  compound->miniCells =
      static_cast<uint32_t*>(allocZeroed(static_cast<size_t>(sectors) * kSectorSize));
  if (compound->miniCells == nullptr) return false;
  uint32_t* cell = compound->miniCells;
  uint8_t block[kSectorSize];
  uint32_t sector = compound->firstMiniTableSector;
  for (uint64_t n = 0; n < sectors; ++n, sector = compound->table[sector]) {
    if (!ReadAt(file, SectorOffset(sector), block, sizeof block)) return false;
    ByteReader reader(block, sizeof block);
    for (uint32_t i = 0; i < kCellsPerSector; ++i) *cell++ = reader.u32At(4 * i);
    compound->miniCellCount += kCellsPerSector;
  }
  return true;
}

// Depth-first from entry 0: right sibling, then left sibling, then child. An
// explicit stack keeps hostile trees from exhausting the call stack; the visit
// order, and so the parent each entry gets, is that of the plain recursion.
void AssignParents(CompoundFile* compound) {
  struct Visit {
    uint32_t entry;
    uint32_t parent;
  };
  std::vector<Visit> stack;
  stack.push_back({0, kCompoundNoParent});
  while (!stack.empty()) {
    Visit v = stack.back();
    stack.pop_back();
    if (v.entry >= compound->entryCount) continue;
    CompoundEntry* entry = &compound->entries[v.entry];
    if (entry->visited) continue;
    entry->visited = 1;
    entry->parent = v.parent;
    stack.push_back({entry->child, v.entry});
    stack.push_back({entry->leftSibling, v.parent});
    stack.push_back({entry->rightSibling, v.parent});
  }
}

}  // namespace

CompoundFile* OpenCompoundFile(FILE* file) {
  if (file == nullptr) return nullptr;
  ReadBudget = 0;

  // A stream that cannot seek cannot be read at sector offsets.
  if (std::fseek(file, 0, SEEK_SET) != 0) return nullptr;
  // 0 also for a file too large to measure, which cannot hold a header either way.
  const long end = streamSize(file);
  if (end <= 0) return nullptr;
  const uint64_t fileSize = static_cast<uint64_t>(end);

  CompoundPtr compound(static_cast<CompoundFile*>(allocZeroed(sizeof(CompoundFile))));
  if (!compound) return nullptr;
  compound->fileSize = fileSize;
  compound->directorySectors = PtrListNew();
  compound->miniSectors = PtrListNew();
  if (!compound->directorySectors || !compound->miniSectors) {
    return nullptr;
  }

  uint8_t headerBytes[kSectorSize];
  if (std::fread(headerBytes, 1, sizeof headerBytes, file) != sizeof headerBytes) return nullptr;
  ByteReader header(headerBytes, sizeof headerBytes);
  if (header.u32At(0) != kSignature0 || header.u32At(4) != kSignature1) return nullptr;
  compound->tableSectorCount = header.u32At(0x2C);
  compound->firstDirectorySector = header.u32At(0x30);
  compound->firstMiniTableSector = header.u32At(0x3C);
  compound->extensionSectorCount = header.u32At(0x48);

  const uint64_t tableSectors =
      uint64_t{compound->tableSectorCount} + compound->extensionSectorCount;
  if (tableSectors * kSectorSize > kCompoundTableLimit) return nullptr;
  // The load refuses more cells than the file has bytes, so the array never needs
  // more, whatever the header claims.
  uint64_t capacity = tableSectors * kCellsPerSector;
  const uint64_t fileCells = fileSize / kCellsPerSector * kCellsPerSector;
  if (capacity > fileCells) capacity = fileCells;
  compound->tableCapacity = static_cast<uint32_t>(capacity);
  compound->table = static_cast<uint32_t*>(allocArray(capacity, sizeof(uint32_t)));
  if (compound->table == nullptr) return nullptr;

  if (!LoadAllocationTable(compound.get(), file, &header, fileSize)) return nullptr;
  if (!LoadDirectory(compound.get(), file, fileSize)) return nullptr;
  bool haveRoot = false;
  for (uint32_t i = 0; i < compound->entryCount; ++i) {
    if (compound->entries[i].kind == 5) haveRoot = true;
  }
  if (!LoadMiniStreamSectors(compound.get(), haveRoot, fileSize)) return nullptr;
  if (!LoadMiniTable(compound.get(), file, fileSize)) return nullptr;
  AssignParents(compound.get());
  return compound.release();
}

void CloseCompoundFile(CompoundFile** compound) {
  if (compound == nullptr || *compound == nullptr) return;
  CompoundFile* c = *compound;
  std::free(c->table);
  std::free(c->entries);
  PtrListFree(c->directorySectors);
  std::free(c->miniCells);
  PtrListFree(c->miniSectors);
  std::free(c);
  *compound = nullptr;
}

namespace {

constexpr uint64_t kNoJoin = UINT64_MAX;

// Notes where a walk of the entry's chain stands: unit begins at byte pos.
void SetCursor(CompoundFile* compound, uint32_t entry, uint64_t pos, uint32_t unit) {
  compound->cursorValid = 1;
  compound->cursorEntry = entry;
  compound->cursorPos = static_cast<uint32_t>(pos);
  compound->cursorUnit = unit;
}

// Walks on from *unit at *pos over the big sectors that lie whole inside
// [*pos, end) and that the general walk would pass as they stand (the same loop
// and table checks): with joinAt, those that follow on in the file from byte
// joinAt; with kNoJoin, those that lie whole in the file. Returns the bytes
// walked, counts the sectors into *walked and leaves the cursor where the general
// walk would have.
uint64_t SkimWholeSectors(CompoundFile* compound, uint32_t entry, uint64_t end, uint64_t joinAt,
                          uint32_t* unit, uint64_t* pos, uint64_t* walked) {
  const uint32_t tableCount = compound->tableCount;
  // The sectors the range and the loop check allow, counted once.
  uint64_t allowed = end > *pos ? (end - *pos) / kSectorSize : 0;
  const uint64_t loopRoom = *walked < tableCount ? tableCount - *walked : 0;
  if (allowed > loopRoom) allowed = loopRoom;
  // A unit below bound is neither the end of the chain nor outside the table.
  const uint64_t bound = tableCount < kCompoundEndOfChain ? tableCount : kCompoundEndOfChain;
  const uint32_t* table = compound->table;
  uint32_t at = *unit;
  uint32_t last = at;
  uint64_t taken = 0;
  if (joinAt == kNoJoin) {
    // Sector at lies whole in the file when at + 2 <= the file's sector count.
    const uint64_t sectorsInFile = compound->fileSize / kSectorSize;
    const uint64_t inFile = sectorsInFile > 0 ? sectorsInFile - 1 : 0;
    const uint64_t limit = bound < inFile ? bound : inFile;
    while (taken < allowed && at < limit) {
      last = at;
      at = table[at];
      ++taken;
    }
  } else {
    while (taken < allowed && at < bound && SectorOffset(at) == joinAt) {
      last = at;
      at = table[at];
      joinAt += kSectorSize;
      ++taken;
    }
  }
  if (taken == 0) return 0;
  const uint64_t skimmed = taken * kSectorSize;
  SetCursor(compound, entry, *pos + skimmed - kSectorSize, last);
  *unit = at;
  *pos += skimmed;
  *walked += taken;
  return skimmed;
}

// Copies bytes [offset, offset + length) of the entry's stream into destination,
// from image when given, else from the file, where units that lie one after the
// other in the file are read at once. False on any failure (destination then
// holds part of the range). Without destination nothing is read: each unit is
// checked to lie inside the file, where a read of it would succeed. The budget
// is the caller's.
//
// A long range (a workbook of megabytes, a property set's thumbnail) spends its
// time in one test per sector, so the big sectors that lie whole inside the range
// and need no more than a check or joining the read pending are first taken by
// SkimWholeSectors.
bool CopyStreamRange(CompoundFile* compound, FILE* file, uint32_t entry, uint32_t offset,
                     uint32_t length, const unsigned char* image, size_t imageLength,
                     unsigned char* destination) {
  if (compound == nullptr || entry >= compound->entryCount) return false;
  if (image == nullptr && file == nullptr) return false;
  const CompoundEntry& e = compound->entries[entry];
  const uint64_t end = uint64_t{offset} + length;
  // Bytes past the stream's size are never handed out, whatever the chain holds.
  if (end > e.size) return false;

  const bool mini = e.size < kMiniCutoff;
  const uint32_t unitSize = mini ? kMiniUnitSize : kSectorSize;
  const uint32_t tableCount =
      mini ? compound->miniCellCount : compound->tableCount;
  const uint32_t miniSectorCount = static_cast<uint32_t>(PtrListCount(compound->miniSectors));
  uint32_t unit = e.firstSector;
  uint64_t pos = 0;
  if (compound->cursorValid && compound->cursorEntry == entry && compound->cursorPos <= offset) {
    // Every state of a walk is one the walk from the start would reach, with the
    // same checks passed and nothing copied before offset.
    unit = compound->cursorUnit;
    pos = compound->cursorPos;
  }
  uint32_t copied = 0;
  // File bytes still to read: `pending` bytes from pendingAt, for destination at
  // pendingTo. Units that continue them in the file join them.
  uint64_t pendingAt = 0;
  uint32_t pending = 0;
  uint32_t pendingTo = 0;
  uint64_t filePosition = UINT64_MAX;  // where the last fread left the stream
  auto readPending = [&]() {
    if (pending == 0) return true;
    if (pendingAt == filePosition) {
      if (std::fread(destination + pendingTo, 1, pending, file) != pending) return false;
    } else if (!ReadAt(file, pendingAt, destination + pendingTo, pending)) {
      return false;
    }
    filePosition = pendingAt + pending;
    pending = 0;
    return true;
  };
  const uint32_t* nextOf = mini ? compound->miniCells : compound->table;
  // Every unit but the last is whole, so this counts the units walked; a chain
  // with more units than its table has cells has met a loop.
  uint64_t walked = pos / unitSize;
  const bool joining = destination != nullptr;
  while (unit != kCompoundEndOfChain && pos < end) {
    if (!mini && image == nullptr && pos >= offset && (!joining || pending > 0)) {
      const uint64_t skimmed = SkimWholeSectors(
          compound, entry, end, joining ? pendingAt + pending : kNoJoin, &unit, &pos, &walked);
      copied += static_cast<uint32_t>(skimmed);
      if (joining) pending += static_cast<uint32_t>(skimmed);
      if (unit == kCompoundEndOfChain || pos >= end) break;
    }
    if (walked++ >= tableCount) return false;
    SetCursor(compound, entry, pos, unit);
    // pos < end <= size, so every unit advances pos by at least one byte and the
    // walk ends within size / unitSize + 1 units.
    const uint32_t extent =
        static_cast<uint32_t>(e.size - pos < unitSize ? e.size - pos : unitSize);
    if (pos + extent > offset) {
      const uint32_t start = pos < offset ? static_cast<uint32_t>(offset - pos) : 0;
      uint32_t count = length - copied;
      if (count > extent - start) count = extent - start;
      uint64_t at;
      if (mini) {
        if (unit / 8 >= miniSectorCount) return false;
        at = SectorOffset(SectorOf(compound->miniSectors, unit / 8)) + (unit % 8) * kMiniUnitSize +
             start;
      } else {
        at = SectorOffset(unit) + start;
      }
      if (destination == nullptr) {
        if (at > compound->fileSize || count > compound->fileSize - at) return false;
      } else if (image != nullptr) {
        if (at > imageLength || count > imageLength - at) return false;
        std::memcpy(destination + copied, image + at, count);
      } else if (pending > 0 && pendingAt + pending == at) {
        pending += count;
      } else {
        if (!readPending()) return false;
        pendingAt = at;
        pending = count;
        pendingTo = copied;
      }
      copied += count;
    }
    pos += extent;
    if (unit >= tableCount) return false;
    unit = nextOf[unit];
  }
  if (!readPending()) return false;
  return pos >= end;
}

// The budget only grows (saturating), so one refused read refuses all later ones.
bool ChargeBudget(uint32_t length) {
  ReadBudget = (length > UINT32_MAX - ReadBudget) ? UINT32_MAX : ReadBudget + length;
  return ReadBudget <= kReadBudgetLimit;
}

}  // namespace

unsigned char* ReadStreamRangeFromImage(CompoundFile* compound, FILE* file, uint32_t entry,
                                        uint32_t offset, uint32_t length,
                                        const unsigned char* image, size_t imageLength) {
  if (!ChargeBudget(length)) return nullptr;
  if (compound == nullptr || entry >= compound->entryCount) return nullptr;
  if (image == nullptr && file == nullptr) return nullptr;
  if (uint64_t{offset} + length > compound->entries[entry].size) return nullptr;
  MallocPtr<unsigned char> result(static_cast<unsigned char*>(allocZeroed(size_t{length} + 1)));
  if (!result) return nullptr;
  if (!CopyStreamRange(compound, file, entry, offset, length, image, imageLength, result.get())) {
    return nullptr;
  }
  return result.release();
}

bool ReadStreamRangeInto(CompoundFile* compound, FILE* file, uint32_t entry, uint32_t offset,
                         uint32_t length, unsigned char* destination) {
  return destination != nullptr &&
         CopyStreamRange(compound, file, entry, offset, length, nullptr, 0, destination);
}

unsigned char* ReadStreamRange(CompoundFile* compound, FILE* file, uint32_t entry, uint32_t offset,
                               uint32_t length) {
  return ReadStreamRangeFromImage(compound, file, entry, offset, length, nullptr, 0);
}

namespace {

// Appends [offset, offset + length) when the range reads and the budget can pay
// for it; only then is it charged.
bool AppendReadableRange(CompoundFile* compound, FILE* file, uint32_t entry, uint32_t offset,
                         uint32_t length, std::vector<uint8_t>* out) {
  if (length > kReadBudgetLimit || ReadBudget > kReadBudgetLimit - length) return false;
  const size_t at = out->size();
  out->resize(at + length);
  if (!CopyStreamRange(compound, file, entry, offset, length, nullptr, 0, out->data() + at)) {
    out->resize(at);
    return false;
  }
  ReadBudget += length;
  return true;
}

}  // namespace

std::vector<uint8_t> ReadStreamBeginning(CompoundFile* compound, FILE* file, uint32_t entry) {
  std::vector<uint8_t> bytes;
  if (compound == nullptr || file == nullptr || entry >= compound->entryCount) return bytes;
  const uint32_t size = compound->entries[entry].size;
  if (size == 0 || AppendReadableRange(compound, file, entry, 0, size, &bytes)) return bytes;
  // The chain ends early or the budget runs short: chunk by chunk, halving the
  // chunk that fails, down to the last byte that reads.
  constexpr uint32_t kChunk = 65536;
  uint32_t position = 0;
  uint32_t step = kChunk;
  while (position < size && step > 0) {
    const uint32_t length = size - position < step ? size - position : step;
    if (AppendReadableRange(compound, file, entry, position, length, &bytes)) {
      position += length;
    } else {
      step = length / 2;
    }
  }
  return bytes;
}

bool ReserveStreamRange(CompoundFile* compound, FILE* file, uint32_t entry, uint32_t offset,
                        uint32_t length) {
  if (!ChargeBudget(length)) return false;
  return compound != nullptr && file != nullptr &&
         CopyStreamRange(compound, file, entry, offset, length, nullptr, 0, nullptr);
}

int32_t FindCompoundEntry(const CompoundFile* compound, const char* name, uint32_t parent) {
  if (compound == nullptr || name == nullptr) return -1;
  for (uint32_t i = 0; i < compound->entryCount && i <= INT32_MAX; ++i) {
    const CompoundEntry& e = compound->entries[i];
    if (parent != kCompoundNoParent && e.parent != parent) continue;
    if (equalsIgnoreCase(e.name, name)) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t FindLastCompoundEntry(const CompoundFile* compound, const char* name, uint32_t parent,
                              bool otherParents) {
  if (compound == nullptr || name == nullptr) return -1;
  int32_t found = -1;
  for (uint32_t i = 0; i < compound->entryCount && i <= INT32_MAX; ++i) {
    const CompoundEntry& e = compound->entries[i];
    if ((e.parent == parent) == otherParents) continue;
    if (equalsIgnoreCase(e.name, name)) found = static_cast<int32_t>(i);
  }
  return found;
}

int32_t FindContentStream(const CompoundFile* compound, const char* name, const char* alternate) {
  if (compound == nullptr || name == nullptr) return -1;
  int32_t found = -1;
  for (uint32_t i = 0; i < compound->entryCount && i <= INT32_MAX; ++i) {
    const CompoundEntry& e = compound->entries[i];
    if (!equalsIgnoreCase(e.name, name) && !equalsIgnoreCase(e.name, alternate)) continue;
    if (found < 0 || e.parent == 0) found = static_cast<int32_t>(i);
  }
  return found;
}
