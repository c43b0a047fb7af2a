#include "charset/code_page.h"

#include <algorithm>
#include <cstdlib>

#include "charset/table_store.h"
#include "charset/table_text.h"

namespace {

struct CodePageSet {
  uint32_t codePage;
  CharsetId charset;
};

// In code page order.
const CodePageSet kCodePages[] = {
    {367, CHARSET_UCS2},                     // US-ASCII
    {850, CHARSET_ASCII_IBM},                // IBM850
    {866, CHARSET_CYRILLIC_DOS},             // IBM866
    {874, CHARSET_THAI},                     // windows-874, TIS-620 and a few signs
    {932, CHARSET_SHIFTJIS},                 // Shift_JIS
    {936, CHARSET_CHINESESIMPLIFIED},        // GB2312
    {949, CHARSET_KOREAN},                   // KS C 5601
    {950, CHARSET_CHINESETRADITIONAL},       // Big5
    {1200, CHARSET_UCS2},                    // UTF-16
    {1250, CHARSET_EASTERNEUROPEAN},         // windows-1250
    {1251, CHARSET_CYRILLIC},                // windows-1251
    {1252, CHARSET_ASCII},                   // windows-1252
    {1253, CHARSET_GREEK},                   // windows-1253
    {1254, CHARSET_TURKISH},                 // windows-1254
    {1255, CHARSET_HEBREW},                  // windows-1255
    {1256, CHARSET_ARABIC},                  // windows-1256
    {1257, CHARSET_NORTHERNEUROPEAN},        // windows-1257
    {1258, CHARSET_VIETNAMESE},              // windows-1258
    {10000, CHARSET_MAC_ROMAN},              // Mac Roman
    {20127, CHARSET_UCS2},                   // US-ASCII
    {20866, CHARSET_CYRILLIC_KOI8},          // KOI8-R
    {28591, CHARSET_UCS2},                   // ISO-8859-1
    {28592, CHARSET_EASTERNEUROPEAN_ISO},    // ISO-8859-2
    {28593, CHARSET_LATIN3},                 // ISO-8859-3
    {28594, CHARSET_NORTHERNEUROPEAN_ISO},   // ISO-8859-4
    {28595, CHARSET_CYRILLIC_ISO},           // ISO-8859-5
    {28596, CHARSET_ARABIC_ISO},             // ISO-8859-6
    {28597, CHARSET_GREEK_ISO},              // ISO-8859-7
    {28598, CHARSET_HEBREW_ISO},             // ISO-8859-8
    {28599, CHARSET_LATIN5},                 // ISO-8859-9
    {28603, CHARSET_LATIN7},                 // ISO-8859-13
    {28604, CHARSET_LATIN6},                 // ISO-8859-14
    {28605, CHARSET_LATIN9},                 // ISO-8859-15
    {32769, CHARSET_ASCII},                  // windows-1252, as workbooks also number it
    {65001, CHARSET_UTF8},                   // UTF-8
};

void appendUnit(uint16_t unit, std::string* units) {
  units->push_back(static_cast<char>(unit & 0xFF));
  units->push_back(static_cast<char>(unit >> 8));
}

const char kMacRomanFile[] = "TB_macroman_ucs2.txt";

// The Mac Roman table, loaded on first use; windows-1252's when its file is
// missing.
const uint16_t* macRomanForward(const char* tablesDirectory) {
  TableStore& t = Tables();
  if (!t.macRomanLoaded) {
    if (!ReadForwardTable(TablePath(tablesDirectory, kMacRomanFile), t.macRomanForward)) {
      if (EnsureCharsetTables(CharsetFamily(CHARSET_ASCII), tablesDirectory) != 0) return nullptr;
      const uint16_t* windows = SingleByteForward(CHARSET_ASCII);
      std::copy(windows, windows + 256, t.macRomanForward);
    }
    t.macRomanLoaded = true;
  }
  return t.macRomanForward;
}

bool isC1(uint8_t c) { return c >= 0x80 && c <= 0x9F; }

// Latin-1 going to windows-1252: runs of C1 controls are converted, everything
// else is copied.
int latin1ToAscii(const uint8_t* bytes, size_t length, const CharsetContext* context,
                  std::string* out) {
  std::string units;
  size_t i = 0;
  while (i < length) {
    size_t run = i;
    while (run < length && !isC1(bytes[run])) ++run;
    out->append(reinterpret_cast<const char*>(bytes) + i, run - i);
    i = run;
    while (run < length && isC1(bytes[run])) ++run;
    if (run == i) break;
    units.clear();
    for (size_t k = i; k < run; ++k) appendUnit(bytes[k], &units);
    int status = AppendConverted(CHARSET_UCS2, CHARSET_ASCII, units.data(), units.size(),
                                 context, out);
    if (status != CHARSET_OK) return status;
    i = run;
  }
  return CHARSET_OK;
}

}  // namespace

CharsetId CharsetForCodePage(uint32_t codePage) {
  for (const CodePageSet& entry : kCodePages) {
    if (entry.codePage == codePage) return entry.charset;
  }
  return -1;
}

int DecodeToUcs2(CharsetId source, const uint8_t* bytes, size_t length,
                 const char* tablesDirectory, std::string* units) {
  if (source == CHARSET_UTF8) {
    return AppendConverted(CHARSET_UTF8, CHARSET_UCS2, bytes, length, nullptr, units);
  }
  if (source == CHARSET_UCS2) {
    units->reserve(units->size() + 2 * length);
    for (size_t i = 0; i < length; ++i) appendUnit(bytes[i], units);
    return 0;
  }
  const bool single = IsSingleByteCharset(source) || source == CHARSET_MAC_ROMAN;
  if (!single && !IsDoubleByteCharset(source)) return -4;
  const uint16_t* forward = nullptr;
  if (source == CHARSET_MAC_ROMAN) {
    forward = macRomanForward(tablesDirectory);
    if (forward == nullptr) return -3;
  } else if (EnsureCharsetTables(CharsetFamily(source), tablesDirectory) != 0) {
    return -3;
  }
  units->reserve(units->size() + 2 * length);
  if (single) {
    if (forward == nullptr) forward = SingleByteForward(source);
    for (size_t i = 0; i < length; ++i) {
      if (uint16_t unit = forward[bytes[i]]) appendUnit(unit, units);
    }
    return 0;
  }
  forward = DoubleByteForward(source);
  for (size_t i = 0; i < length; ++i) {
    uint32_t code = bytes[i];
    if (IsLeadByteOf(source, bytes[i])) {
      if (i + 1 >= length) break;
      code |= uint32_t{bytes[++i]} << 8;
    }
    if (uint16_t unit = forward[code]) appendUnit(unit, units);
  }
  return 0;
}

CharsetId NarrowCharsetForCodePage(uint32_t codePage) {
  CharsetId charset = CharsetForCodePage(codePage);
  return charset >= 0 ? charset : CHARSET_ASCII;
}

int ConvertNarrowText(CharsetId narrow, CharsetId output, const uint8_t* bytes, size_t length,
                      const CharsetContext* context, std::string* out) {
  if (length == 0) return CHARSET_OK;
  // UCS2 as an 8-bit set means Latin-1 bytes, and UTF-8 is decoded to be checked.
  if (narrow == output && narrow != CHARSET_UTF8 && narrow != CHARSET_UCS2) {
    out->append(reinterpret_cast<const char*>(bytes), length);
    return CHARSET_OK;
  }
  if (narrow == CHARSET_UCS2 && output == CHARSET_ASCII) {
    return latin1ToAscii(bytes, length, context, out);
  }
  std::string units;
  const char* tables = context != nullptr ? context->tablesDirectory : DefaultTablesDirectory();
  int status = DecodeToUcs2(narrow, bytes, length, tables, &units);
  if (status != 0) return status;
  return AppendConverted(CHARSET_UCS2, output, units.data(), units.size(), context, out);
}
