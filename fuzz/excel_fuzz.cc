// Runs the Excel converter on the input as a workbook file, once in each output
// mode: HTML with windows-1252 output (no table files, so 16-bit texts take the
// conversion's failure path) and XML with UTF-8 output. The settings are read once
// from their own files, as the converter reads them; the input is read from memory.
#include <cstdint>
#include <string>

#include "excel/excel.h"
#include "excel/settings.h"
#include "fuzz/fuzz_scratch.h"

namespace {

struct Setup {
  FuzzScratch scratch{"excel_fuzz"};
  std::string input = scratch.file("in.xls");
  std::string output = scratch.file("out.html");
  ExcelSettings settings[2];

  Setup() {
    const std::string configs[2] = {
        "[XLS]\nOutputCharSet=ASCII\nCharsetConvTablesDirectory=" + scratch.directory() + "\n",
        "[XLS]\nOutputCharSet=UTF8\nOutputXML=1\n"};
    for (int i = 0; i < 2; ++i) {
      ConfigPtr config = scratch.config(configs[i]);
      if (config) readExcelSettings(config.get(), "XLS", &settings[i]);
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  if (!setup.scratch.ok()) return 0;
  FuzzDocument document(setup.input, data, size);
  if (!document.ok()) return 0;
  for (const ExcelSettings& settings : setup.settings) {
    convertExcelStream(settings, document.rewound(), setup.input.c_str(), setup.output.c_str());
  }
  return 0;
}
