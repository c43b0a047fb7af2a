// Windows code page numbers, as documents record them for their 8-bit text, and
// the decoding of such text to UCS-2 through this system's own tables.
#ifndef LUMEN_CHARSET_CODE_PAGE_H_
#define LUMEN_CHARSET_CODE_PAGE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "charset/charset.h"

constexpr uint32_t kCodePageUtf16 = 1200;
constexpr uint32_t kCodePageWindows1252 = 1252;

// The character set whose tables decode 8-bit text of codePage, or -1 when this
// system serves none. CHARSET_UCS2 stands for the code pages whose bytes are the
// low bytes of UTF-16 code units (1200 UTF-16, 28591 ISO-8859-1, 367 and 20127
// US-ASCII): they decode without a table. 1252 (and 32769, its other number in
// workbooks) is CHARSET_ASCII, this system's windows-1252.
CharsetId CharsetForCodePage(uint32_t codePage);

// Appends to *units the UCS-2 code units (little-endian) of length bytes of 8-bit
// text in `source`, a set CharsetForCodePage gives: for CHARSET_UCS2 each byte is a
// code unit; otherwise each byte goes through the set's forward table, and for a
// double-byte set a lead byte takes the byte after it along. Bytes and pairs the
// table leaves unmapped, and a lead byte at the end, are dropped. The set's tables
// are loaded from tablesDirectory on first use. Returns 0, -3 when the tables
// cannot be loaded (nothing appended), or -4 for a set of another kind.
int DecodeToUcs2(CharsetId source, const uint8_t* bytes, size_t length,
                 const char* tablesDirectory, std::string* units);

#endif  // LUMEN_CHARSET_CODE_PAGE_H_
