#include "tests/test_support.h"

#include <sys/wait.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
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

// Share of the expected words holding a letter that the output holds, each word
// counted as often as it is expected (and found).
double LetterRecall(const std::string& output, const std::string& expected, bool utf8) {
  std::map<std::string, int> found;
  for (const std::string& w : Words(DecodeOutput(output, utf8))) ++found[w];
  int total = 0;
  int hits = 0;
  for (const std::string& w : Words(expected)) {
    if (!HasLetter(w)) continue;
    ++total;
    if (found[w] > 0) {
      --found[w];
      ++hits;
    }
  }
  return total == 0 ? 1.0 : static_cast<double>(hits) / total;
}
