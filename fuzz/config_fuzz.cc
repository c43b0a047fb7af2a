// Loads arbitrary bytes as a configuration file, in both load modes, and looks
// up keys the program uses, then releases everything.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/config.h"
#include "util/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/lumen-config-fuzz.cfg";
  }();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  for (int flags : {0, CONFIG_COPY_STRINGS}) {
    ConfigFile* config = nullptr;
    if (configLoad(&config, path.c_str(), flags) != 0) continue;
    char* value = nullptr;
    configGetString(config, "Configuration", "HTMLError1", &value, "Error1.html");
    std::free(value);
    configGetString(config, "XLS", "XMLFooter", &value, nullptr);
    std::free(value);
    int flag = 0;
    configGetBool(config, "ConfigHelp", "ListUnused", &flag, 0);
    int count = 0;
    char** items = nullptr;
    configGetList(config, "MSWord", "TrelConvertSameExtentsionHeaderCSVs", &count, &items);
    freeStringArray(&count, &items);
    configFree(&config);
  }
  return 0;
}
