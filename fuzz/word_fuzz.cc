// Runs the Word converter on the input as a .doc file, three times: HTML with
// windows-1252 output and table rendering, HTML with cell marks as line breaks and
// byte pairs squeezed, and the tagged form with UTF-8 output and a small style
// rename map. The three settings are read once from their own files, as wordSetUp
// reads them; the input is read from memory. None of the three output sets makes
// a conversion change its settings (only Shift-JIS output does). The shipped
// tables serve the conversions, as in a real run: they are read once, where
// missing tables would be looked for again at every text run (the Excel target
// takes that failure path).
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "word/settings.h"
#include "word/word.h"

namespace {

struct Setup {
  FuzzScratch scratch{"word_fuzz"};
  std::string input = scratch.file("in.doc");
  std::string output = scratch.file("out.html");
  WordSettings settings[3];

  Setup() {
    const std::string renames = scratch.file("renames.txt");
    const std::string tables = "CharsetConvTablesDirectory=" + FuzzSourceTables() + "\n";
    const std::string configs[3] = {
        "[MSWord]\nOutputCharSet=ASCII\nFormatTables=1\n" + tables,
        "[MSWord]\nOutputCharSet=ASCII\nBreakTables=1\nReverseEndian=1\n" + tables,
        "[MSWord]\nOutputCharSet=UTF8\nOutputXML=1\nXMLRenameStyleFile=" + renames +
            "\nXMLFooter=\"\\n</doc>\\n\"\n" + tables};
    FuzzScratch::write(renames, "Normal\nBody\nHeading 1\nH1\n");
    for (int i = 0; i < 3; ++i) {
      ConfigPtr config = scratch.config(configs[i]);
      if (config) readWordSettings(config.get(), "MSWord", &settings[i]);
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  if (!setup.scratch.ok()) return 0;
  FuzzDocument document(setup.input, data, size);
  if (!document.ok()) return 0;
  for (WordSettings& settings : setup.settings) {
    convertWordStream(&settings, document.rewound(), setup.input.c_str(), setup.output.c_str());
  }
  return 0;
}
