// Reading the plain-text table files: whole-file reads, line splitting as a
// fixed-size line buffer sees it, and integer literals.
#ifndef LUMEN_CHARSET_TABLE_TEXT_H_
#define LUMEN_CHARSET_TABLE_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "util/files.h"
#include "util/memory.h"

// Path of a table file: the directory joined with name, or name alone when the
// directory is missing or empty (the working directory).
std::string TablePath(const char* directory, const char* name);

// The whole content of a file. open() is false when the file cannot be opened;
// an empty file opens and has no content.
class TableFile {
 public:
  explicit TableFile(const std::string& path);
  bool open() const { return open_; }
  std::string_view text() const { return std::string_view(data_.get(), size_); }

 private:
  bool open_ = false;
  CharPtr data_;
  size_t size_ = 0;
};

// The length of the first piece of text as LineSplitter cuts it (through the
// first line feed, at most capacity - 1 bytes), and in *line that piece up to
// its first 0 byte. text must not be empty; capacity is at least 2.
size_t CutPiece(std::string_view text, size_t capacity, std::string_view* line);

// Splits text into the pieces that successive reads into a line buffer of
// `capacity` bytes return: each piece runs through the next line feed, or is
// capacity - 1 bytes long when the line is longer (the rest of it is the next
// piece). A piece stops at a 0 byte, as a C string would.
class LineSplitter {
 public:
  LineSplitter(std::string_view text, size_t capacity) : text_(text), capacity_(capacity) {}
  bool Next(std::string_view* line);

 private:
  std::string_view text_;
  size_t capacity_;
  size_t pos_ = 0;
};

// The pieces of a file, as LineSplitter cuts the whole content, read through a
// fixed window rather than all at once. The view handed out is valid until the
// next call.
class TableReader {
 public:
  explicit TableReader(const std::string& path);
  explicit TableReader(FilePtr file);
  bool open() const { return file_ != nullptr; }
  bool Next(size_t capacity, std::string_view* line);

  // For scanners that cut pieces themselves: the unread bytes in the window,
  // refilled first so that they hold at least `wanted` bytes unless the file
  // ends sooner (wanted at most kWindow / 2). Empty at the end of the file.
  std::string_view Window(size_t wanted);
  // Marks count bytes of the window as read.
  void Skip(size_t count) { pos_ += count; }
  // True when the window holds the rest of the file.
  bool AtEnd() const { return eof_; }

  static constexpr size_t kWindow = 16 * 1024;

 private:
  FilePtr file_;
  std::unique_ptr<char[]> buffer_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
};

// The value of each byte as a digit of any base up to 36; 99 for no digit.
// DigitValue(c) < 16 tells a hexadecimal digit.
struct DigitTable {
  uint8_t value[256];
  constexpr DigitTable() : value() {
    for (int c = 0; c < 256; ++c) {
      value[c] = c >= '0' && c <= '9'   ? static_cast<uint8_t>(c - '0')
                 : c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 10)
                 : c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c - 'A' + 10)
                                        : 99;
    }
  }
};
inline constexpr DigitTable kDigits;

inline int DigitValue(char c) { return kDigits.value[static_cast<unsigned char>(c)]; }

// Parses an integer at the start of text as strtol does: leading blanks, an
// optional sign, then digits of base 10, 16 (an optional "0x" prefix) or 0
// (automatic: "0x" hexadecimal, a leading 0 octal, else decimal), up to the first
// character that is not a digit. Values beyond +-2^40 saturate. Returns the
// number of characters used, 0 when there are no digits (*value is then 0).
size_t ParseInteger(std::string_view text, int base, int64_t* value);

#endif  // LUMEN_CHARSET_TABLE_TEXT_H_
