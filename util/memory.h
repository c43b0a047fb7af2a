// Zero-filling allocation. Everything handed out is released with std::free.
#ifndef LUMEN_UTIL_MEMORY_H_
#define LUMEN_UTIL_MEMORY_H_

#include <cstddef>
#include <cstdlib>
#include <memory>

// size 0 gives nullptr; otherwise zero-filled storage or nullptr.
void* allocZeroed(size_t size);
// nullptr when count or size is 0 (or their product overflows); otherwise calloc.
void* allocArray(size_t count, size_t size);
// No block: allocZeroed(size). Size 0: frees the block, returns nullptr.
// Otherwise realloc; nullptr on failure (the block is then left untouched).
void* reallocOrFree(void* block, size_t size);
// As reallocOrFree, and the bytes from oldSize to newSize are zeroed when growing.
void* reallocZeroTail(void* block, size_t newSize, size_t oldSize);
// When *count > 0 and *array exists: frees every non-null slot and the array,
// clears *array and sets *count to 0. Returns *count afterwards (0, or the
// unchanged count when nothing was done).
int freeStringArray(int* count, char*** array);

// RAII owner for storage that came from malloc/calloc/realloc.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using MallocPtr = std::unique_ptr<T, FreeDeleter>;
using CharPtr = MallocPtr<char>;

#endif  // LUMEN_UTIL_MEMORY_H_
