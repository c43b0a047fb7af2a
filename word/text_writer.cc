#include "word/text_writer.h"

#include <cstring>

#include "charset/code_page.h"
#include "util/memory.h"
#include "word/lanes.h"

namespace {

constexpr unsigned char kCellMark = 7;

// The cleaning replacement of each byte or low byte; 0 keeps it. Built at compile
// time, so that no run spends start-up time or a page of memory on it.
struct CleanTable {
  unsigned char to[256] = {};
  constexpr explicit CleanTable(bool tabForCells) {
    for (int c = 0; c <= 6; ++c) to[c] = ' ';
    to[8] = ' ';
    to[10] = ' ';
    to[11] = 13;
    to[12] = 13;
    to[14] = 13;
    to[15] = ' ';
    to[16] = ' ';
    for (int c = 22; c <= 29; ++c) to[c] = ' ';
    to[30] = '-';
    to[31] = '-';
    to[133] = '.';
    to[147] = '"';
    to[148] = '"';
    to[150] = '-';
    to[160] = ' ';
    if (tabForCells) to[kCellMark] = '\t';
  }
};

constexpr CleanTable kCleanWithTabs(true);
constexpr CleanTable kCleanKeepCells(false);

// Every code replaced is below 32 or from 0x80 to 0xFF: words without one are
// passed over whole.
void cleanText(unsigned char* text, size_t length, bool units, const CleanTable& table) {
  if (units) {
    for (size_t i = 0; i + 1 < length; i += 2) {
      if (i + 8 <= length) {
        uint64_t word = loadLanes(text + i);
        if (!anyUnitBelow(word, 32) && !anyUnitInHighHalf(word)) {
          i += 6;
          continue;
        }
      }
      if (text[i + 1] == 0 && table.to[text[i]] != 0) text[i] = table.to[text[i]];
    }
    return;
  }
  for (size_t i = 0; i < length; ++i) {
    if (i + 8 <= length) {
      uint64_t word = loadLanes(text + i);
      if (!anyByteBelow(word, 32) && (word & 0x8080808080808080ull) == 0) {
        i += 7;
        continue;
      }
    }
    if (table.to[text[i]] != 0) text[i] = table.to[text[i]];
  }
}

// Text seen as 8-bit bytes or 16-bit units; codes match whole units only.
struct Units {
  unsigned char* text;
  size_t length;
  size_t step;  // 1 or 2

  bool isCode(size_t pos, unsigned char code) const {
    if (pos + step > length) return false;
    return text[pos] == code && (step == 1 || text[pos + 1] == 0);
  }
  // Position of the next code at or after pos, or length.
  size_t find(size_t pos, unsigned char code) const {
    if (step == 1) {
      if (pos >= length) return length;
      const void* hit = std::memchr(text + pos, code, length - pos);
      return hit ? static_cast<size_t>(static_cast<const unsigned char*>(hit) - text) : length;
    }
    for (; pos + 1 < length; pos += 2) {
      if (text[pos] == code && text[pos + 1] == 0) return pos;
    }
    return length;
  }
};

}  // namespace

CharPtr convertWideText(WordSettings* settings, const unsigned char* text, size_t length,
                        size_t* convertedLength) {
  *convertedLength = 0;
  if (length > 0x7FFFFFFF) return nullptr;
  char* converted = nullptr;
  int32_t count = 0;
  if (ConvertCharset(CHARSET_UCS2, settings->outputCharset, text, static_cast<int32_t>(length),
                     &converted, &count, settings->charsetContext()) != CHARSET_OK) {
    std::free(converted);
    return nullptr;
  }
  if (converted != nullptr && count > 0) *convertedLength = static_cast<size_t>(count);
  return CharPtr(converted);
}

namespace {

// 8-bit text whose bytes are written as they are (see the header).
bool keepsNarrowBytes(const WordSettings* settings, CharsetId charset) {
  return settings->reverseEndian || settings->outputCharset < 0 ||
         (charset == settings->outputCharset && charset != CHARSET_UTF8);
}

// Calls stretch(bytes, count, keep) for each stretch of the text that shares one
// character set, in order; keep tells whether its bytes are written as they are.
// A stretch that is not kept is converted into *converted first.
template <typename Stretch>
void forEachNarrowStretch(WordSettings* settings, const unsigned char* text, size_t length,
                          const NarrowText& narrow, std::string* converted, Stretch stretch) {
  static const NarrowCoding kWindows1252;
  const NarrowCoding& coding = narrow.coding != nullptr ? *narrow.coding : kWindows1252;
  for (size_t pos = 0; pos < length;) {
    const uint64_t at = narrow.offset + pos;
    uint64_t end = 0;
    const CharsetId charset = coding.at(at, &end);
    const size_t count = end - at < length - pos ? static_cast<size_t>(end - at) : length - pos;
    if (keepsNarrowBytes(settings, charset)) {
      stretch(reinterpret_cast<const char*>(text + pos), count);
    } else {
      converted->clear();
      ConvertNarrowText(charset, settings->outputCharset, text + pos, count,
                        settings->charsetContext(), converted);
      stretch(converted->data(), converted->size());
    }
    pos += count;
  }
}

void writePlain(WordSettings* settings, unsigned char* text, size_t length, bool wide,
                const NarrowText& narrow, FILE* out, bool escape) {
  if (length == 0) return;
  if (!wide) {
    std::string converted;
    forEachNarrowStretch(settings, text, length, narrow, &converted,
                         [&](const char* bytes, size_t count) {
                           if (count > 0) writeEscaped(bytes, count, out, escape);
                         });
    return;
  }
  size_t convertedLength = 0;
  CharPtr converted(convertWideText(settings, text, length, &convertedLength));
  if (converted && convertedLength > 0) writeEscaped(converted.get(), convertedLength, out, escape);
}

// 16-bit text is cut into cells and rows on whole 16-bit units (a byte 7 inside
// another character is no mark), and each cell is converted like any other
// 16-bit text.
void writeTable(WordSettings* settings, const Units& units, bool wide, const NarrowText& narrow,
                FILE* out, bool escape) {
  auto from = [&](size_t pos) { return NarrowText{narrow.coding, narrow.offset + pos}; };
  std::fputs("<table border='0'>\n", out);
  size_t pos = 0;
  while (units.find(pos, kCellMark) < units.length) {
    std::fputs("<tr>\n", out);
    for (;;) {
      size_t mark = units.find(pos, kCellMark);
      if (mark >= units.length) break;
      // Every cell keeps its text, also a cell of one character: a one-letter
      // cell is as much content as any other.
      std::fputs("<td>", out);
      writePlain(settings, units.text + pos, mark - pos, wide, from(pos), out, escape);
      std::fputs("</td>", out);
      pos = mark + units.step;
      if (units.isCode(pos, kCellMark)) {  // a second mark ends the row
        pos += units.step;
        break;
      }
    }
    std::fputs("\n</tr>\n", out);
  }
  std::fputs("</table>", out);
  // Text after the last row (the paragraph that follows the table) is not part of
  // the table; it is written after it.
  if (pos < units.length)
    writePlain(settings, units.text + pos, units.length - pos, wide, from(pos), out, escape);
}

}  // namespace

void writeEscaped(const char* bytes, size_t length, FILE* out, bool escape) {
  if (!escape) {
    std::fwrite(bytes, 1, length, out);
    return;
  }
  static const struct Specials {
    bool is[256] = {};
    Specials() { is[0x3C] = is[0x3E] = is[0x27] = true; }  // < > '
  } kSpecials;
  const unsigned char* text = reinterpret_cast<const unsigned char*>(bytes);
  size_t start = 0;
  for (size_t i = 0; i < length; ++i) {
    if (i + 8 <= length) {
      // "<" and ">" differ in one bit: both match 0x3E once it is set.
      uint64_t word = loadLanes(text + i);
      if (!anyByteBelow((word | 0x0202020202020202ull) ^ 0x3E3E3E3E3E3E3E3Eull, 1) &&
          !anyByteBelow(word ^ 0x2727272727272727ull, 1)) {
        i += 7;
        continue;
      }
    }
    const unsigned char c = text[i];
    if (!kSpecials.is[c]) continue;
    std::fwrite(bytes + start, 1, i - start, out);
    std::fputs(c == '<' ? "&lt;" : c == '>' ? "&gt;" : "\"", out);
    start = i + 1;
  }
  std::fwrite(bytes + start, 1, length - start, out);
}

void appendNarrowText(WordSettings* settings, const unsigned char* text, size_t length,
                      const NarrowText& narrow, std::string* out) {
  std::string converted;
  forEachNarrowStretch(settings, text, length, narrow, &converted,
                       [&](const char* bytes, size_t count) { out->append(bytes, count); });
}

void writeWordText(WordSettings* settings, unsigned char* text, size_t length, bool wide,
                   bool addLineFeed, bool clean, FILE* out, bool escape, const NarrowText& narrow) {
  const bool tables = settings->formatTables || settings->breakTables;
  if (clean) {
    cleanText(text, length, wide || settings->reverseEndian,
              tables ? kCleanKeepCells : kCleanWithTabs);
  }
  Units units{text, length, static_cast<size_t>(wide ? 2 : 1)};
  bool hasCells = tables && units.find(0, kCellMark) < length;
  if (hasCells && settings->breakTables) {
    for (size_t pos = units.find(0, kCellMark); pos < length;
         pos = units.find(pos + units.step, kCellMark)) {
      text[pos] = '\n';
    }
    writePlain(settings, text, length, wide, narrow, out, escape);
  } else if (hasCells) {
    writeTable(settings, units, wide, narrow, out, escape);
  } else {
    writePlain(settings, text, length, wide, narrow, out, escape);
  }
  if (addLineFeed) std::fputc('\n', out);
}
