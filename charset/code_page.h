// Windows code page numbers, as documents record them for their 8-bit text, and
// the decoding of such text to UCS-2 through this system's own tables.
#ifndef LUMEN_CHARSET_CODE_PAGE_H_
#define LUMEN_CHARSET_CODE_PAGE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "charset/charset.h"
#include "charset/convert.h"

constexpr uint32_t kCodePageUtf16 = 1200;
constexpr uint32_t kCodePageWindows1252 = 1252;

// Mac Roman (code page 10000), a set for decoding 8-bit text only: it names no
// output set. Its table is "TB_macroman_ucs2.txt"; where that file is missing,
// the text is read as windows-1252.
constexpr CharsetId CHARSET_MAC_ROMAN = CHARSET_COUNT;

// The character set whose tables decode 8-bit text of codePage, or -1 when this
// system serves none. CHARSET_UCS2 stands for the code pages whose bytes are the
// low bytes of UTF-16 code units (1200 UTF-16, 28591 ISO-8859-1, 367 and 20127
// US-ASCII): they decode without a table. 1252 (and 32769, its other number in
// workbooks) is CHARSET_ASCII, this system's windows-1252; 65001 is CHARSET_UTF8;
// 10000 is CHARSET_MAC_ROMAN.
CharsetId CharsetForCodePage(uint32_t codePage);

// Appends to *units the UCS-2 code units (little-endian) of length bytes of 8-bit
// text in `source`, a set CharsetForCodePage gives: for CHARSET_UCS2 each byte is a
// code unit; otherwise each byte goes through the set's forward table, and for a
// double-byte set a lead byte takes the byte after it along. Bytes and pairs the
// table leaves unmapped, and a lead byte at the end, are dropped. The set's tables
// are loaded from tablesDirectory on first use. CHARSET_UTF8 is decoded as
// ConvertCharset reads UTF-8. Returns 0, -3 when the tables cannot be loaded
// (nothing appended), or -4 for a set of another kind.
int DecodeToUcs2(CharsetId source, const uint8_t* bytes, size_t length,
                 const char* tablesDirectory, std::string* units);

// The character set of 8-bit text recorded as codePage, windows-1252 (CHARSET_ASCII)
// when this system serves none.
CharsetId NarrowCharsetForCodePage(uint32_t codePage);

// Appends to *out length bytes of 8-bit text in `narrow` (a set CharsetForCodePage
// gives) converted to `output`, unescaped:
//  - a text already in the output set is copied (UTF-8 excepted: it is always
//    decoded and encoded again, so that the output is well formed; and Latin-1
//    going to UCS2 output is widened);
//  - low bytes of UTF-16 units going to ASCII output (windows-1252) are copied
//    too, except the C1 controls 0x80..0x9F, which real text does not hold and
//    which are converted like any 16-bit character;
//  - any other is decoded to UCS-2 (DecodeToUcs2) and converted with
//    ConvertCharset under context (ConvertCharsetWithDefaults when it is nullptr).
// Returns CHARSET_OK, or the status of the failed decoding or conversion (what
// was appended before it stays).
int ConvertNarrowText(CharsetId narrow, CharsetId output, const uint8_t* bytes, size_t length,
                      const CharsetContext* context, std::string* out);

#endif  // LUMEN_CHARSET_CODE_PAGE_H_
