// Character set names (CharsetId), the table files and the process-wide mapping
// tables loaded from them.
#ifndef LUMEN_CHARSET_CHARSET_H_
#define LUMEN_CHARSET_CHARSET_H_

#include <cstdint>

// A character set, 0..32, named in the configuration by the names below.
using CharsetId = int32_t;
constexpr CharsetId CHARSET_ASCII = 0;  // windows-1252 in this system
constexpr CharsetId CHARSET_UTF8 = 1;
constexpr CharsetId CHARSET_UCS2 = 2;   // 16-bit little-endian
constexpr CharsetId CHARSET_GREEK = 3;
constexpr CharsetId CHARSET_GREEK_ISO = 4;
constexpr CharsetId CHARSET_HEBREW = 5;
constexpr CharsetId CHARSET_HEBREW_ISO = 6;
constexpr CharsetId CHARSET_ARABIC = 7;
constexpr CharsetId CHARSET_ARABIC_ISO = 8;
constexpr CharsetId CHARSET_CYRILLIC = 9;
constexpr CharsetId CHARSET_CYRILLIC_KOI8 = 10;
constexpr CharsetId CHARSET_CYRILLIC_ISO = 11;
constexpr CharsetId CHARSET_THAI = 12;
constexpr CharsetId CHARSET_EASTERNEUROPEAN = 13;
constexpr CharsetId CHARSET_EASTERNEUROPEAN_ISO = 14;
constexpr CharsetId CHARSET_TURKISH = 15;
constexpr CharsetId CHARSET_CHINESESIMPLIFIED = 16;
constexpr CharsetId CHARSET_CHINESETRADITIONAL = 17;
constexpr CharsetId CHARSET_KOREAN = 18;
constexpr CharsetId CHARSET_SHIFTJIS = 19;
constexpr CharsetId CHARSET_JIS = 20;
constexpr CharsetId CHARSET_EUC = 21;
constexpr CharsetId CHARSET_CYRILLIC_DOS = 22;
constexpr CharsetId CHARSET_VIETNAMESE = 23;
constexpr CharsetId CHARSET_NORTHERNEUROPEAN = 24;
constexpr CharsetId CHARSET_NORTHERNEUROPEAN_ISO = 25;
constexpr CharsetId CHARSET_ASCII_IBM = 26;
constexpr CharsetId CHARSET_WESTERNEUROPEAN = 27;
constexpr CharsetId CHARSET_LATIN3 = 28;
constexpr CharsetId CHARSET_LATIN5 = 29;
constexpr CharsetId CHARSET_LATIN6 = 30;
constexpr CharsetId CHARSET_LATIN7 = 31;
constexpr CharsetId CHARSET_LATIN9 = 32;
constexpr CharsetId CHARSET_COUNT = 33;

// The CharsetId whose configuration name ("ASCII", "UTF8", "LATIN9", ...) equals
// name without regard to case; -1 for a missing, empty or unknown name.
CharsetId CharsetIdFromName(const char* name);

// Clears and fills the tables of one family from its files in tablesDirectory
// ("" or nullptr: the working directory), then loads the entity set when it is not
// loaded yet. 0 when the family's main file was read, -3 when not, -1 for a number
// that heads no family.
int LoadCharsetTables(int family, const char* tablesDirectory);
// Fills the Big5-to-GB2312 tables; 1 on success, 0 when neither file could be read.
int LoadBig5ToGbTables(const char* tablesDirectory);

#endif  // LUMEN_CHARSET_CHARSET_H_
