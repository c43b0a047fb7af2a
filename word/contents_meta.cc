#include "word/contents_meta.h"

#include <vector>

#include "util/byte_reader.h"
#include "util/memory.h"
#include "word/text_writer.h"

namespace {

constexpr size_t kCountAt = 52;
constexpr size_t kSearchFrom = 56;
constexpr uint16_t kNamesMark = 0x0809;

// Writes chars UTF-16 characters at pos, which the caller has checked lie inside
// the stream, through the text writer (which changes them: they are copied).
void writeChars(WordSettings* settings, const unsigned char* stream, size_t pos, size_t chars,
                FILE* out, bool escape) {
  std::vector<unsigned char> text(stream + pos, stream + pos + 2 * chars);
  writeWordText(settings, text.data(), text.size(), true, false, false, out, escape);
}

}  // namespace

void writeContentsMetaBytes(WordSettings* settings, const unsigned char* stream, size_t length,
                            FILE* out) {
  ByteReader r(stream, length);
  size_t room = r.u8At(kCountAt);
  if (room == 0 || !r.ok()) return;

  size_t table = kSearchFrom;
  while (table < length && stream[table] != 2) ++table;
  if (table >= length) return;
  size_t names = table;
  while (names + 2 <= length && r.u16At(names) != kNamesMark) ++names;
  if (names + 4 >= length) return;

  std::vector<uint16_t> offsets;
  unsigned last = 1;
  for (size_t entry = table; r.has(entry, 8) && r.u8At(entry) == last + 1; entry += 8) {
    ++last;
    if (offsets.size() < room) offsets.push_back(r.u16At(entry + 4));
  }

  size_t name = names + 8;
  for (unsigned k = 2; k <= last && k - 2 < offsets.size(); ++k) {
    if (!r.has(name, 5)) return;
    size_t nameLength = r.u8At(name + 4);
    size_t value = offsets[k - 2];
    if (!r.has(value, 53)) return;
    size_t valueLength = r.u8At(value + 52);
    size_t nameChars = nameLength > 0 ? nameLength - 1 : 0;
    size_t valueChars = valueLength > 0 ? valueLength - 1 : 0;
    if (!r.has(name + 8, 2 * nameChars) || !r.has(value + 56, 2 * valueChars)) return;
    std::fputs("<META NAME=\"", out);
    writeChars(settings, stream, name + 8, nameChars, out, true);
    std::fputs("_MSM\" CONTENT=\"", out);
    writeChars(settings, stream, value + 56, valueChars, out, false);
    std::fputs("\">\n", out);
    name += 2 * nameLength + 8;
    if (!r.has(name, 2) || r.u16At(name) != k + 1) name += 2;
  }
}

void writeContentsMeta(WordSettings* settings, CompoundFile* compound, FILE* input, FILE* out,
                       uint32_t contentsEntry) {
  uint32_t size = compound->entries[contentsEntry].size;
  if (size == 0) return;
  MallocPtr<unsigned char> stream(ReadStreamRange(compound, input, contentsEntry, 0, size));
  if (!stream) return;
  writeContentsMetaBytes(settings, stream.get(), size, out);
}
