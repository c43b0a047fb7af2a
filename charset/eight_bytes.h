// Eight bytes at once, for the character loops that test a word of text in one
// step. The caller guarantees the eight bytes lie inside its buffer.
#ifndef LUMEN_CHARSET_EIGHT_BYTES_H_
#define LUMEN_CHARSET_EIGHT_BYTES_H_

#include <cstdint>
#include <cstring>

// The 8 bytes at p, first byte lowest. One load of the eight: the sanitizers
// check a byte-by-byte build of it eight times.
inline uint64_t LoadEight(const void* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

#endif  // LUMEN_CHARSET_EIGHT_BYTES_H_
