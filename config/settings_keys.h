// Typed reads of one converter section's keys, shared by the converters, and the
// RAII owner of a loaded configuration. Every read falls back to section
// "Default" and then to the default given, as configGetString does.
#ifndef LUMEN_CONFIG_SETTINGS_KEYS_H_
#define LUMEN_CONFIG_SETTINGS_KEYS_H_

#include <memory>
#include <string>

#include "config/config.h"

struct ConfigDeleter {
  void operator()(ConfigFile* config) const { configFree(&config); }
};
using ConfigPtr = std::unique_ptr<ConfigFile, ConfigDeleter>;

// The value of key, or defaultValue (nullptr: none). *found, when given, tells
// whether a value (found or default) exists; an absent value gives "".
std::string settingString(ConfigFile* config, const char* section, const char* key,
                          const char* defaultValue, bool* found = nullptr);
// The boolean value of key, or defaultValue.
bool settingFlag(ConfigFile* config, const char* section, const char* key, int defaultValue);
// settingString with "/" and "\" turned into the platform's separator.
std::string settingPath(ConfigFile* config, const char* section, const char* key,
                        const char* defaultValue, bool* found = nullptr);
// When key names a file that exists and can be read, *text receives its whole
// text (up to its first 0 byte) and true is returned; otherwise *text is left
// alone and false is returned.
bool settingFileText(ConfigFile* config, const char* section, const char* key,
                     std::string* text);

#endif  // LUMEN_CONFIG_SETTINGS_KEYS_H_
