#include "powerpoint/edits.h"

#include <algorithm>

#include "util/byte_reader.h"

namespace {

constexpr uint32_t kUserEditLength = 28;  // without the optional encryption session
constexpr uint32_t kUserEditWithSession = 32;

struct UserEdit {
  uint32_t lastEdit = 0;
  uint32_t persistDirectory = 0;
  uint32_t document = 0;        // persist id of the Document container
  uint32_t encryptSession = 0;  // a persist id; 0 names none
};

// The atom header at position: type and body length; false when the header does
// not fit, marks a container, or its body does not fit.
bool atomAt(ByteReader* reader, uint64_t position, uint16_t type, uint32_t* length) {
  if (!reader->has(position, 8)) return false;
  if ((reader->u16At(position) & 0xF) == 0xF || reader->u16At(position + 2) != type) return false;
  *length = reader->u32At(position + 4);
  return reader->has(position + 8, *length);
}

bool userEditAt(ByteReader* reader, uint64_t position, UserEdit* edit) {
  uint32_t length = 0;
  if (!atomAt(reader, position, kPptUserEditAtom, &length) || length < kUserEditLength) {
    return false;
  }
  edit->lastEdit = reader->u32At(position + 16);
  edit->persistDirectory = reader->u32At(position + 20);
  edit->document = reader->u32At(position + 24);
  edit->encryptSession = length >= kUserEditWithSession ? reader->u32At(position + 36) : 0;
  return true;
}

// Positions of the UserEditAtoms among the top-level records, in stream order.
std::vector<uint32_t> topLevelUserEdits(const PptStream& stream) {
  std::vector<uint32_t> found;
  ByteReader reader(stream.bytes.data(), stream.bytes.size());
  uint64_t position = 0;
  while (reader.has(position, 8)) {
    const uint64_t end = position + 8 + reader.u32At(position + 4);
    const bool container = (reader.u16At(position) & 0xF) == 0xF;
    if (!container && !reader.has(position, end - position)) break;
    UserEdit edit;
    if (userEditAt(&reader, position, &edit)) found.push_back(static_cast<uint32_t>(position));
    position = end;
  }
  return found;
}

uint32_t positionOf(const std::vector<uint32_t>& offsets, uint32_t persistId) {
  return persistId < offsets.size() ? offsets[persistId] : kNoPosition;
}

// The persist ids the Document container at position names: the SlidePersistAtoms
// of its slide lists (slides, masters, notes) and the notes and handout masters of
// its DocumentAtom. False when position holds no Document container.
bool namedByDocument(ByteReader* reader, uint64_t position, std::vector<uint32_t>* ids) {
  if (!reader->has(position, 8) || (reader->u16At(position) & 0xF) != 0xF ||
      reader->u16At(position + 2) != kPptDocument) {
    return false;
  }
  const uint64_t end = std::min<uint64_t>(position + 8 + reader->u32At(position + 4),
                                          reader->size());
  for (uint64_t child = position + 8; child + 8 <= end;
       child += 8 + uint64_t{reader->u32At(child + 4)}) {
    const uint16_t type = reader->u16At(child + 2);
    const uint64_t body = child + 8;
    const uint64_t bodyEnd = std::min<uint64_t>(body + reader->u32At(child + 4), end);
    if (type == kPptDocumentAtom && body + 32 <= bodyEnd) {
      ids->push_back(reader->u32At(body + 24));
      ids->push_back(reader->u32At(body + 28));
    }
    if (type != kPptSlideListWithText) continue;
    for (uint64_t item = body; item + 8 <= bodyEnd; item += 8 + uint64_t{reader->u32At(item + 4)}) {
      if (reader->u16At(item + 2) == kPptSlidePersistAtom && item + 12 <= bodyEnd) {
        ids->push_back(reader->u32At(item + 8));
      }
    }
  }
  std::sort(ids->begin(), ids->end());
  return true;
}

// A slide, notes or master container that the live Document does not name was
// deleted by a later save: the directories still hold its old position.
bool deletedLater(ByteReader* reader, uint32_t position, const std::vector<uint32_t>& named,
                  uint32_t persistId) {
  if (!reader->has(position, 8) || (reader->u16At(position) & 0xF) != 0xF) return false;
  const uint16_t type = reader->u16At(position + 2);
  if (type != kPptSlide && type != kPptNotes && type != kPptMainMaster) return false;
  return !std::binary_search(named.begin(), named.end(), persistId);
}

struct Chain {
  std::vector<std::pair<uint32_t, uint32_t>> directories;  // (position, body length), newest first
  uint32_t document = 0;                                    // of the newest edit
  bool encrypted = false;
};

// The edits from the newest back to the first (see readPptEdits); false when the
// stream holds no UserEditAtom to start from.
bool followChain(const PptStream& stream, uint32_t currentEdit, Chain* chain) {
  ByteReader reader(stream.bytes.data(), stream.bytes.size());
  const std::vector<uint32_t> topLevel = topLevelUserEdits(stream);
  UserEdit edit;
  uint64_t position = currentEdit;
  if (!userEditAt(&reader, position, &edit)) {
    if (topLevel.empty()) return false;
    position = topLevel.back();
    userEditAt(&reader, position, &edit);
  }
  chain->document = edit.document;
  uint64_t directoryBytes = 0;
  for (;;) {
    if (edit.encryptSession != 0) chain->encrypted = true;
    uint32_t length = 0;
    if (atomAt(&reader, edit.persistDirectory, kPptPersistDirectoryAtom, &length) &&
        directoryBytes + length <= stream.bytes.size()) {
      directoryBytes += length;
      chain->directories.emplace_back(edit.persistDirectory, length);
    }
    if (edit.lastEdit == 0) return true;
    uint64_t next = edit.lastEdit;
    UserEdit earlier;
    if (next >= position || !userEditAt(&reader, next, &earlier)) {
      auto before = std::lower_bound(topLevel.begin(), topLevel.end(), position);
      if (before == topLevel.begin()) return true;
      next = *(before - 1);
      userEditAt(&reader, next, &earlier);
    }
    position = next;
    edit = earlier;
  }
}

}  // namespace

uint32_t readCurrentEdit(CompoundFile* compound, FILE* file) {
  int32_t entry = FindContentStream(compound, "Current User");
  if (entry < 0) return kNoPosition;
  PptStream current = readPptStream(compound, file, static_cast<uint32_t>(entry));
  ByteReader reader(current.bytes.data(), current.bytes.size());
  uint32_t length = 0;
  if (!atomAt(&reader, 0, kPptCurrentUserAtom, &length) || length < 12) return kNoPosition;
  return reader.u32At(16);
}

void applyPersistDirectory(const uint8_t* body, uint32_t length, std::vector<uint32_t>* offsets) {
  ByteReader reader(body, length);
  while (reader.remaining() >= 4) {
    uint32_t word = reader.u32();
    uint32_t id = word & 0xFFFFF;
    uint32_t count = word >> 20;
    for (uint32_t i = 0; i < count && reader.remaining() >= 4; ++i) {
      if (id + i >= offsets->size()) offsets->resize(id + i + 1, kNoPosition);
      (*offsets)[id + i] = reader.u32();
    }
  }
}

PptEdits readPptEdits(const PptStream& stream, uint32_t currentEdit) {
  PptEdits edits;
  Chain chain;
  if (!followChain(stream, currentEdit, &chain)) return edits;
  edits.encrypted = chain.encrypted;
  // Oldest first, so that each newer directory overrides.
  for (auto it = chain.directories.rbegin(); it != chain.directories.rend(); ++it) {
    applyPersistDirectory(stream.bytes.data() + it->first + 8, it->second, &edits.persistOffsets);
  }
  ByteReader reader(stream.bytes.data(), stream.bytes.size());
  std::vector<uint32_t> named;
  const bool filter =
      namedByDocument(&reader, positionOf(edits.persistOffsets, chain.document), &named);
  for (uint32_t id = 0; id < edits.persistOffsets.size(); ++id) {
    const uint32_t offset = edits.persistOffsets[id];
    if (offset == kNoPosition || (filter && deletedLater(&reader, offset, named, id))) continue;
    edits.liveOffsets.push_back(offset);
  }
  std::sort(edits.liveOffsets.begin(), edits.liveOffsets.end());
  edits.liveOffsets.erase(std::unique(edits.liveOffsets.begin(), edits.liveOffsets.end()),
                          edits.liveOffsets.end());
  edits.chain = !edits.liveOffsets.empty();
  return edits;
}
