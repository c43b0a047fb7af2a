// The META lines of a "CONTENTS" stream: named values stored beside the document
// (names and values in UTF-16), written as <META NAME="name_MSM" CONTENT="value">.
#ifndef LUMEN_WORD_CONTENTS_META_H_
#define LUMEN_WORD_CONTENTS_META_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "storage/compound_file.h"
#include "word/settings.h"

// Layout: the byte at 52 counts the entries. From 56 the first byte 2 starts the
// value table (8-byte entries numbered 2, 3, ... in their first byte, each with
// the 16-bit offset of its value at byte 4); the first 16-bit 0x0809 after it
// starts the names 8 bytes further. A name has its length n at byte 4 and n - 1
// characters from byte 8, the next following 2n + 8 bytes later (2 more unless the
// 16-bit value there is the next number); a value at offset o has its length m at
// o + 52 and m - 1 characters from o + 56. Decoding ends at the first entry that
// would reach past the stream.
void writeContentsMetaBytes(WordSettings* settings, const unsigned char* stream, size_t length,
                            FILE* out);
// Reads the whole stream and writes its META lines; nothing when it cannot be read.
void writeContentsMeta(WordSettings* settings, CompoundFile* compound, FILE* input, FILE* out,
                       uint32_t contentsEntry);

#endif  // LUMEN_WORD_CONTENTS_META_H_
