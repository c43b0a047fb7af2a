#include "util/bounded_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Collects output, keeping what fits in the destination and counting the rest.
struct Sink {
  char* destination;
  size_t size;
  size_t count = 0;

  void put(char c) {
    if (count + 1 < size) destination[count] = c;
    ++count;
  }
  void put(const char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) put(text[i]);
  }
  void repeat(char c, long long n) {
    for (long long i = 0; i < n; ++i) put(c);
  }
};

struct Spec {
  bool left = false;
  bool zero = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  long long width = 0;
  long long precision = -1;  // -1: none given
  char length = 0;           // 0, 'h' or 'l'
};

// Digits of value in the given base, most significant first, into out; returns count.
int digitsOf(uint32_t value, unsigned base, bool upper, char* out) {
  const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char reversed[40];
  int n = 0;
  do {
    reversed[n++] = symbols[value % base];
    value /= base;
  } while (value != 0);
  for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  return n;
}

void formatInteger(Sink& sink, const Spec& spec, char conversion, va_list& args) {
  bool isSigned = conversion == 'd' || conversion == 'i';
  uint32_t magnitude;
  bool negative = false;
  long raw = spec.length == 'l' ? va_arg(args, long) : static_cast<long>(va_arg(args, int));
  if (spec.length == 'h') {
    raw = isSigned ? static_cast<long>(static_cast<int16_t>(raw))
                   : static_cast<long>(static_cast<uint16_t>(raw));
  }
  int32_t value32 = static_cast<int32_t>(static_cast<uint32_t>(raw));
  if (isSigned && value32 < 0) {
    negative = true;
    magnitude = 0u - static_cast<uint32_t>(value32);
  } else {
    magnitude = static_cast<uint32_t>(value32);
  }

  unsigned base = 10;
  if (conversion == 'o') base = 8;
  if (conversion == 'x' || conversion == 'X') base = 16;

  char digits[40];
  int digitCount = 0;
  long long precision = spec.precision >= 0 ? spec.precision : 1;
  if (!(spec.precision == 0 && magnitude == 0)) {
    digitCount = digitsOf(magnitude, base, conversion == 'X', digits);
  }

  char prefix[3] = {0, 0, 0};
  size_t prefixLength = 0;
  if (isSigned) {
    if (negative) prefix[prefixLength++] = '-';
    else if (spec.plus) prefix[prefixLength++] = '+';
    else if (spec.space) prefix[prefixLength++] = ' ';
  } else if (spec.alternate && magnitude != 0 && base == 16) {
    prefix[prefixLength++] = '0';
    prefix[prefixLength++] = conversion;
  }
  if (spec.alternate && base == 8 && (digitCount == 0 || digits[0] != '0') &&
      precision <= digitCount) {
    precision = digitCount + 1;
  }

  long long zeros = precision > digitCount ? precision - digitCount : 0;
  long long body = static_cast<long long>(prefixLength) + zeros + digitCount;
  bool zeroFill = spec.zero && spec.precision < 0 && !spec.left;
  if (zeroFill && spec.width > body) {
    zeros += spec.width - body;
    body = spec.width;
  }
  long long padding = spec.width > body ? spec.width - body : 0;
  if (!spec.left) sink.repeat(' ', padding);
  sink.put(prefix, prefixLength);
  sink.repeat('0', zeros);
  sink.put(digits, static_cast<size_t>(digitCount));
  if (spec.left) sink.repeat(' ', padding);
}

void formatText(Sink& sink, const Spec& spec, const char* text, size_t length) {
  long long padding = spec.width > static_cast<long long>(length)
                          ? spec.width - static_cast<long long>(length)
                          : 0;
  if (!spec.left) sink.repeat(spec.zero ? '0' : ' ', padding);
  sink.put(text, length);
  if (spec.left) sink.repeat(' ', padding);
}

}  // namespace

int boundedFormat(char* destination, size_t size, const char* format, va_list args) {
  if (size == 0 || destination == nullptr) return -1;
  if (format == nullptr) format = "";
  va_list ap;
  va_copy(ap, args);
  Sink sink{destination, size};
  const char* p = format;
  while (*p != '\0') {
    if (*p != '%') {
      sink.put(*p++);
      continue;
    }
    ++p;
    Spec spec;
    for (;; ++p) {
      if (*p == '-') spec.left = true;
      else if (*p == '0') spec.zero = true;
      else if (*p == '+') spec.plus = true;
      else if (*p == ' ') spec.space = true;
      else if (*p == '#') spec.alternate = true;
      else if (*p == '\'') continue;
      else break;
    }
    if (*p == '*') {
      long long width = va_arg(ap, int);
      if (width < 0) {
        spec.left = true;
        width = -width;
      }
      spec.width = width;
      ++p;
    } else {
      while (*p >= '0' && *p <= '9') {
        if (spec.width < 100000000) spec.width = spec.width * 10 + (*p - '0');
        ++p;
      }
    }
    if (*p == '.') {
      ++p;
      spec.precision = 0;
      if (*p == '*') {
        long long precision = va_arg(ap, int);
        spec.precision = precision < 0 ? -1 : precision;
        ++p;
      } else {
        while (*p >= '0' && *p <= '9') {
          if (spec.precision < 100000000) spec.precision = spec.precision * 10 + (*p - '0');
          ++p;
        }
      }
    }
    if (*p == 'h') {
      spec.length = 'h';
      ++p;
    } else if (*p == 'l') {
      spec.length = 'l';
      ++p;
      if (*p == 'l') ++p;
    }
    char conversion = *p;
    if (conversion == '\0') break;  // a lone % at the end writes nothing
    ++p;
    switch (conversion) {
      case 'D':
      case 'O':
      case 'U':
        spec.length = 'l';
        conversion = static_cast<char>(conversion - 'A' + 'a');
        formatInteger(sink, spec, conversion, ap);
        break;
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        formatInteger(sink, spec, conversion, ap);
        break;
      case 'p': {
        char text[40];
        int n = std::snprintf(text, sizeof text, "%p", va_arg(ap, void*));
        formatText(sink, Spec{spec.left, false, false, false, false, spec.width, -1, 0}, text,
                   n > 0 ? static_cast<size_t>(n) : 0);
        break;
      }
      case 'c': {
        char c = static_cast<char>(va_arg(ap, int));
        formatText(sink, spec, &c, 1);
        break;
      }
      case 's': {
        const char* text = va_arg(ap, const char*);
        if (text == nullptr) text = "";
        size_t length = spec.precision >= 0 ? strnlen(text, static_cast<size_t>(spec.precision))
                                            : std::strlen(text);
        formatText(sink, spec, text, length);
        break;
      }
      case '%':
        sink.put('%');
        break;
      default:
        sink.put(conversion);
        break;
    }
  }
  va_end(ap);
  size_t end = sink.count < size - 1 ? sink.count : size - 1;
  destination[end] = '\0';
  return sink.count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(sink.count);
}

int boundedPrint(char* destination, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int result = boundedFormat(destination, size, format, args);
  va_end(args);
  return result;
}
