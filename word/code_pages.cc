#include "word/code_pages.h"

#include <algorithm>

#include "charset/code_page.h"
#include "storage/properties.h"
#include "util/byte_reader.h"
#include "util/memory.h"

namespace {

constexpr size_t kPageSize = 512;
constexpr uint8_t kSprmFont = 93;
constexpr int kVariable = -1;
constexpr int kUnknown = -2;

struct FontCharset {
  uint8_t charset;
  uint32_t codePage;
};
constexpr FontCharset kFontCharsets[] = {
    {0, 1252},   {77, 10000}, {128, 932},  {129, 949},  {134, 936},  {136, 950},
    {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
    {204, 1251}, {222, 874},  {238, 1250},
};

// Operand sizes of the Word 6/95 character properties (65 to 118): bytes, or
// kVariable (a length byte, then that many bytes), or kUnknown.
int word6OperandSize(uint8_t sprm) {
  static const int kSizes[] = {
      1, 1, 1, kVariable, 2, 4, 1, 2, 3, kVariable, 1,             // 65-75
      kUnknown, kUnknown, kUnknown, kUnknown,                      // 76-79
      2, kVariable, kUnknown, kUnknown, kUnknown,                  // 80-84
      1, 1, 1, 1, 1, 1, 1, 1,                                      // 85-92
      2, 1, 3, 2, 2, 1, 2, 1, kUnknown, 1,                         // 93-102
      kVariable, 1, kVariable, kVariable, 2, kVariable, 2, 2,      // 103-110
      kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown,  // 111-116
      1, 1,                                                        // 117-118
  };
  if (sprm < 65 || sprm > 118) return kUnknown;
  return kSizes[sprm - 65];
}

// An 8-bit character set the document's property set names, else windows-1252.
CharsetId propertyFallback(uint32_t codePage) {
  CharsetId charset = CharsetForCodePage(codePage);
  if (charset < 0 || charset == CHARSET_UTF8 || charset == CHARSET_UCS2) return CHARSET_ASCII;
  return charset;
}

// Bytes of "WordDocument" named by a FIB pair, or an empty buffer.
MallocPtr<unsigned char> readPart(CompoundFile* compound, FILE* input, uint32_t entry,
                                  uint32_t offset, uint32_t length) {
  uint32_t size = compound->entries[entry].size;
  if (length == 0 || offset >= size || length > size - offset) return nullptr;
  return MallocPtr<unsigned char>(ReadStreamRange(compound, input, entry, offset, length));
}

}  // namespace

CharsetId NarrowCoding::at(uint64_t offset, uint64_t* end) const {
  auto next =
      std::upper_bound(runs.begin(), runs.end(), offset,
                       [](uint64_t value, const CodePageRun& run) { return value < run.start; });
  if (next != runs.begin() && offset < std::prev(next)->end) {
    *end = std::prev(next)->end;
    return std::prev(next)->charset;
  }
  *end = next == runs.end() ? UINT64_MAX : next->start;
  return fallback;
}

uint32_t CodePageOfFontCharset(uint8_t fontCharset) {
  for (const FontCharset& entry : kFontCharsets) {
    if (entry.charset == fontCharset) return entry.codePage;
  }
  return 0;
}

std::vector<CharsetId> parseWord6FontCharsets(const unsigned char* bytes, size_t length) {
  std::vector<CharsetId> fonts;
  ByteReader r(bytes, length);
  uint64_t end = std::min<uint64_t>(r.u16At(0), length);
  for (uint64_t pos = 2; pos < end;) {
    const uint64_t size = uint64_t{r.u8At(pos)} + 1;
    if (!r.has(pos, 5) || size < 5) break;
    uint32_t codePage = CodePageOfFontCharset(r.u8At(pos + 4));
    fonts.push_back(codePage != 0 ? CharsetForCodePage(codePage) : -1);
    pos += size;
  }
  return fonts;
}

int32_t word6FontOf(const unsigned char* grpprl, size_t length) {
  ByteReader r(grpprl, length);
  for (uint64_t pos = 0; pos < length;) {
    const uint8_t sprm = r.u8At(pos);
    if (sprm == kSprmFont) return r.has(pos + 1, 2) ? r.u16At(pos + 1) : -1;
    int size = word6OperandSize(sprm);
    if (size == kUnknown) break;
    if (size == kVariable) {
      if (!r.has(pos + 1, 1)) break;
      pos += 2 + uint64_t{r.u8At(pos + 1)};
    } else {
      pos += 1 + static_cast<uint64_t>(size);
    }
  }
  return -1;
}

uint16_t word6DefaultFont(const unsigned char* bytes, size_t length) {
  ByteReader r(bytes, length);
  const uint64_t headerSize = r.u16At(0);
  const uint64_t baseSize = r.u16At(4);  // fixed part of each style
  const uint16_t standard = headerSize >= 14 ? r.u16At(2 + 12) : 0;
  // The first style: its size, fixed part, counted name with a terminator, then
  // its property lists, each a 16-bit size and bytes, on even offsets.
  const uint64_t style = 2 + headerSize + 2;
  const uint64_t styleSize = r.u16At(style - 2);
  if (!r.ok() || styleSize == 0 || !r.has(style, styleSize)) return standard;
  ByteReader s(bytes + style, static_cast<size_t>(styleSize));
  const uint8_t kind = s.u16At(2) & 0xF;
  const uint8_t lists = s.u16At(4) & 0xF;
  uint64_t pos = baseSize + 1 + uint64_t{s.u8At(baseSize)} + 1;
  // A paragraph style's character properties are its second list.
  const uint8_t wanted = kind == 1 ? 1 : 0;
  for (uint8_t i = 0; i < lists && s.ok(); ++i) {
    pos += pos % 2;
    const uint64_t size = s.u16At(pos);
    if (!s.has(pos + 2, size)) break;
    if (i == wanted) {
      int32_t font = word6FontOf(bytes + style + pos + 2, static_cast<size_t>(size));
      return font >= 0 ? static_cast<uint16_t>(font) : standard;
    }
    pos += 2 + size;
  }
  return standard;
}

void parseWord6CharacterPage(const unsigned char* page, const std::vector<CharsetId>& fonts,
                             uint16_t defaultFont, CharsetId fallback,
                             std::vector<CodePageRun>* runs) {
  ByteReader r(page, kPageSize);
  const size_t count = page[kPageSize - 1];
  const size_t offsets = 4 * (count + 1);
  auto charsetOf = [&](int32_t font) {
    return font >= 0 && static_cast<size_t>(font) < fonts.size() && fonts[font] >= 0
               ? fonts[font]
               : fallback;
  };
  for (size_t i = 0; i < count; ++i) {
    if (!r.has(4 * i, 8) || !r.has(offsets + i, 1)) break;
    const uint32_t start = r.u32At(4 * i);
    const uint32_t end = r.u32At(4 * i + 4);
    if (end <= start) continue;
    int32_t font = -1;
    const size_t at = 2 * size_t{r.u8At(offsets + i)};
    if (at != 0 && at < kPageSize - 1) {
      const size_t size = std::min<size_t>(r.u8At(at), kPageSize - 1 - at);
      font = word6FontOf(page + at + 1, size);
    }
    const CharsetId charset = charsetOf(font >= 0 ? font : defaultFont);
    if (!runs->empty() && runs->back().end == start && runs->back().charset == charset) {
      runs->back().end = end;
    } else {
      runs->push_back(CodePageRun{start, end, charset});
    }
  }
}

NarrowCoding readWord6Coding(CompoundFile* compound, FILE* input, uint32_t documentEntry,
                             const Word6Fib& fib) {
  NarrowCoding coding;
  coding.fallback = propertyFallback(ReadSummaryCodePage(compound, input));
  MallocPtr<unsigned char> fontTable(
      readPart(compound, input, documentEntry, fib.fontOffset, fib.fontLength));
  MallocPtr<unsigned char> bins(
      readPart(compound, input, documentEntry, fib.chpBinOffset, fib.chpBinLength));
  if (!fontTable || !bins || fib.chpBinLength < 4) return coding;
  const std::vector<CharsetId> fonts = parseWord6FontCharsets(fontTable.get(), fib.fontLength);
  MallocPtr<unsigned char> styles(
      readPart(compound, input, documentEntry, fib.styleOffset, fib.styleLength));
  const uint16_t defaultFont = styles ? word6DefaultFont(styles.get(), fib.styleLength) : 0;

  // The bin table: n + 1 file positions, then n 16-bit page numbers. When the FIB
  // counts more pages than the table lists, the others follow the last one.
  ByteReader bin(bins.get(), fib.chpBinLength);
  const uint64_t listed = (uint64_t{fib.chpBinLength} - 4) / 6;
  const uint64_t pageCount = listed > 0 ? std::max<uint64_t>(listed, fib.chpPages) : 0;
  const uint64_t streamPages = compound->entries[documentEntry].size / kPageSize;
  uint64_t page = 0;
  for (uint64_t i = 0; i < pageCount; ++i) {
    page = i < listed ? bin.u16At(4 * (listed + 1) + 2 * i) : page + 1;
    if (page >= streamPages) break;
    MallocPtr<unsigned char> bytes(ReadStreamRange(
        compound, input, documentEntry, static_cast<uint32_t>(page * kPageSize), kPageSize));
    if (!bytes) break;
    parseWord6CharacterPage(bytes.get(), fonts, defaultFont, coding.fallback, &coding.runs);
  }
  std::stable_sort(coding.runs.begin(), coding.runs.end(),
                   [](const CodePageRun& a, const CodePageRun& b) { return a.start < b.start; });
  // Runs that overlap an earlier one keep only what lies past it.
  std::vector<CodePageRun> kept;
  for (CodePageRun run : coding.runs) {
    if (!kept.empty() && run.start < kept.back().end) run.start = kept.back().end;
    if (run.start < run.end) kept.push_back(run);
  }
  coding.runs.swap(kept);
  return coding;
}
