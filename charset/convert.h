// ConvertCharset: conversion between any two character sets, by a fixed set of
// routes, with numeric character references for ASCII output.
#ifndef LUMEN_CHARSET_CONVERT_H_
#define LUMEN_CHARSET_CONVERT_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "charset/charset.h"

struct CharsetContext {
  char* tablesDirectory;  // owned by the caller; may be empty (working directory)
  int32_t languageHint;   // -1: no restriction
};

// Status codes.
constexpr int CHARSET_OK = 0;
constexpr int CHARSET_NO_TABLES = -3;
constexpr int CHARSET_REFUSED = -4;
constexpr int CHARSET_BAD_ARGUMENTS = -6;
constexpr int CHARSET_NO_MEMORY = -7;

// Converts length bytes of input from source to target. On success *output
// receives a new buffer (released with std::free) terminated by an uncounted 0,
// and *outputLength its length; no buffer is made for empty input or on failure.
// *outputLength is set to 0 first.
//
// Returns CHARSET_OK, CHARSET_NO_TABLES (a table family could not be loaded; the
// next call tries again), CHARSET_REFUSED (CheckCharsetPair), CHARSET_BAD_ARGUMENTS
// (no length slot, context or output slot, or a negative length) or
// CHARSET_NO_MEMORY. Characters the target lacks are dropped, except that ASCII
// output writes the code units of the entity set as "&#N;". UCS-2 input is
// little-endian; the lone last byte of an odd length is a code unit of its own.
// Conversions that read a text (Big5 to GB2312, JIS and EUC) stop at a 0 byte or
// at length, whichever comes first.
int ConvertCharset(CharsetId source, CharsetId target, const void* input, int32_t length,
                   char** output, int32_t* outputLength, const CharsetContext* context);

// ConvertCharset with a context of hint -1 whose tables directory is the one set
// by SetDefaultTablesDirectory, or "." when none is set.
int ConvertCharsetWithDefaults(CharsetId source, CharsetId target, const void* input,
                               int32_t length, char** output, int32_t* outputLength);
// The tables directory ConvertCharsetWithDefaults uses; nullptr or "" restores ".".
// A converter sets its configured directory before it writes the document head.
void SetDefaultTablesDirectory(const char* directory);

// ConvertCharset (ConvertCharsetWithDefaults when context is nullptr) whose result
// is appended to *out. Empty input appends nothing and succeeds. Returns the
// conversion's status; nothing is appended on failure.
int AppendConverted(CharsetId source, CharsetId target, const void* input, size_t length,
                    const CharsetContext* context, std::string* out);

// The directory ConvertCharsetWithDefaults uses: the one set, or ".".
const char* DefaultTablesDirectory();

// Sets the default tables directory for its own lifetime, then restores ".".
struct ScopedTablesDirectory {
  explicit ScopedTablesDirectory(const char* directory) { SetDefaultTablesDirectory(directory); }
  ~ScopedTablesDirectory() { SetDefaultTablesDirectory(nullptr); }
  ScopedTablesDirectory(const ScopedTablesDirectory&) = delete;
  ScopedTablesDirectory& operator=(const ScopedTablesDirectory&) = delete;
};

// 0 when the pair may be converted under the hint, -2 otherwise.
int CheckCharsetPair(CharsetId source, CharsetId target, int32_t hint);

#endif  // LUMEN_CHARSET_CONVERT_H_
