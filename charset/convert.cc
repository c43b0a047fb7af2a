// The conversion routes, chosen by the pair in this order (single-byte: 0, 3..15,
// 22..32; double-byte: 16..19):
//   A  UTF8 to single-byte: the ASCII prefix copied, the rest through UCS2
//   B  UCS2 to single-byte        C  single-byte to UCS2
//   D  UCS2 to UTF8               E  UTF8 to UCS2
//   F  UCS2 to double-byte        G  UCS2 to JIS or EUC, through Shift_JIS
//   H  double-byte to UCS2        I  JIS or EUC to UCS2, through Shift_JIS
//   J  among SHIFTJIS, JIS, EUC   K  CHINESETRADITIONAL to CHINESESIMPLIFIED
//   L  any other pair: two steps through UCS2 (UCS2 to itself is a copy)

#include "charset/convert.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "charset/charset.h"
#include "charset/eight_bytes.h"
#include "charset/japanese.h"
#include "util/memory.h"
#include "util/strings.h"

namespace {

// A conversion result: a malloc'd, zero-filled buffer and the bytes written.
struct Result {
  CharPtr data;
  size_t length = 0;
};

// capacity bytes of zero-filled storage for a result; false when the size does
// not fit in memory.
bool Allocate(uint64_t capacity, Result* result) {
  if (capacity == 0 || capacity > SIZE_MAX) return false;
  result->data.reset(static_cast<char*>(allocZeroed(static_cast<size_t>(capacity))));
  result->length = 0;
  return result->data != nullptr;
}

bool IsJapaneseCharset(CharsetId id) {
  return id == CHARSET_SHIFTJIS || id == CHARSET_JIS || id == CHARSET_EUC;
}

int JapaneseCodeOf(CharsetId id) {
  if (id == CHARSET_JIS) return JAPANESE_JIS;
  if (id == CHARSET_EUC) return JAPANESE_EUC;
  return JAPANESE_SJIS;
}

// The i-th UCS-2 code unit, low byte first. The lone byte of an odd length is a
// code unit of its own, as if the 0 byte that ends the caller's text followed it.
inline uint16_t CodeUnit(const uint8_t* in, size_t length, size_t i) {
  size_t pos = 2 * i;
  uint16_t high = pos + 1 < length ? in[pos + 1] : 0;
  return static_cast<uint16_t>(in[pos] | (high << 8));
}

int EnsureFamily(CharsetId id, const CharsetContext* context) {
  int status = EnsureCharsetTables(CharsetFamily(id), context->tablesDirectory);
  return status == 0 ? CHARSET_OK : CHARSET_NO_TABLES;
}

inline void PutUnit(char* out, size_t* length, uint32_t unit) {
  out[(*length)++] = static_cast<char>(unit & 0xFF);
  out[(*length)++] = static_cast<char>(unit >> 8);
}

// Decimal digits of value after "&#" and before ";".
size_t FormatReference(uint16_t value, char* out) {
  // A text of other scripts written as ASCII is mostly references: the at most
  // five digits are written in place, without a loop.
  const uint32_t v = value;
  char* p = out;
  *p++ = '&';
  *p++ = '#';
  if (v >= 10000) *p++ = static_cast<char>('0' + v / 10000);
  if (v >= 1000) *p++ = static_cast<char>('0' + v / 1000 % 10);
  if (v >= 100) *p++ = static_cast<char>('0' + v / 100 % 10);
  if (v >= 10) *p++ = static_cast<char>('0' + v / 10 % 10);
  *p++ = static_cast<char>('0' + v % 10);
  *p++ = ';';
  return static_cast<size_t>(p - out);
}

// capacity bytes of storage for a result that the route fills and terminates
// itself; false when the size does not fit in memory. Untouched storage costs
// nothing, so routes size it for the longest output at once.
bool AllocateUnfilled(uint64_t capacity, Result* result) {
  if (capacity == 0 || capacity > SIZE_MAX) return false;
  result->data.reset(static_cast<char*>(std::malloc(static_cast<size_t>(capacity))));
  result->length = 0;
  return result->data != nullptr;
}

inline uint16_t LoadUnit(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

inline bool InEntitySet(const uint64_t* entities, uint16_t unit) {
  return ((entities[unit >> 6] >> (unit & 63)) & 1) != 0;
}

// Stores value at p, first byte lowest.
inline void StoreEight(uint64_t value, char* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  for (int i = 0; i < 8; ++i) p[i] = static_cast<char>(value >> (8 * i));
#else
  std::memcpy(p, &value, 8);
#endif
}

// The low bytes of four 16-bit lanes, in order, in the low 32 bits.
inline uint64_t NarrowLanes(uint64_t lanes) {
  lanes = (lanes | (lanes >> 8)) & 0x0000FFFF0000FFFFu;
  return (lanes | (lanes >> 16)) & 0xFFFFFFFFu;
}

// Writes the low bytes of the eight code units at in to out when all of them
// are below 0x80 and, unless zeros are allowed, none is 0; false otherwise
// (nothing written).
inline bool NarrowEightAscii(const uint8_t* in, bool zerosAllowed, char* out) {
  constexpr uint64_t kOnes = 0x0001000100010001u;
  constexpr uint64_t kTops = 0x8000800080008000u;
  uint64_t low = LoadEight(in);
  uint64_t high = LoadEight(in + 8);
  if (((low | high) & 0xFF80FF80FF80FF80u) != 0) return false;
  // Lanes below 0x80 borrow only from a lane that is 0.
  if (!zerosAllowed && (((low - kOnes) | (high - kOnes)) & kTops) != 0) return false;
  StoreEight(NarrowLanes(low) | NarrowLanes(high) << 32, out);
  return true;
}

// True when the set writes the characters 1..0x7F as themselves and, with
// entities, none of them as a reference.
bool PlainAsciiRange(const uint8_t* reverse, const uint64_t* entities) {
  struct Identity {
    uint8_t bytes[0x80];
    constexpr Identity() : bytes() {
      for (int i = 0; i < 0x80; ++i) bytes[i] = static_cast<uint8_t>(i);
    }
  };
  static constexpr Identity kIdentity;
  if (entities != nullptr && (entities[0] | entities[1]) != 0) return false;
  return std::memcmp(reverse + 1, kIdentity.bytes + 1, 0x7F) == 0;
}

// Code units to the single-byte set of `reverse`; with kReferences, the members
// of entities as references. out has room for 8 bytes per code unit (1 without
// references). Return the bytes written. NarrowUnits takes units [begin, end)
// of in; when `plain` (PlainAsciiRange), runs of eight characters 1..0x7F are
// narrowed at once.
template <bool kReferences>
inline size_t NarrowUnit(uint16_t unit, const uint8_t* reverse, const uint64_t* entities,
                         char* out) {
  if (kReferences && InEntitySet(entities, unit)) return FormatReference(unit, out);
  uint8_t byte = reverse[unit];
  *out = static_cast<char>(byte);
  return byte != 0;
}

template <bool kReferences>
size_t NarrowUnits(const uint8_t* in, size_t begin, size_t end, const uint8_t* reverse,
                   const uint64_t* entities, bool plain, char* out) {
  char* start = out;
  size_t i = begin;
  while (i < end) {
    if (plain && end - i >= 8 && NarrowEightAscii(in + 2 * i, false, out)) {
      out += 8;
      i += 8;
      continue;
    }
    out += NarrowUnit<kReferences>(LoadUnit(in + 2 * i), reverse, entities, out);
    ++i;
  }
  return static_cast<size_t>(out - start);
}

// Route B: UCS-2 to a single-byte set. ASCII output writes the code units of the
// entity set as references; unmapped characters are dropped.
int UcsToSingleByte(CharsetId target, const uint8_t* in, size_t length,
                    const CharsetContext* context, Result* result) {
  int status = EnsureFamily(target, context);
  if (status != CHARSET_OK) return status;
  const uint8_t* reverse = SingleByteReverse(target);
  size_t units = length / 2;  // whole code units; a lone last byte follows
  if (target != CHARSET_ASCII) {
    if (!AllocateUnfilled(uint64_t{units} + 2, result)) return CHARSET_NO_MEMORY;
    char* out = result->data.get();
    size_t written =
        NarrowUnits<false>(in, 0, units, reverse, nullptr, PlainAsciiRange(reverse, nullptr), out);
    if (length % 2 != 0) {
      written += NarrowUnit<false>(in[length - 1], reverse, nullptr, out + written);
    }
    out[written] = '\0';
    result->length = written;
    return CHARSET_OK;
  }
  // A reference is at most 8 bytes. The text is converted in blocks, each with
  // room for references only; the buffer doubles when a block might not fit.
  const uint64_t* entities = EntitySet();
  bool plain = PlainAsciiRange(reverse, entities);
  constexpr size_t kBlock = 4096;
  uint64_t capacity = uint64_t{units} + 7 * uint64_t{units < kBlock ? units : kBlock} + 9;
  if (!AllocateUnfilled(capacity, result)) return CHARSET_NO_MEMORY;
  size_t written = 0;
  for (size_t i = 0; i < units || (i == units && length % 2 != 0); i += kBlock) {
    size_t end = units - i < kBlock ? units : i + kBlock;
    if (written + 8 * (end - i) + 9 > capacity) {
      while (written + 8 * (end - i) + 9 > capacity) {
        if (capacity > SIZE_MAX / 2) return CHARSET_NO_MEMORY;
        capacity *= 2;
      }
      char* grown = static_cast<char*>(std::realloc(result->data.get(), capacity));
      if (grown == nullptr) return CHARSET_NO_MEMORY;
      result->data.release();
      result->data.reset(grown);
    }
    char* out = result->data.get();
    written += NarrowUnits<true>(in, i, end, reverse, entities, plain, out + written);
    if (end == units && length % 2 != 0) {
      written += NarrowUnit<true>(in[length - 1], reverse, entities, out + written);
      break;
    }
  }
  result->data.get()[written] = '\0';
  result->length = written;
  return CHARSET_OK;
}

// Length of the digits of base at text[pos..end), at most maxDigits of them
// (0: unlimited), and their value, saturated above 0xFFFFFF.
size_t ReadDigits(const uint8_t* text, size_t pos, size_t end, int base, size_t maxDigits,
                  uint32_t* value) {
  *value = 0;
  size_t count = 0;
  while (pos + count < end && (maxDigits == 0 || count < maxDigits)) {
    int c = text[pos + count];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      break;
    }
    *value = *value * base + digit;
    if (*value > 0xFFFFFF) *value = 0x1000000;
    ++count;
  }
  return count;
}

// Route C: single-byte set to UCS-2. "&#N;" and "&#xN;" of the entity set become
// their code unit; a 0 byte gives nothing.
int SingleByteToUcs(CharsetId source, const uint8_t* in, size_t length,
                    const CharsetContext* context, Result* result) {
  int status = EnsureFamily(source, context);
  if (status != CHARSET_OK) return status;
  const uint16_t* forward = SingleByteForward(source);
  if (!Allocate(2 * uint64_t{length} + 100, result)) return CHARSET_NO_MEMORY;
  char* out = result->data.get();
  size_t written = 0;
  // Position of the next ";" at or after some point, so that a text full of
  // "&#" is still scanned once.
  size_t semicolon = 0;
  bool semicolonKnown = false;
  for (size_t pos = 0; pos < length;) {
    if (in[pos] == '&' && pos + 1 < length && in[pos + 1] == '#') {
      if (!semicolonKnown || (semicolon < length && semicolon < pos + 2)) {
        const void* found = std::memchr(in + pos + 2, ';', length - (pos + 2));
        semicolon = found != nullptr ? static_cast<const uint8_t*>(found) - in : length;
        semicolonKnown = true;
      }
      if (semicolon < length) {
        size_t digits = pos + 2;
        int base = 10;
        if (digits < length && in[digits] == 'x') {
          base = 16;
          ++digits;
        }
        uint32_t value;
        ReadDigits(in, digits, length, base, 0, &value);
        if (value <= 0xFFFF && IsEntityCodeUnit(static_cast<uint16_t>(value))) {
          PutUnit(out, &written, value);
          pos = semicolon + 1;
          continue;
        }
      }
    }
    if (in[pos] != 0) PutUnit(out, &written, forward[in[pos]]);
    ++pos;
  }
  result->length = written;
  return CHARSET_OK;
}

// Route D: UCS-2 to UTF-8. A surrogate pair is one four-byte sequence; a lone
// surrogate keeps the three-byte form of its code unit.
int UcsToUtf8(const uint8_t* in, size_t length, Result* result) {
  size_t units = length / 2;  // whole code units; a lone last byte follows
  if (!AllocateUnfilled(3 * uint64_t{units} + 3, result)) return CHARSET_NO_MEMORY;
  uint8_t* out = reinterpret_cast<uint8_t*>(result->data.get());
  uint8_t* start = out;
  size_t i = length >= 2 && in[0] == 0xFF && in[1] == 0xFE ? 1 : 0;
  for (; i < units; ++i) {
    // Runs of eight code units below 0x80 are narrowed at once.
    while (units - i >= 8 && NarrowEightAscii(in + 2 * i, true, reinterpret_cast<char*>(out))) {
      out += 8;
      i += 8;
    }
    if (i == units) break;
    uint32_t unit = LoadUnit(in + 2 * i);
    if (unit < 0x80) {
      *out++ = static_cast<uint8_t>(unit);
    } else if (unit < 0x800) {
      out[0] = static_cast<uint8_t>(0xC0 | (unit >> 6));
      out[1] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
      out += 2;
    } else {
      if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
        uint32_t low = LoadUnit(in + 2 * (i + 1));
        if (low >= 0xDC00 && low <= 0xDFFF) {
          uint32_t code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          out[0] = static_cast<uint8_t>(0xF0 | (code >> 18));
          out[1] = static_cast<uint8_t>(0x80 | ((code >> 12) & 0x3F));
          out[2] = static_cast<uint8_t>(0x80 | ((code >> 6) & 0x3F));
          out[3] = static_cast<uint8_t>(0x80 | (code & 0x3F));
          out += 4;
          ++i;
          continue;
        }
      }
      out[0] = static_cast<uint8_t>(0xE0 | (unit >> 12));
      out[1] = static_cast<uint8_t>(0x80 | ((unit >> 6) & 0x3F));
      out[2] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
      out += 3;
    }
  }
  if (length % 2 != 0) {  // the lone byte is a code unit below 0x100
    uint8_t unit = in[length - 1];
    if (unit < 0x80) {
      *out++ = unit;
    } else {
      *out++ = static_cast<uint8_t>(0xC0 | (unit >> 6));
      *out++ = static_cast<uint8_t>(0x80 | (unit & 0x3F));
    }
  }
  *out = 0;
  result->length = static_cast<size_t>(out - start);
  return CHARSET_OK;
}

// Route E: UTF-8 to UCS-2, lenient: continuation bytes are not checked and a
// byte that starts no sequence is a code unit of its own value. A four-byte
// sequence of a character beyond U+FFFF becomes its surrogate pair; a sequence
// cut short by the end of the input gives its bytes as code units one by one.
int Utf8ToUcs(const uint8_t* in, size_t length, Result* result) {
  if (!Allocate(2 * uint64_t{length} + 100, result)) return CHARSET_NO_MEMORY;
  char* out = result->data.get();
  size_t written = 0;
  for (size_t pos = 0; pos < length;) {
    uint32_t c = in[pos];
    size_t left = length - pos;
    if (c >= 0xF0 && c <= 0xF4 && left >= 4) {
      uint32_t code = ((c & 0x07) << 18) | ((in[pos + 1] & 0x3Fu) << 12) |
                      ((in[pos + 2] & 0x3Fu) << 6) | (in[pos + 3] & 0x3Fu);
      if (code >= 0x10000 && code <= 0x10FFFF) {
        code -= 0x10000;
        PutUnit(out, &written, 0xD800 + (code >> 10));
        PutUnit(out, &written, 0xDC00 + (code & 0x3FF));
        pos += 4;
        continue;
      }
    }
    if (c >= 0xE0 && left >= 3) {
      PutUnit(out, &written,
              ((c & 0x0F) << 12) | ((in[pos + 1] & 0x3Fu) << 6) | (in[pos + 2] & 0x3Fu));
      pos += 3;
    } else if (c >= 0xC0 && c <= 0xDF && left >= 2) {
      PutUnit(out, &written, ((c & 0x1F) << 6) | (in[pos + 1] & 0x3Fu));
      pos += 2;
    } else {
      PutUnit(out, &written, c);
      pos += 1;
    }
  }
  result->length = written;
  return CHARSET_OK;
}

// Route F: UCS-2 to a double-byte set; unmapped characters are dropped.
int UcsToDoubleByte(CharsetId target, const uint8_t* in, size_t length,
                    const CharsetContext* context, Result* result) {
  int status = EnsureFamily(target, context);
  if (status != CHARSET_OK) return status;
  const uint16_t* reverse = DoubleByteReverse(target);
  if (!Allocate(uint64_t{length} + 100, result)) return CHARSET_NO_MEMORY;
  char* out = result->data.get();
  size_t written = 0;
  size_t units = length / 2 + length % 2;
  for (size_t i = 0; i < units; ++i) {
    uint16_t entry = reverse[CodeUnit(in, length, i)];
    int first = entry & 0xFF;
    if (first == 0) continue;
    out[written++] = static_cast<char>(first);
    if (IsLeadByteOf(target, first)) out[written++] = static_cast<char>(entry >> 8);
  }
  result->length = written;
  return CHARSET_OK;
}

// A result holding text, in a buffer of at least minimum bytes.
int ResultFromText(const std::string& text, uint64_t minimum, Result* result) {
  uint64_t capacity = text.size() + 1 > minimum ? text.size() + 1 : minimum;
  if (!Allocate(capacity, result)) return CHARSET_NO_MEMORY;
  std::memcpy(result->data.get(), text.data(), text.size());
  result->length = std::strlen(result->data.get());
  return CHARSET_OK;
}

// Routes G and J: Japanese code conversion of a text, into a buffer of
// 2 * length + 100 bytes or more when the escape sequences need more. Route G
// made its Shift_JIS itself and needs no detection, which would take the lead
// bytes of extension characters (F0..FC) for EUC.
int ConvertJapanese(CharsetId source, CharsetId target, const uint8_t* in, size_t length,
                    bool detect, Result* result) {
  std::string text;
  if (detect) {
    ConvertJapaneseCode(JapaneseCodeOf(target), in, length, &text, JapaneseCodeOf(source));
  } else {
    ConvertJapaneseText(JapaneseCodeOf(target), in, length, &text, JapaneseCodeOf(source));
  }
  return ResultFromText(text, 2 * uint64_t{length} + 100, result);
}

// Route H: double-byte set to UCS-2, with "&#N;" (1 to 5 digits) and "&#xN;"
// (1 to 4 digits) of any non-zero value decoded.
int DoubleByteToUcs(CharsetId source, const uint8_t* in, size_t length,
                    const CharsetContext* context, Result* result) {
  int status = EnsureFamily(source, context);
  if (status != CHARSET_OK) return status;
  const uint16_t* forward = DoubleByteForward(source);
  if (!Allocate(2 * uint64_t{length} + 100, result)) return CHARSET_NO_MEMORY;
  char* out = result->data.get();
  size_t written = 0;
  for (size_t pos = 0; pos < length;) {
    if (in[pos] == '&' && pos + 1 < length && in[pos + 1] == '#') {
      bool hex = pos + 2 < length && in[pos + 2] == 'x';
      size_t digits = pos + (hex ? 3 : 2);
      uint32_t value;
      size_t count = ReadDigits(in, digits, length, hex ? 16 : 10, hex ? 4 : 5, &value);
      size_t end = digits + count;
      if (count > 0 && end < length && in[end] == ';' && value != 0) {
        PutUnit(out, &written, value & 0xFFFF);
        pos = end + 1;
        continue;
      }
    }
    int c = in[pos];
    if (IsLeadByteOf(source, c) && pos + 1 < length) {
      uint16_t unit = forward[c | (in[pos + 1] << 8)];
      if (unit != 0) PutUnit(out, &written, unit);
      pos += 2;
    } else {
      uint16_t unit = forward[c];
      if (unit != 0 || c == 0) PutUnit(out, &written, unit);
      pos += 1;
    }
  }
  result->length = written;
  return CHARSET_OK;
}

// Route K: Big5 to GB2312 through the Big5-to-GB2312 tables. The input is a text
// (up to its first 0 byte); one blank is appended to it. Big5 codes outside the
// first table's ranges become "?".
int Big5ToGb(const uint8_t* in, size_t length, const CharsetContext* context,
             Result* result) {
  if (EnsureBig5ToGbTables(context->tablesDirectory) != 1) return CHARSET_NO_TABLES;
  const void* zero = std::memchr(in, 0, length);
  size_t n = zero != nullptr ? static_cast<const uint8_t*>(zero) - in : length;
  if (!Allocate(2 * (uint64_t{n} + 1) + 100, result)) return CHARSET_NO_MEMORY;
  uint8_t* out = reinterpret_cast<uint8_t*>(result->data.get());
  size_t written = 0;
  auto byteAt = [&](size_t pos) -> int { return pos < n ? in[pos] : (pos == n ? ' ' : 0); };
  for (size_t pos = 0; pos <= n;) {
    int c = byteAt(pos);
    uint16_t value;
    if (c < 0x80) {
      value = static_cast<uint16_t>(c);
      pos += 1;
    } else {
      int trail = byteAt(pos + 1);
      if (trail == 0) break;
      int index = Big5Index(static_cast<uint8_t>(c), static_cast<uint8_t>(trail));
      value = index >= 0 ? Big5ToGbFirst(index) : '?';
      pos += 2;
    }
    if (value == 0) break;
    if (value < 0x80) {
      out[written++] = static_cast<uint8_t>(value);
    } else {
      uint16_t gb = Big5ToGbSecond(value);
      out[written++] = static_cast<uint8_t>(gb >> 8);
      out[written++] = static_cast<uint8_t>(gb & 0xFF);
    }
  }
  result->length = std::strlen(result->data.get());
  return CHARSET_OK;
}

int Convert(CharsetId source, CharsetId target, const uint8_t* in, size_t length,
            const CharsetContext* context, Result* result);

// Two steps through UCS-2 (routes A's rest, G's first step, I and L).
int ThroughUcs(CharsetId source, CharsetId target, const uint8_t* in, size_t length,
               const CharsetContext* context, Result* result) {
  Result ucs;
  int status = Convert(source, CHARSET_UCS2, in, length, context, &ucs);
  if (status != CHARSET_OK || ucs.data == nullptr || ucs.length == 0) return status;
  return Convert(CHARSET_UCS2, target, reinterpret_cast<const uint8_t*>(ucs.data.get()),
                 ucs.length, context, result);
}

int Convert(CharsetId source, CharsetId target, const uint8_t* in, size_t length,
            const CharsetContext* context, Result* result) {
  if (length == 0) return CHARSET_OK;
  bool singleSource = IsSingleByteCharset(source);
  bool singleTarget = IsSingleByteCharset(target);

  if (source == CHARSET_UTF8 && singleTarget) {  // A
    size_t prefix = 0;
    while (prefix < length && in[prefix] < 0x80) ++prefix;
    Result rest;
    if (prefix < length) {
      int status = ThroughUcs(CHARSET_UTF8, target, in + prefix, length - prefix, context, &rest);
      if (status != CHARSET_OK) return status;
    }
    if (!Allocate(uint64_t{prefix} + rest.length + 1, result)) return CHARSET_NO_MEMORY;
    std::memcpy(result->data.get(), in, prefix);
    if (rest.length > 0) std::memcpy(result->data.get() + prefix, rest.data.get(), rest.length);
    result->length = prefix + rest.length;
    return CHARSET_OK;
  }
  if (source == CHARSET_UCS2 && singleTarget) {
    return UcsToSingleByte(target, in, length, context, result);
  }
  if (singleSource && target == CHARSET_UCS2) {
    return SingleByteToUcs(source, in, length, context, result);
  }
  if (source == CHARSET_UCS2 && target == CHARSET_UTF8) return UcsToUtf8(in, length, result);
  if (source == CHARSET_UTF8 && target == CHARSET_UCS2) return Utf8ToUcs(in, length, result);
  if (source == CHARSET_UCS2 && IsDoubleByteCharset(target)) {
    return UcsToDoubleByte(target, in, length, context, result);
  }
  if (source == CHARSET_UCS2 && (target == CHARSET_JIS || target == CHARSET_EUC)) {  // G
    Result sjis;
    int status = UcsToDoubleByte(CHARSET_SHIFTJIS, in, length, context, &sjis);
    if (status != CHARSET_OK || sjis.length == 0) return status;
    return ConvertJapanese(CHARSET_SHIFTJIS, target,
                           reinterpret_cast<const uint8_t*>(sjis.data.get()), sjis.length, false,
                           result);
  }
  if (IsDoubleByteCharset(source) && target == CHARSET_UCS2) {
    return DoubleByteToUcs(source, in, length, context, result);
  }
  if ((source == CHARSET_JIS || source == CHARSET_EUC) && target == CHARSET_UCS2) {  // I
    std::string sjis;
    ConvertJapaneseCode(JAPANESE_SJIS, in, length, &sjis, JapaneseCodeOf(source));
    size_t text = std::strlen(sjis.c_str());
    return Convert(CHARSET_SHIFTJIS, CHARSET_UCS2, reinterpret_cast<const uint8_t*>(sjis.data()),
                   text, context, result);
  }
  if (IsJapaneseCharset(source) && IsJapaneseCharset(target)) {  // J
    return ConvertJapanese(source, target, in, length, true, result);
  }
  if (source == CHARSET_CHINESETRADITIONAL && target == CHARSET_CHINESESIMPLIFIED) {
    return Big5ToGb(in, length, context, result);
  }
  if (source == CHARSET_UCS2 && target == CHARSET_UCS2) {
    if (!Allocate(uint64_t{length} + 1, result)) return CHARSET_NO_MEMORY;
    std::memcpy(result->data.get(), in, length);
    result->length = length;
    return CHARSET_OK;
  }
  return ThroughUcs(source, target, in, length, context, result);  // L
}

// A set of CharsetIds as a bit mask.
constexpr uint64_t Set(std::initializer_list<int> ids) {
  uint64_t bits = 0;
  for (int id : ids) bits |= uint64_t{1} << id;
  return bits;
}

bool InSet(CharsetId id, uint64_t set) { return ((set >> id) & 1) != 0; }

// The group of sets a language hint 0..57 allows besides UTF8 and UCS2.
uint64_t HintGroup(int32_t hint) {
  switch (hint) {
    case 2: return Set({7, 8});
    case 3: case 26: case 35: case 36: case 38: case 42: case 43: case 44: case 45:
    case 46: case 47: case 48: return Set({9, 10, 11, 22});
    case 5: return Set({16, 17});
    case 6: case 7: case 16: case 23: case 25: case 27: case 28: case 29: return Set({13, 14});
    case 14: return Set({3, 4});
    case 15: return Set({5, 6});
    case 19: return Set({19, 20, 21});
    case 20: return Set({18});
    case 33: return Set({12});
    case 34: return Set({15});
    case 50: return Set({23});
    case 51: case 52: case 53: case 54: case 56: return Set({24, 25});
    case 55: return ~uint64_t{0};
    default: return Set({0, 26});
  }
}

char* g_defaultTablesDirectory = nullptr;  // malloc'd; nullptr means "."

}  // namespace

int ConvertCharset(CharsetId source, CharsetId target, const void* input, int32_t length,
                   char** output, int32_t* outputLength, const CharsetContext* context) {
  if (outputLength == nullptr) return CHARSET_BAD_ARGUMENTS;
  *outputLength = 0;
  if (context == nullptr) return CHARSET_BAD_ARGUMENTS;
  if (CheckCharsetPair(source, target, context->languageHint) != 0) return CHARSET_REFUSED;
  if (length == 0) return CHARSET_OK;
  if (length < 0 || input == nullptr || output == nullptr) return CHARSET_BAD_ARGUMENTS;
  Result result;
  int status = Convert(source, target, static_cast<const uint8_t*>(input),
                       static_cast<size_t>(length), context, &result);
  if (status != CHARSET_OK || result.data == nullptr) return status;
  if (result.length > INT32_MAX) return CHARSET_NO_MEMORY;
  *outputLength = static_cast<int32_t>(result.length);
  *output = result.data.release();
  return CHARSET_OK;
}

int AppendConverted(CharsetId source, CharsetId target, const void* input, size_t length,
                    const CharsetContext* context, std::string* out) {
  if (length == 0) return CHARSET_OK;
  if (length > INT32_MAX) return CHARSET_NO_MEMORY;
  char* converted = nullptr;
  int32_t convertedLength = 0;
  const int32_t size = static_cast<int32_t>(length);
  int status = context != nullptr
                   ? ConvertCharset(source, target, input, size, &converted, &convertedLength,
                                    context)
                   : ConvertCharsetWithDefaults(source, target, input, size, &converted,
                                                &convertedLength);
  CharPtr owner(converted);
  if (status == CHARSET_OK && converted != nullptr && convertedLength > 0) {
    out->append(converted, static_cast<size_t>(convertedLength));
  }
  return status;
}

const char* DefaultTablesDirectory() {
  return g_defaultTablesDirectory != nullptr ? g_defaultTablesDirectory : ".";
}

int ConvertCharsetWithDefaults(CharsetId source, CharsetId target, const void* input,
                               int32_t length, char** output, int32_t* outputLength) {
  CharPtr directory(dupString(DefaultTablesDirectory()));
  if (!directory) {
    if (outputLength != nullptr) *outputLength = 0;
    return CHARSET_NO_MEMORY;
  }
  CharsetContext context = {directory.get(), -1};
  return ConvertCharset(source, target, input, length, output, outputLength, &context);
}

void SetDefaultTablesDirectory(const char* directory) {
  std::free(g_defaultTablesDirectory);
  g_defaultTablesDirectory =
      directory != nullptr && *directory != '\0' ? dupString(directory) : nullptr;
}

int CheckCharsetPair(CharsetId source, CharsetId target, int32_t hint) {
  if (source < 0 || source >= CHARSET_COUNT || target < 0 || target >= CHARSET_COUNT) return -2;
  if (source == target) return 0;
  const uint64_t computed = Set({CHARSET_UTF8, CHARSET_UCS2});
  if (hint == -1 || hint == -3) {
    if (InSet(source, computed) || InSet(target, computed)) return 0;
    static const uint64_t kFamilies[] = {
        Set({3, 4}),   Set({5, 6}),   Set({7, 8}),   Set({9, 10, 11, 22}),
        Set({13, 14}), Set({24, 25}), Set({16, 17}), Set({19, 20, 21}),
    };
    for (uint64_t family : kFamilies) {
      if (InSet(source, family) && InSet(target, family)) return 0;
    }
    if (InSet(source, Set({0, 26})) && InSet(target, Set({0, 20, 26}))) return 0;
    return -2;
  }
  if (static_cast<uint32_t>(hint) > 57) return 0;
  uint64_t allowed = computed | HintGroup(hint);
  return InSet(source, allowed) && InSet(target, allowed) ? 0 : -2;
}
