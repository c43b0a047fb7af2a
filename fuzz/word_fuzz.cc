// Runs the Word converter on the input as a .doc file, three times: HTML with
// windows-1252 output and table rendering, HTML with cell marks as line breaks and
// byte pairs squeezed, and the tagged form with UTF-8 output and a small style
// rename map. Each run sets the process-wide settings up from its own file and
// releases them again.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "word/word.h"

namespace {

struct Files {
  FuzzScratch scratch{"word_fuzz"};
  std::string input = scratch.file("in.doc");
  std::string output = scratch.file("out.html");
  std::string configs[3] = {scratch.file("0.cfg"), scratch.file("1.cfg"), scratch.file("2.cfg")};

  Files() {
    const std::string renames = scratch.file("renames.txt");
    const std::string tables = "CharsetConvTablesDirectory=" + scratch.directory() + "\n";
    FuzzScratch::write(configs[0], "[MSWord]\nOutputCharSet=ASCII\nFormatTables=1\n" + tables);
    FuzzScratch::write(configs[1],
                       "[MSWord]\nOutputCharSet=ASCII\nBreakTables=1\nReverseEndian=1\n" + tables);
    FuzzScratch::write(configs[2], "[MSWord]\nOutputCharSet=UTF8\nOutputXML=1\nXMLRenameStyleFile=" +
                                       renames + "\nXMLFooter=\"\\n</doc>\\n\"\n" + tables);
    FuzzScratch::write(renames, "Normal\nBody\nHeading 1\nH1\n");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Files files;
  if (!files.scratch.ok() || !FuzzScratch::write(files.input, data, size)) return 0;
  for (const std::string& config : files.configs) {
    wordSetUp(config.c_str(), "MSWord");
    convertWord(files.input.c_str(), files.output.c_str(), config.c_str(), "MSWord");
    wordTearDown(config.c_str(), "MSWord");
  }
  return 0;
}
