// The workbook stream and its records.
//
// A BIFF record is a 16-bit type, a 16-bit body length and the body. Records
// longer than the format allows go on in CONTINUE records (0x003C) that follow
// directly; the shared string table (SST, 0x00FC) also takes its EXTSST (0x00FF)
// along. readRecord merges such continuations into one body.
#ifndef LUMEN_EXCEL_STREAM_H_
#define LUMEN_EXCEL_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "excel/strings.h"
#include "storage/compound_file.h"
#include "util/memory.h"

constexpr uint16_t kRecordContinue = 0x003C;
constexpr uint16_t kRecordSst = 0x00FC;
constexpr uint16_t kRecordExtSst = 0x00FF;

// Byte ranges of one stream of a compound file. The stream is read whole, once,
// when that read can be had; ranges inside it are then served from memory. Other
// ranges, and every range of a stream that cannot be read whole (its sectors end
// before its declared size), go to the compound file reader one by one, so a range
// reads exactly when the compound file reader would give it.
class WorkbookStream {
 public:
  // A stream held in memory only; nothing beyond `bytes` can be read.
  explicit WorkbookStream(std::vector<uint8_t> bytes);
  // The stream of `entry`. `image` (may be empty) is the whole file in memory,
  // `imageLength` the bytes of it that may be used.
  WorkbookStream(CompoundFile* compound, FILE* file, uint32_t entry, CharPtr image,
                 size_t imageLength);

  // Replaces *out by the bytes [position, position + length); false when they
  // cannot all be read.
  bool read(uint64_t position, uint32_t length, std::vector<uint8_t>* out);
  // The bytes [position, position + length) when they are held in memory, else
  // nullptr. Valid as long as the stream.
  const uint8_t* view(uint64_t position, uint32_t length) const;

 private:
  std::vector<uint8_t> whole_;
  CompoundFile* compound_ = nullptr;
  FILE* file_ = nullptr;
  uint32_t entry_ = 0;
  CharPtr image_;
  size_t imageLength_ = 0;
};

struct ExcelRecord {
  uint16_t type = 0;
  uint16_t length = 0;  // the record's own body length, before merging
  bool headerRead = false;
  bool bodyRead = false;  // the record's own body could be read
  // The body with its continuations merged: data[0, size), either inside the
  // stream's memory or in `merged`.
  const uint8_t* data = nullptr;
  size_t size = 0;
  std::vector<uint8_t> merged;
  std::vector<ContinuationStart> continuations;
};

// Reads the record at *position and its continuations, advancing *position past
// all of them. A continuation of an SST loses its first byte when that byte is 0.
// A continuation whose body cannot be read ends the merging and is left unread.
void readRecord(WorkbookStream* stream, uint64_t* position, ExcelRecord* record);

#endif  // LUMEN_EXCEL_STREAM_H_
