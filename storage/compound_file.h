// The compound file reader: header, allocation tables, directory, mini stream, and
// reads of any byte range of any stream under a process-wide read budget.
#ifndef LUMEN_STORAGE_COMPOUND_FILE_H_
#define LUMEN_STORAGE_COMPOUND_FILE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "storage/ptr_list.h"

constexpr uint32_t kCompoundEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kCompoundFree = 0xFFFFFFFF;  // also: no sibling, no child
constexpr uint32_t kCompoundTableSector = 0xFFFFFFFD;
constexpr uint32_t kCompoundTableLimit = 0x19000000;
constexpr uint32_t kReadBudgetLimit = 0x1400000;  // 20 MiB of stream bytes per open file
constexpr uint32_t kCompoundNoParent = 0xFFFFFFFF;

struct CompoundEntry {
  char name[33];         // low bytes of the UTF-16 name, without a leading 0x05
  uint8_t propertySet;   // 1 when the stored name began with 0x05
  uint8_t kind;          // 1 storage, 2 stream, 5 root, 0 unused
  uint32_t leftSibling;
  uint32_t rightSibling;
  uint32_t child;
  uint32_t firstSector;
  uint32_t size;
  uint32_t parent;       // kCompoundNoParent for the root and unreachable entries
  uint8_t visited;
};

struct CompoundFile {
  uint32_t tableSectorCount;
  uint32_t extensionSectorCount;
  uint32_t firstDirectorySector;
  uint32_t firstMiniTableSector;
  uint32_t* table;          // allocation table
  uint32_t tableCapacity;   // entries the array can hold
  uint32_t tableCount;      // entries loaded
  CompoundEntry* entries;
  uint32_t entryCount;
  uint32_t rootIndex;
  PtrList* directorySectors;
  uint32_t* miniCells;      // the mini table's values, one per mini unit, in chain order
  uint32_t miniCellCount;
  PtrList* miniSectors;     // sectors holding the mini stream, in chain order
  uint64_t fileSize;        // bytes of the file at open
  // Where the last read's chain walk was, so that reads moving forward through a
  // stream resume there instead of walking the chain again from its start.
  uint8_t cursorValid;
  uint32_t cursorEntry;
  uint32_t cursorPos;   // stream position of cursorUnit
  uint32_t cursorUnit;
};

// The process-wide count of stream bytes requested since the last open.
extern uint32_t ReadBudget;

// Opens a compound file on a stream opened for binary reading (the caller keeps and
// closes the stream). nullptr when it is not a readable compound file.
CompoundFile* OpenCompoundFile(FILE* file);
// Releases everything and clears *compound; does not close the stream.
void CloseCompoundFile(CompoundFile** compound);

// A new buffer of length + 1 bytes: bytes [offset, offset + length) of the entry's
// stream and a 0. nullptr on any failure; never partial data.
unsigned char* ReadStreamRange(CompoundFile* compound, FILE* file, uint32_t entry,
                               uint32_t offset, uint32_t length);
// The same, copying units from image (the whole file in memory) when given.
unsigned char* ReadStreamRangeFromImage(CompoundFile* compound, FILE* file, uint32_t entry,
                                        uint32_t offset, uint32_t length,
                                        const unsigned char* image, size_t imageLength);

// The same bytes, read from the file into destination (length bytes of room);
// false on any failure, when destination may hold part of them. The read budget
// is left to the caller, who pays for the bytes before reading them.
bool ReadStreamRangeInto(CompoundFile* compound, FILE* file, uint32_t entry, uint32_t offset,
                         uint32_t length, unsigned char* destination);

// The longest beginning of the entry's stream that reads: the whole stream when one
// read of it succeeds, else the bytes up to where its chain or the file ends, or
// where the read budget runs out, found chunk by chunk. Only the bytes returned
// are charged to the read budget; a try that fails costs nothing. Empty for a bad
// entry or an empty stream.
std::vector<uint8_t> ReadStreamBeginning(CompoundFile* compound, FILE* file, uint32_t entry);

// Charges length bytes to the read budget as ReadStreamRange does and tells whether
// it would return the range, without reading it: the chain is walked over the range
// and every unit checked to lie inside the file. The caller then reads the parts it
// needs with ReadStreamRangeInto.
bool ReserveStreamRange(CompoundFile* compound, FILE* file, uint32_t entry, uint32_t offset,
                        uint32_t length);

// Index of the first entry (in table order) whose name equals name without regard
// to case, or -1. With parent other than kCompoundNoParent, only entries whose
// parent is that index count.
int32_t FindCompoundEntry(const CompoundFile* compound, const char* name,
                          uint32_t parent = kCompoundNoParent);
// Index of the last entry named name (without regard to case) whose parent equals
// parent, or, with otherParents, whose parent differs from it; -1 when none.
int32_t FindLastCompoundEntry(const CompoundFile* compound, const char* name, uint32_t parent,
                              bool otherParents = false);
// The converters' choice of a content stream: scanning in table order, the first
// entry named name or alternate (without regard to case; alternate may be nullptr)
// is taken, and a later one replaces it when it lies directly in the root
// (parent 0). -1 when none.
int32_t FindContentStream(const CompoundFile* compound, const char* name,
                          const char* alternate = nullptr);

// RAII owner of an open compound file.
struct CompoundCloser {
  void operator()(CompoundFile* compound) const { CloseCompoundFile(&compound); }
};
using CompoundPtr = std::unique_ptr<CompoundFile, CompoundCloser>;

#endif  // LUMEN_STORAGE_COMPOUND_FILE_H_
