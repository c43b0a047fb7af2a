// Opens the input as a compound file, reads every stream in full and in pieces
// (from the file and from the image), and writes the HTML head to a scratch stream.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "storage/compound_file.h"
#include "storage/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::tmpfile();
  if (file == nullptr) return 0;
  if (std::fwrite(data, 1, size, file) == size && std::fflush(file) == 0) {
    std::rewind(file);
    CompoundFile* compound = OpenCompoundFile(file);
    if (compound != nullptr) {
      for (uint32_t i = 0; i < compound->entryCount; ++i) {
        const uint32_t length = compound->entries[i].size;
        std::free(ReadStreamRangeFromImage(compound, nullptr, i, 0, length, data, size));
        std::free(ReadStreamRange(compound, file, i, length / 3, length / 2 + 1));
        std::free(ReadStreamRange(compound, file, i, 100, 1000));
      }
      FindContentStream(compound, "WorkBook", "Book");
      FILE* out = std::tmpfile();
      if (out != nullptr) {
        // UTF-8 needs no table files, so the run touches no directory.
        std::free(WriteHtmlHead(compound, file, out, "dir/input.doc", CHARSET_UTF8));
        std::fclose(out);
      }
      CloseCompoundFile(&compound);
    }
  }
  std::fclose(file);
  return 0;
}
