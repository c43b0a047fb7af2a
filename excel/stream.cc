#include "excel/stream.h"

#include <cstdlib>
#include <cstring>

#include "util/byte_reader.h"

WorkbookStream::WorkbookStream(std::vector<uint8_t> bytes)
    : window_(new uint8_t[bytes.size() + 1]),
      windowCapacity_(bytes.size() + 1),
      windowLength_(bytes.size()) {
  if (!bytes.empty()) std::memcpy(window_.get(), bytes.data(), bytes.size());
}

WorkbookStream::WorkbookStream(CompoundFile* compound, FILE* file, uint32_t entry)
    : compound_(compound), file_(file), entry_(entry) {
  if (compound == nullptr || entry >= compound->entryCount) return;
  size_ = compound->entries[entry].size;
  // The window slides only over a stream that one read could take whole under the
  // budget. Its reads are not charged: the workbook walk is the conversion's last
  // reader, and when a window fails, the range reads that follow see the budget
  // the failed whole read would have left, untouched.
  if (size_ == 0 || size_ > kReadBudgetLimit - ReadBudget || ReadBudget > kReadBudgetLimit) return;
  sliding_ = true;
}

bool WorkbookStream::slide(uint64_t position, uint32_t length) {
  if (!sliding_ || position > size_ || length > size_ - position) return false;
  ++moves_;
  uint64_t start = keep_ < position ? keep_ : position;
  uint64_t end = start + kWindow;
  if (end < position + length) end = position + length;
  if (end > size_) end = size_;
  size_t count = static_cast<size_t>(end - start);
  // Bytes the window holds already move to its front; only the rest is read,
  // so that the reads go forward through the stream, one after the other.
  size_t held = 0;
  const uint64_t windowEnd = windowStart_ + windowLength_;
  if (start >= windowStart_ && start < windowEnd) {
    held = static_cast<size_t>(windowEnd - start);
    if (held > count) held = count;
  }
  if (count > windowCapacity_) {
    std::unique_ptr<uint8_t[]> larger(new uint8_t[count]);
    if (held > 0) std::memcpy(larger.get(), window_.get() + (start - windowStart_), held);
    window_ = std::move(larger);
    windowCapacity_ = count;
  } else if (held > 0) {
    std::memmove(window_.get(), window_.get() + (start - windowStart_), held);
  }
  // The window now holds [start, start + held): what a failed read leaves.
  windowStart_ = start;
  windowLength_ = held;
  bool read = held == count ||
              ReadStreamRangeInto(compound_, file_, entry_, static_cast<uint32_t>(start + held),
                                  static_cast<uint32_t>(count - held), window_.get() + held);
  if (!read) {
    // The stream cannot be read whole: from here on every range is read, and
    // charged, on its own.
    sliding_ = false;
    return false;
  }
  windowLength_ = count;
  return true;
}

bool WorkbookStream::read(uint64_t position, uint32_t length, std::vector<uint8_t>* out) {
  out->clear();
  if (const uint8_t* bytes = view(position, length)) {
    out->assign(bytes, bytes + length);
    return true;
  }
  if (compound_ == nullptr || position > UINT32_MAX) return false;
  if (length == 0) return true;
  unsigned char* bytes =
      ReadStreamRange(compound_, file_, entry_, static_cast<uint32_t>(position), length);
  if (bytes == nullptr) return false;
  out->assign(bytes, bytes + length);
  std::free(bytes);
  return true;
}

namespace {

struct Header {
  uint16_t type;
  uint16_t length;
};

// The record header in the four bytes at bytes: its type, then its body's length.
Header headerOf(const uint8_t* bytes) {
  ByteReader reader(bytes, 4);
  return {reader.u16At(0), reader.u16At(2)};
}

// A view of length bytes at position, from memory or copied into *scratch.
const uint8_t* bytesAt(WorkbookStream* stream, uint64_t position, uint32_t length,
                       std::vector<uint8_t>* scratch) {
  if (const uint8_t* bytes = stream->view(position, length)) return bytes;
  if (!stream->read(position, length, scratch)) return nullptr;
  return scratch->data();
}

bool readHeader(WorkbookStream* stream, uint64_t position, Header* header,
                std::vector<uint8_t>* scratch) {
  const uint8_t* bytes = bytesAt(stream, position, 4, scratch);
  if (bytes == nullptr) return false;
  *header = headerOf(bytes);
  return true;
}

bool continues(uint16_t type, uint16_t next) {
  return next == kRecordContinue || (next == kRecordExtSst && type == kRecordSst);
}

// Most records lie whole in the window with the next header, which does not
// continue them: such a record is read here as the general walk would read it,
// without moving the window. False, with nothing changed, for any other.
bool readHeldRecord(WorkbookStream* stream, uint64_t* position, ExcelRecord* record,
                    RecordFilter merges) {
  const uint8_t* head = stream->held(*position, 4);
  if (head == nullptr) return false;
  const Header header = headerOf(head);
  const uint16_t type = header.type;
  const uint16_t length = header.length;
  const uint8_t* whole = stream->held(*position, 8 + uint64_t{length});
  if (whole == nullptr) return false;
  if (continues(type, headerOf(whole + 4 + length).type)) return false;
  record->headerRead = true;
  record->type = type;
  record->length = length;
  *position += 4 + uint64_t{length};
  if (length > 0) {
    record->bodyRead = true;
    record->data = whole + 4;
    record->size = length;
  }
  if (merges != nullptr && !merges(type)) {
    record->data = nullptr;
    record->size = 0;
    stream->keepFrom(*position);
  }
  return true;
}

// Any record: its header and body read wherever they lie, its continuations
// merged or passed over. Kept out of line, so that the held records' path does
// not pay for this one's frame.
[[gnu::noinline]] void readAnyRecord(WorkbookStream* stream, uint64_t* position,
                                     ExcelRecord* record, RecordFilter merges) {
  std::vector<uint8_t> scratch;
  Header header;
  bool haveHeader = readHeader(stream, *position, &header, &scratch);
  *position += 4;
  if (!haveHeader) return;
  record->headerRead = true;
  record->type = header.type;
  record->length = header.length;
  const uint64_t bodyStart = *position;
  bool inWindow = false;
  if (header.length > 0) {
    const uint8_t* body = bytesAt(stream, *position, header.length, &record->merged);
    if (body == nullptr) return;
    inWindow = body != record->merged.data();
    record->bodyRead = true;
    record->data = body;
    record->size = header.length;
    *position += header.length;
  }
  const bool merge = merges == nullptr || merges(record->type);
  if (!merge) {
    // Nothing reads this body: the window may move on.
    inWindow = false;
    record->data = nullptr;
    record->size = 0;
    stream->keepFrom(*position);
  }

  // Reading on may move the window, which keeps the body at a new place.
  auto followBody = [&](uint32_t movesBefore) {
    if (inWindow && stream->moves() != movesBefore) {
      record->data = stream->view(bodyStart, header.length);
    }
  };
  for (;;) {
    Header next;
    uint32_t moves = stream->moves();
    bool haveNext = readHeader(stream, *position, &next, &scratch);
    followBody(moves);
    if (!haveNext) break;
    if (!continues(record->type, next.type)) break;
    moves = stream->moves();
    const uint8_t* more = bytesAt(stream, *position + 4, next.length, &scratch);
    followBody(moves);
    if (more == nullptr && next.length > 0) break;
    *position += 4 + static_cast<uint64_t>(next.length);
    if (!merge) {
      stream->keepFrom(*position);
      continue;
    }
    if (inWindow || record->merged.empty()) {
      record->merged.assign(record->data, record->data + record->size);
      inWindow = false;
      stream->keepFrom(*position);
    }
    size_t skip = (record->type == kRecordSst && next.length > 0 && more[0] == 0) ? 1 : 0;
    record->continuations.push_back({record->merged.size(), skip == 1});
    if (next.length > skip)
      record->merged.insert(record->merged.end(), more + skip, more + next.length);
    record->data = record->merged.data();
    record->size = record->merged.size();
  }
}

}  // namespace

void readRecord(WorkbookStream* stream, uint64_t* position, ExcelRecord* record,
                RecordFilter merges) {
  record->type = 0;
  record->length = 0;
  record->headerRead = false;
  record->bodyRead = false;
  record->data = nullptr;
  record->size = 0;
  record->merged.clear();
  record->continuations.clear();
  stream->keepFrom(*position);
  if (!readHeldRecord(stream, position, record, merges)) {
    readAnyRecord(stream, position, record, merges);
  }
}
