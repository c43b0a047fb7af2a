// The "Text_Content" stream: plain text that some writers store in place of a
// presentation, copied out inside a minimal HTML page.
#ifndef LUMEN_POWERPOINT_TEXT_CONTENT_H_
#define LUMEN_POWERPOINT_TEXT_CONTENT_H_

#include <cstdint>
#include <cstdio>

#include "powerpoint/settings.h"
#include "storage/compound_file.h"

constexpr uint32_t kTextContentChunk = 242;

// Writes "<HTML>\n<BODY>\n", the text and "\n</BODY>\n</HTML>\n". The stream is
// read through the compound file reader (as much of its beginning as reads), in
// chunks of 242 bytes, each written up to its first 0 byte; the copy stops after a
// chunk that begins with a 0 byte and after a shorter one, at the end. The text is
// windows-1252, converted to the output character set. Returns 0, or -5 when a
// stream kept in sectors (4096 bytes or more) starts at sector 0.
int copyTextContent(CompoundFile* compound, FILE* input, uint32_t entry,
                    const PptSettings& settings, FILE* out);

#endif  // LUMEN_POWERPOINT_TEXT_CONTENT_H_
