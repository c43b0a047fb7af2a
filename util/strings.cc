#include "util/strings.h"

#include <cstdlib>
#include <cstring>

#include "util/memory.h"

char* dupBytes(const void* source, int count) {
  if (count < 0 || (count > 0 && source == nullptr)) return nullptr;
  // Every byte of the copy is written, so it needs no zero-filling first (calloc
  // costs a start-up's many small copies twice what malloc does).
  const size_t length = static_cast<size_t>(count);
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy == nullptr) return nullptr;
  if (length > 0) std::memcpy(copy, source, length);
  copy[length] = '\0';
  return copy;
}

char* dupString(const char* text) {
  if (text == nullptr) return nullptr;
  return dupBytes(text, static_cast<int>(std::strlen(text)));
}

char* dupStringMax(const char* text, int maximum) {
  if (text == nullptr || maximum < 0) return nullptr;
  size_t length = strnlen(text, static_cast<size_t>(maximum));
  return dupBytes(text, static_cast<int>(length));
}

char* stringTail(const char* text, int n) {
  if (text == nullptr || *text == '\0' || n <= 0) return nullptr;
  size_t length = std::strlen(text);
  size_t keep = static_cast<size_t>(n) < length ? static_cast<size_t>(n) : length;
  return dupBytes(text + length - keep, static_cast<int>(keep));
}

char* replaceChar(char* text, char from, char to) {
  if (text == nullptr) return nullptr;
  for (char* p = text; *p != '\0'; ++p) {
    if (*p == from) *p = to;
  }
  return text;
}

void* replaceByte(void* bytes, int count, unsigned char from, unsigned char to) {
  if (bytes == nullptr) return nullptr;
  unsigned char* p = static_cast<unsigned char*>(bytes);
  for (int i = 0; i < count; ++i) {
    if (p[i] == from) p[i] = to;
  }
  return bytes;
}

const char* findBytes(const void* bytes, int count, const void* pattern, int patternLength) {
  if (bytes == nullptr || pattern == nullptr || count < 0 || patternLength < 0) return nullptr;
  const char* data = static_cast<const char*>(bytes);
  if (patternLength == 0) return data;
  if (patternLength > count) return nullptr;
  const char* wanted = static_cast<const char*>(pattern);
  for (int start = 0; start <= count - patternLength; ++start) {
    if (data[start] == wanted[0] &&
        std::memcmp(data + start + 1, wanted + 1, static_cast<size_t>(patternLength - 1)) == 0) {
      return data + start;
    }
  }
  return nullptr;
}

const char* findEarlier(const char* text, const char* first, const char* second) {
  if (text == nullptr) return nullptr;
  const char* a = first != nullptr ? std::strstr(text, first) : nullptr;
  const char* b = second != nullptr ? std::strstr(text, second) : nullptr;
  if (a != nullptr && (b == nullptr || a < b)) return a;
  return b;
}

void replaceAll(char** buffer, int* length, const char* pattern, const char* replacement) {
  if (buffer == nullptr || *buffer == nullptr || **buffer == '\0' || length == nullptr ||
      *length <= 0 || pattern == nullptr || *pattern == '\0' || replacement == nullptr ||
      *replacement == '\0') {
    return;
  }
  const int patternLength = static_cast<int>(std::strlen(pattern));
  const size_t replacementLength = std::strlen(replacement);
  if (findBytes(*buffer, *length, pattern, patternLength) == nullptr) return;

  const size_t inputLength = static_cast<size_t>(*length);
  size_t capacity = inputLength * 2;
  char* out = static_cast<char*>(allocZeroed(capacity));
  if (out == nullptr) return;
  size_t used = 0;
  // Grows the output by doubling until `more` bytes and a terminator fit.
  auto reserve = [&](size_t more) {
    size_t wanted = capacity;
    while (used + more + 1 > wanted) wanted *= 2;
    if (wanted == capacity) return true;
    char* grown = static_cast<char*>(reallocZeroTail(out, wanted, capacity));
    if (grown == nullptr) return false;
    out = grown;
    capacity = wanted;
    return true;
  };
  auto append = [&](const char* piece, size_t count) {
    if (!reserve(count)) return false;
    std::memcpy(out + used, piece, count);
    used += count;
    return true;
  };

  const char* input = *buffer;
  size_t position = 0;
  while (position < inputLength) {
    const char* hit = findBytes(input + position, static_cast<int>(inputLength - position),
                                pattern, patternLength);
    if (hit == nullptr) break;
    size_t before = static_cast<size_t>(hit - (input + position));
    if (!append(input + position, before) || !append(replacement, replacementLength)) {
      std::free(out);
      return;
    }
    position += before + static_cast<size_t>(patternLength);
  }
  if (!append(input + position, inputLength - position)) {
    std::free(out);
    return;
  }
  std::free(*buffer);
  *buffer = out;
  *length = static_cast<int>(used);
}

static char upperOf(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

char* upperAscii(char* text) {
  if (text == nullptr) return nullptr;
  for (char* p = text; *p != '\0'; ++p) {
    *p = upperOf(*p);
  }
  return text;
}

char* trimBlanks(char* text) {
  if (text == nullptr) return nullptr;
  while (isBlankChar(*text)) ++text;
  size_t length = std::strlen(text);
  while (length > 0 && isBlankChar(text[length - 1])) text[--length] = '\0';
  return text;
}

bool equalsIgnoreCase(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  while (*a != '\0' && upperOf(*a) == upperOf(*b)) {
    ++a;
    ++b;
  }
  return upperOf(*a) == upperOf(*b);
}

size_t writeDecimal(uint32_t value, char* out) {
  char digits[10];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (size_t i = 0; i < count; ++i) out[i] = digits[count - 1 - i];
  return count;
}
