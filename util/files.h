// File, directory and path helpers. Missing arguments give a neutral result
// (nullptr, 0 or -1); texts handed out are released with std::free.
#ifndef LUMEN_UTIL_FILES_H_
#define LUMEN_UTIL_FILES_H_

#include <cstdio>
#include <memory>

// RAII owner of a stdio stream.
struct FileCloser {
  void operator()(FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// nullptr unless path is non-empty and a mode is given; otherwise fopen.
FILE* openFile(const char* path, const char* mode);
// -1 for no stream, else fclose's result.
int closeFile(FILE* stream);
// Length of the stream (position restored); 0 for no stream.
long streamSize(FILE* stream);
// streamSize of the file opened for binary reading; -1 when it cannot be opened.
long fileSizeByPath(const char* path);
// Size reported by stat; 0 when stat fails.
long fileSizeByName(const char* path);
// Reads up to streamSize + 2 bytes into a new zero-filled block, which always has
// a 0 byte after the bytes read. Returns the count read; when nothing was read the
// block is freed, *result is cleared and 0 returned.
long readStreamWhole(FILE* stream, char** result);
// Clears *result, then readStreamWhole of the file opened for binary reading.
long readWholeFile(const char* path, char** result);
// Sets *count to -1; reads the whole file under lockFile (or without the lock
// when it cannot be taken); stores the count; 1 when more than 0 bytes were read.
int readFileLocked(const char* path, char** result, long* count);
// Exclusive lock over 0x7FFFFFFF bytes from the current position, retried once a
// second, ten tries in all. 1 on success.
int lockFile(FILE* stream);
int unlockFile(FILE* stream);

// 0 on success, -1 on failure.
int makeDirectory(const char* path);
// Creates every missing directory along path ("\" and "/" both separate); returns
// 1, even when a creation fails; 0 for a missing or empty path.
int makeDirectories(const char* path);
// 1 when something exists at path (stat succeeds).
int pathExists(const char* path);
// 1 when path is an accessible directory.
int isDirectory(const char* path);

// directory + separator (unless it already ends in "\" or "/") + name without one
// leading "/" or "\". nullptr when either is missing. Caller frees.
char* joinPath(const char* directory, const char* name);
// Rewrites "\" and "/" in place to this platform's separator, so that paths written
// in a configuration for either platform work. Returns path.
char* toNativeSeparators(char* path);

// Copies source over destination. mode must contain "w" or "a"; "b" is added when
// missing. 1 when the copy was made, 0 otherwise (destination untouched when the
// source cannot be opened).
int copyFile(const char* source, const char* destination, const char* mode);
// 0 when the path can be opened for reading, -1 otherwise (also for empty paths).
int fileExists(const char* path);

#endif  // LUMEN_UTIL_FILES_H_
