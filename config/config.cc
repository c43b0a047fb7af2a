#include "config/config.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "util/bounded_format.h"
#include "util/files.h"
#include "util/memory.h"
#include "util/strings.h"

namespace {

constexpr int kLoadAttempts = 5;
constexpr size_t kReportLineSize = 4096;

bool isKeyStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr("$%&',-._", c) != nullptr;
}

// Trimmed, upper-cased copy of a section or key name given by a caller.
std::string normalizedName(const char* name) {
  std::string result;
  if (name == nullptr) return result;
  const char* begin = name;
  while (isBlankChar(*begin)) ++begin;
  const char* end = begin + std::strlen(begin);
  while (end > begin && isBlankChar(end[-1])) --end;
  result.assign(begin, end);
  upperAscii(result.data());
  return result;
}

std::string& reportPath() {
  static std::string path;
  return path;
}

// Builds "prefix + text + suffix" in a fixed buffer, cut when it does not fit.
void reportLine(const char* prefix, const char* text, const char* suffix) {
  char line[kReportLineSize];
  boundedPrint(line, sizeof line, "%s%s%s", prefix, text, suffix);
  configReport(line);
}

// Where each section's entries begin in config->entries.
using EntryStarts = std::vector<size_t>;

void appendSection(ConfigFile* config, EntryStarts* starts, char* name) {
  ConfigSection section{};
  section.name = name;
  config->sections.push_back(section);
  starts->push_back(config->entries.size());
}

void appendEntry(ConfigFile* config, char* key, char* value, bool copy) {
  ConfigEntry entry{};
  entry.key = key;
  entry.value = copy && *value == '\0' ? nullptr : value;
  config->entries.push_back(entry);
}

// Links sections and each section's entries once the vectors no longer move.
void linkParsed(ConfigFile* config, const EntryStarts& starts) {
  std::vector<ConfigSection>& sections = config->sections;
  std::vector<ConfigEntry>& entries = config->entries;
  for (size_t s = 0; s < sections.size(); ++s) {
    const size_t begin = starts[s];
    const size_t end = s + 1 < sections.size() ? starts[s + 1] : entries.size();
    sections[s].next = s + 1 < sections.size() ? &sections[s + 1] : nullptr;
    sections[s].firstEntry = begin < end ? &entries[begin] : nullptr;
    for (size_t e = begin; e < end; ++e) entries[e].next = e + 1 < end ? &entries[e + 1] : nullptr;
  }
  config->firstSection = sections.empty() ? nullptr : sections.data();
}

// True when [text, end) holds "^M", the way some editors show a carriage return.
// A search for the caret alone is several times cheaper than one for the pair.
bool hasCaretM(const char* text, const char* end) {
  for (const char* caret = text;
       (caret = static_cast<const char*>(std::memchr(caret, '^', end - caret))) != nullptr;
       ++caret) {
    if (caret + 1 < end && caret[1] == 'M') return true;
  }
  return false;
}

// The line [line, end), which holds no line break and no 0 byte.
void parseLine(ConfigFile* config, char* line, char* end, bool copy, EntryStarts* starts) {
  while (line < end && isBlankChar(*line)) ++line;
  while (end > line && isBlankChar(end[-1])) --end;
  *end = '\0';
  if (line == end) return;
  if (hasCaretM(line, end)) configReport("WARNING: ^M characters in line");

  if (line[0] == '[') {
    char* close = std::strchr(line, ']');
    if (close == nullptr) return;
    *close = '\0';
    appendSection(config, starts, trimBlanks(line + 1));
    return;
  }
  if (config->sections.empty() || !isKeyStart(line[0])) return;
  char* equals = std::strchr(line, '=');
  if (equals == nullptr) return;
  *equals = '\0';
  char* key = trimBlanks(line);
  char* value = equals + 1;
  while (isBlankChar(*value)) ++value;
  appendEntry(config, key, value, copy);
}

// Each entry needs a '=' of its own, so their count bounds the entries.
size_t countEquals(const char* text, size_t size) {
  size_t count = 0;
  const char* end = text + size;
  for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '=', end - p)));
       ++p) {
    ++count;
  }
  return count;
}

// The first c in [from, end), or end. *found keeps the last answer, so that the
// searches for one byte go forward over the text once in all.
char* nextOf(char* from, char* end, char c, char** found) {
  if (*found == nullptr || *found < from) {
    void* at = std::memchr(from, c, static_cast<size_t>(end - from));
    *found = at != nullptr ? static_cast<char*>(at) : end;
  }
  return *found;
}

// Cuts the text, up to its first 0 byte, into lines at every CR and LF and parses
// each one.
void parseText(ConfigFile* config, size_t size, bool copy) {
  constexpr size_t kMostReserved = 4096;
  config->entries.reserve(std::min(countEquals(config->text, size), kMostReserved));
  EntryStarts starts;
  char* p = config->text;
  char* const end = p + std::strlen(p);
  char* feed = nullptr;
  char* carriageReturn = nullptr;
  while (p < end) {
    if (*p == '\r' || *p == '\n') {
      ++p;
      continue;
    }
    char* lineEnd = std::min(nextOf(p, end, '\n', &feed), nextOf(p, end, '\r', &carriageReturn));
    parseLine(config, p, lineEnd, copy, &starts);
    if (lineEnd == end) break;
    p = lineEnd + 1;
  }
  linkParsed(config, starts);
}

// One attempt at reading the whole file under the lock: 0 with *text (size + 2
// bytes, zero-filled) and *count set; -3 when the file is missing or empty; -1 when
// it exists but cannot be opened or read.
int readOnce(const char* path, char** text, long* count) {
  *text = nullptr;
  FilePtr file(openFile(path, "rb"));
  if (!file) return pathExists(path) ? -1 : -3;
  if (streamSize(file.get()) == 0) return -3;
  bool locked = lockFile(file.get()) != 0;
  *count = readStreamWhole(file.get(), text);
  if (locked) {
    std::fseek(file.get(), 0, SEEK_SET);
    unlockFile(file.get());
  }
  return *count > 0 ? 0 : -1;
}

bool looksScrambled(unsigned char first) {
  return first == ('/' ^ kConfigScrambleKey) || first == ('<' ^ kConfigScrambleKey) ||
         first == ('[' ^ kConfigScrambleKey);
}

ConfigSection* findSection(ConfigFile* config, const char* name) {
  std::string wanted = normalizedName(name);
  if (wanted.empty()) return nullptr;
  const bool isDefault = wanted == "DEFAULT";
  if (isDefault && config->defaultFound != nullptr) return config->defaultFound;
  if (!isDefault && config->lastFound != nullptr &&
      equalsIgnoreCase(config->lastFound->name, wanted.c_str())) {
    return config->lastFound;
  }
  ConfigSection* start = config->walkStart != nullptr ? config->walkStart : config->firstSection;
  ConfigSection* section = start;
  while (section != nullptr) {
    if (equalsIgnoreCase(section->name, wanted.c_str())) {
      if (isDefault) {
        config->defaultFound = section;
      } else {
        config->lastFound = section;
      }
      config->walkStart = section;
      return section;
    }
    section = section->next != nullptr ? section->next : config->firstSection;
    if (section == start) break;
  }
  return nullptr;
}

ConfigEntry* findEntry(ConfigSection* section, const std::string& key) {
  if (section == nullptr || key.empty()) return nullptr;
  for (ConfigEntry* entry = section->firstEntry; entry != nullptr; entry = entry->next) {
    if (equalsIgnoreCase(entry->key, key.c_str())) return entry;
  }
  return nullptr;
}

void writeUsedEntriesReport(ConfigFile* config) {
  int listUnused = 0;
  configGetBool(config, "ConfigHelp", "ListUnused", &listUnused, 0);
  if (!listUnused) return;
  configReport("Config entries used this run:");
  for (ConfigSection* section = config->firstSection; section != nullptr;
       section = section->next) {
    if (section->firstEntry == nullptr) continue;
    reportLine("Section: ", section->name, "");
    for (ConfigEntry* entry = section->firstEntry; entry != nullptr; entry = entry->next) {
      reportLine(entry->used ? "  Y " : "  N ", entry->key, "");
    }
  }
}

void releaseConfig(ConfigFile* config) {
  std::free(config->path);
  std::free(config->text);
  delete config;
}

int readAttempts(const char* path, char** text, long* count) {
  int status = -3;
  for (int attempt = 0; attempt < kLoadAttempts; ++attempt) {
    status = readOnce(path, text, count);
    if (status == 0) break;
  }
  return status;
}

// Parses the bytes read from path, which it takes over: 0, or 1 when the first
// byte looks scrambled; -1 without memory.
int parseRead(ConfigFile** result, const char* path, char* text, long count, int flags) {
  ConfigFile* config = new (std::nothrow) ConfigFile{};
  if (config == nullptr) {
    std::free(text);
    return -1;
  }
  config->text = text;
  config->size = count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
  config->path = dupString(path);
  const bool copy = (flags & CONFIG_COPY_STRINGS) != 0;
  if (flags & CONFIG_SCRAMBLED) {
    config->scrambled = 1;
    for (long i = 0; i < count; ++i) text[i] = static_cast<char>(text[i] ^ kConfigScrambleKey);
  }
  // The first byte decides whether the file is scrambled; parsing cuts the text.
  const unsigned char first = static_cast<unsigned char>(text[0]);
  parseText(config, static_cast<size_t>(count), copy);
  if (!copy) configGetBool(config, "ConfigHelp", "ListDefaults", &config->listDefaults, 0);
  *result = config;
  return looksScrambled(first) ? 1 : 0;
}

int loadOnce(ConfigFile** result, const char* path, int flags) {
  char* text = nullptr;
  long count = 0;
  int status = readAttempts(path, &text, &count);
  return status != 0 ? status : parseRead(result, path, text, count, flags);
}

// A scrambled file is read again once with the scrambling undone. A file that was
// already unscrambled is never tested again, so it cannot reload forever.
int finishLoad(ConfigFile** result, ConfigFile* config, const char* path, int flags, int status) {
  if (status < 0) return status;
  if (status == 1 && (flags & CONFIG_SCRAMBLED) == 0) {
    configFree(&config);
    status = loadOnce(&config, path, flags | CONFIG_SCRAMBLED);
    if (status < 0) return status;
  }
  *result = config;
  return 0;
}

}  // namespace

int configLoad(ConfigFile** result, const char* path, int flags) {
  if (result == nullptr || path == nullptr) return -1;
  ConfigFile* config = nullptr;
  const int status = loadOnce(&config, path, flags);
  return finishLoad(result, config, path, flags, status);
}

int configRead(const char* path, char** text, long* count) {
  if (text == nullptr || count == nullptr) return -1;
  *text = nullptr;
  if (path == nullptr) return -1;
  return readAttempts(path, text, count);
}

int configLoadRead(ConfigFile** result, const char* path, char* text, long count, int flags) {
  if (result == nullptr || path == nullptr || text == nullptr) {
    std::free(text);
    return -1;
  }
  ConfigFile* config = nullptr;
  const int status = parseRead(&config, path, text, count, flags);
  return finishLoad(result, config, path, flags, status);
}

int configFree(ConfigFile** config) {
  if (config == nullptr || *config == nullptr) return -1;
  writeUsedEntriesReport(*config);
  releaseConfig(*config);
  *config = nullptr;
  return 0;
}

int configLookup(ConfigFile* config, const char* section, const char* key, char** value) {
  if (config == nullptr || value == nullptr) return 0;
  const std::string wantedKey = normalizedName(key);
  ConfigEntry* entry = findEntry(findSection(config, section), wantedKey);
  if (entry != nullptr) {
    entry->used = 1;
    if (entry->value != nullptr) {
      *value = dupString(entry->value);
      return 1;
    }
  }
  ConfigEntry* fallback = findEntry(findSection(config, "Default"), wantedKey);
  if (fallback != nullptr) {
    fallback->used = 1;
    if (fallback->value != nullptr) {
      if (config->listDefaults) reportLine("Using ", wantedKey.c_str(), " from default section");
      *value = dupString(fallback->value);
      return 1;
    }
  }
  if (config->listDefaults) reportLine("Failed to find ", wantedKey.c_str(), " in default section");
  return 0;
}

void configGetString(ConfigFile* config, const char* section, const char* key, char** value,
                     const char* defaultValue) {
  if (config == nullptr || value == nullptr) return;
  char* found = nullptr;
  if (!configLookup(config, section, key, &found)) found = dupString(defaultValue);
  if (found != nullptr) configUnquote(found);
  *value = found;
}

void configGetBool(ConfigFile* config, const char* section, const char* key, int* value,
                   int defaultValue) {
  if (config == nullptr || value == nullptr) return;
  char* found = nullptr;
  if (configLookup(config, section, key, &found)) {
    *value = configParseBool(found);
    std::free(found);
  } else {
    *value = defaultValue;
  }
}

void configGetList(ConfigFile* config, const char* section, const char* key, int* count,
                   char*** items) {
  if (config == nullptr || count == nullptr || items == nullptr) return;
  char* found = nullptr;
  if (!configLookup(config, section, key, &found)) return;
  if (*found != '\0') splitList(found, count, items);
  std::free(found);
}

int configParseBool(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  char lower[11] = {0};
  for (int i = 0; i < 10 && text[i] != '\0'; ++i) {
    char c = text[i];
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  static const struct {
    const char* prefix;
    int value;
  } kWords[] = {{"y", 1}, {"n", 0}, {"on", 1}, {"off", 0}, {"true", 1}, {"false", 0}};
  for (const auto& word : kWords) {
    if (std::strncmp(lower, word.prefix, std::strlen(word.prefix)) == 0) return word.value;
  }
  return std::strtol(text, nullptr, 10) != 0 ? 1 : 0;
}

int configUnquote(char* text) {
  if (text == nullptr) return 0;
  size_t length = std::strlen(text);
  if (length < 2 || text[0] != '"' || text[length - 1] != '"') return 0;
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    if (*in == '\\') {
      ++in;
      if (*in == '\0') break;
      if (*in == 'n') *out++ = '\n';
      else if (*in == 'r') *out++ = '\r';
      else if (*in == 't') *out++ = '\t';
      else *out++ = *in;
    } else if (*in != '"') {
      *out++ = *in;
    }
  }
  *out = '\0';
  return 1;
}

namespace {

// Cuts the next item off *cursor (which becomes nullptr after the last item).
char* nextListItem(char** cursor) {
  char* item = *cursor;
  if (item == nullptr) return nullptr;
  if (*item == '"') {
    char* p = item + 1;
    while (*p != '\0' && *p != '"') {
      if (*p == '\\') {
        if (p[1] == '\0') break;
        ++p;
      }
      ++p;
    }
    if (*p == '"' && p[1] == ',') {
      p[1] = '\0';
      *cursor = p + 2;
    } else {
      *cursor = nullptr;
    }
    configUnquote(item);
    return item;
  }
  char* comma = std::strchr(item, ',');
  if (comma != nullptr) {
    *comma = '\0';
    *cursor = comma + 1;
  } else {
    *cursor = nullptr;
  }
  return item;
}

}  // namespace

int splitList(const char* list, int* count, char*** items) {
  if (list == nullptr || *list == '\0' || count == nullptr || items == nullptr) return 0;
  CharPtr work(dupString(list));
  if (!work) return 0;
  size_t commas = 0;
  for (const char* p = work.get(); *p != '\0'; ++p) commas += *p == ',';
  char** slots = static_cast<char**>(allocArray(commas + 1, sizeof(char*)));
  *items = slots;
  if (slots == nullptr) return 0;
  *count = 0;
  char* cursor = work.get();
  char* item;
  while (static_cast<size_t>(*count) <= commas && (item = nextListItem(&cursor)) != nullptr) {
    slots[(*count)++] = dupString(item);
  }
  return 1;
}

void configSetReportPath(const char* path) { reportPath() = path != nullptr ? path : ""; }

void configReport(const char* line) {
  if (line == nullptr || reportPath().empty()) return;
  FilePtr log(openFile(reportPath().c_str(), "ab"));
  if (!log) return;
  std::fputs(line, log.get());
  std::fputc('\n', log.get());
}
