#include "tests/test_support.h"

#include <sys/wait.h>

#include <cstdlib>
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
  return runProgramIn(directory, LUMEN_BINARY, arguments, environment);
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

std::string testDataPath(const std::string& name) {
  return std::string(LUMEN_SOURCE_DIR) + "/tests/data/" + name;
}
