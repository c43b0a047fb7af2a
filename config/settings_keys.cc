#include "config/settings_keys.h"

#include "util/files.h"
#include "util/grow_buffer.h"
#include "util/memory.h"

std::string settingString(ConfigFile* config, const char* section, const char* key,
                          const char* defaultValue, bool* found) {
  char* value = nullptr;
  configGetString(config, section, key, &value, defaultValue);
  CharPtr owner(value);
  if (found != nullptr) *found = value != nullptr;
  return value != nullptr ? std::string(value) : std::string();
}

bool settingFlag(ConfigFile* config, const char* section, const char* key, int defaultValue) {
  int value = defaultValue;
  configGetBool(config, section, key, &value, defaultValue);
  return value != 0;
}

std::string settingPath(ConfigFile* config, const char* section, const char* key,
                        const char* defaultValue, bool* found) {
  std::string path = settingString(config, section, key, defaultValue, found);
  toNativeSeparators(path.data());
  return path;
}

bool settingFileText(ConfigFile* config, const char* section, const char* key,
                     std::string* text) {
  bool found = false;
  std::string path = settingPath(config, section, key, nullptr, &found);
  if (!found || fileExists(path.c_str()) != 0) return false;
  GrowBuffer* buffer = growBufferReadFile(path.c_str());
  if (buffer == nullptr) return false;
  CharPtr contents(growBufferDetach(buffer));
  if (!contents) return false;
  *text = contents.get();
  return true;
}
