// Runs the PowerPoint converter on the input as a presentation, once in each output
// mode: HTML with UTF-8 output and a stop list, and XML with UTF-8 output.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "powerpoint/powerpoint.h"

namespace {

struct Files {
  FuzzScratch scratch{"ppt_fuzz"};
  std::string input = scratch.file("in.ppt");
  std::string output = scratch.file("out.html");
  std::string configs[2] = {scratch.file("html.cfg"), scratch.file("xml.cfg")};

  Files() {
    const std::string stopList = scratch.file("stop.txt");
    FuzzScratch::write(stopList, "Click\r\n*\n");
    FuzzScratch::write(configs[0], "[Ppt]\nOutputCharSet=UTF8\nStopList=" + stopList + "\n");
    FuzzScratch::write(configs[1], "[Ppt]\nOutputCharSet=UTF8\nOutputXML=1\n");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Files files;
  if (!files.scratch.ok() || !FuzzScratch::write(files.input, data, size)) return 0;
  for (const std::string& config : files.configs) {
    convertPowerPoint(files.input.c_str(), files.output.c_str(), config.c_str(), "Ppt");
  }
  return 0;
}
