#include "powerpoint/text_content.h"

#include <cstring>
#include <vector>

#include "powerpoint/records.h"
#include "util/files.h"

namespace {

constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr uint64_t kSectorSize = 512;

void writeUpToZero(const uint8_t* bytes, size_t length, FILE* out) {
  const void* zero = std::memchr(bytes, 0, length);
  size_t count =
      zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : length;
  if (count > 0) std::fwrite(bytes, 1, count, out);
}

// The chunks of bytes[0, length): true when the copy may go on after them.
bool writeChunks(const uint8_t* bytes, size_t length, FILE* out) {
  size_t position = 0;
  while (position < length) {
    size_t count = length - position < kTextContentChunk ? length - position : kTextContentChunk;
    writeUpToZero(bytes + position, count, out);
    if (count < kTextContentChunk || bytes[position] == 0) return false;
    position += count;
  }
  return true;
}

void copyFromFile(FILE* input, uint32_t firstSector, FILE* out) {
  const uint64_t start = (uint64_t{firstSector} + 1) * kSectorSize;
  const long fileSize = streamSize(input);
  if (fileSize <= 0 || start >= static_cast<uint64_t>(fileSize)) return;
  if (std::fseek(input, static_cast<long>(start), SEEK_SET) != 0) return;
  uint8_t chunk[kTextContentChunk];
  for (;;) {
    size_t count = std::fread(chunk, 1, sizeof chunk, input);
    writeUpToZero(chunk, count, out);
    if (count < sizeof chunk || chunk[0] == 0) return;
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
    PptStream bytes = readPptStream(compound, input, entry);
    writeChunks(bytes.bytes.data(), bytes.bytes.size(), out);
  } else {
    copyFromFile(input, stream.firstSector, out);
  }
  std::fputs("\n</BODY>\n</HTML>\n", out);
  return 0;
}
