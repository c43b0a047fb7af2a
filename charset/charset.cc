#include "charset/charset.h"

#include "charset/table_store.h"
#include "util/strings.h"

namespace {

// In CharsetId order.
const char* const kNames[CHARSET_COUNT] = {
    "ASCII",         "UTF8",
    "UCS2",          "GREEK",
    "GREEK_ISO",     "HEBREW",
    "HEBREW_ISO",    "ARABIC",
    "ARABIC_ISO",    "CYRILLIC",
    "CYRILLIC_KOI8", "CYRILLIC_ISO",
    "THAI",          "EASTERNEUROPEAN",
    "EASTERNEUROPEAN_ISO", "TURKISH",
    "CHINESESIMPLIFIED", "CHINESETRADITIONAL",
    "KOREAN",        "SHIFTJIS",
    "JIS",           "EUC",
    "CYRILLIC_DOS",  "VIETNAMESE",
    "NORTHERNEUROPEAN", "NORTHERNEUROPEAN_ISO",
    "ASCII_IBM",     "WESTERNEUROPEAN",
    "LATIN3",        "LATIN5",
    "LATIN6",        "LATIN7",
    "LATIN9",
};

// Family of each CharsetId; -1 for the computed sets.
const int kFamily[CHARSET_COUNT] = {
    0, -1, -1, 3, 3, 5, 5, 7, 7, 9, 9, 9, 12, 13, 13, 15, 16,
    17, 18, 19, 19, 19, 9, 23, 24, 24, 26, 27, 28, 29, 30, 31, 32,
};

// Static storage: zero-filled without cost until a family is loaded.
TableStore g_tables;

}  // namespace

TableStore& Tables() { return g_tables; }

CharsetId CharsetIdFromName(const char* name) {
  if (name == nullptr || *name == '\0') return -1;
  for (CharsetId id = 0; id < CHARSET_COUNT; ++id) {
    if (equalsIgnoreCase(name, kNames[id])) return id;
  }
  return -1;
}

int CharsetFamily(CharsetId id) {
  if (id < 0 || id >= CHARSET_COUNT) return -1;
  return kFamily[id];
}

bool IsSingleByteCharset(CharsetId id) {
  return id == CHARSET_ASCII || (id >= CHARSET_GREEK && id <= CHARSET_TURKISH) ||
         (id >= CHARSET_CYRILLIC_DOS && id <= CHARSET_LATIN9);
}

bool IsDoubleByteCharset(CharsetId id) {
  return id >= CHARSET_CHINESESIMPLIFIED && id <= CHARSET_SHIFTJIS;
}

bool IsLeadByteOf(CharsetId id, int c) {
  switch (id) {
    case CHARSET_CHINESESIMPLIFIED:
    case CHARSET_CHINESETRADITIONAL: return c >= 0xA1 && c <= 0xFE;
    case CHARSET_KOREAN: return c >= 0x81 && c <= 0xFE;
    case CHARSET_SHIFTJIS: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    default: return false;
  }
}

int EnsureCharsetTables(int family, const char* tablesDirectory) {
  if (family < 0 || family >= CHARSET_COUNT || CharsetFamily(family) != family) return -1;
  TableStore& t = Tables();
  if (t.familyLoaded[family]) return 0;
  int status = LoadCharsetTables(family, tablesDirectory);
  if (status == 0) t.familyLoaded[family] = true;
  return status;
}

int EnsureBig5ToGbTables(const char* tablesDirectory) {
  TableStore& t = Tables();
  if (!t.big5Loaded && LoadBig5ToGbTables(tablesDirectory) == 1) t.big5Loaded = true;
  return t.big5Loaded ? 1 : 0;
}

void UnloadCharsetTables() {
  TableStore& t = Tables();
  for (bool& loaded : t.familyLoaded) loaded = false;
  t.macRomanLoaded = false;
  t.entitiesLoaded = false;
  DropPendingEntities();
  t.big5Loaded = false;
}

const uint16_t* SingleByteForward(CharsetId id) {
  return IsSingleByteCharset(id) ? Tables().singleForward[id] : nullptr;
}

const uint8_t* SingleByteReverse(CharsetId id) {
  return IsSingleByteCharset(id) ? Tables().singleReverse[id] : nullptr;
}

const uint16_t* DoubleByteForward(CharsetId id) {
  return IsDoubleByteCharset(id) ? Tables().doubleForward[id - CHARSET_CHINESESIMPLIFIED]
                                 : nullptr;
}

const uint16_t* DoubleByteReverse(CharsetId id) {
  return IsDoubleByteCharset(id) ? Tables().doubleReverse[id - CHARSET_CHINESESIMPLIFIED]
                                 : nullptr;
}

const uint64_t* EntitySet() {
  ReadPendingEntities();
  return Tables().entities;
}

bool IsEntityCodeUnit(uint16_t codeUnit) {
  return ((EntitySet()[codeUnit >> 6] >> (codeUnit & 63)) & 1) != 0;
}

int Big5Index(uint8_t lead, uint8_t trail) {
  if (lead < 0xA1 || lead > 0xFE) return -1;
  int row = 157 * (lead - 0xA1);
  if (trail >= 0x40 && trail <= 0x7E) return row + (trail - 0x40);
  if (trail >= 0xA1 && trail <= 0xFE) return row + (trail - 0xA1) + 63;
  return -1;
}

uint16_t Big5ToGbFirst(int index) {
  return index >= 0 && index < kBig5TableSize ? Tables().big5First[index] : 0;
}

uint16_t Big5ToGbSecond(uint16_t value) { return Tables().big5Second[value]; }
