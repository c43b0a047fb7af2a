#include "platform/platform.h"

// The retries are the same on every platform; only the single attempt differs.
int lockWholeFile(FILE* stream) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (attempt > 0) sleepMilliseconds(1000);
    int taken = tryLockWholeFile(stream);
    if (taken != 0) return taken > 0 ? 1 : 0;
  }
  return 0;
}
