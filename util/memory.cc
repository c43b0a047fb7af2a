#include "util/memory.h"

#include <cstring>

void* allocZeroed(size_t size) {
  if (size == 0) return nullptr;
  return std::calloc(1, size);
}

void* allocArray(size_t count, size_t size) {
  if (count == 0 || size == 0) return nullptr;
  return std::calloc(count, size);
}

void* reallocOrFree(void* block, size_t size) {
  if (block == nullptr) return allocZeroed(size);
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, size);
}

void* reallocZeroTail(void* block, size_t newSize, size_t oldSize) {
  void* grown = reallocOrFree(block, newSize);
  if (grown != nullptr && oldSize < newSize) {
    std::memset(static_cast<char*>(grown) + oldSize, 0, newSize - oldSize);
  }
  return grown;
}

int freeStringArray(int* count, char*** array) {
  if (count == nullptr || array == nullptr) return 0;
  if (*count <= 0 || *array == nullptr) return *count;
  for (int i = 0; i < *count; ++i) std::free((*array)[i]);
  std::free(*array);
  *array = nullptr;
  *count = 0;
  return 0;
}
