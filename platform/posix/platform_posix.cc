// POSIX implementation of the operating-system layer.
#include "platform/platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The watchdog waits on a condition variable rather than sleeping, so that a
// finished conversion can end it at once without cancelling the thread.
struct WatchdogState {
  pthread_t thread;
  bool running = false;
  bool stopRequested = false;
  unsigned milliseconds = 0;
  int exitCode = 0;
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t wake;
};
WatchdogState watchdog;

void* watchdogMain(void*) {
  struct timespec deadline;
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += watchdog.milliseconds / 1000;
  deadline.tv_nsec += static_cast<long>(watchdog.milliseconds % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  pthread_mutex_lock(&watchdog.mutex);
  int status = 0;
  while (!watchdog.stopRequested && status != ETIMEDOUT) {
    status = pthread_cond_timedwait(&watchdog.wake, &watchdog.mutex, &deadline);
  }
  bool expired = !watchdog.stopRequested;
  pthread_mutex_unlock(&watchdog.mutex);
  if (expired) _exit(watchdog.exitCode);  // no atexit handlers, no stream flushing
  return nullptr;
}

pthread_mutex_t criticalSection = PTHREAD_MUTEX_INITIALIZER;

}  // namespace

void sleepMilliseconds(unsigned milliseconds) {
  struct timespec wait;
  wait.tv_sec = milliseconds / 1000;
  wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (nanosleep(&wait, &wait) != 0) {
  }
}

void startWatchdog(unsigned milliseconds, int exitCode) {
  if (watchdog.running) return;
  watchdog.milliseconds = milliseconds;
  watchdog.exitCode = exitCode;
  watchdog.stopRequested = false;
  pthread_condattr_t attributes;
  pthread_condattr_init(&attributes);
  pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  pthread_cond_init(&watchdog.wake, &attributes);
  pthread_condattr_destroy(&attributes);
  if (pthread_create(&watchdog.thread, nullptr, watchdogMain, nullptr) == 0) {
    watchdog.running = true;
  } else {
    pthread_cond_destroy(&watchdog.wake);
  }
}

void stopWatchdog() {
  if (!watchdog.running) return;
  pthread_mutex_lock(&watchdog.mutex);
  watchdog.stopRequested = true;
  pthread_cond_signal(&watchdog.wake);
  pthread_mutex_unlock(&watchdog.mutex);
  pthread_join(watchdog.thread, nullptr);
  pthread_cond_destroy(&watchdog.wake);
  watchdog.running = false;
}

void* loadLibrary(const char* name) {
  if (name == nullptr || *name == '\0') return nullptr;
  return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* findSymbol(void* library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return dlsym(library, name);
}

char* platformLibraryName(const char* windowsName) {
  if (windowsName == nullptr) return nullptr;
  std::string name(windowsName);
  const std::string dll = ".dll";
  if (name.size() >= dll.size() &&
      strcasecmp(name.c_str() + name.size() - dll.size(), dll.c_str()) == 0) {
    name.erase(name.size() - dll.size());
    name = "lib" + name + ".so";
  }
  return strdup(name.c_str());
}

static int lockRange(FILE* stream, short type) {
  if (stream == nullptr) return 0;
  struct flock lock;
  std::memset(&lock, 0, sizeof lock);
  lock.l_type = type;
  lock.l_whence = SEEK_CUR;
  lock.l_start = 0;
  lock.l_len = 0x7FFFFFFF;
  int fd = fileno(stream);
  if (type == F_UNLCK) return fcntl(fd, F_SETLK, &lock) == 0 ? 1 : 0;
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (attempt > 0) sleepMilliseconds(1000);
    if (fcntl(fd, F_SETLK, &lock) == 0) return 1;
    if (errno != EACCES && errno != EAGAIN) return 0;  // locking unsupported: no retry
  }
  return 0;
}

// A read-only stream can only take a shared lock under POSIX record locking; it
// still excludes writers, which is what the exclusive lock is for.
int lockWholeFile(FILE* stream) {
  if (stream == nullptr) return 0;
  int mode = fcntl(fileno(stream), F_GETFL);
  short type = (mode >= 0 && (mode & O_ACCMODE) != O_RDONLY) ? F_WRLCK : F_RDLCK;
  return lockRange(stream, type);
}

int unlockWholeFile(FILE* stream) { return lockRange(stream, F_UNLCK); }

int pathIsDirectory(const char* path) {
  if (path == nullptr || *path == '\0') return 0;
  struct stat info;
  if (stat(path, &info) != 0) return 0;
  return S_ISDIR(info.st_mode) && access(path, F_OK) == 0 ? 1 : 0;
}

int streamIsDirectory(FILE* stream) {
  if (stream == nullptr) return 0;
  struct stat info;
  if (fstat(fileno(stream), &info) != 0) return 0;
  return S_ISDIR(info.st_mode) ? 1 : 0;
}

int pathExistsStat(const char* path) {
  if (path == nullptr || *path == '\0') return 0;
  struct stat info;
  return stat(path, &info) == 0 ? 1 : 0;
}

long long pathStatSize(const char* path) {
  if (path == nullptr || *path == '\0') return -1;
  struct stat info;
  if (stat(path, &info) != 0) return -1;
  return static_cast<long long>(info.st_size);
}

int makeOneDirectory(const char* path) {
  if (path == nullptr || *path == '\0') return -1;
  return mkdir(path, 0777) == 0 ? 0 : -1;
}

void enterCriticalSection() { pthread_mutex_lock(&criticalSection); }
void leaveCriticalSection() { pthread_mutex_unlock(&criticalSection); }

int localTimeOf(long long seconds, std::tm* destination) {
  if (destination == nullptr) return 0;
  const time_t value = static_cast<time_t>(seconds);
  if (static_cast<long long>(value) != seconds) return 0;
  return localtime_r(&value, destination) != nullptr ? 1 : 0;
}
