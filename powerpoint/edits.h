// The live state of a presentation saved incrementally.
//
// Each save may append the records it changed, a PersistDirectoryAtom that maps
// persist ids to the stream positions of those records, and a UserEditAtom naming
// that directory and the save before it (offsetLastEdit, 0 for the first). The
// CurrentUserAtom of the "Current User" stream names the newest UserEditAtom. The
// directories along the chain, the newest winning, give each persist id the
// position of its live record; a record the directory does not point at was
// superseded by a later save.
#ifndef LUMEN_POWERPOINT_EDITS_H_
#define LUMEN_POWERPOINT_EDITS_H_

#include <cstdint>
#include <cstdio>
#include <vector>

#include "powerpoint/records.h"
#include "storage/compound_file.h"

struct PptEdits {
  bool chain = false;      // a UserEditAtom was read: only the live records count
  bool encrypted = false;  // a UserEditAtom of the chain names an encryption session
  // Stream position by persist id (kNoPosition: none).
  std::vector<uint32_t> persistOffsets;
  // The positions the directory holds, ascending, each once.
  std::vector<uint32_t> liveOffsets;
};

// The offsetToCurrentEdit of the CurrentUserAtom in the "Current User" stream, or
// kNoPosition when there is no such stream or it does not start with that atom.
uint32_t readCurrentEdit(CompoundFile* compound, FILE* file);

// Follows the chain from the UserEditAtom at currentEdit. A link that cannot be
// followed (a position that holds no UserEditAtom, or one that is not before the
// edit naming it, as every earlier save lies before a later one) is replaced by
// the nearest UserEditAtom before that edit among the stream's top-level records;
// a currentEdit that names none starts the chain at the last of them. A directory
// position that holds no PersistDirectoryAtom adds nothing. Without any
// UserEditAtom, or when the directories hold no position at all, chain stays
// false and the caller walks every record. Time and memory stay linear in the
// stream size: the chain only moves backwards, and directory bytes beyond the
// stream size in total are not read.
PptEdits readPptEdits(const PptStream& stream, uint32_t currentEdit);

// The top-level records a walk reads: the live ones with a chain, else all
// (nullptr).
inline const std::vector<uint32_t>* liveRecords(const PptEdits& edits) {
  return edits.chain ? &edits.liveOffsets : nullptr;
}

// Applies the entries of a PersistDirectoryAtom body to offsets: 32-bit words of
// a persist id (low 20 bits) and a count (high 12 bits), each followed by that many
// stream positions for consecutive ids. Later calls override earlier ones.
void applyPersistDirectory(const uint8_t* body, uint32_t length, std::vector<uint32_t>* offsets);

#endif  // LUMEN_POWERPOINT_EDITS_H_
