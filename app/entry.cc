#include "app/entry.h"

#include <cstdlib>

#include "app/convert_file.h"
#include "config/config.h"
#include "platform/platform.h"
#include "util/files.h"
#include "util/strings.h"

namespace {

constexpr int kPageCount = 9;
const char* const kPageKeys[kPageCount] = {"HTMLError1", "HTMLError2", "HTMLError3",
                                           "HTMLError4", "HTMLError5", "HTMLError6",
                                           "HTMLError7", "HTMLError8", "HTMLError9"};
const char* const kPageDefaults[kPageCount] = {"Error1.html", "Error2.html", "Error3.html",
                                               "Error4.html", "Error5.html", "Error6.html",
                                               "Error7.html", "Error8.html", "Error9.html"};

// Replaces the output with error page `number` (1 to 9) as the configuration
// read before the conversion names it (the default name when it cannot be parsed).
void writeErrorPage(int number, char* text, long count, const char* output) {
  ConfigFile* config = nullptr;
  char* page = nullptr;
  if (configLoadRead(&config, kConfigPath, text, count, CONFIG_COPY_STRINGS) == 0) {
    configGetString(config, "Configuration", kPageKeys[number - 1], &page,
                    kPageDefaults[number - 1]);
    configFree(&config);
  } else {
    page = dupString(kPageDefaults[number - 1]);
  }
  if (page == nullptr) return;
  toNativeSeparators(page);
  copyFile(page, output, "w");
  std::free(page);
}

// Nothing is converted without a configuration file that loads. The file is read
// before the conversion, but its page names are only looked up when the
// conversion fails, since most succeed.
void convertWithPages(const char* input, const char* output) {
  char* text = nullptr;
  long count = 0;
  if (configRead(kConfigPath, &text, &count) != 0) return;
  ConvertResult result = convertFile(input, output);
  if (result >= -kPageCount && result <= -1) {
    writeErrorPage(-result, text, count, output);
  } else {
    std::free(text);
  }
}

}  // namespace

int runLumen(int argc, char** argv) {
  startWatchdog(kWatchdogMilliseconds, kWatchdogExitCode);
  if (argc == 3) convertWithPages(argv[1], argv[2]);
  stopWatchdog();
  return 0;
}
