#include "word/style_names.h"

#include "charset/convert.h"
#include "util/byte_reader.h"
#include "util/memory.h"

std::string styleTagName(const WordSettings& settings, const std::string& name) {
  if (settings.renameMap) {
    const std::string* tag = settings.renameMap->find(name);
    if (tag != nullptr) return *tag;
  }
  if (settings.hasRenameDefault) return settings.renameDefault;
  std::string tag = "text-" + name;
  for (size_t i = 5; i < tag.size(); ++i) {
    switch (tag[i]) {
      case ':':
      case ' ':
      case ';':
      case '/':
      case '\\':
      case ',':
      case '#':
        tag[i] = '-';
        break;
      default:
        break;
    }
  }
  return tag;
}

StyleNames parseStyleNames(const WordSettings& settings, const unsigned char* sheet,
                           size_t length) {
  ByteReader r(sheet, length);
  if (!r.has(0, 5)) return StyleNames();
  const uint64_t headerSize = r.u16At(0);
  const size_t count = r.u8At(2);
  const uint64_t fixedSize = r.u8At(4);
  StyleNames names(count);
  CharsetContext context{const_cast<char*>(settings.tablesDirectory.c_str()), -1};

  uint64_t start = headerSize + 2;
  for (size_t i = 0; i < count && start < length; ++i) {
    const size_t at = static_cast<size_t>(start);
    if (!r.has(at, 2)) break;
    const uint64_t styleSize = r.u16At(at);
    start += styleSize + 2;
    // The name must lie inside both the style and the stylesheet.
    const uint64_t nameAt = at + 2 + fixedSize;
    if (fixedSize + 2 > styleSize || !r.has(static_cast<size_t>(nameAt), 2)) continue;
    const uint64_t chars = r.u16At(static_cast<size_t>(nameAt));
    if (chars >= length || fixedSize + 2 + 2 * chars > styleSize ||
        !r.has(static_cast<size_t>(nameAt) + 2, static_cast<size_t>(2 * chars))) {
      continue;
    }
    char* converted = nullptr;
    int32_t convertedLength = 0;
    std::string name;
    if (chars > 0 && ConvertCharset(CHARSET_UCS2, CHARSET_UTF8, sheet + nameAt + 2,
                                    static_cast<int32_t>(2 * chars), &converted, &convertedLength,
                                    &context) == CHARSET_OK) {
      name.assign(converted, static_cast<size_t>(convertedLength));
    }
    std::free(converted);
    names[i] = styleTagName(settings, name);
  }
  return names;
}

StyleNames readStyleNames(const WordSettings& settings, CompoundFile* compound, FILE* input,
                          uint32_t tableEntry, uint32_t offset, uint32_t length,
                          uint64_t fileSize) {
  if (offset >= fileSize || length >= fileSize || length == 0) return StyleNames();
  MallocPtr<unsigned char> sheet(ReadStreamRange(compound, input, tableEntry, offset, length));
  if (!sheet) return StyleNames();
  return parseStyleNames(settings, sheet.get(), length);
}
