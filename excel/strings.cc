#include "excel/strings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "charset/code_page.h"
#include "util/byte_reader.h"
#include "util/memory.h"

namespace {

constexpr uint8_t kNotOptionBits = 0xF2;
constexpr uint8_t kOption16Bit = 0x01;
constexpr uint8_t kOptionExtended = 0x04;
constexpr uint8_t kOptionRichText = 0x08;
constexpr uint32_t kMaxUniqueStrings = 999999;

}  // namespace

std::string escapeExcelText(const char* bytes, size_t length) {
  // The text ends at its first 0 byte, as every text handed on does.
  const void* zero = std::memchr(bytes, 0, length);
  if (zero != nullptr) length = static_cast<size_t>(static_cast<const char*>(zero) - bytes);
  std::string text;
  text.reserve(length + 8);
  size_t plain = 0;  // start of the characters not written yet
  for (size_t i = 0; i < length; ++i) {
    char c = bytes[i];
    if (c != '<' && c != '>' && c != '\'') continue;
    text.append(bytes + plain, i - plain);
    text += c == '<' ? "&lt;" : c == '>' ? "&gt;" : "\"";
    plain = i + 1;
  }
  text.append(bytes + plain, length - plain);
  return text;
}

namespace {

struct StringLayout {
  uint64_t header = 0;      // option byte, run count and extended length
  uint64_t byteLength = 0;  // bytes of the characters
  uint64_t trailing = 0;    // rich-text runs and extended data after them
  bool wide = false;
};

StringLayout layoutOf(const uint8_t* data, size_t available, uint32_t count) {
  ByteReader reader(data, available);
  StringLayout layout;
  layout.byteLength = count;
  uint8_t first = reader.u8At(0);
  if ((first & kNotOptionBits) != 0) return layout;
  layout.header = 1;
  if (first & kOption16Bit) {
    layout.wide = true;
    layout.byteLength = 2 * static_cast<uint64_t>(count);
  }
  if ((first & kOptionRichText) && reader.has(layout.header, 2)) {
    layout.trailing += 4 * static_cast<uint64_t>(reader.u16At(layout.header));
    layout.header += 2;
  }
  if ((first & kOptionExtended) && reader.has(layout.header, 4)) {
    layout.trailing += reader.u32At(layout.header);
    layout.header += 4;
  }
  return layout;
}

// UTF-16LE characters converted to the output set, unescaped; false when there
// are none or the conversion failed.
bool convertUnits(const uint8_t* characters, size_t byteLength, const TextCoding& coding,
                  std::string* out) {
  if (byteLength == 0) return false;
  return AppendConverted(CHARSET_UCS2, coding.output, characters, byteLength, coding.context,
                         out) == CHARSET_OK;
}

void convertWide(const uint8_t* characters, size_t byteLength, const TextCoding& coding,
                 ExcelString* result) {
  std::string converted;
  if (!convertUnits(characters, byteLength, coding, &converted)) return;
  result->hasText = true;
  result->text = escapeExcelText(converted.data(), converted.size());
}

// A shared string whose characters run into continuations. `start` is the offset
// of its first character in the body, `wide` the width it starts with. At each
// continuation a 16-bit string's next byte is the option byte of the remaining
// characters; an 8-bit string switches to 16-bit only at an option byte 1 (a
// dropped 0 byte keeps it 8-bit, any other byte is one of its characters). 8-bit
// characters are widened, so that the whole string converts at once. Returns the
// offset just past the last character, or 0 when the string's characters do not
// fit in the body (no text then).
size_t readSplitString(const uint8_t* body, size_t length, size_t start, uint32_t count,
                       bool wide, const std::vector<ContinuationStart>& continuations,
                       std::string* units) {
  size_t position = start;
  uint32_t left = count;
  size_t next = 0;
  while (next < continuations.size() && continuations[next].offset < start) ++next;
  while (left > 0) {
    size_t segmentEnd = next < continuations.size() ? continuations[next].offset : length;
    size_t width = wide ? 2 : 1;
    size_t fit = (segmentEnd > position ? segmentEnd - position : 0) / width;
    size_t take = fit < left ? fit : left;
    for (size_t i = 0; i < take; ++i) {
      units->push_back(static_cast<char>(body[position]));
      units->push_back(wide ? static_cast<char>(body[position + 1]) : '\0');
      position += width;
    }
    left -= static_cast<uint32_t>(take);
    if (left == 0) break;
    if (next >= continuations.size() || segmentEnd >= length) return 0;
    position = segmentEnd;
    if (continuations[next].droppedZero) {
      wide = false;
    } else if (wide) {
      wide = (body[position] & kOption16Bit) != 0;
      position += 1;
    } else if (body[position] == kOption16Bit) {
      wide = true;
      position += 1;
    }
    ++next;
  }
  return position;
}

// Whether the characters of a string starting at charStart meet a continuation
// that changes how they are read.
bool isSplit(const uint8_t* body, size_t length, const StringLayout& layout, size_t charStart,
             const std::vector<ContinuationStart>& continuations) {
  for (const ContinuationStart& c : continuations) {
    if (c.offset < charStart || c.offset - charStart >= layout.byteLength) continue;
    if (layout.wide) return true;
    if (!c.droppedZero && c.offset < length && body[c.offset] == kOption16Bit) return true;
  }
  return false;
}

bool isAscii(const uint8_t* bytes, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (bytes[i] == 0 || bytes[i] >= 0x80) return false;
  }
  return true;
}

}  // namespace

ExcelString convertNarrow(const uint8_t* characters, size_t length, const TextCoding& coding) {
  ExcelString result;
  if (coding.narrowMayBeUtf16 && !isAscii(characters, length)) {
    convertWide(characters, length & ~size_t{1}, coding, &result);
    return result;
  }
  std::string converted;
  if (ConvertNarrowText(coding.narrow, coding.output, characters, length, coding.context,
                        &converted) != CHARSET_OK) {
    return result;
  }
  result.hasText = true;
  result.text = escapeExcelText(converted.data(), converted.size());
  return result;
}

ExcelString decodeExcelString(const uint8_t* data, size_t available, uint32_t count,
                              const TextCoding& coding) {
  ExcelString result;
  if (data == nullptr || available == 0) {
    result.occupies = count;
    return result;
  }
  StringLayout layout = layoutOf(data, available, count);
  result.occupies = layout.header + layout.byteLength + layout.trailing;
  ByteReader reader(data, available);
  if (layout.byteLength == 0 || !reader.has(layout.header, layout.byteLength)) return result;
  const uint8_t* characters = data + layout.header;
  if (layout.wide) {
    convertWide(characters, layout.byteLength, coding, &result);
  } else {
    uint64_t occupies = result.occupies;
    result = convertNarrow(characters, static_cast<size_t>(layout.byteLength), coding);
    result.occupies = occupies;
  }
  return result;
}

const std::string* SharedStrings::at(uint32_t index) const {
  if (index >= count_ || index >= slotText_.size()) return nullptr;
  int32_t slot = slotText_[index];
  return slot < 0 ? nullptr : &texts_[static_cast<size_t>(slot)];
}

void SharedStrings::clear() {
  count_ = 0;
  texts_.clear();
  slotText_.clear();
}

void SharedStrings::decode(const uint8_t* body, size_t length,
                           const std::vector<ContinuationStart>& continuations,
                           const TextCoding& coding) {
  clear();
  ByteReader reader(body, length);
  uint32_t unique = reader.u32At(4);
  if (!reader.ok() || unique == 0 || unique > kMaxUniqueStrings) return;
  count_ = unique;
  if (length < static_cast<size_t>(unique) + 4) return;
  size_t offset = 8;
  for (uint32_t read = 0; read < unique && length - offset > 3; ++read) {
    uint32_t characters = reader.u16At(offset);
    const uint8_t* data = body + offset + 2;
    size_t available = length - offset - 2;
    StringLayout layout = layoutOf(data, available, characters);
    size_t charStart = offset + 2 + static_cast<size_t>(layout.header);
    const bool split = layout.byteLength > 0 && layout.header <= available &&
                       isSplit(body, length, layout, charStart, continuations);
    ExcelString s;
    if (!split) {
      s = decodeExcelString(data, available, characters, coding);
    } else {
      std::string units;
      size_t end = readSplitString(body, length, charStart, characters, layout.wide,
                                   continuations, &units);
      if (end != 0) {
        convertWide(reinterpret_cast<const uint8_t*>(units.data()), units.size(), coding, &s);
        s.occupies = (end - offset - 2) + layout.trailing;
      } else {
        s.occupies = layout.header + layout.byteLength + layout.trailing;
      }
    }
    if (s.hasText) {
      slotText_.resize(read, -1);
      slotText_.push_back(static_cast<int32_t>(texts_.size()));
      texts_.push_back(std::move(s.text));
    }
    if (s.occupies == 0 || s.occupies >= length - offset - 2) break;
    offset += 2 + static_cast<size_t>(s.occupies);
  }
}
