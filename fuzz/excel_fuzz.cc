// Runs the Excel converter on the input as a workbook file, once in each output
// mode: HTML with windows-1252 output (no table files, so 16-bit texts take the
// conversion's failure path) and XML with UTF-8 output.
#include <cstdint>
#include <string>

#include "excel/excel.h"
#include "fuzz/fuzz_scratch.h"

namespace {

struct Files {
  FuzzScratch scratch{"excel_fuzz"};
  std::string input = scratch.file("in.xls");
  std::string output = scratch.file("out.html");
  std::string configs[2] = {scratch.file("html.cfg"), scratch.file("xml.cfg")};

  Files() {
    FuzzScratch::write(configs[0], "[XLS]\nOutputCharSet=ASCII\nCharsetConvTablesDirectory=" +
                                       scratch.directory() + "\n");
    FuzzScratch::write(configs[1], "[XLS]\nOutputCharSet=UTF8\nOutputXML=1\n");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Files files;
  if (!files.scratch.ok() || !FuzzScratch::write(files.input, data, size)) return 0;
  for (const std::string& config : files.configs) {
    convertExcel(files.input.c_str(), files.output.c_str(), config.c_str(), "XLS");
  }
  return 0;
}
