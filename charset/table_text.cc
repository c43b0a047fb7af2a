#include "charset/table_text.h"

#include <cstdio>
#include <cstring>

#include "util/files.h"

std::string TablePath(const char* directory, const char* name) {
  if (directory == nullptr || *directory == '\0') return name;
  CharPtr joined(joinPath(directory, name));
  if (!joined) return name;
  toNativeSeparators(joined.get());
  return joined.get();
}

TableFile::TableFile(const std::string& path) {
  FilePtr file(openFile(path.c_str(), "rb"));
  if (!file) return;
  open_ = true;
  char* block = nullptr;
  long count = readStreamWhole(file.get(), &block);
  data_.reset(block);
  size_ = count > 0 ? static_cast<size_t>(count) : 0;
}

size_t CutPiece(std::string_view text, size_t capacity, std::string_view* line) {
  size_t limit = text.size();
  if (limit > capacity - 1) limit = capacity - 1;
  const char* start = text.data();
  const void* feed = std::memchr(start, '\n', limit);
  size_t length = feed != nullptr ? static_cast<const char*>(feed) - start + 1 : limit;
  const void* zero = std::memchr(start, '\0', length);
  size_t shown = zero != nullptr ? static_cast<size_t>(static_cast<const char*>(zero) - start)
                                 : length;
  *line = std::string_view(start, shown);
  return length;
}

bool LineSplitter::Next(std::string_view* line) {
  if (pos_ >= text_.size() || capacity_ < 2) return false;
  pos_ += CutPiece(text_.substr(pos_), capacity_, line);
  return true;
}

TableReader::TableReader(const std::string& path)
    : TableReader(FilePtr(openFile(path.c_str(), "rb"))) {}

TableReader::TableReader(FilePtr file) : file_(std::move(file)) {
  if (!file_) return;
  // The window is the only buffer: reads go straight into it.
  std::setvbuf(file_.get(), nullptr, _IONBF, 0);
  buffer_.reset(new char[kWindow]);
}

std::string_view TableReader::Window(size_t wanted) {
  if (end_ - pos_ < wanted && !eof_ && file_) {
    std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
    while (end_ < kWindow && !eof_) {
      const size_t wanted = kWindow - end_;
      size_t count = std::fread(buffer_.get() + end_, 1, wanted, file_.get());
      end_ += count;
      // fread stops short only at the end of the file or on an error.
      if (count < wanted) eof_ = true;
    }
  }
  if (!file_) return std::string_view();
  return std::string_view(buffer_.get() + pos_, end_ - pos_);
}

bool TableReader::Next(size_t capacity, std::string_view* line) {
  if (capacity < 2) return false;
  std::string_view window = Window(capacity - 1);
  if (window.empty()) return false;
  pos_ += CutPiece(window, capacity, line);
  return true;
}

size_t ParseInteger(std::string_view text, int base, int64_t* value) {
  constexpr int64_t kLimit = int64_t{1} << 40;
  *value = 0;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  auto hexPrefix = [&] {
    return i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
           DigitValue(text[i + 2]) < 16;
  };
  if (base == 0) {
    if (hexPrefix()) {
      base = 16;
      i += 2;
    } else if (i < text.size() && text[i] == '0') {
      base = 8;
    } else {
      base = 10;
    }
  } else if (base == 16 && hexPrefix()) {
    i += 2;
  }
  size_t digitsStart = i;
  int64_t result = 0;
  while (i < text.size() && DigitValue(text[i]) < base) {
    result = result * base + DigitValue(text[i]);
    if (result > kLimit) result = kLimit;
    ++i;
  }
  if (i == digitsStart) return 0;
  *value = negative ? -result : result;
  return i;
}
