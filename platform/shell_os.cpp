#include "platform/shell_os.h"

#include <atomic>

namespace {
std::atomic<UtcClockProc> gClock{nullptr};
}  // namespace

void SetUtcClock(UtcClockProc clock) { gClock.store(clock); }

void CurrentUtcTime(UtcDateTime* out) {
  const UtcClockProc clock = gClock.load();
  if (clock != nullptr) {
    clock(out);
  } else {
    OsUtcNow(out);
  }
}
