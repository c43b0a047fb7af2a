#include "word/pieces.h"

#include <cstring>

#include "util/byte_reader.h"
#include "util/memory.h"

namespace {

constexpr uint8_t kPropertyBlock = 1;
constexpr uint8_t kPieceTableBlock = 2;
constexpr uint32_t kEightBitPiece = 0x40000000;
constexpr size_t kPageSize = 512;
constexpr size_t kRunEntrySize = 13;
constexpr size_t kBreakEntrySize = 6;
constexpr size_t kPageDescriptorSize = 10;

bool isHeadingStyle(uint16_t style) { return style >= 1 && style <= 3; }

}  // namespace

bool parsePieceTable(const unsigned char* bytes, size_t length, std::vector<WordPiece>* pieces,
                     PieceForm form) {
  ByteReader r(bytes, length);
  uint64_t pos = 0;
  for (;;) {
    if (pos >= length) return false;
    uint8_t kind = r.u8At(pos);
    pos += 1;
    if (kind == kPieceTableBlock) break;
    if (kind != kPropertyBlock || pos + 2 > length) return false;
    pos += 2 + static_cast<uint64_t>(r.u16At(pos));
  }
  if (pos + 4 > length) return false;
  uint32_t plexLength = r.u32At(pos);
  pos += 4;
  if (plexLength < 4) return false;
  // The plex may claim more than the stream holds: the pieces it holds are kept.
  size_t held = length - pos;
  if (plexLength < held) held = plexLength;
  // Positions are 64-bit, so that those computed from counts in the file never
  // wrap before they are checked.
  ByteReader plex(bytes + pos, held);
  const uint64_t count = (static_cast<uint64_t>(plexLength) - 4) / 12;
  const uint64_t descriptors = 4 * (count + 1);
  for (uint64_t i = 0; i < count; ++i) {
    uint32_t first = plex.u32At(4 * i);
    uint32_t next = plex.u32At(4 * i + 4);
    uint32_t position = plex.u32At(descriptors + 8 * i + 2);
    if (!plex.ok()) return false;
    if (next < first) return false;
    uint32_t chars = next - first;
    WordPiece piece;
    piece.firstChar = first;
    if (form == PieceForm::kWord6Narrow) {
      piece.wide = false;
      piece.offset = position;
      piece.length = chars;
    } else if (form == PieceForm::kWord97 && (position & kEightBitPiece) != 0) {
      piece.wide = false;
      piece.offset = (position / 2) & 0x5FFFFFFF;
      piece.length = chars;
    } else {
      piece.wide = true;
      piece.offset = position;
      uint64_t bytesLength = 2 * static_cast<uint64_t>(chars);
      piece.length = bytesLength > 0xFFFFFFFE ? 0xFFFFFFFE : static_cast<uint32_t>(bytesLength);
    }
    pieces->push_back(piece);
  }
  return true;
}

bool readPieceTable(CompoundFile* compound, FILE* input, uint32_t entry, uint32_t complexOffset,
                    std::vector<WordPiece>* pieces, PieceForm form, uint32_t limit) {
  uint32_t size = compound->entries[entry].size;
  if (complexOffset >= size) return false;
  uint32_t length = size - complexOffset;
  if (limit < length) length = limit;
  MallocPtr<unsigned char> part(ReadStreamRange(compound, input, entry, complexOffset, length));
  if (!part) return false;
  return parsePieceTable(part.get(), length, pieces, form);
}

bool parseParagraphPage(const unsigned char* page, bool keepAll, std::vector<ParagraphRun>* runs) {
  // The last byte counts the runs; it is not part of any entry.
  ByteReader r(page, kPageSize);
  const size_t count = page[kPageSize - 1];
  const size_t entries = 4 * (count + 1);
  for (size_t i = 0; i < count; ++i) {
    size_t entry = entries + kRunEntrySize * i;
    // A count that claims more runs than the page holds keeps the runs it holds.
    if (!r.has(4 * i, 8) || !r.has(entry, 1)) break;
    ParagraphRun run;
    run.start = r.u32At(4 * i);
    run.end = r.u32At(4 * i + 4);
    run.style = 0;
    size_t word = r.u8At(entry);
    if (word != 0) {
      size_t countByte = 2 * word;
      if (r.u8At(countByte) == 0) countByte += 1;
      if (!r.has(countByte + 1, 2)) return false;
      run.style = r.u16At(countByte + 1);
    }
    if (keepAll || isHeadingStyle(run.style)) runs->push_back(run);
  }
  return true;
}

bool readParagraphRuns(CompoundFile* compound, FILE* input, const unsigned char* binTable,
                       size_t binLength, uint32_t documentEntry, uint64_t fileSize, bool keepAll,
                       std::vector<ParagraphRun>* runs) {
  if (binLength < 4) return true;
  ByteReader bin(binTable, binLength);
  const uint64_t count = (static_cast<uint64_t>(binLength) - 4) / 8;
  const uint64_t pageNumbers = 4 * (count + 1);
  for (uint64_t i = 0; i < count; ++i) {
    uint32_t pageNumber = bin.u32At(pageNumbers + 4 * i);
    if (!bin.ok()) break;
    uint64_t offset = static_cast<uint64_t>(pageNumber & 0xFFFFFF) * kPageSize;
    if (offset >= fileSize) return false;
    if (offset > 0xFFFFFFFFu - kPageSize) continue;
    MallocPtr<unsigned char> page(
        ReadStreamRange(compound, input, documentEntry, static_cast<uint32_t>(offset), kPageSize));
    if (!page) continue;
    if (!parseParagraphPage(page.get(), keepAll, runs)) return false;
  }
  return true;
}

bool parsePageRuns(const unsigned char* pages, size_t pagesLength, const unsigned char* breaks,
                   size_t breaksLength, std::vector<PageRun>* runs) {
  if (pagesLength < 4 || breaksLength < 4) return false;
  const uint64_t count = (static_cast<uint64_t>(breaksLength) - 4) / kPageDescriptorSize;
  if (count * 4 + 4 >= breaksLength) return false;
  ByteReader breakTable(breaks, breaksLength);
  ByteReader pageTable(pages, pagesLength);
  uint32_t descriptors = pageTable.u32At(0);
  const uint64_t entries = 4 * (count + 1);
  for (uint64_t i = 0; i < count; ++i) {
    uint32_t first = breakTable.u32At(4 * i);
    uint32_t end = breakTable.u32At(4 * i + 4);
    uint16_t descriptor = breakTable.u16At(entries + kBreakEntrySize * i);
    if (!breakTable.ok() || descriptor >= descriptors) return false;
    uint16_t page = pageTable.u16At(8 + kPageDescriptorSize * static_cast<uint64_t>(descriptor));
    if (!pageTable.ok()) return false;
    runs->push_back(PageRun{false, page, first, end});
  }
  return true;
}

bool readPageRuns(CompoundFile* compound, FILE* input, uint32_t tableEntry, uint32_t pageOffset,
                  uint32_t pageLength, uint32_t breakOffset, uint32_t breakLength,
                  std::vector<PageRun>* runs) {
  MallocPtr<unsigned char> pages(
      ReadStreamRange(compound, input, tableEntry, pageOffset, pageLength));
  MallocPtr<unsigned char> breaks(
      ReadStreamRange(compound, input, tableEntry, breakOffset, breakLength));
  if (!pages || !breaks) return false;
  return parsePageRuns(pages.get(), pageLength, breaks.get(), breakLength, runs);
}

bool squeezeReversedPairs(unsigned char* bytes, size_t length) {
  if (length % 2 != 0) return false;
  size_t out = 0;
  for (size_t j = 0; j + 1 < length; j += 2) {
    unsigned char a = bytes[j];
    unsigned char b = bytes[j + 1];
    bool katakanaSpace = b == 0x20 && a >= 0xA6 && a <= 0xDF;
    if (b != 0 && !katakanaSpace) bytes[out++] = b;
    if (a != 0) bytes[out++] = a;
  }
  std::memset(bytes + out, 0, length - out);
  return true;
}
