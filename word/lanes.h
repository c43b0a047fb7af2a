// Word-at-a-time tests over text: eight bytes, or four 16-bit units, at once.
// They may report a match that is none (the caller then looks at each byte or
// unit), never miss one.
#ifndef LUMEN_WORD_LANES_H_
#define LUMEN_WORD_LANES_H_

#include <cstdint>
#include <cstring>

inline uint64_t loadLanes(const unsigned char* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Some byte of word is below n (n at most 128).
inline bool anyByteBelow(uint64_t word, uint64_t n) {
  return ((word - 0x0101010101010101ull * n) & ~word & 0x8080808080808080ull) != 0;
}

// Some little-endian 16-bit unit of word is below n (n at most 0x8000).
inline bool anyUnitBelow(uint64_t word, uint64_t n) {
  return ((word - 0x0001000100010001ull * n) & ~word & 0x8000800080008000ull) != 0;
}

// Some 16-bit unit of word lies in 0x80..0xFF.
inline bool anyUnitInHighHalf(uint64_t word) {
  return anyUnitBelow((word & 0xFF80FF80FF80FF80ull) ^ 0x0080008000800080ull, 1);
}

#endif  // LUMEN_WORD_LANES_H_
