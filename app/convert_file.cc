#include "app/convert_file.h"

#include <cstring>
#include <initializer_list>

#include "excel/excel.h"
#include "word/word.h"
#include "util/files.h"
#include "util/memory.h"
#include "util/strings.h"

namespace {

using Converter = ConvertResult (*)(const char* input, const char* output,
                                    const char* configPath, const char* section);
using SetUp = int (*)(const char* configPath, const char* section);

struct ConverterRow {
  const char* extension;  // upper-case, with the dot
  Converter convert;
  const char* section;
  SetUp setUp;     // may be nullptr
  SetUp tearDown;  // may be nullptr; runs after a failed conversion too
};

// Compared in the order ".DOC", ".XLS", ".PPT", ".PDF"; a name whose extension
// has no row here is unsupported.
const std::initializer_list<ConverterRow> kConverters = {
    {".DOC", convertWord, "MSWord", wordSetUp, wordTearDown},
    {".XLS", convertExcel, "XLS", nullptr, nullptr},
};

}  // namespace

ConvertResult convertFile(const char* input, const char* output) {
  if (input == nullptr || std::strlen(input) <= 4) return CONVERT_UNSUPPORTED_NAME;
  CharPtr tail(stringTail(input, 4));
  if (!tail) return CONVERT_UNSUPPORTED_NAME;
  upperAscii(tail.get());
  const ConverterRow* row = nullptr;
  for (const ConverterRow& candidate : kConverters) {
    if (std::strcmp(tail.get(), candidate.extension) == 0) {
      row = &candidate;
      break;
    }
  }
  if (row == nullptr) return CONVERT_UNSUPPORTED_NAME;
  if (fileExists(input) != 0) return CONVERT_CANNOT_OPEN_INPUT;
  if (row->setUp != nullptr) row->setUp(kConfigPath, row->section);
  ConvertResult result = row->convert(input, output, kConfigPath, row->section);
  if (row->tearDown != nullptr) row->tearDown(kConfigPath, row->section);
  return result;
}
