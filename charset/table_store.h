// The process-wide mapping tables behind the accessors of charset.h, for the
// loaders. Internal to charset/.
#ifndef LUMEN_CHARSET_TABLE_STORE_H_
#define LUMEN_CHARSET_TABLE_STORE_H_

#include <cstdint>
#include <string>

#include "charset/charset.h"

// The parts a small ASCII conversion touches come first, page-aligned, so that
// they share as few pages as they can: the entity set (two pages), then the
// flags and the forward rows.
struct alignas(4096) TableStore {
  uint64_t entities[65536 / 64];      // one bit per code unit
  bool familyLoaded[CHARSET_COUNT];
  bool macRomanLoaded;
  bool entitiesLoaded;
  bool big5Loaded;
  // Whether a row has ever been written. Rows that never were are still zero,
  // so that clearing them (which would touch every page) can be skipped.
  bool singleWritten[CHARSET_COUNT];
  bool doubleWritten[4];
  bool entitiesWritten;
  // Set when the entity file was found at a family load but not read yet: it is
  // read at the first use of the set, from the directory of that load.
  bool entitiesPending;
  // Indexed by CharsetId; only the single-byte and double-byte rows are used.
  uint16_t singleForward[CHARSET_COUNT][256];
  uint8_t singleReverse[CHARSET_COUNT][65536];
  uint16_t doubleForward[4][65536];   // CHINESESIMPLIFIED .. SHIFTJIS
  uint16_t doubleReverse[4][65536];
  uint16_t big5First[kBig5TableSize];
  uint16_t big5Second[65536];
  uint16_t macRomanForward[256];      // decoding only: no output set uses it
};

// Zero-initialised static storage, never freed. Only the rows in use are ever
// touched, so the rest costs no memory.
TableStore& Tables();

// Fills forward (256 entries) from a single-byte table file, read as the family
// files are; false when the file cannot be opened.
bool ReadForwardTable(const std::string& path, uint16_t* forward);

// Reads the entity file noted at a family load, when one is pending.
void ReadPendingEntities();
// Closes the entity file noted and not read; the set stays unread.
void DropPendingEntities();

#endif  // LUMEN_CHARSET_TABLE_STORE_H_
