#include "storage/properties.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>

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

// Dictionary names by property id; the first entry for an id wins.
using Dictionary = std::unordered_map<uint32_t, std::string_view>;

void ParseDictionary(ByteReader* content, size_t at, Dictionary* dictionary) {
  if (at > content->size() || content->size() - at < 5) return;
  uint32_t left = content->u32At(at);
  size_t pos = at + 4;
  const uint8_t* base = content->data();
  while (left > 0 && content->has(pos, 8)) {
    const uint32_t id = content->u32At(pos);
    const size_t nameAt = pos + 8;
    const void* end = std::memchr(base + nameAt, 0, content->size() - nameAt);
    if (end == nullptr) return;
    const size_t nameLength = static_cast<const uint8_t*>(end) - (base + nameAt);
    dictionary->emplace(id,
                        std::string_view(reinterpret_cast<const char*>(base + nameAt), nameLength));
    pos = nameAt + nameLength + 1;
    --left;
  }
}

constexpr size_t kOverAllowance = SIZE_MAX;

// Decodes the value at content position at into a new text, or nullptr for an
// unsupported type or a value that does not fit. *cost is the number of content
// bytes the value took, or kOverAllowance when it would take more than allowance.
char* DecodeValue(ByteReader* content, size_t at, CharsetId charset, size_t allowance,
                  size_t* cost) {
  if (!content->has(at, 4)) return nullptr;
  const size_t left = content->size() - at;
  const uint32_t type = content->u32At(at);
  if (type == kTypeString || type == kTypeString8) {
    if (left <= 8) return nullptr;
    // The text runs to its terminator or to the end of the content; the stored
    // length is not trusted.
    const uint8_t* text = content->data() + at + 8;
    const size_t room = left - 8 < allowance + 1 ? left - 8 : allowance + 1;
    const void* end = std::memchr(text, 0, room);
    const size_t length = end ? static_cast<const uint8_t*>(end) - text : room;
    if (length > allowance) {
      *cost = kOverAllowance;
      return nullptr;
    }
    *cost = length;
    return dupBytes(text, static_cast<int>(length));
  }
  if (type == kTypeString16) {
    if (left < 8) return nullptr;
    const uint64_t bytes = uint64_t{content->u32At(at + 4)} * 2;
    if (8 + bytes > left) return nullptr;
    if (bytes > allowance) {
      *cost = kOverAllowance;
      return nullptr;
    }
    char* output = nullptr;
    int32_t outputLength = 0;
    int status = ConvertCharsetWithDefaults(CHARSET_UCS2, charset, content->data() + at + 8,
                                            static_cast<int32_t>(bytes), &output, &outputLength);
    if (status != CHARSET_OK || output == nullptr) {
      std::free(output);
      return nullptr;
    }
    *cost = static_cast<size_t>(bytes);
    return output;
  }
  return nullptr;
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

void ReadSection(ByteReader* content, uint32_t count, const char* stream, CharsetId charset,
                 PtrList* names, PtrList* values) {
  if (uint64_t{count} * 8 > content->size()) return;
  Dictionary dictionary;
  for (uint32_t i = 0; i < count; ++i) {
    if (content->u32At(8 * i) == kDictionaryId) {
      // Offsets count from the section start, whose first 8 bytes are not held.
      ParseDictionary(content, static_cast<size_t>(content->u32At(8 * i + 4)) - 8, &dictionary);
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
    const char* name = named != dictionary.end() ? named->second.data() : FixedNameOf(stream, id);
    if (name == nullptr) continue;
    const size_t nameLength = std::strlen(name);
    size_t cost = 0;
    char* value = DecodeValue(content, static_cast<size_t>(content->u32At(8 * i + 4)) - 8, charset,
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

  uint64_t position = 0;
  if (MallocPtr<unsigned char> first{
          ReadStreamRange(compound, file, entry, kFirstSectionOffset, 4)}) {
    position = ByteReader(first.get(), 4).u32At(0);
  }
  // Sections follow one another; each read fails once past the stream's end.
  while (position + 8 <= UINT32_MAX) {
    MallocPtr<unsigned char> head{
        ReadStreamRange(compound, file, entry, static_cast<uint32_t>(position), 8)};
    if (!head) return;
    ByteReader headReader(head.get(), 8);
    const uint32_t size = headReader.u32At(0);
    const uint32_t count = headReader.u32At(4);
    if (size < 8 || size > kMaxSectionSize) return;
    MallocPtr<unsigned char> body{
        ReadStreamRange(compound, file, entry, static_cast<uint32_t>(position + 8), size - 8)};
    if (!body) return;
    position += size;
    ByteReader content(body.get(), size - 8);
    ReadSection(&content, count, stream, charset, names, values);
  }
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
