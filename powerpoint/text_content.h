// The "Text_Content" stream: plain text that some writers store in place of a
// presentation, copied out inside a minimal HTML page.
#ifndef LUMEN_POWERPOINT_TEXT_CONTENT_H_
#define LUMEN_POWERPOINT_TEXT_CONTENT_H_

#include <cstdint>
#include <cstdio>

#include "storage/compound_file.h"

constexpr uint32_t kTextContentChunk = 242;

// Writes "<HTML>\n<BODY>\n", the text and "\n</BODY>\n</HTML>\n". The text is read
// in chunks of 242 bytes, each written up to its first 0 byte; the copy stops after
// a chunk that begins with a 0 byte and after one that cannot be read whole. A
// stream kept in sectors is read from the file itself, from its first sector on to
// the end of the file, without following its sector chain; a stream kept in the
// mini stream (below 4096 bytes) is read through the compound file reader, up to
// its size. Returns 0, or -5 when a stream kept in sectors starts at sector 0.
int copyTextContent(CompoundFile* compound, FILE* input, uint32_t entry, FILE* out);

#endif  // LUMEN_POWERPOINT_TEXT_CONTENT_H_
