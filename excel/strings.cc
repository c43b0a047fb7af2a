#include "excel/strings.h"

#include <cstdlib>
#include <cstring>

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
  for (size_t i = 0; i < length; ++i) {
    char c = bytes[i];
    if (c == '<') {
      text += "&lt;";
    } else if (c == '>') {
      text += "&gt;";
    } else if (c == '\'') {
      text += '"';
    } else {
      text += c;
    }
  }
  return text;
}

ExcelString decodeExcelString(const uint8_t* data, size_t available, uint32_t count,
                              CharsetId target, const CharsetContext* context) {
  ExcelString result;
  if (data == nullptr || available == 0) {
    result.occupies = count;
    return result;
  }
  ByteReader reader(data, available);
  uint64_t header = 0;
  uint64_t byteLength = count;
  uint64_t trailing = 0;  // rich-text runs and extended data after the characters
  bool wide = false;
  uint8_t first = reader.u8At(0);
  if ((first & kNotOptionBits) == 0) {
    header = 1;
    if (first & kOption16Bit) {
      wide = true;
      byteLength = 2 * static_cast<uint64_t>(count);
    }
    if ((first & kOptionRichText) && reader.has(header, 2)) {
      trailing += 4 * static_cast<uint64_t>(reader.u16At(header));
      header += 2;
    }
    if ((first & kOptionExtended) && reader.has(header, 4)) {
      trailing += reader.u32At(header);
      header += 4;
    }
  }
  result.occupies = header + byteLength + trailing;

  if (byteLength == 0 || !reader.has(header, byteLength)) return result;
  const uint8_t* characters = data + header;
  if (wide) {
    char* converted = nullptr;
    int32_t convertedLength = 0;
    ConvertCharset(CHARSET_UCS2, target, characters, static_cast<int32_t>(byteLength),
                   &converted, &convertedLength, context);
    CharPtr owner(converted);
    if (converted == nullptr) return result;
    result.hasText = true;
    if (convertedLength > 0) {
      result.text = escapeExcelText(converted, static_cast<size_t>(convertedLength));
    }
  } else {
    result.hasText = true;
    result.text = escapeExcelText(reinterpret_cast<const char*>(characters),
                                  static_cast<size_t>(byteLength));
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

void SharedStrings::decode(const uint8_t* body, size_t length, CharsetId target,
                           const CharsetContext* context) {
  clear();
  ByteReader reader(body, length);
  uint32_t unique = reader.u32At(4);
  if (!reader.ok() || unique == 0 || unique > kMaxUniqueStrings) return;
  count_ = unique;
  if (length < static_cast<size_t>(unique) + 4) return;
  size_t offset = 8;
  for (uint32_t read = 0; read < unique && length - offset > 3; ++read) {
    uint32_t characters = reader.u16At(offset);
    ExcelString s = decodeExcelString(body + offset + 2, length - offset - 2, characters,
                                      target, context);
    if (s.hasText) {
      slotText_.resize(read, -1);
      slotText_.push_back(static_cast<int32_t>(texts_.size()));
      texts_.push_back(std::move(s.text));
    }
    if (s.occupies == 0 || s.occupies >= length - offset - 2) break;
    offset += 2 + static_cast<size_t>(s.occupies);
  }
}
