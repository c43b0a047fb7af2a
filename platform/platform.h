// The operating-system layer: the only place that includes OS headers.
//
// One POSIX implementation (platform/posix) and one Win32 implementation
// (platform/win32) provide these functions; the build picks one.
#ifndef LUMEN_PLATFORM_PLATFORM_H_
#define LUMEN_PLATFORM_PLATFORM_H_

#include <cstdio>
#include <ctime>

// The separator this platform puts between a directory and a file name.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Watchdog: after `milliseconds` it ends the whole process at once with
// `exitCode`, running no clean-up and flushing nothing (a thread on Windows, the
// interval timer and SIGALRM on POSIX). stopWatchdog disarms it without waiting;
// it is safe to call when none runs.
void startWatchdog(unsigned milliseconds, int exitCode);
void stopWatchdog();

// Dynamic libraries. loadLibrary returns an opaque handle or nullptr; findSymbol
// accepts a null handle and then finds nothing. Libraries are never unloaded.
// A name without a directory is looked for in the running program's directory
// first, then by the system's usual rules (Windows' LoadLibraryA starts with the
// program's directory by itself; on POSIX it is tried before dlopen's search).
void* loadLibrary(const char* name);
void* findSymbol(void* library, const char* name);

// Maps a library name written for Windows ("pdfconv.dll") to this platform's
// naming ("libpdfconv.so" on POSIX, unchanged on Windows). Caller frees.
char* platformLibraryName(const char* windowsName);

// Exclusive lock over the first 0x7FFFFFFF bytes of an open file. When another
// process holds a lock, the attempt is repeated once a second, ten tries in all.
// Returns 1 when the lock was taken, 0 otherwise.
int lockWholeFile(FILE* stream);
int unlockWholeFile(FILE* stream);
// One attempt at that lock: 1 taken, 0 held by another process (worth another
// try), -1 not possible at all (no stream, or no locking on this file).
int tryLockWholeFile(FILE* stream);

// File attributes.
int pathIsDirectory(const char* path);   // 1 for an accessible directory
int streamIsDirectory(FILE* stream);     // 1 when an open stream is a directory
long long streamFileSize(FILE* stream);  // size of an open regular file, or -1
int pathExistsStat(const char* path);    // 1 when stat succeeds
long long pathStatSize(const char* path);  // stat size, or -1
int makeOneDirectory(const char* path);  // 0 on success, -1 on failure

// A process-wide critical section for code that wraps non-reentrant library calls.
void enterCriticalSection();
void leaveCriticalSection();

// The broken-down local time of `seconds` since 1970-01-01 UTC, for every time
// whose year the record can hold, before 1970 as well. Returns 1, or 0 when the
// time has no local time (the destination then holds nothing useful). Not reentrant:
// callers serialise it (see enterCriticalSection).
int localTimeOf(long long seconds, std::tm* destination);

// Sleeps the calling thread.
void sleepMilliseconds(unsigned milliseconds);

#endif  // LUMEN_PLATFORM_PLATFORM_H_
