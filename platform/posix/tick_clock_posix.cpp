#include <chrono>

#include "platform/tick_clock.h"

uint32_t OsTickCountMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
