#include "powerpoint/records.h"

#include <algorithm>

#include "util/byte_reader.h"

PptStream readPptStream(CompoundFile* compound, FILE* file, uint32_t entry) {
  PptStream stream;
  if (compound == nullptr || entry >= compound->entryCount) return stream;
  stream.size = compound->entries[entry].size;
  // A stream whose chain ends early, or that the budget cannot pay for whole,
  // keeps the beginning that reads.
  stream.bytes = ReadStreamBeginning(compound, file, entry);
  return stream;
}

namespace {

// The walk's stacks, kept from one top-level record to the next so that each
// record does not grow them anew.
struct WalkStacks {
  struct Level {
    uint64_t position;
    uint64_t end;
  };
  std::vector<PptRecord> path;
  std::vector<Level> levels;
};

// Walks the level [start, end) and everything below it; false when the visitor
// ended the walk.
bool walkLevel(const PptStream& stream, uint64_t start, uint64_t end, PptRecordVisitor* visitor,
               WalkStacks* stacks) {
  using Level = WalkStacks::Level;
  ByteReader reader(stream.bytes.data(), stream.bytes.size());
  std::vector<PptRecord>& path = stacks->path;
  std::vector<Level>& levels = stacks->levels;
  path.clear();
  levels.clear();
  levels.push_back({start, end});
  while (!levels.empty()) {
    Level& level = levels.back();
    bool levelEnds = level.position + 8 > level.end || !reader.has(level.position, 8);
    PptRecord record;
    if (!levelEnds) {
      record.offset = level.position;
      uint16_t word = reader.u16At(level.position);
      record.instance = static_cast<uint16_t>(word >> 4);
      record.container = (word & 0xF) == 0xF;
      record.type = reader.u16At(level.position + 2);
      record.length = reader.u32At(level.position + 4);
      level.position += 8;
      if (!record.container) {
        // An atom whose body does not fit, or cannot be read, ends the level.
        levelEnds = level.position + record.length > level.end ||
                    !reader.has(level.position, record.length);
      }
    }
    if (levelEnds) {
      levels.pop_back();
      if (!path.empty()) {
        PptRecord closed = path.back();
        path.pop_back();
        visitor->leaveContainer(path, closed);
      }
      continue;
    }
    uint64_t bodyStart = level.position;
    uint64_t bodyEnd = bodyStart + record.length;
    level.position = bodyEnd;
    if (record.container) {
      if (levels.size() > kPptMaxDepth) continue;
      visitor->enterContainer(path, record);
      path.push_back(record);
      levels.push_back({bodyStart, bodyEnd < level.end ? bodyEnd : level.end});
      continue;
    }
    if (!visitor->atom(path, record, stream.bytes.data() + bodyStart)) return false;
  }
  return true;
}

}  // namespace

void walkPptRecords(const PptStream& stream, PptRecordVisitor* visitor,
                    const std::vector<uint32_t>* tops) {
  WalkStacks stacks;
  if (tops == nullptr) {
    walkLevel(stream, 0, stream.size, visitor, &stacks);
    return;
  }
  ByteReader reader(stream.bytes.data(), stream.bytes.size());
  uint64_t walked = 0;  // end of the last record walked
  for (uint32_t top : *tops) {
    if (top < walked || !reader.has(top, 8)) continue;
    walked = std::min<uint64_t>(top + 8 + uint64_t{reader.u32At(top + 4)}, stream.size);
    if (!walkLevel(stream, top, walked, visitor, &stacks)) return;
  }
}
