// The process-wide mapping tables behind the accessors of charset.h, for the
// loaders. Internal to charset/.
#ifndef LUMEN_CHARSET_TABLE_STORE_H_
#define LUMEN_CHARSET_TABLE_STORE_H_

#include <cstdint>

#include "charset/charset.h"

struct TableStore {
  // Indexed by CharsetId; only the single-byte and double-byte rows are used.
  uint16_t singleForward[CHARSET_COUNT][256];
  uint8_t singleReverse[CHARSET_COUNT][65536];
  uint16_t doubleForward[4][65536];   // CHINESESIMPLIFIED .. SHIFTJIS
  uint16_t doubleReverse[4][65536];
  uint8_t entities[65536];
  uint16_t big5First[kBig5TableSize];
  uint16_t big5Second[65536];
  bool familyLoaded[CHARSET_COUNT];
  bool entitiesLoaded;
  bool big5Loaded;
};

// Zero-initialised static storage, never freed.
TableStore& Tables();

#endif  // LUMEN_CHARSET_TABLE_STORE_H_
