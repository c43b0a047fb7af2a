// ByteReader: little-endian reads from a byte range held in memory.
//
// Every read is checked against the range. A read that does not fit returns 0 and
// sets a sticky failure flag, so a parser can read a whole record and test ok() once.
// Reads either name a position (u16At(pos)) or advance a cursor (u16()).
// Positions and lengths are taken in 64 bits, so a position a parser computes from
// counts in the file is checked whole, even where size_t is 32 bits wide.
#ifndef LUMEN_UTIL_BYTE_READER_H_
#define LUMEN_UTIL_BYTE_READER_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const void* data, size_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(data ? size : 0) {}

  size_t size() const { return size_; }
  const uint8_t* data() const { return data_; }
  bool ok() const { return ok_; }
  void fail() { ok_ = false; }

  // True when [pos, pos + n) lies inside the range; never sets the failure flag.
  bool has(uint64_t pos, uint64_t n) const { return pos <= size_ && n <= size_ - pos; }

  uint8_t u8At(uint64_t pos) {
    const uint8_t* p = bytesAt(pos, 1);
    return p ? p[0] : 0;
  }
  uint16_t u16At(uint64_t pos) {
    const uint8_t* p = bytesAt(pos, 2);
    return p ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
  }
  uint32_t u32At(uint64_t pos) {
    const uint8_t* p = bytesAt(pos, 4);
    if (p == nullptr) return 0;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
  uint64_t u64At(uint64_t pos) {
    if (!need(pos, 8)) return 0;
    return static_cast<uint64_t>(u32At(pos)) | (static_cast<uint64_t>(u32At(pos + 4)) << 32);
  }
  // IEEE 754 double stored little-endian.
  double f64At(uint64_t pos) {
    uint64_t bits = u64At(pos);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // Pointer to n bytes at pos, or nullptr (and failure) when they are not all inside.
  const uint8_t* bytesAt(uint64_t pos, uint64_t n) {
    if (!need(pos, n)) return nullptr;
    return data_ + static_cast<size_t>(pos);
  }

  // Cursor reads: read at the cursor and advance it past the bytes read.
  size_t pos() const { return pos_; }
  void seek(size_t pos) { pos_ = pos; }
  void skip(size_t n) { pos_ = (n <= SIZE_MAX - pos_) ? pos_ + n : SIZE_MAX; }
  size_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
  uint8_t u8() { uint8_t v = u8At(pos_); skip(1); return v; }
  uint16_t u16() { uint16_t v = u16At(pos_); skip(2); return v; }
  uint32_t u32() { uint32_t v = u32At(pos_); skip(4); return v; }
  double f64() { double v = f64At(pos_); skip(8); return v; }
  const uint8_t* bytes(size_t n) { const uint8_t* p = bytesAt(pos_, n); skip(n); return p; }

 private:
  bool need(uint64_t pos, uint64_t n) {
    if (has(pos, n)) return true;
    ok_ = false;
    return false;
  }

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
  bool ok_ = true;
};

#endif  // LUMEN_UTIL_BYTE_READER_H_
