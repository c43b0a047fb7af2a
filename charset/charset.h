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
// loaded yet (the set counts as loaded when its file opens; the file is read at
// the first use of the set). 0 when the family's main file was read, -3 when not, -1 for a number
// that heads no family.
int LoadCharsetTables(int family, const char* tablesDirectory);
// Fills the Big5-to-GB2312 tables from "big5togb.txt" in the working directory,
// else from "TB_chtraditional_chsimplified.txt" in tablesDirectory: one integer
// per non-empty line (lines end at CR or LF; the text ends at its first 0 byte).
// 1 on success, 0 when neither file could be read.
int LoadBig5ToGbTables(const char* tablesDirectory);

// The family whose files fill the tables of id (GREEK_ISO: GREEK, JIS: SHIFTJIS);
// -1 for UTF8, UCS2 and identifiers outside 0..32.
int CharsetFamily(CharsetId id);
// 0, 3..15 and 22..32.
bool IsSingleByteCharset(CharsetId id);
// 16..19: the sets with a double-byte table.
bool IsDoubleByteCharset(CharsetId id);
// True when byte c starts a two-byte code of the double-byte set id: 0xA1..0xFE
// for CHINESESIMPLIFIED and CHINESETRADITIONAL, 0x81..0xFE for KOREAN, 0x81..0x9F
// and 0xE0..0xFC for SHIFTJIS; false for every other set.
bool IsLeadByteOf(CharsetId id, int c);

// Loads the tables of family unless its loaded flag is set, and sets the flag when
// LoadCharsetTables returns 0. Returns 0 or that failure (-3, -1); a failed family
// is read again at the next call.
int EnsureCharsetTables(int family, const char* tablesDirectory);
// The same for the Big5-to-GB2312 tables: 1 when they are loaded, 0 when not.
int EnsureBig5ToGbTables(const char* tablesDirectory);
// Clears every loaded flag, so that the next use reads the files again. Tables
// are otherwise kept for the life of the process.
void UnloadCharsetTables();

// The tables, for the conversion engine. Each returns an all-zero table until
// its family is loaded, and nullptr for an identifier of another kind. An entry 0
// means "no mapping".
//   forward: byte (single-byte, 256 entries) or code number (first byte + 256 *
//            second byte, 65,536 entries) to the UCS-2 code unit;
//   reverse: UCS-2 code unit to the byte, or to the code (first byte in the low
//            8 bits, second byte in the high 8 bits; first byte 0: unmapped).
const uint16_t* SingleByteForward(CharsetId id);
const uint8_t* SingleByteReverse(CharsetId id);
const uint16_t* DoubleByteForward(CharsetId id);
const uint16_t* DoubleByteReverse(CharsetId id);
// True when the code unit is written as a numeric character reference in ASCII
// output and recognised in single-byte input.
bool IsEntityCodeUnit(uint16_t codeUnit);
// The same set as 65,536 bits, bit (u & 63) of word u >> 6 for code unit u.
const uint64_t* EntitySet();

// Big5-to-GB2312 tables: the first holds one value per Big5 code with lead byte
// 0xA1..0xFE and trail byte 0x40..0x7E or 0xA1..0xFE, at the index below; the
// second maps each such value to the GB2312 code (high byte first).
constexpr int kBig5TableSize = 94 * 157;
// Index of a Big5 code in the first table, or -1 when the code has no place there.
int Big5Index(uint8_t lead, uint8_t trail);
uint16_t Big5ToGbFirst(int index);
uint16_t Big5ToGbSecond(uint16_t value);

#endif  // LUMEN_CHARSET_CHARSET_H_
