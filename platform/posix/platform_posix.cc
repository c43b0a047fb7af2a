// POSIX implementation of the operating-system layer.
#include "platform/platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The watchdog is the process's real-time interval timer: when it runs out, the
// SIGALRM handler ends the process. No thread is started, and none has to be
// woken and joined when a conversion ends, which costs a run a scheduling round.
int watchdogExitCode = 0;
bool watchdogArmed = false;
struct sigaction previousAlarmAction;

void onWatchdogAlarm(int) { _exit(watchdogExitCode); }  // no clean-up, no flushing

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
  if (watchdogArmed) return;
  watchdogExitCode = exitCode;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onWatchdogAlarm;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (sigaction(SIGALRM, &action, &previousAlarmAction) != 0) return;
  // A signal mask inherited from the starting process must not hold the alarm back.
  sigset_t alarm;
  sigemptyset(&alarm);
  sigaddset(&alarm, SIGALRM);
  pthread_sigmask(SIG_UNBLOCK, &alarm, nullptr);
  struct itimerval timer;
  std::memset(&timer, 0, sizeof timer);
  timer.it_value.tv_sec = milliseconds / 1000;
  timer.it_value.tv_usec = static_cast<suseconds_t>(milliseconds % 1000) * 1000;
  if (milliseconds == 0) timer.it_value.tv_usec = 1;  // a zero value would disarm it
  if (setitimer(ITIMER_REAL, &timer, nullptr) != 0) {
    sigaction(SIGALRM, &previousAlarmAction, nullptr);
    return;
  }
  watchdogArmed = true;
}

void stopWatchdog() {
  if (!watchdogArmed) return;
  struct itimerval off;
  std::memset(&off, 0, sizeof off);
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &previousAlarmAction, nullptr);
  watchdogArmed = false;
}

// The directory of the running program, from /proc/self/exe; "" when unknown.
static std::string programDirectory() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  std::string program(path, static_cast<size_t>(length));
  size_t slash = program.rfind('/');
  return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

#if defined(__SANITIZE_ADDRESS__)
#define LUMEN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMEN_ADDRESS_SANITIZER 1
#endif
#endif

// Lazy binding: a plug-in built on a large library (pdfconv on poppler) brings
// some thirty libraries in, and binding every function of the ones built without
// immediate binding costs more than a small conversion does. Deep binding looks
// the plug-in's symbols up in its own libraries first, which spares each of its
// thousands of lookups a pass through the program's scope; the program exports
// nothing and copies no library data, so every symbol binds where it would
// anyway. The address sanitizer refuses it: its runtime must interpose malloc.
int libraryFlags() {
  int flags = RTLD_LAZY | RTLD_LOCAL;
#if defined(RTLD_DEEPBIND) && !defined(LUMEN_ADDRESS_SANITIZER)
  flags |= RTLD_DEEPBIND;
#endif
  return flags;
}

void* loadLibrary(const char* name) {
  if (name == nullptr || *name == '\0') return nullptr;
  if (std::strchr(name, '/') == nullptr) {
    std::string directory = programDirectory();
    if (!directory.empty()) {
      void* library = dlopen((directory + "/" + name).c_str(), libraryFlags());
      if (library != nullptr) return library;
    }
  }
  return dlopen(name, libraryFlags());
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

static struct flock wholeRange(short type) {
  struct flock lock;
  std::memset(&lock, 0, sizeof lock);
  lock.l_type = type;
  lock.l_whence = SEEK_CUR;
  lock.l_start = 0;
  lock.l_len = 0x7FFFFFFF;
  return lock;
}

// A read-only stream can only take a shared lock under POSIX record locking; it
// still excludes writers, which is what the exclusive lock is for.
int tryLockWholeFile(FILE* stream) {
  if (stream == nullptr) return -1;
  int fd = fileno(stream);
  int mode = fcntl(fd, F_GETFL);
  struct flock lock =
      wholeRange((mode >= 0 && (mode & O_ACCMODE) != O_RDONLY) ? F_WRLCK : F_RDLCK);
  if (fcntl(fd, F_SETLK, &lock) == 0) return 1;
  return errno == EACCES || errno == EAGAIN ? 0 : -1;  // else locking unsupported
}

int unlockWholeFile(FILE* stream) {
  if (stream == nullptr) return 0;
  struct flock lock = wholeRange(F_UNLCK);
  return fcntl(fileno(stream), F_SETLK, &lock) == 0 ? 1 : 0;
}

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

long long streamFileSize(FILE* stream) {
  if (stream == nullptr) return -1;
  struct stat info;
  if (fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<long long>(info.st_size);
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
