#include "util/files.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "util/memory.h"

FILE* openFile(const char* path, const char* mode) {
  if (path == nullptr || *path == '\0' || mode == nullptr) return nullptr;
  FILE* stream = std::fopen(path, mode);
  // Some systems open a directory for reading; it is never a file we can use.
  if (stream != nullptr && streamIsDirectory(stream)) {
    std::fclose(stream);
    return nullptr;
  }
  return stream;
}

int closeFile(FILE* stream) {
  if (stream == nullptr) return -1;
  return std::fclose(stream);
}

long streamSize(FILE* stream) {
  if (stream == nullptr) return 0;
  // A regular file's size is known without seeking to its end, which makes the
  // C library read the file's last block.
  long long known = streamFileSize(stream);
  if (known >= 0) return known > LONG_MAX ? 0 : static_cast<long>(known);
  long here = std::ftell(stream);
  if (std::fseek(stream, 0, SEEK_END) != 0) return 0;
  long size = std::ftell(stream);
  std::fseek(stream, here < 0 ? 0 : here, SEEK_SET);
  return size < 0 ? 0 : size;
}

long fileSizeByPath(const char* path) {
  FilePtr file(openFile(path, "rb"));
  if (!file) return -1;
  return streamSize(file.get());
}

long fileSizeByName(const char* path) {
  long long size = pathStatSize(path);
  return size < 0 ? 0 : static_cast<long>(size);
}

long readStreamWhole(FILE* stream, char** result) {
  if (result == nullptr) return 0;
  *result = nullptr;
  if (stream == nullptr) return 0;
  long size = streamSize(stream);
  size_t wanted = static_cast<size_t>(size) + 2;
  // One byte more than is read, so that a stream holding more than its measured
  // size (a file that grew meanwhile, a device) still ends in a 0. Only the bytes
  // fread leaves are zeroed: zeroing all first is a second pass over a large file.
  char* block = static_cast<char*>(std::malloc(wanted + 1));
  if (block == nullptr) return 0;
  size_t count = std::fread(block, 1, wanted, stream);
  if (count == 0) {
    std::free(block);
    return 0;
  }
  std::memset(block + count, 0, wanted + 1 - count);
  *result = block;
  return static_cast<long>(count);
}

long readWholeFile(const char* path, char** result) {
  if (result == nullptr) return 0;
  *result = nullptr;
  FilePtr file(openFile(path, "rb"));
  if (!file) return 0;
  return readStreamWhole(file.get(), result);
}

int readFileLocked(const char* path, char** result, long* count) {
  if (count != nullptr) *count = -1;
  if (result == nullptr) return 0;
  *result = nullptr;
  FilePtr file(openFile(path, "rb"));
  if (!file) return 0;
  long read;
  if (lockFile(file.get())) {
    read = readStreamWhole(file.get(), result);
    std::fseek(file.get(), 0, SEEK_SET);
    unlockFile(file.get());
  } else {
    read = readStreamWhole(file.get(), result);
  }
  if (count != nullptr) *count = read;
  return read > 0 ? 1 : 0;
}

int lockFile(FILE* stream) { return lockWholeFile(stream); }
int unlockFile(FILE* stream) { return unlockWholeFile(stream); }

int makeDirectory(const char* path) { return makeOneDirectory(path); }

static bool isSeparator(char c) { return c == '\\' || c == '/'; }

int makeDirectories(const char* path) {
  if (path == nullptr || *path == '\0') return 0;
  std::string built;
  if (path[0] == '\\' && path[1] == '\\') {
    built = "\\\\";
  } else if (isSeparator(path[0])) {
    built = "/";
  }
  const char* p = path;
  while (*p != '\0') {
    while (isSeparator(*p)) ++p;
    const char* start = p;
    while (*p != '\0' && !isSeparator(*p)) ++p;
    if (p == start) break;
    built.append(start, p);
    if (!pathExistsStat(built.c_str())) makeDirectory(built.c_str());
    built += '/';
  }
  return 1;
}

int isDirectory(const char* path) { return pathIsDirectory(path); }

int pathExists(const char* path) { return pathExistsStat(path); }

char* joinPath(const char* directory, const char* name) {
  if (directory == nullptr || name == nullptr) return nullptr;
  std::string joined(directory);
  // An empty directory means the working directory, never the root.
  if (!joined.empty() && !isSeparator(joined.back())) joined += kPathSeparator;
  if (isSeparator(*name)) ++name;
  joined += name;
  return strdup(joined.c_str());
}

char* toNativeSeparators(char* path) {
  if (path == nullptr) return nullptr;
  for (char* p = path; *p != '\0'; ++p) {
    if (isSeparator(*p)) *p = kPathSeparator;
  }
  return path;
}

int copyFile(const char* source, const char* destination, const char* mode) {
  if (mode == nullptr || (std::strchr(mode, 'w') == nullptr && std::strchr(mode, 'a') == nullptr)) {
    return 0;
  }
  FilePtr in(openFile(source, "rb"));
  if (!in) return 0;
  std::string openMode(mode);
  if (openMode.find('b') == std::string::npos) openMode += 'b';
  FilePtr out(openFile(destination, openMode.c_str()));
  if (!out) return 0;
  char buffer[2048];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer - 1, in.get())) > 0) {
    std::fwrite(buffer, 1, count, out.get());
  }
  return 1;
}

int fileExists(const char* path) {
  FilePtr file(openFile(path, "r"));
  return file ? 0 : -1;
}
