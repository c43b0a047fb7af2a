#include "tests/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

int runLumenIn(const std::string& directory, const std::vector<std::string>& arguments,
               const std::string& environment) {
  std::string program = LUMEN_BINARY;
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

int runLumenIn(const std::string& directory, const std::vector<std::string>& arguments,
               const std::string& environment) {
  std::string command = "cd " + shellQuote(directory) + " && " + environment + " " +
                        shellQuote(LUMEN_BINARY);
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

std::string testDataPath(const std::string& name) {
  return std::string(LUMEN_SOURCE_DIR) + "/tests/data/" + name;
}
