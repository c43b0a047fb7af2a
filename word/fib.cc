#include "word/fib.h"

#include <climits>

#include "util/byte_reader.h"
#include "util/files.h"
#include "util/memory.h"

namespace {

// Streams shorter than this live in the mini stream, not in sectors of their own.
constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kFlagsOffset = 0x0A;

}  // namespace

bool parseWordFib(const unsigned char* bytes, size_t length, WordFib* fib) {
  if (bytes == nullptr || length < kFibSize) return false;
  ByteReader r(bytes, length);
  fib->version = r.u16At(0x02);
  fib->flags = r.u16At(kFlagsOffset);
  fib->flags2 = r.u8At(0x13);
  fib->textStart = r.u32At(0x18);
  fib->textEnd = r.u32At(0x1C);
  fib->styleOffset = r.u32At(0xA2);
  fib->styleLength = r.u32At(0xA6);
  fib->binOffset = r.u32At(0x102);
  fib->binLength = r.u32At(0x106);
  fib->complexOffset = r.u32At(0x1A2);
  fib->pageOffset = r.u32At(0x292);
  fib->pageLength = r.u32At(0x296);
  fib->breakOffset = r.u32At(0x29A);
  fib->breakLength = r.u32At(0x29E);
  Word6Fib& old = fib->word6;
  old.styleOffset = r.u32At(0x60);
  old.styleLength = r.u32At(0x64);
  old.chpBinOffset = r.u32At(0xB8);
  old.chpBinLength = r.u32At(0xBC);
  old.fontOffset = r.u32At(0xD0);
  old.fontLength = r.u32At(0xD4);
  old.complexOffset = r.u32At(0x160);
  old.complexLength = r.u32At(0x164);
  old.chpPages = r.u16At(0x18E);
  return r.ok();
}

bool isWord6Document(const WordFib& fib, int32_t tableStream) {
  return tableStream < 0 && fib.version >= kFibWord6 && fib.version < kFibWord97;
}

WordStreams findWordStreams(const CompoundFile* compound) {
  WordStreams streams;
  streams.document = FindContentStream(compound, "WordDocument");
  if (streams.document < 0) return streams;
  uint32_t parent = compound->entries[streams.document].parent;
  streams.table0 = FindLastCompoundEntry(compound, "0Table", parent);
  streams.table1 = FindLastCompoundEntry(compound, "1Table", parent);
  streams.contents = FindLastCompoundEntry(compound, "CONTENTS", parent, true);
  return streams;
}

int32_t chooseTableStream(const WordStreams& streams, const WordFib& fib) {
  if ((fib.flags & kFibTableOne) == 0 && streams.table0 >= 0) return streams.table0;
  return streams.table1;
}

bool isWordEncrypted(const char* inputPath, CompoundFile* compound, FILE* input,
                     uint32_t documentEntry) {
  const CompoundEntry& entry = compound->entries[documentEntry];
  if (entry.size < kMiniStreamCutoff) {
    MallocPtr<unsigned char> flags(
        ReadStreamRange(compound, input, documentEntry, kFlagsOffset, 2));
    if (!flags) return false;
    ByteReader r(flags.get(), 2);
    return (r.u16At(0) & kFibEncrypted) != 0;
  }
  FilePtr file(openFile(inputPath, "rb"));
  if (!file) return false;
  // Sector n of the file starts after the 512-byte header, at (n + 1) * 512.
  uint64_t position = static_cast<uint64_t>((entry.firstSector + 1) & 0xFFFFFF) * kSectorSize;
  if (position > static_cast<uint64_t>(LONG_MAX) ||
      std::fseek(file.get(), static_cast<long>(position), SEEK_SET) != 0) {
    return false;
  }
  unsigned char head[12];
  if (std::fread(head, 1, sizeof head, file.get()) != sizeof head) return false;
  ByteReader r(head, sizeof head);
  return (r.u16At(kFlagsOffset) & kFibEncrypted) != 0;
}
