// Runs the PowerPoint converter on the input as a presentation, once in each output
// mode: HTML with UTF-8 output and a stop list, and XML with UTF-8 output.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "powerpoint/powerpoint.h"

namespace {

struct Scratch {
  std::string directory;
  std::string input, output, htmlConfig, xmlConfig, stopList;

  Scratch() {
    char pattern[] = "/tmp/lumen_ppt_fuzz_XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    directory = pattern;
    input = directory + "/in.ppt";
    output = directory + "/out.html";
    htmlConfig = directory + "/html.cfg";
    xmlConfig = directory + "/xml.cfg";
    stopList = directory + "/stop.txt";
    write(stopList, "Click\r\n*\n");
    write(htmlConfig, "[Ppt]\nOutputCharSet=UTF8\nStopList=" + stopList + "\n");
    write(xmlConfig, "[Ppt]\nOutputCharSet=UTF8\nOutputXML=1\n");
  }
  ~Scratch() {
    for (const std::string& path : {input, output, htmlConfig, xmlConfig, stopList}) {
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
  for (const std::string* config : {&scratch.htmlConfig, &scratch.xmlConfig}) {
    convertPowerPoint(scratch.input.c_str(), scratch.output.c_str(), config->c_str(), "Ppt");
  }
  return 0;
}
