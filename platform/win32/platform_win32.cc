// Win32 implementation of the operating-system layer.
#include "platform/platform.h"

#include <windows.h>
#include <direct.h>
#include <io.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// The watchdog waits on an event rather than sleeping, so that a finished
// conversion ends it at once. Killing it with TerminateThread instead could leave
// a lock of the loader or the heap held by a thread that is gone.
HANDLE watchdogThread = nullptr;
HANDLE watchdogStop = nullptr;
unsigned watchdogMilliseconds = 0;
int watchdogExitCode = 0;

DWORD WINAPI watchdogMain(LPVOID) {
  if (WaitForSingleObject(watchdogStop, watchdogMilliseconds) == WAIT_OBJECT_0) return 1;
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(watchdogExitCode));
  return 0;
}

CRITICAL_SECTION criticalSection;
bool criticalSectionReady = false;

}  // namespace

void sleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

void startWatchdog(unsigned milliseconds, int exitCode) {
  if (watchdogThread != nullptr) return;
  watchdogMilliseconds = milliseconds;
  watchdogExitCode = exitCode;
  watchdogStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (watchdogStop == nullptr) return;
  watchdogThread = CreateThread(nullptr, 0, watchdogMain, nullptr, 0, nullptr);
  if (watchdogThread == nullptr) {
    CloseHandle(watchdogStop);
    watchdogStop = nullptr;
  }
}

void stopWatchdog() {
  if (watchdogThread == nullptr) return;
  SetEvent(watchdogStop);
  WaitForSingleObject(watchdogThread, INFINITE);
  CloseHandle(watchdogThread);
  CloseHandle(watchdogStop);
  watchdogThread = nullptr;
  watchdogStop = nullptr;
}

void* loadLibrary(const char* name) {
  if (name == nullptr || *name == '\0') return nullptr;
  return reinterpret_cast<void*>(LoadLibraryA(name));
}

void* findSymbol(void* library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

char* platformLibraryName(const char* windowsName) {
  return windowsName == nullptr ? nullptr : _strdup(windowsName);
}

namespace {

constexpr DWORD kLockedBytes = 0x7FFFFFFF;

// The file behind a stream and its current position, where the locked range starts.
bool lockTarget(FILE* stream, HANDLE* file, LARGE_INTEGER* start) {
  if (stream == nullptr) return false;
  int descriptor = _fileno(stream);
  *file = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  start->QuadPart = _telli64(descriptor);
  return *file != INVALID_HANDLE_VALUE && start->QuadPart >= 0;
}

}  // namespace

// The C runtime's _locking promises retries, but not every runtime that runs this
// program keeps the promise; LockFile does what is asked, no more.
int tryLockWholeFile(FILE* stream) {
  HANDLE file;
  LARGE_INTEGER start;
  if (!lockTarget(stream, &file, &start)) return -1;
  if (LockFile(file, start.LowPart, static_cast<DWORD>(start.HighPart), kLockedBytes, 0)) return 1;
  return GetLastError() == ERROR_LOCK_VIOLATION ? 0 : -1;  // else not a lock held elsewhere
}

int unlockWholeFile(FILE* stream) {
  HANDLE file;
  LARGE_INTEGER start;
  if (!lockTarget(stream, &file, &start)) return 0;
  return UnlockFile(file, start.LowPart, static_cast<DWORD>(start.HighPart), kLockedBytes, 0)
             ? 1
             : 0;
}

int pathIsDirectory(const char* path) {
  if (path == nullptr || *path == '\0') return 0;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && _access(path, 0) == 0 ? 1 : 0;
}

// Windows never opens a directory as a stream.
int streamIsDirectory(FILE*) { return 0; }

long long streamFileSize(FILE* stream) {
  if (stream == nullptr) return -1;
  struct _stati64 info;
  if (_fstati64(_fileno(stream), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return -1;
  return static_cast<long long>(info.st_size);
}

int pathExistsStat(const char* path) {
  if (path == nullptr || *path == '\0') return 0;
  struct _stat info;
  return _stat(path, &info) == 0 ? 1 : 0;
}

long long pathStatSize(const char* path) {
  if (path == nullptr || *path == '\0') return -1;
  struct _stat info;
  if (_stat(path, &info) != 0) return -1;
  return static_cast<long long>(info.st_size);
}

int makeOneDirectory(const char* path) {
  if (path == nullptr || *path == '\0') return -1;
  return _mkdir(path) == 0 ? 0 : -1;
}

// Only the main thread calls in, so the lazy set-up needs no guard of its own.
void enterCriticalSection() {
  if (!criticalSectionReady) {
    InitializeCriticalSection(&criticalSection);
    criticalSectionReady = true;
  }
  EnterCriticalSection(&criticalSection);
}

void leaveCriticalSection() {
  if (criticalSectionReady) LeaveCriticalSection(&criticalSection);
}

// The C runtime's localtime knows 1970 to 3000 only. The Gregorian calendar
// repeats every 400 years, weekdays included, and the runtime applies one
// daylight-saving rule to every year, so a time outside is moved into that range
// by whole 400-year cycles and the cycles are added back to the year.
int localTimeOf(long long seconds, std::tm* destination) {
  if (destination == nullptr) return 0;
  constexpr long long kCycle = 146097LL * 86400;  // 400 years
  constexpr long long kFirstSafe = 86400;         // a day's margin for any zone
  constexpr long long kMostCycles = 5400000;      // more than an int's years
  if (seconds > kMostCycles * kCycle || seconds < -kMostCycles * kCycle) return 0;
  long long cycles = 0;
  if (seconds < kFirstSafe || seconds >= kFirstSafe + kCycle) {
    long long offset = seconds - kFirstSafe;
    cycles = offset / kCycle - (offset % kCycle < 0 ? 1 : 0);
  }
  const __time64_t value = static_cast<__time64_t>(seconds - cycles * kCycle);
  const std::tm* broken = _localtime64(&value);
  if (broken == nullptr) return 0;
  const long long year = broken->tm_year + cycles * 400;
  if (year > INT_MAX || year < INT_MIN) return 0;
  *destination = *broken;
  destination->tm_year = static_cast<int>(year);
  return 1;
}
