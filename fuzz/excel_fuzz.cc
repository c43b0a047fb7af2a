// Runs the Excel converter on the input as a workbook file, once in each output
// mode: HTML with windows-1252 output (no table files, so 16-bit texts take the
// conversion's failure path) and XML with UTF-8 output.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "excel/excel.h"

namespace {

struct Scratch {
  std::string directory;
  std::string input, output, htmlConfig, xmlConfig;

  Scratch() {
    char pattern[] = "/tmp/lumen_excel_fuzz_XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    directory = pattern;
    input = directory + "/in.xls";
    output = directory + "/out.html";
    htmlConfig = directory + "/html.cfg";
    xmlConfig = directory + "/xml.cfg";
    write(htmlConfig, "[XLS]\nOutputCharSet=ASCII\nCharsetConvTablesDirectory=" + directory + "\n");
    write(xmlConfig, "[XLS]\nOutputCharSet=UTF8\nOutputXML=1\n");
  }
  ~Scratch() {
    for (const std::string& path : {input, output, htmlConfig, xmlConfig}) unlink(path.c_str());
    rmdir(directory.c_str());
  }

  static bool write(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Scratch scratch;
  if (scratch.directory.empty()) return 0;
  if (!Scratch::write(scratch.input, std::string(reinterpret_cast<const char*>(data), size))) {
    return 0;
  }
  convertExcel(scratch.input.c_str(), scratch.output.c_str(), scratch.htmlConfig.c_str(), "XLS");
  convertExcel(scratch.input.c_str(), scratch.output.c_str(), scratch.xmlConfig.c_str(), "XLS");
  return 0;
}
