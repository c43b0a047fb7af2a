// Runs the Word converter on the input as a .doc file, three times: HTML with
// windows-1252 output and table rendering, HTML with cell marks as line breaks and
// byte pairs squeezed, and the tagged form with UTF-8 output and a small style
// rename map. Each run sets the process-wide settings up from its own file and
// releases them again.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "word/word.h"

namespace {

struct Scratch {
  std::string directory;
  std::string input, output, renames, table;
  std::string configs[3];

  Scratch() {
    char pattern[] = "/tmp/lumen_word_fuzz_XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    directory = pattern;
    input = directory + "/in.doc";
    output = directory + "/out.html";
    renames = directory + "/renames.txt";
    table = directory + "/TB_ascii_ucs2.txt";
    for (int i = 0; i < 3; ++i) configs[i] = directory + "/" + std::to_string(i) + ".cfg";
    const std::string tables = "CharsetConvTablesDirectory=" + directory + "\n";
    write(configs[0], "[MSWord]\nOutputCharSet=ASCII\nFormatTables=1\n" + tables);
    write(configs[1], "[MSWord]\nOutputCharSet=ASCII\nBreakTables=1\nReverseEndian=1\n" + tables);
    write(configs[2], "[MSWord]\nOutputCharSet=UTF8\nOutputXML=1\nXMLRenameStyleFile=" + renames +
                          "\nXMLFooter=\"\\n</doc>\\n\"\n" + tables);
    write(renames, "Normal\nBody\nHeading 1\nH1\n");
  }
  ~Scratch() {
    for (const std::string& path : {input, output, renames, table}) unlink(path.c_str());
    for (const std::string& path : configs) unlink(path.c_str());
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
  for (const std::string& config : scratch.configs) {
    wordSetUp(config.c_str(), "MSWord");
    convertWord(scratch.input.c_str(), scratch.output.c_str(), config.c_str(), "MSWord");
    wordTearDown(config.c_str(), "MSWord");
  }
  return 0;
}
