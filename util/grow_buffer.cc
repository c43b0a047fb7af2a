#include "util/grow_buffer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/bounded_format.h"
#include "util/files.h"
#include "util/memory.h"

GrowBuffer* growBufferNew(int capacity, const char* initialText) {
  GrowBuffer* buffer = static_cast<GrowBuffer*>(allocZeroed(sizeof(GrowBuffer)));
  if (buffer == nullptr) return nullptr;
  if (capacity <= 0) capacity = 1;
  buffer->text = static_cast<char*>(allocZeroed(static_cast<size_t>(capacity) + 1));
  if (buffer->text == nullptr) {
    std::free(buffer);
    return nullptr;
  }
  buffer->capacity = capacity;
  buffer->length = 0;
  if (initialText != nullptr) growBufferAppend(buffer, initialText);
  return buffer;
}

GrowBuffer* growBufferFromText(const char* text) {
  GrowBuffer* buffer = static_cast<GrowBuffer*>(allocZeroed(sizeof(GrowBuffer)));
  if (buffer == nullptr) return nullptr;
  growBufferAppend(buffer, text);
  return buffer;
}

int growBufferAppendBytes(GrowBuffer* buffer, const char* bytes, int count) {
  if (buffer == nullptr || bytes == nullptr || count < 0) return 0;
  int64_t n = count;
  if (buffer->length + n + 10 >= buffer->capacity) {
    int64_t wanted = 2 * static_cast<int64_t>(buffer->capacity) + 2 * n + 20;
    char* grown = wanted <= INT32_MAX
                      ? static_cast<char*>(reallocOrFree(buffer->text, static_cast<size_t>(wanted)))
                      : nullptr;
    if (grown == nullptr) {
      std::free(buffer->text);
      buffer->text = nullptr;
      buffer->capacity = 0;
      buffer->length = 0;
      return 0;
    }
    buffer->text = grown;
    buffer->capacity = static_cast<int32_t>(wanted);
  }
  std::memcpy(buffer->text + buffer->length, bytes, static_cast<size_t>(count));
  buffer->length += count;
  buffer->text[buffer->length] = '\0';
  return 1;
}

int growBufferAppend(GrowBuffer* buffer, const char* text) {
  if (text == nullptr) return 0;
  size_t n = std::strlen(text);
  if (n > INT32_MAX) return 0;
  return growBufferAppendBytes(buffer, text, static_cast<int>(n));
}

GrowBuffer* growBufferResize(GrowBuffer* buffer, int size) {
  if (buffer == nullptr || size <= 0) return nullptr;
  char* resized = static_cast<char*>(reallocOrFree(buffer->text, static_cast<size_t>(size)));
  if (resized == nullptr) return nullptr;
  buffer->text = resized;
  buffer->capacity = size;
  if (buffer->length >= size) {
    buffer->length = size - 1;
    buffer->text[buffer->length] = '\0';
  }
  return buffer;
}

void growBufferFree(GrowBuffer* buffer) {
  if (buffer == nullptr) return;
  std::free(buffer->text);
  std::free(buffer);
}

char* growBufferDetach(GrowBuffer* buffer) {
  if (buffer == nullptr) return nullptr;
  char* text = buffer->text;
  std::free(buffer);
  return text;
}

GrowBuffer* growBufferReadFile(const char* path) {
  FilePtr file(openFile(path, "rb"));
  if (!file) return nullptr;
  long size = streamSize(file.get());
  if (size > INT32_MAX - 1) return nullptr;
  GrowBuffer* buffer = growBufferNew(static_cast<int>(size), "");
  if (buffer == nullptr) return nullptr;
  size_t read = std::fread(buffer->text, 1, static_cast<size_t>(size), file.get());
  buffer->length = static_cast<int32_t>(read);
  return buffer;
}

GrowBuffer* growBufferFormat(const char* format, va_list args) {
  GrowBuffer* buffer = growBufferNew(128, "");
  if (buffer == nullptr) return nullptr;
  for (;;) {
    va_list attempt;
    va_copy(attempt, args);
    int result = boundedFormat(buffer->text, static_cast<size_t>(buffer->capacity), format, attempt);
    va_end(attempt);
    if (result < buffer->capacity) {
      buffer->length = result;
      return buffer;
    }
    if (result == INT32_MAX || growBufferResize(buffer, result + 1) == nullptr) {
      growBufferFree(buffer);
      return nullptr;
    }
  }
}

char* formatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  GrowBuffer* buffer = growBufferFormat(format, args);
  va_end(args);
  return growBufferDetach(buffer);
}
