// Small routines that copy, search and rewrite texts and byte ranges. New texts
// come from zero-filled storage and are released with std::free.
#ifndef LUMEN_UTIL_STRINGS_H_
#define LUMEN_UTIL_STRINGS_H_

#include <cstddef>
#include <cstdint>

// count > 0: count bytes copied and terminated. count 0: an empty text (even
// without a source). Negative count, or count > 0 without a source: nullptr.
char* dupBytes(const void* source, int count);
// Copy of text, or nullptr for a missing text.
char* dupString(const char* text);
// Copy of at most maximum characters of text; nullptr for a missing text or a
// negative maximum (maximum 0 gives an empty text).
char* dupStringMax(const char* text, int maximum);
// Last n characters of text (all of it when shorter); nullptr when n <= 0 or the
// text is missing or empty.
char* stringTail(const char* text, int n);

// Replace every occurrence of one character or byte by another, in place.
char* replaceChar(char* text, char from, char to);
void* replaceByte(void* bytes, int count, unsigned char from, unsigned char to);

// First occurrence of pattern within count bytes; an empty pattern matches at the
// start; nullptr when not found or the pattern is longer than the range.
const char* findBytes(const void* bytes, int count, const void* pattern, int patternLength);
// Position of whichever of the two patterns occurs first in text, or nullptr.
const char* findEarlier(const char* text, const char* first, const char* second);

// Replaces every occurrence of pattern in the counted heap buffer *buffer of
// *length bytes by replacement, reallocating the buffer and updating *length.
// Leaves everything as it was when the buffer is missing or begins with a 0, the
// pattern or replacement is missing or empty, the length is 0, or the pattern does
// not occur. The new buffer always has a 0 byte after its content.
void replaceAll(char** buffer, int* length, const char* pattern, const char* replacement);

// ASCII case-insensitive comparison: true when both texts are equal ignoring the
// case of a to z. A missing text equals nothing.
bool equalsIgnoreCase(const char* a, const char* b);

// Upper-cases the ASCII letters a to z in place.
char* upperAscii(char* text);
// True for a space, tab, carriage return or line feed.
inline bool isBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// Trims spaces, tabs, carriage returns and line feeds at both ends, in place;
// returns the first kept character.
char* trimBlanks(char* text);

// Writes the decimal digits of value to out (at least 10 bytes of room), without
// a terminator; returns how many were written.
size_t writeDecimal(uint32_t value, char* out);

#endif  // LUMEN_UTIL_STRINGS_H_
