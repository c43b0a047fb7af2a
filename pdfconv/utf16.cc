#include "pdfconv/utf16.h"

#include <cstdint>

namespace {

struct Lead {
  int continuations;  // -1: the byte cannot begin a sequence
  uint32_t bits;
  uint32_t smallest;  // the least value of the sequence's length, below it overlong
};

Lead leadOf(uint8_t byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return {1, byte & 0x1Fu, 0x80};
  if (byte >= 0xE0 && byte <= 0xEF) return {2, byte & 0x0Fu, 0x800};
  if (byte >= 0xF0 && byte <= 0xF4) return {3, byte & 0x07u, 0x10000};
  return {-1, 0, 0};
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::u16string units;
  units.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const uint8_t first = static_cast<uint8_t>(text[i]);
    if (first < 0x80) {
      units.push_back(first);
      ++i;
      continue;
    }
    const Lead lead = leadOf(first);
    const size_t length = static_cast<size_t>(lead.continuations) + 1;
    if (lead.continuations < 0 || text.size() - i < length) break;
    uint32_t value = lead.bits;
    bool valid = true;
    for (size_t k = 1; k < length; ++k) {
      const uint8_t next = static_cast<uint8_t>(text[i + k]);
      valid = valid && (next & 0xC0) == 0x80;
      value = (value << 6) | (next & 0x3Fu);
    }
    const bool surrogate = value >= 0xD800 && value < 0xE000;
    if (!valid || value < lead.smallest || value > 0x10FFFF || surrogate) break;
    if (value >= 0x10000) {
      value -= 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(value));
    }
    i += length;
  }
  return units;
}
