// GrowBuffer: the growable text buffer the converters build their output in.
//
// The content is the first `length` bytes of `text`, always followed by a 0 byte.
// Growth rule: when length + n + 10 is not below capacity, an append of n bytes
// reallocates the storage to exactly 2 * capacity + 2 * n + 20 bytes. A failed
// growth empties the buffer (text nullptr, capacity 0, length 0).
#ifndef LUMEN_UTIL_GROW_BUFFER_H_
#define LUMEN_UTIL_GROW_BUFFER_H_

#include <cstdarg>
#include <cstdint>

struct GrowBuffer {
  char* text;
  int32_t capacity;
  int32_t length;
};

// New buffer with capacity + 1 zero-filled bytes (capacity <= 0 becomes 1),
// holding initialText when given. nullptr when an allocation fails.
GrowBuffer* growBufferNew(int capacity, const char* initialText);
// New buffer holding a copy of text; its storage is made by the growth rule.
GrowBuffer* growBufferFromText(const char* text);
// Appends a terminated text. Nonzero on success, 0 when an argument is missing or
// growth failed.
int growBufferAppend(GrowBuffer* buffer, const char* text);
// Appends count bytes (which may hold 0 bytes); same rule and result as above.
int growBufferAppendBytes(GrowBuffer* buffer, const char* bytes, int count);
// Reallocates the storage to exactly size bytes. Returns the buffer, or nullptr
// (buffer unchanged) when the storage cannot be had.
GrowBuffer* growBufferResize(GrowBuffer* buffer, int size);
void growBufferFree(GrowBuffer* buffer);
// Frees the record and hands its text to the caller.
char* growBufferDetach(GrowBuffer* buffer);
// The whole file, or nullptr when it cannot be opened or the buffer made.
GrowBuffer* growBufferReadFile(const char* path);
// The formatted text (boundedFormat rules), or nullptr.
GrowBuffer* growBufferFormat(const char* format, va_list args);
// New formatted text, released with std::free; nullptr on failure.
char* formatString(const char* format, ...);

#endif  // LUMEN_UTIL_GROW_BUFFER_H_
