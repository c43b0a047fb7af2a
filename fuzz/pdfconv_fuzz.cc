// Runs the PDF plug-in's entry point on the input as a PDF file, once in each
// output mode: HTML with UTF-8 output and the tagged form with windows-1252 output
// (no table files, so text takes the conversion's failure path). Error pages are
// configured, so unreadable inputs copy one.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "pdfconv/pdfconv.h"

namespace {

struct Files {
  FuzzScratch scratch{"pdfconv_fuzz"};
  std::string input = scratch.file("in.pdf");
  std::string output = scratch.file("out.html");
  std::string configs[2] = {scratch.file("html.cfg"), scratch.file("xml.cfg")};

  Files() {
    const std::string page = scratch.file("error.html");
    const std::string pages = "[Configuration]\nHTMLError4=" + page + "\nHTMLError5=" + page +
                              "\nHTMLError6=" + page + "\n";
    FuzzScratch::write(page, "<HTML>error</HTML>\n");
    FuzzScratch::write(configs[0], pages + "[Pdf]\nOutputCharSet=UTF8\nMaxPages=20\n");
    FuzzScratch::write(configs[1], pages +
                                       "[Pdf]\nOutputCharSet=ASCII\nOutputXML=1\nMaxPages=20\n"
                                       "CharsetConvTablesDirectory=" + scratch.directory() + "\n");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Files files;
  if (!files.scratch.ok() || !FuzzScratch::write(files.input, data, size)) return 0;
  convInit(files.configs[0].c_str(), "Pdf");
  for (const std::string& config : files.configs) {
    convConvert(files.input.c_str(), files.output.c_str(), config.c_str(), "Pdf");
  }
  return 0;
}
