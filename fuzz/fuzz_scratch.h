// A private scratch folder for a converter fuzz target: the input file, the output
// file and the configuration files the target writes once. The folder and all it
// holds are removed when the scratch goes away.
#ifndef LUMEN_FUZZ_FUZZ_SCRATCH_H_
#define LUMEN_FUZZ_FUZZ_SCRATCH_H_

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

class FuzzScratch {
 public:
  // Creates /tmp/lumen_<name>_XXXXXX; ok() is false when that failed.
  explicit FuzzScratch(const std::string& name) {
    std::string pattern = "/tmp/lumen_" + name + "_XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) directory_ = pattern;
  }
  ~FuzzScratch() {
    std::error_code ignored;
    if (ok()) std::filesystem::remove_all(directory_, ignored);
  }
  FuzzScratch(const FuzzScratch&) = delete;
  FuzzScratch& operator=(const FuzzScratch&) = delete;

  bool ok() const { return !directory_.empty(); }
  const std::string& directory() const { return directory_; }
  std::string file(const std::string& name) const { return directory_ + "/" + name; }

  // Writes bytes as the whole file; false when that failed.
  static bool write(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
  }
  static bool write(const std::string& path, const uint8_t* data, size_t size) {
    return write(path, std::string(reinterpret_cast<const char*>(data), size));
  }

 private:
  std::string directory_;
};

#endif  // LUMEN_FUZZ_FUZZ_SCRATCH_H_
