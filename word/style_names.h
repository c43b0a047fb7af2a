// Style tag names of the XML form, one per style of the document's stylesheet.
#ifndef LUMEN_WORD_STYLE_NAMES_H_
#define LUMEN_WORD_STYLE_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "storage/compound_file.h"
#include "word/settings.h"

// Tag names indexed by style index; a slot without a name is tagged "text-unknown".
using StyleNames = std::vector<std::optional<std::string>>;

// The tag for a style named name (UTF-8): the rename map's tag, else
// XMLRenameStyleDefault when set, else "text-" + name with each of : ; / \ , # and
// space replaced by "-".
std::string styleTagName(const WordSettings& settings, const std::string& name);

// Stylesheet layout: a 16-bit header size s; the header holds the style count
// (low byte at offset 2) and the size b of each style's fixed part (byte at 4).
// Styles start at s + 2: a 16-bit size z, b fixed bytes, then the name as a 16-bit
// count n and n UTF-16 characters (taken when they lie inside the style and the
// stylesheet); the next style starts z + 2 bytes further.
StyleNames parseStyleNames(const WordSettings& settings, const unsigned char* sheet, size_t length);
// Reads the stylesheet (offset and length below fileSize) from the table stream;
// an empty table when it cannot be read.
StyleNames readStyleNames(const WordSettings& settings, CompoundFile* compound, FILE* input,
                          uint32_t tableEntry, uint32_t offset, uint32_t length, uint64_t fileSize);

#endif  // LUMEN_WORD_STYLE_NAMES_H_
