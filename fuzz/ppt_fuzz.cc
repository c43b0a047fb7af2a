// Runs the PowerPoint converter on the input as a presentation, once in each output
// mode: HTML with UTF-8 output and a stop list, and XML with UTF-8 output. The
// settings (and the stop list) are read once from their own files, as the
// converter reads them; the input is read from memory.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "powerpoint/powerpoint.h"
#include "powerpoint/settings.h"

namespace {

struct Setup {
  FuzzScratch scratch{"ppt_fuzz"};
  std::string input = scratch.file("in.ppt");
  std::string output = scratch.file("out.html");
  PptSettings settings[2];

  Setup() {
    const std::string stopList = scratch.file("stop.txt");
    FuzzScratch::write(stopList, "Click\r\n*\n");
    const std::string configs[2] = {"[Ppt]\nOutputCharSet=UTF8\nStopList=" + stopList + "\n",
                                    "[Ppt]\nOutputCharSet=UTF8\nOutputXML=1\n"};
    for (int i = 0; i < 2; ++i) {
      ConfigPtr config = scratch.config(configs[i]);
      if (config) readPptSettings(config.get(), "Ppt", &settings[i]);
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  if (!setup.scratch.ok()) return 0;
  FuzzDocument document(setup.input, data, size);
  if (!document.ok()) return 0;
  for (const PptSettings& settings : setup.settings) {
    convertPowerPointStream(settings, document.rewound(), setup.input.c_str(),
                            setup.output.c_str());
  }
  return 0;
}
