// Callbacks for the hash table of string pairs (defaults and the string variants).
#ifndef LUMEN_UTIL_HASH_H_
#define LUMEN_UTIL_HASH_H_

#include <cstdint>

// a - b as signed 32-bit values.
int32_t comparePointers(const void* a, const void* b);
// The pointer itself, as a key.
uint32_t identityKey(const void* a);
// h := 0; for each byte c: h := h XOR (c + 64 * h), in 32-bit arithmetic.
uint32_t hashString(const void* text);
// strcmp over unsigned bytes: -1, 0 or 1.
int compareStrings(const void* a, const void* b);

#endif  // LUMEN_UTIL_HASH_H_
