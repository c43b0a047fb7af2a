#include "excel/stream.h"

#include <cstdlib>
#include <cstring>

#include "util/byte_reader.h"

WorkbookStream::WorkbookStream(std::vector<uint8_t> bytes) : whole_(std::move(bytes)) {}

WorkbookStream::WorkbookStream(CompoundFile* compound, FILE* file, uint32_t entry, CharPtr image,
                               size_t imageLength)
    : compound_(compound),
      file_(file),
      entry_(entry),
      image_(std::move(image)),
      imageLength_(imageLength) {
  if (compound == nullptr || entry >= compound->entryCount) return;
  uint32_t size = compound->entries[entry].size;
  // One read instead of two per record. It is tried only when the budget can pay
  // for it, and a failed try is not charged, so that the record-by-record reads
  // that take over see the budget they would have seen.
  if (size == 0 || size > kReadBudgetLimit - ReadBudget || ReadBudget > kReadBudgetLimit) return;
  uint32_t budgetBefore = ReadBudget;
  unsigned char* bytes =
      ReadStreamRangeFromImage(compound, file, entry, 0, size,
                               reinterpret_cast<const unsigned char*>(image_.get()), imageLength_);
  if (bytes == nullptr) {
    ReadBudget = budgetBefore;
    return;
  }
  whole_.assign(bytes, bytes + size);
  std::free(bytes);
  // Whatever lies beyond the stream is read from the file itself; the same bytes.
  image_.reset();
  imageLength_ = 0;
}

const uint8_t* WorkbookStream::view(uint64_t position, uint32_t length) const {
  if (position > whole_.size() || length > whole_.size() - position) return nullptr;
  return whole_.data() + position;
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
      ReadStreamRangeFromImage(compound_, file_, entry_, static_cast<uint32_t>(position), length,
                               reinterpret_cast<const unsigned char*>(image_.get()), imageLength_);
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

bool readHeader(WorkbookStream* stream, uint64_t position, Header* header,
                std::vector<uint8_t>* scratch) {
  const uint8_t* bytes = stream->view(position, 4);
  if (bytes == nullptr) {
    if (!stream->read(position, 4, scratch) || scratch->size() < 4) return false;
    bytes = scratch->data();
  }
  header->type = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
  header->length = static_cast<uint16_t>(bytes[2] | (bytes[3] << 8));
  return true;
}

// A view of length bytes at position, from memory or copied into *scratch.
const uint8_t* bytesAt(WorkbookStream* stream, uint64_t position, uint32_t length,
                       std::vector<uint8_t>* scratch) {
  if (const uint8_t* bytes = stream->view(position, length)) return bytes;
  if (!stream->read(position, length, scratch)) return nullptr;
  return scratch->data();
}

}  // namespace

void readRecord(WorkbookStream* stream, uint64_t* position, ExcelRecord* record) {
  record->type = 0;
  record->length = 0;
  record->headerRead = false;
  record->bodyRead = false;
  record->data = nullptr;
  record->size = 0;
  record->merged.clear();
  record->continuations.clear();

  std::vector<uint8_t> scratch;
  Header header;
  bool haveHeader = readHeader(stream, *position, &header, &scratch);
  *position += 4;
  if (!haveHeader) return;
  record->headerRead = true;
  record->type = header.type;
  record->length = header.length;
  if (header.length > 0) {
    const uint8_t* body = bytesAt(stream, *position, header.length, &record->merged);
    if (body == nullptr) return;
    record->bodyRead = true;
    record->data = body;
    record->size = header.length;
    *position += header.length;
  }

  for (;;) {
    Header next;
    if (!readHeader(stream, *position, &next, &scratch)) break;
    bool continues =
        next.type == kRecordContinue || (next.type == kRecordExtSst && record->type == kRecordSst);
    if (!continues) break;
    const uint8_t* more = bytesAt(stream, *position + 4, next.length, &scratch);
    if (more == nullptr && next.length > 0) break;
    *position += 4 + static_cast<uint64_t>(next.length);
    if (record->data != record->merged.data() || record->merged.empty()) {
      record->merged.assign(record->data, record->data + record->size);
    }
    size_t skip = (record->type == kRecordSst && next.length > 0 && more[0] == 0) ? 1 : 0;
    record->continuations.push_back({record->merged.size(), skip == 1});
    if (next.length > skip)
      record->merged.insert(record->merged.end(), more + skip, more + next.length);
    record->data = record->merged.data();
    record->size = record->merged.size();
  }
}
