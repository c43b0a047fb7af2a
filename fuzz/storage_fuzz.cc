// Opens the input as a compound file, reads every stream in full and in pieces
// (from the image and from the file), and writes the HTML head to /dev/null. An
// input that does not begin with the compound-file signature is taken as a
// property-set stream and wrapped in a container under both property-set names,
// so that the property reader gets inputs of its own.
#include <stdio.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "storage/compound_file.h"
#include "storage/properties.h"
#include "tests/cfb_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  if (size < 8 || std::memcmp(data, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) != 0) {
    input = BuildCompoundFile({{"SummaryInformation", input, true},
                               {"DocumentSummaryInformation", input, true}});
  }
  const auto* image = reinterpret_cast<const unsigned char*>(input.data());
  // The file is read as a stream on the bytes in memory, as quick as the image.
  FILE* file = fmemopen(input.data(), input.size(), "rb");
  if (file == nullptr) return 0;
  CompoundFile* compound = OpenCompoundFile(file);
  if (compound != nullptr) {
    for (uint32_t i = 0; i < compound->entryCount; ++i) {
      const uint32_t length = compound->entries[i].size;
      std::free(ReadStreamRangeFromImage(compound, nullptr, i, 0, length, image, input.size()));
      std::free(ReadStreamRange(compound, file, i, length / 3, length / 2 + 1));
      std::free(ReadStreamRange(compound, file, i, 100, 1000));
    }
    FindContentStream(compound, "WorkBook", "Book");
    FILE* out = std::fopen("/dev/null", "wb");
    if (out != nullptr) {
      // UTF-8 needs no table files, so the run touches no directory.
      std::free(WriteHtmlHead(compound, file, out, "dir/input.doc", CHARSET_UTF8));
      std::fclose(out);
    }
    CloseCompoundFile(&compound);
  }
  std::fclose(file);
  return 0;
}
