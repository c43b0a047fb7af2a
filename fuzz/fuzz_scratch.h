// A private scratch folder for a converter fuzz target: the input file, the output
// file and the configuration files the target writes once. The folder and all it
// holds are removed when the scratch goes away. FuzzDocument holds one input.
#ifndef LUMEN_FUZZ_FUZZ_SCRATCH_H_
#define LUMEN_FUZZ_FUZZ_SCRATCH_H_

#include <stdio.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "config/config.h"
#include "config/settings_keys.h"

class FuzzScratch {
 public:
  // Creates lumen_<name>_XXXXXX in /dev/shm where it can (a file system in memory,
  // so that rewriting the input and output files on every run costs no disk
  // writes), else in /tmp; ok() is false when neither worked.
  explicit FuzzScratch(const std::string& name) {
    for (const char* parent : {"/dev/shm", "/tmp"}) {
      std::string pattern = std::string(parent) + "/lumen_" + name + "_XXXXXX";
      if (mkdtemp(pattern.data()) != nullptr) {
        directory_ = pattern;
        return;
      }
    }
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
    return write(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  static bool write(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
  }

  // The configuration text, written to a file of the scratch and loaded from it as
  // a converter loads its configuration; empty when that failed.
  ConfigPtr config(const std::string& text) const {
    const std::string path = file("settings.cfg");
    ConfigFile* loaded = nullptr;
    if (!write(path, text) || configLoad(&loaded, path.c_str(), 0) != 0) return ConfigPtr();
    return ConfigPtr(loaded);
  }

 private:
  std::string directory_;
};

// The project's shipped table folder, found from this file's own path (the fuzz
// targets run in the build tree); "./tables" when the path does not tell.
inline std::string FuzzSourceTables() {
  const std::string source = __FILE__;
  const size_t fuzz = source.rfind("/fuzz/");
  return (fuzz == std::string::npos ? std::string(".") : source.substr(0, fuzz)) + "/tables";
}

// One input, written to the file at path (for what a converter takes by name: the
// size, the name in the head, a second open) and served from memory as a stream
// opened for binary reading, as the converter's own open would give it.
class FuzzDocument {
 public:
  FuzzDocument(const std::string& path, const uint8_t* data, size_t size) {
    if (!FuzzScratch::write(path, data, size)) return;
    // A stream on no bytes cannot be had from memory; the file serves it.
    stream_ = size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb")
                       : std::fopen(path.c_str(), "rb");
  }
  ~FuzzDocument() {
    if (stream_ != nullptr) std::fclose(stream_);
  }
  FuzzDocument(const FuzzDocument&) = delete;
  FuzzDocument& operator=(const FuzzDocument&) = delete;

  bool ok() const { return stream_ != nullptr; }
  // The stream at its start with no error or end marks, as a fresh open leaves it.
  FILE* rewound() {
    std::rewind(stream_);
    return stream_;
  }

 private:
  FILE* stream_ = nullptr;
};

#endif  // LUMEN_FUZZ_FUZZ_SCRATCH_H_
