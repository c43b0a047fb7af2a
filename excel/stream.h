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
#include <memory>
#include <vector>

#include "excel/strings.h"
#include "storage/compound_file.h"

constexpr uint16_t kRecordContinue = 0x003C;
constexpr uint16_t kRecordSst = 0x00FC;
constexpr uint16_t kRecordExtSst = 0x00FF;

// Byte ranges of one stream of a compound file, served from a window of the
// stream that slides forward as the walk reads on, so that neither the file nor
// the stream is ever held whole. The window slides when the read budget could
// pay for one read of the whole stream, and its reads leave the budget as it was;
// otherwise, and from the first window that cannot be read (its sectors end
// before the stream's declared size), ranges go to the compound file reader one
// by one, so a range reads exactly when the compound file reader would give it.
class WorkbookStream {
 public:
  static constexpr uint32_t kWindow = 64 * 1024;

  // A stream held in memory only; nothing beyond `bytes` can be read.
  explicit WorkbookStream(std::vector<uint8_t> bytes);
  // The stream of `entry`, read from `file`.
  WorkbookStream(CompoundFile* compound, FILE* file, uint32_t entry);

  // Replaces *out by the bytes [position, position + length); false when they
  // cannot all be read.
  bool read(uint64_t position, uint32_t length, std::vector<uint8_t>* out);
  // The bytes [position, position + length) from the window, moving it when
  // needed, or nullptr. Valid until the next call that moves the window; a move,
  // even one whose read fails, keeps the bytes from the position given to
  // keepFrom on, at new addresses.
  const uint8_t* view(uint64_t position, uint32_t length) {
    if (const uint8_t* bytes = held(position, length)) return bytes;
    return slide(position, length) ? window_.get() + (position - windowStart_) : nullptr;
  }
  // The bytes [position, position + length) when the window holds them already,
  // or nullptr; never moves the window.
  const uint8_t* held(uint64_t position, uint64_t length) const {
    if (position >= windowStart_ && position - windowStart_ <= windowLength_ &&
        length <= windowLength_ - (position - windowStart_)) {
      return window_.get() + (position - windowStart_);
    }
    return nullptr;
  }
  // Bytes before position are no longer needed.
  void keepFrom(uint64_t position) { keep_ = position; }
  // Counts the window's moves: views taken since the count last changed are valid.
  uint32_t moves() const { return moves_; }

 private:
  bool slide(uint64_t position, uint32_t length);

  // window_[0, windowLength_) holds the stream's bytes from windowStart_ on.
  std::unique_ptr<uint8_t[]> window_;
  size_t windowCapacity_ = 0;
  size_t windowLength_ = 0;
  uint64_t windowStart_ = 0;
  uint64_t keep_ = 0;
  bool sliding_ = false;
  uint32_t moves_ = 0;
  CompoundFile* compound_ = nullptr;
  FILE* file_ = nullptr;
  uint32_t entry_ = 0;
  uint32_t size_ = 0;
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

// Record types whose continuations are merged into their body; nullptr: all.
using RecordFilter = bool (*)(uint16_t type);

// Reads the record at *position and its continuations, advancing *position past
// all of them. A continuation of an SST loses its first byte when that byte is 0.
// A continuation whose body cannot be read ends the merging and is left unread.
// For a type `merges` refuses, the continuations are read and passed over the
// same way, and no body is handed out (data nullptr, size 0; bodyRead still tells
// whether it could be read).
void readRecord(WorkbookStream* stream, uint64_t* position, ExcelRecord* record,
                RecordFilter merges = nullptr);

#endif  // LUMEN_EXCEL_STREAM_H_
