// The record tree of the "PowerPoint Document" stream.
//
// Every record starts with an 8-byte little-endian header: a 16-bit word whose low
// 4 bits are 0xF for a container and whose high 12 bits are the instance, a 16-bit
// record type and a 32-bit body length. A container's body is a run of records; an
// atom's body is data.
#ifndef LUMEN_POWERPOINT_RECORDS_H_
#define LUMEN_POWERPOINT_RECORDS_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "storage/compound_file.h"

constexpr uint16_t kPptDocument = 1000;
constexpr uint16_t kPptDocumentAtom = 1001;
constexpr uint16_t kPptSlide = 1006;
constexpr uint16_t kPptSlideAtom = 1007;
constexpr uint16_t kPptNotes = 1008;
constexpr uint16_t kPptNotesAtom = 1009;
constexpr uint16_t kPptSlidePersistAtom = 1011;
constexpr uint16_t kPptMainMaster = 1016;
constexpr uint16_t kPptTextHeaderAtom = 3999;
constexpr uint16_t kPptTextCharsAtom = 4000;
constexpr uint16_t kPptTextBytesAtom = 4008;
constexpr uint16_t kPptSlideListWithText = 4080;
constexpr uint16_t kPptUserEditAtom = 4085;
constexpr uint16_t kPptCurrentUserAtom = 4086;
constexpr uint16_t kPptPersistDirectoryAtom = 6002;

// Containers nested deeper than this are stepped over whole: real presentations
// nest a dozen levels, and the bound keeps the walk's own stack small.
constexpr size_t kPptMaxDepth = 256;

// A stream position that names nothing (streams are below 4 GiB).
constexpr uint32_t kNoPosition = 0xFFFFFFFF;

struct PptRecord {
  uint64_t offset = 0;  // stream position of the header
  uint16_t instance = 0;
  uint16_t type = 0;
  uint32_t length = 0;
  bool container = false;
  uint64_t bodyStart() const { return offset + 8; }
};

// The stream bytes that can be read: the whole stream when the compound file
// reader hands it out, else its longest readable beginning. `size` is the size the
// directory declares; positions past bytes.size() cannot be read.
struct PptStream {
  std::vector<uint8_t> bytes;
  uint64_t size = 0;
};

PptStream readPptStream(CompoundFile* compound, FILE* file, uint32_t entry);

// What a walk reports. path holds the containers around the record, outermost
// first. atom returns false to end the whole walk.
class PptRecordVisitor {
 public:
  virtual ~PptRecordVisitor() = default;
  virtual void enterContainer(const std::vector<PptRecord>& path, const PptRecord& record) {
    (void)path, (void)record;
  }
  virtual void leaveContainer(const std::vector<PptRecord>& path, const PptRecord& record) {
    (void)path, (void)record;
  }
  virtual bool atom(const std::vector<PptRecord>& path, const PptRecord& record,
                    const uint8_t* body) = 0;
};

// Walks the records of the stream in stream order, descending into containers.
// A level ends at the first header that does not fit in it or cannot be read, and
// at an atom whose body does not fit or cannot be read. A container whose length
// runs past its parent is walked only up to the parent's end.
//
// With tops (ascending positions), the top level is the records at those
// positions alone, each read from its own position; one that starts inside a
// record walked before is left out. Without, the top level runs from position 0
// over the whole stream.
void walkPptRecords(const PptStream& stream, PptRecordVisitor* visitor,
                    const std::vector<uint32_t>* tops = nullptr);

#endif  // LUMEN_POWERPOINT_RECORDS_H_
