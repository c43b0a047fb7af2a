#include "powerpoint/text_content.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "charset/code_page.h"
#include "powerpoint/records.h"

namespace {

constexpr uint32_t kMiniStreamCutoff = 4096;

// Writes a chunk up to its first 0 byte: true when the copy may go on after it.
bool writeChunk(const uint8_t* bytes, size_t count, const CharsetContext& context,
                CharsetId output, FILE* out) {
  const void* zero = std::memchr(bytes, 0, count);
  size_t length =
      zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : count;
  std::string text;
  ConvertNarrowText(CHARSET_ASCII, output, bytes, length, &context, &text);
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), out);
  return count == kTextContentChunk && bytes[0] != 0;
}

}  // namespace

int copyTextContent(CompoundFile* compound, FILE* input, uint32_t entry,
                    const PptSettings& settings, FILE* out) {
  const CompoundEntry& stream = compound->entries[entry];
  // In the mini stream the first sector is a 64-byte unit number, so 0 is a
  // proper start there.
  if (stream.size >= kMiniStreamCutoff && stream.firstSector == 0) return -5;
  std::fputs("<HTML>\n<BODY>\n", out);
  const std::vector<uint8_t> bytes = readPptStream(compound, input, entry).bytes;
  CharsetContext context{const_cast<char*>(settings.tablesDirectory.c_str()), -1};
  for (size_t position = 0; position < bytes.size(); position += kTextContentChunk) {
    size_t count = std::min<size_t>(bytes.size() - position, kTextContentChunk);
    if (!writeChunk(bytes.data() + position, count, context, settings.outputCharset, out)) break;
  }
  std::fputs("\n</BODY>\n</HTML>\n", out);
  return 0;
}
