// boundedFormat: the system's own printf-style formatter.
//
// Conversions: d i u o x X p c s %, and D O U as ld lo lu. Flags - 0 + space # '
// (the last ignored), width and precision as digits or *, lengths h l ll (ll is l;
// integers are 32-bit). There is no floating-point conversion: any other conversion
// character, e f g included, is written as that one character and takes no argument.
//
// Writes at most size bytes into destination, always terminated at
// min(result, size - 1), and returns the length the complete output has (so a
// result >= size means the output was cut), or -1 when size is 0.
#ifndef LUMEN_UTIL_BOUNDED_FORMAT_H_
#define LUMEN_UTIL_BOUNDED_FORMAT_H_

#include <cstdarg>
#include <cstddef>

int boundedFormat(char* destination, size_t size, const char* format, va_list args);
int boundedPrint(char* destination, size_t size, const char* format, ...);

#endif  // LUMEN_UTIL_BOUNDED_FORMAT_H_
