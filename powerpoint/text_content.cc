#include "powerpoint/text_content.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "powerpoint/records.h"
#include "util/files.h"

namespace {

constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr uint64_t kSectorSize = 512;

// Writes a chunk up to its first 0 byte: true when the copy may go on after it.
bool writeChunk(const uint8_t* bytes, size_t count, FILE* out) {
  const void* zero = std::memchr(bytes, 0, count);
  size_t length =
      zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : count;
  if (length > 0) std::fwrite(bytes, 1, length, out);
  return count == kTextContentChunk && bytes[0] != 0;
}

void copyFromMemory(const std::vector<uint8_t>& bytes, FILE* out) {
  for (size_t position = 0; position < bytes.size(); position += kTextContentChunk) {
    size_t count = std::min<size_t>(bytes.size() - position, kTextContentChunk);
    if (!writeChunk(bytes.data() + position, count, out)) return;
  }
}

void copyFromFile(FILE* input, uint32_t firstSector, FILE* out) {
  const uint64_t start = (uint64_t{firstSector} + 1) * kSectorSize;
  const long fileSize = streamSize(input);
  if (fileSize <= 0 || start >= static_cast<uint64_t>(fileSize)) return;
  if (std::fseek(input, static_cast<long>(start), SEEK_SET) != 0) return;
  uint8_t chunk[kTextContentChunk];
  while (writeChunk(chunk, std::fread(chunk, 1, sizeof chunk, input), out)) {
  }
}

}  // namespace

int copyTextContent(CompoundFile* compound, FILE* input, uint32_t entry, FILE* out) {
  const CompoundEntry& stream = compound->entries[entry];
  const bool mini = stream.size < kMiniStreamCutoff;
  // In the mini stream the first sector is a 64-byte unit number, so 0 is a
  // proper start there.
  if (!mini && stream.firstSector == 0) return -5;
  std::fputs("<HTML>\n<BODY>\n", out);
  if (mini) {
    copyFromMemory(readPptStream(compound, input, entry).bytes, out);
  } else {
    copyFromFile(input, stream.firstSector, out);
  }
  std::fputs("\n</BODY>\n</HTML>\n", out);
  return 0;
}
