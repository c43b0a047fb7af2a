// Runs the PDF plug-in's entry point on the input as a PDF file, once in each
// output mode: HTML with UTF-8 output and the tagged form with windows-1252 output
// (no table files, so text takes the conversion's failure path). Error pages are
// configured, so unreadable inputs copy one.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "pdfconv/pdfconv.h"

namespace {

struct Scratch {
  std::string directory;
  std::string input, output, page, htmlConfig, xmlConfig;

  Scratch() {
    char pattern[] = "/tmp/lumen_pdfconv_fuzz_XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    directory = pattern;
    input = directory + "/in.pdf";
    output = directory + "/out.html";
    page = directory + "/error.html";
    htmlConfig = directory + "/html.cfg";
    xmlConfig = directory + "/xml.cfg";
    std::string pages = "[Configuration]\nHTMLError4=" + page + "\nHTMLError5=" + page +
                        "\nHTMLError6=" + page + "\n";
    write(page, "<HTML>error</HTML>\n");
    write(htmlConfig, pages + "[Pdf]\nOutputCharSet=UTF8\nMaxPages=20\n");
    write(xmlConfig, pages + "[Pdf]\nOutputCharSet=ASCII\nOutputXML=1\nMaxPages=20\n"
                             "CharsetConvTablesDirectory=" + directory + "\n");
  }
  ~Scratch() {
    for (const std::string& path : {input, output, page, htmlConfig, xmlConfig}) {
      unlink(path.c_str());
    }
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
  convInit(scratch.htmlConfig.c_str(), "Pdf");
  convConvert(scratch.input.c_str(), scratch.output.c_str(), scratch.htmlConfig.c_str(), "Pdf");
  convConvert(scratch.input.c_str(), scratch.output.c_str(), scratch.xmlConfig.c_str(), "Pdf");
  return 0;
}
