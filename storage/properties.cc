#include "storage/properties.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "charset/code_page.h"
#include "charset/convert.h"
#include "storage/file_name_lines.h"
#include "util/byte_reader.h"
#include "util/memory.h"
#include "util/strings.h"

namespace {

constexpr uint32_t kFirstSectionOffset = 0x2C;
constexpr uint32_t kMaxSectionSize = 511999;
constexpr uint32_t kDictionaryId = 0;
constexpr uint32_t kCodePageId = 1;
constexpr uint32_t kLocaleId = 0x80000000;
constexpr uint32_t kTypeString = 8;
constexpr uint32_t kTypeString8 = 30;
constexpr uint32_t kTypeString16 = 31;
constexpr uint32_t kTypeInt16 = 2;

struct FixedName {
  uint32_t id;
  const char* name;
};
constexpr FixedName kSummaryNames[] = {
    {2, "Title"},    {3, "Subject"},    {4, "Author"},    {5, "Keywords"}, {6, "Comments"},
    {7, "Template"}, {8, "LastAuthor"}, {9, "RevNumber"}, {18, "AppName"},
};
constexpr FixedName kDocumentSummaryNames[] = {
    {2, "Category"},
    {3, "PresFormat"},
    {14, "Manager"},
    {15, "Company"},
};

const char* FixedNameOf(const char* stream, uint32_t id) {
  if (equalsIgnoreCase(stream, "SummaryInformation")) {
    for (const FixedName& f : kSummaryNames) {
      if (f.id == id) return f.name;
    }
  } else if (equalsIgnoreCase(stream, "DocumentSummaryInformation")) {
    for (const FixedName& f : kDocumentSummaryNames) {
      if (f.id == id) return f.name;
    }
  }
  return nullptr;
}

// Dictionary names by property id, converted to the output set; the first entry
// for an id wins.
using Dictionary = std::unordered_map<uint32_t, std::string>;

// How a section stores its 8-bit strings: in `narrow`, or, when its code page is
// UTF-16, as UTF-16LE units whose length is counted in bytes.
struct SectionCoding {
  CharsetId narrow = CHARSET_ASCII;
  bool utf16 = false;
  CharsetId output = CHARSET_ASCII;
};

// The content of one section (what follows its first 8 bytes), read from the
// stream block by block as the parse reaches it: a section may hold a thumbnail of
// hundreds of kilobytes that no head line uses. Reads outside the content give 0,
// as ByteReader's do.
class SectionContent {
 public:
  SectionContent(CompoundFile* compound, FILE* file, uint32_t entry, uint32_t start,
                 uint32_t size)
      : compound_(compound), file_(file), entry_(entry), start_(start), size_(size),
        data_(new (std::nothrow) uint8_t[size == 0 ? 1 : size]),
        loaded_((size + kBlock - 1) / kBlock, false) {}

  bool allocated() const { return data_ != nullptr; }
  size_t size() const { return size_; }
  bool has(uint64_t pos, uint64_t n) const { return pos <= size_ && n <= size_ - pos; }
  uint16_t u16At(uint64_t pos) {
    const uint8_t* p = bytes(pos, 2);
    return p ? ByteReader(p, 2).u16At(0) : 0;
  }
  uint32_t u32At(uint64_t pos) {
    const uint8_t* p = bytes(pos, 4);
    return p ? ByteReader(p, 4).u32At(0) : 0;
  }
  // The n bytes at pos, read in; nullptr when they do not all lie in the content.
  const uint8_t* bytes(uint64_t pos, uint64_t n) {
    if (!has(pos, n)) return nullptr;
    load(static_cast<size_t>(pos), static_cast<size_t>(n));
    return data_.get() + pos;
  }
  // Bytes from pos (inside the content) up to the first zero among the next n, or
  // n when none is zero; read in up to there.
  size_t lengthToZero(size_t pos, size_t n) {
    size_t scanned = 0;
    while (scanned < n) {
      const size_t at = pos + scanned;
      size_t part = kBlock - at % kBlock;
      if (part > n - scanned) part = n - scanned;
      load(at, part);
      const void* zero = std::memchr(data_.get() + at, 0, part);
      if (zero != nullptr) {
        return scanned + static_cast<size_t>(static_cast<const uint8_t*>(zero) - (data_.get() + at));
      }
      scanned += part;
    }
    return n;
  }

 private:
  static constexpr size_t kBlock = 4096;

  // The caller reserved the whole content, so the reads succeed unless the file
  // changes underneath; a block that still fails reads as zeros.
  void load(size_t pos, size_t n) {
    if (n == 0) return;
    size_t block = pos / kBlock;
    const size_t last = (pos + n - 1) / kBlock;
    while (block <= last) {
      if (loaded_[block]) {
        ++block;
        continue;
      }
      size_t run = block;
      while (run <= last && !loaded_[run]) loaded_[run++] = true;
      const size_t from = block * kBlock;
      const size_t to = run * kBlock < size_ ? run * kBlock : size_;
      uint8_t* into = data_.get() + from;
      if (!ReadStreamRangeInto(compound_, file_, entry_, start_ + static_cast<uint32_t>(from),
                               static_cast<uint32_t>(to - from), into)) {
        std::memset(into, 0, to - from);
      }
      block = run;
    }
  }

  CompoundFile* compound_;
  FILE* file_;
  uint32_t entry_;
  uint32_t start_;
  size_t size_;
  std::unique_ptr<uint8_t[]> data_;
  std::vector<bool> loaded_;  // per block
};

// The section's code page (property 1, a 16-bit integer), or 0 when it has none.
uint32_t SectionCodePage(SectionContent* content, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    if (content->u32At(8 * i) != kCodePageId) continue;
    const size_t at = static_cast<size_t>(content->u32At(8 * i + 4)) - 8;
    if (!content->has(at, 6) || content->u32At(at) != kTypeInt16) return 0;
    return content->u16At(at + 4);
  }
  return 0;
}

// How the section's 8-bit strings are read: windows-1252 when it names no code page.
SectionCoding CodingOf(SectionContent* content, uint32_t count, CharsetId output) {
  SectionCoding coding;
  coding.output = output;
  const uint32_t codePage = SectionCodePage(content, count);
  if (codePage != 0) {
    coding.utf16 = codePage == kCodePageUtf16;
    coding.narrow = NarrowCharsetForCodePage(codePage);
  }
  return coding;
}

// The section at position of a property-set stream: its property count, its size
// and its content (what follows its first 8 bytes). nullptr when it cannot be read
// or its size is out of bounds.
std::unique_ptr<SectionContent> ReadSectionAt(CompoundFile* compound, FILE* file, uint32_t entry,
                                              uint64_t position, uint32_t* count, uint32_t* size) {
  if (position + 8 > UINT32_MAX) return nullptr;
  MallocPtr<unsigned char> head{
      ReadStreamRange(compound, file, entry, static_cast<uint32_t>(position), 8)};
  if (!head) return nullptr;
  ByteReader headReader(head.get(), 8);
  *size = headReader.u32At(0);
  *count = headReader.u32At(4);
  if (*size < 8 || *size > kMaxSectionSize) return nullptr;
  const uint32_t start = static_cast<uint32_t>(position + 8);
  if (!ReserveStreamRange(compound, file, entry, start, *size - 8)) return nullptr;
  std::unique_ptr<SectionContent> content(
      new (std::nothrow) SectionContent(compound, file, entry, start, *size - 8));
  if (content == nullptr || !content->allocated()) return nullptr;
  return content;
}

uint64_t FirstSectionPosition(CompoundFile* compound, FILE* file, uint32_t entry) {
  MallocPtr<unsigned char> first{ReadStreamRange(compound, file, entry, kFirstSectionOffset, 4)};
  return first ? ByteReader(first.get(), 4).u32At(0) : 0;
}

// UTF-16LE units up to the first 0 unit converted; false when the conversion fails.
bool ConvertUnits(const uint8_t* units, size_t bytes, CharsetId output, std::string* out) {
  size_t length = 0;
  while (length + 1 < bytes && (units[length] != 0 || units[length + 1] != 0)) length += 2;
  return AppendConverted(CHARSET_UCS2, output, units, length, nullptr, out) == CHARSET_OK;
}

// An 8-bit string of the section: length stored bytes converted to the output set.
bool ConvertString(const uint8_t* bytes, size_t length, const SectionCoding& coding,
                   std::string* out) {
  if (coding.utf16) return ConvertUnits(bytes, length, coding.output, out);
  return ConvertNarrowText(coding.narrow, coding.output, bytes, length, nullptr, out) ==
         CHARSET_OK;
}

void ParseDictionary(SectionContent* content, size_t at, const SectionCoding& coding,
                     Dictionary* dictionary) {
  if (at > content->size() || content->size() - at < 5) return;
  uint32_t left = content->u32At(at);
  size_t pos = at + 4;
  while (left > 0 && content->has(pos, 8)) {
    const uint32_t id = content->u32At(pos);
    const size_t nameAt = pos + 8;
    size_t nameBytes;
    if (coding.utf16) {
      // A count of UTF-16 units, the terminator included, then padding to 4 bytes.
      const uint64_t units = content->u32At(pos + 4);
      if (!content->has(nameAt, 2 * units)) return;
      nameBytes = static_cast<size_t>(2 * units);
      pos = nameAt + nameBytes + (nameBytes % 4 != 0 ? 4 - nameBytes % 4 : 0);
    } else {
      const size_t room = content->size() - nameAt;
      nameBytes = content->lengthToZero(nameAt, room);
      if (nameBytes == room) return;
      pos = nameAt + nameBytes + 1;
    }
    std::string name;
    if (dictionary->count(id) == 0 &&
        ConvertString(content->bytes(nameAt, nameBytes), nameBytes, coding, &name)) {
      dictionary->emplace(id, std::move(name));
    }
    --left;
  }
}

constexpr size_t kOverAllowance = SIZE_MAX;

// Decodes the value at content position at into a new text, or nullptr for an
// unsupported type, a value that does not fit or a failed conversion. *cost is the
// number of content bytes the value took, or kOverAllowance when it would take
// more than allowance.
char* DecodeValue(SectionContent* content, size_t at, const SectionCoding& coding, size_t allowance,
                  size_t* cost) {
  if (!content->has(at, 4)) return nullptr;
  const size_t left = content->size() - at;
  const uint32_t type = content->u32At(at);
  std::string text;
  if (type == kTypeString || type == kTypeString8) {
    if (left <= 8) return nullptr;
    size_t length;
    if (coding.utf16) {
      // UTF-16 text, its length counted in bytes; what the content holds of it.
      const uint64_t stored = content->u32At(at + 4);
      length = stored < left - 8 ? static_cast<size_t>(stored) : left - 8;
    } else {
      // The text runs to its terminator or to the end of the content; the stored
      // length is not trusted.
      const size_t room = left - 8 < allowance + 1 ? left - 8 : allowance + 1;
      length = content->lengthToZero(at + 8, room);
    }
    if (length > allowance) {
      *cost = kOverAllowance;
      return nullptr;
    }
    if (!ConvertString(content->bytes(at + 8, length), length, coding, &text)) return nullptr;
    *cost = length;
  } else if (type == kTypeString16) {
    if (left < 8) return nullptr;
    const uint64_t bytes = uint64_t{content->u32At(at + 4)} * 2;
    if (8 + bytes > left) return nullptr;
    if (bytes > allowance) {
      *cost = kOverAllowance;
      return nullptr;
    }
    char* output = nullptr;
    int32_t outputLength = 0;
    int status = ConvertCharsetWithDefaults(CHARSET_UCS2, coding.output, content->bytes(at + 8, bytes),
                                            static_cast<int32_t>(bytes), &output, &outputLength);
    if (status != CHARSET_OK || output == nullptr) {
      std::free(output);
      return nullptr;
    }
    *cost = static_cast<size_t>(bytes);
    return output;
  } else {
    return nullptr;
  }
  return dupBytes(text.data(), static_cast<int>(text.size()));
}

void AppendPair(PtrList* names, PtrList* values, const char* name, char* value) {
  char* nameCopy = dupString(name);
  if (nameCopy == nullptr || PtrListAppend(names, nameCopy) < 0) {
    std::free(nameCopy);
    std::free(value);
    return;
  }
  if (PtrListAppend(values, value) < 0) {
    // Keep the lists parallel: take the name back out.
    --names->count;
    std::free(nameCopy);
    std::free(value);
  }
}

void ReadSection(SectionContent* content, uint32_t count, const char* stream, CharsetId charset,
                 PtrList* names, PtrList* values) {
  if (uint64_t{count} * 8 > content->size()) return;
  const SectionCoding coding = CodingOf(content, count, charset);
  Dictionary dictionary;
  for (uint32_t i = 0; i < count; ++i) {
    if (content->u32At(8 * i) == kDictionaryId) {
      // Offsets count from the section start, whose first 8 bytes are not held.
      ParseDictionary(content, static_cast<size_t>(content->u32At(8 * i + 4)) - 8, coding,
                      &dictionary);
      break;
    }
  }
  // The names and values kept from one section together take no more bytes than
  // the section holds (as they do when each property is stored once: a fixed name
  // is shorter than a property's table entry and value header), so that a table of
  // many entries pointing at one long value or one long dictionary name stays
  // bounded in memory and time; the rest are dropped.
  size_t allowance = content->size();
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t id = content->u32At(8 * i);
    if (id == kDictionaryId || id == kCodePageId || id == kLocaleId) continue;
    // Dictionary names end at their terminator inside the content.
    auto named = dictionary.find(id);
    const char* name = named != dictionary.end() ? named->second.c_str() : FixedNameOf(stream, id);
    if (name == nullptr) continue;
    const size_t nameLength = std::strlen(name);
    size_t cost = 0;
    char* value = DecodeValue(content, static_cast<size_t>(content->u32At(8 * i + 4)) - 8, coding,
                              nameLength <= allowance ? allowance - nameLength : 0, &cost);
    if (cost == kOverAllowance) return;
    if (value == nullptr) continue;
    if (nameLength > allowance) {
      std::free(value);
      return;
    }
    allowance -= nameLength + cost;
    AppendPair(names, values, name, value);
  }
}

}  // namespace

void ReadDocumentProperties(CompoundFile* compound, FILE* file, uint32_t entry, CharsetId charset,
                            PtrList* names, PtrList* values) {
  if (names == nullptr || values == nullptr || compound == nullptr) return;
  if (entry >= compound->entryCount || !compound->entries[entry].propertySet) return;
  const char* stream = compound->entries[entry].name;

  // Sections follow one another; each read fails once past the stream's end.
  uint64_t position = FirstSectionPosition(compound, file, entry);
  uint32_t count = 0;
  uint32_t size = 0;
  while (std::unique_ptr<SectionContent> content =
             ReadSectionAt(compound, file, entry, position, &count, &size)) {
    position += size;
    ReadSection(content.get(), count, stream, charset, names, values);
  }
}

uint32_t ReadSummaryCodePage(CompoundFile* compound, FILE* file) {
  if (compound == nullptr) return 0;
  int32_t entry = FindCompoundEntry(compound, "SummaryInformation");
  if (entry < 0 || !compound->entries[entry].propertySet) return 0;
  const uint32_t index = static_cast<uint32_t>(entry);
  uint32_t count = 0;
  uint32_t size = 0;
  std::unique_ptr<SectionContent> content =
      ReadSectionAt(compound, file, index, FirstSectionPosition(compound, file, index), &count,
                    &size);
  if (content == nullptr || uint64_t{count} * 8 > content->size()) return 0;
  return SectionCodePage(content.get(), count);
}

char* WriteHtmlHead(CompoundFile* compound, FILE* file, FILE* out, const char* inputPath,
                    CharsetId charset) {
  PtrList* names = PtrListNew();
  PtrList* values = PtrListNew();
  char* appName = nullptr;
  if (names != nullptr && values != nullptr && compound != nullptr) {
    for (uint32_t i = 0; i < compound->entryCount; ++i) {
      if (compound->entries[i].propertySet) {
        ReadDocumentProperties(compound, file, i, charset, names, values);
      }
    }
  }
  const int32_t count =
      PtrListCount(names) < PtrListCount(values) ? PtrListCount(names) : PtrListCount(values);
  for (int32_t i = 0; i < count; ++i) {
    const char* name = static_cast<const char*>(PtrListGet(names, i));
    const char* value = static_cast<const char*>(PtrListGet(values, i));
    if (name == nullptr || value == nullptr || *name == '\0' || *value == '\0') continue;
    if (std::strcmp(name, "AppName") == 0) {
      std::free(appName);
      appName = dupString(value);
    }
    if (out == nullptr) continue;
    if (std::strcmp(name, "Title") == 0) {
      std::fputs("<TITLE>", out);
      std::fputs(value, out);
      std::fputs("</TITLE>\n", out);
    } else {
      CharPtr copy(dupString(name));
      if (!copy) continue;
      char* trimmed = replaceChar(trimBlanks(copy.get()), ' ', '_');
      std::fputs("<META NAME=\"", out);
      std::fputs(trimmed, out);
      std::fputs("\" CONTENT=\"", out);
      std::fputs(value, out);
      std::fputs("\">\n", out);
    }
  }
  if (out != nullptr) std::fputs(FileNameLines(inputPath).c_str(), out);
  PtrListForEach(names, std::free);
  PtrListForEach(values, std::free);
  PtrListFree(names);
  PtrListFree(values);
  return appName;
}
