#include "app/entry.h"

#include <cstdlib>

#include "app/convert_file.h"
#include "config/config.h"
#include "platform/platform.h"
#include "util/files.h"

namespace {

constexpr int kPageCount = 9;
const char* const kPageKeys[kPageCount] = {"HTMLError1", "HTMLError2", "HTMLError3",
                                           "HTMLError4", "HTMLError5", "HTMLError6",
                                           "HTMLError7", "HTMLError8", "HTMLError9"};
const char* const kPageDefaults[kPageCount] = {"Error1.html", "Error2.html", "Error3.html",
                                               "Error4.html", "Error5.html", "Error6.html",
                                               "Error7.html", "Error8.html", "Error9.html"};

void convertWithPages(const char* input, const char* output) {
  ConfigFile* config = nullptr;
  if (configLoad(&config, kConfigPath, CONFIG_COPY_STRINGS) != 0) return;

  char* pages[kPageCount] = {};
  for (int i = 0; i < kPageCount; ++i) {
    configGetString(config, "Configuration", kPageKeys[i], &pages[i], kPageDefaults[i]);
    toNativeSeparators(pages[i]);
  }
  // The page names are copies: the file's memory goes back before the converter
  // loads the file again, so that its load takes the same memory.
  configFree(&config);

  ConvertResult result = convertFile(input, output);
  if (result >= -kPageCount && result <= -1) copyFile(pages[-result - 1], output, "w");

  for (char* page : pages) std::free(page);
}

}  // namespace

int runLumen(int argc, char** argv) {
  startWatchdog(kWatchdogMilliseconds, kWatchdogExitCode);
  if (argc == 3) convertWithPages(argv[1], argv[2]);
  stopWatchdog();
  return 0;
}
