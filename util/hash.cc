#include "util/hash.h"

int32_t comparePointers(const void* a, const void* b) {
  uint32_t x = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(a));
  uint32_t y = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(b));
  return static_cast<int32_t>(x - y);
}

uint32_t identityKey(const void* a) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(a));
}

uint32_t hashString(const void* text) {
  uint32_t h = 0;
  if (text == nullptr) return 0;
  for (const unsigned char* p = static_cast<const unsigned char*>(text); *p != 0; ++p) {
    h = h ^ (static_cast<uint32_t>(*p) + 64u * h);
  }
  return h;
}

int compareStrings(const void* a, const void* b) {
  const unsigned char* x = static_cast<const unsigned char*>(a);
  const unsigned char* y = static_cast<const unsigned char*>(b);
  if (x == y) return 0;
  if (x == nullptr) return -1;
  if (y == nullptr) return 1;
  while (*x != 0 && *x == *y) {
    ++x;
    ++y;
  }
  if (*x == *y) return 0;
  return *x < *y ? -1 : 1;
}
