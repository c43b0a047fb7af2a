#include "tests/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::random_device random;
  for (;;) {
    fs::path candidate = fs::temp_directory_path() / ("lumen-test-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
}

ScratchDir::~ScratchDir() {
  std::error_code error;
  // Tests may leave read-only files or directories behind; make them removable.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

std::string ScratchDir::file(const std::string& name) const { return path_ + "/" + name; }

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path, bool* exists) {
  std::ifstream in(path, std::ios::binary);
  if (exists != nullptr) *exists = static_cast<bool>(in);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool fileIsPresent(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

#ifdef _WIN32

// One argument as the C runtime's command-line splitting reads it back: in double
// quotes, with backslashes doubled where they come before a quote.
static std::string windowsQuote(const std::string& text) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

// This process's environment with the given NAME=value settings put in, as the
// block CreateProcess takes: each entry ends with a 0, the block with another.
static std::string environmentBlock(const std::string& settings) {
  std::vector<std::string> added;
  size_t at = 0;
  while ((at = settings.find_first_not_of(' ', at)) != std::string::npos) {
    size_t end = settings.find(' ', at);
    if (end == std::string::npos) end = settings.size();
    added.push_back(settings.substr(at, end - at));
    at = end;
  }
  auto nameOf = [](const std::string& entry) {
    std::string name = entry.substr(0, entry.find('=', 1));
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
  };
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* entry = strings; entry != nullptr && *entry != '\0';
       entry += std::strlen(entry) + 1) {
    bool replaced = false;
    for (const std::string& setting : added) replaced |= nameOf(setting) == nameOf(entry);
    if (!replaced) block.append(entry).push_back('\0');
  }
  if (strings != nullptr) FreeEnvironmentStringsA(strings);
  for (const std::string& setting : added) block.append(setting).push_back('\0');
  block.push_back('\0');
  return block;
}

int runProgramIn(const std::string& directory, const std::string& programPath,
                 const std::vector<std::string>& arguments, const std::string& environment) {
  std::string program = programPath;
  for (char& c : program) c = c == '/' ? '\\' : c;
  std::string commandLine = windowsQuote(program);
  for (const std::string& argument : arguments) commandLine += " " + windowsQuote(argument);
  std::string block = environmentBlock(environment);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &block[0],
                      directory.c_str(), &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  bool exited = GetExitCodeProcess(process.hProcess, &code) != 0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Exception codes (0xC0000005 and the like) tell of a crash, not an exit.
  if (!exited || code >= 0xC0000000u) return -1;
  return static_cast<int>(code);
}

void setTimeZone(const char* zone) {
  _putenv((std::string("TZ=") + (zone != nullptr ? zone : "")).c_str());
  _tzset();
}

FileLock::FileLock(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  locked_ = LockFile(file, 0, 0, MAXDWORD, MAXDWORD) != 0;
}

FileLock::~FileLock() {
  if (handle_ == -1) return;
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  if (locked_) UnlockFile(file, 0, 0, MAXDWORD, MAXDWORD);
  CloseHandle(file);
}

#else

static std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

int runProgramIn(const std::string& directory, const std::string& program,
                 const std::vector<std::string>& arguments, const std::string& environment) {
  std::string command = "cd " + shellQuote(directory) + " && " + environment + " " +
                        shellQuote(program);
  for (const std::string& argument : arguments) command += " " + shellQuote(argument);
  int status = std::system(command.c_str());
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

void setTimeZone(const char* zone) {
  if (zone != nullptr) {
    setenv("TZ", zone, 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

FileLock::FileLock(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR);
  if (fd < 0) return;
  handle_ = fd;
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_len = 0;  // to the end of the file, however far it grows
  locked_ = fcntl(fd, F_SETLK, &lock) == 0;
}

FileLock::~FileLock() {
  if (handle_ != -1) close(static_cast<int>(handle_));
}

#endif  // _WIN32

int runLumenIn(const std::string& directory, const std::vector<std::string>& arguments,
               const std::string& environment) {
  return runProgramIn(directory, LUMEN_BINARY, arguments, environment);
}

std::string testDataPath(const std::string& name) {
  return std::string(LUMEN_SOURCE_DIR) + "/tests/data/" + name;
}

// Characters 0x80..0x9F of windows-1252 (0 where it has none).
static const uint16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

static void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// windows-1252 output with numeric references and &lt; &gt; &amp; as UTF-8;
// tags become blanks, surrogate pairs written as two references are joined.
std::string DecodeOutput(const std::string& bytes, bool utf8) {
  std::string out;
  uint32_t high = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    uint32_t code = c;
    if (c == '<') {
      size_t end = bytes.find('>', i);
      if (end == std::string::npos) break;
      out += ' ';
      i = end;
      continue;
    }
    if (c == '&') {
      size_t end = bytes.find(';', i);
      std::string entity = end == std::string::npos ? "" : bytes.substr(i + 1, end - i - 1);
      if (entity == "lt" || entity == "gt" || entity == "amp" || entity == "nbsp") {
        out += entity == "lt" ? "<" : entity == "gt" ? ">" : entity == "amp" ? "&" : " ";
        i = end;
        continue;
      }
      if (entity.size() > 1 && entity[0] == '#') {
        code = static_cast<uint32_t>(std::strtoul(entity.c_str() + 1, nullptr, 10));
        i = end;
        if (code >= 0xD800 && code < 0xDC00) {
          high = code;
          continue;
        }
        if (code >= 0xDC00 && code < 0xE000 && high != 0) {
          code = 0x10000 + ((high - 0xD800) << 10) + (code - 0xDC00);
        }
        high = 0;
        AppendUtf8(code, &out);
        continue;
      }
    }
    if (utf8 && c >= 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    if (c >= 0x80 && c < 0xA0) code = kCp1252High[c - 0x80];
    AppendUtf8(code, &out);
  }
  return out;
}

static bool IsSeparator(char c) {
  return std::string(" \t\r\n\",;|()[]{}<>=*+#~`\\").find(c) != std::string::npos;
}

static bool IsPunctuation(unsigned char c) { return c < 0x80 && !std::isalnum(c); }

// Words as the corpus counts them: split at blanks and separators, punctuation
// stripped at both ends.
static std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  auto flush = [&]() {
    size_t b = 0, e = word.size();
    while (b < e && IsPunctuation(static_cast<unsigned char>(word[b]))) ++b;
    while (e > b && IsPunctuation(static_cast<unsigned char>(word[e - 1]))) --e;
    if (e > b) words.push_back(word.substr(b, e - b));
    word.clear();
  };
  for (char c : text) {
    if (IsSeparator(c)) {
      flush();
    } else {
      word += c;
    }
  }
  flush();
  return words;
}

static bool HasLetter(const std::string& word) {
  for (unsigned char c : word) {
    if (std::isalpha(c) || c >= 0x80) return true;
  }
  return false;
}

namespace {

// The expected words (with lettersOnly, those holding a letter) that the decoded
// text holds, each counted as often as it is expected and found; *total counts the
// expected words looked for.
std::map<std::string, int> WordsFound(const std::string& text, const std::string& expected,
                                      bool lettersOnly, int* total) {
  std::map<std::string, int> inText;
  for (const std::string& w : Words(text)) ++inText[w];
  std::map<std::string, int> found;
  *total = 0;
  for (const std::string& w : Words(expected)) {
    if (lettersOnly && !HasLetter(w)) continue;
    ++*total;
    if (inText[w] > 0) {
      --inText[w];
      ++found[w];
    }
  }
  return found;
}

}  // namespace

std::map<std::string, int> LetterWordsFound(const std::string& output,
                                            const std::string& expected, bool utf8,
                                            int* total) {
  return WordsFound(DecodeOutput(output, utf8), expected, true, total);
}

double WordRecall(const std::string& text, const std::string& expected, bool lettersOnly) {
  int total = 0;
  int hits = 0;
  for (const auto& word : WordsFound(text, expected, lettersOnly, &total)) hits += word.second;
  return total == 0 ? 1.0 : static_cast<double>(hits) / total;
}

double LetterRecall(const std::string& output, const std::string& expected, bool utf8) {
  return WordRecall(DecodeOutput(output, utf8), expected, true);
}

bool IsValidUtf8(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size();) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t more = c < 0x80 ? 0 : c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2
                : c >= 0xF0 && c < 0xF5 ? 3 : 4;
    if (more == 4) return false;
    for (size_t k = 1; k <= more; ++k) {
      if (i + k >= bytes.size() || (static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += more + 1;
  }
  return true;
}
