// The configuration file reader: sections of key=value lines, lookups that fall
// back to section "Default", typed values, lists, and scrambled files.
//
// Values handed out are new copies released with std::free. Section and key
// arguments are matched without regard to ASCII case, ignoring surrounding blanks.
#ifndef LUMEN_CONFIG_CONFIG_H_
#define LUMEN_CONFIG_CONFIG_H_

#include <cstdint>
#include <vector>

// Load flags.
constexpr int CONFIG_COPY_STRINGS = 0x01;  // an empty value counts as absent
constexpr int CONFIG_SCRAMBLED = 0x02;     // every byte XORed with kConfigScrambleKey
constexpr unsigned char kConfigScrambleKey = 0xC3;

// Sections and entries point into the file's text, which parsing cuts up in place;
// names and keys stay as written and are matched without regard to ASCII case.
struct ConfigEntry {
  char* key;
  char* value;  // nullptr for an empty value under CONFIG_COPY_STRINGS
  int used;
  ConfigEntry* next;
};

struct ConfigSection {
  char* name;
  ConfigEntry* firstEntry;
  ConfigSection* next;
};

struct ConfigFile {
  int32_t size;
  int scrambled;
  char* text;   // the whole file, unscrambled, plus two 0 bytes; cut up in place
  char* path;
  ConfigSection* firstSection;
  std::vector<ConfigSection> sections;  // in file order, linked once parsing is done
  std::vector<ConfigEntry> entries;     // in file order; a section's are adjacent
  int listDefaults;
  ConfigSection* lastFound;     // last section found under a name other than DEFAULT
  ConfigSection* defaultFound;  // the section found under the name DEFAULT
  ConfigSection* walkStart;     // where the next section walk begins
};

// 0 on success (*result receives the file); -1 when result or path is missing or
// the file cannot be read; -3 when it does not exist or is empty. Five attempts.
int configLoad(ConfigFile** result, const char* path, int flags);
// Reads the file as configLoad does (the same attempts), without parsing it: 0
// with the bytes in *text (released with std::free) and their count in *count;
// otherwise what configLoad would return, with *text nullptr.
int configRead(const char* path, char** text, long* count);
// configLoad of bytes configRead read from path, which it takes over (and releases
// on failure). A file that looks scrambled is read again, as configLoad reads it.
int configLoadRead(ConfigFile** result, const char* path, char* text, long count, int flags);
// Writes the used-entries report when ConfigHelp/ListUnused is on, releases
// everything and clears *config. 0, or -1 when there is nothing to free.
int configFree(ConfigFile** config);

// 1 and a new copy of the value when the key is found with a value in the section
// or else in "Default"; 0 otherwise. Marks the entry found as used.
int configLookup(ConfigFile* config, const char* section, const char* key, char** value);
// Stores the value found, or a copy of defaultValue, or nullptr; unquoted.
void configGetString(ConfigFile* config, const char* section, const char* key, char** value,
                     const char* defaultValue);
void configGetBool(ConfigFile* config, const char* section, const char* key, int* value,
                   int defaultValue);
// Stores a new array of *count new strings when the key has a non-empty value;
// otherwise leaves both outputs untouched. Release with freeStringArray.
void configGetList(ConfigFile* config, const char* section, const char* key, int* count,
                   char*** items);

int configParseBool(const char* text);
// Removes double-quote quoting in place; 1 when the text was quoted.
int configUnquote(char* text);
// Splits a comma-separated list (quoted items may hold commas); 1 when done.
int splitList(const char* list, int* count, char*** items);

// Report lines (the "^M" warning, fallback lines, the used-entries report) go to
// this sink. With no log path set, which is how the program runs, they are dropped.
void configSetReportPath(const char* path);
void configReport(const char* line);

#endif  // LUMEN_CONFIG_CONFIG_H_
