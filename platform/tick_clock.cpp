#include "platform/tick_clock.h"

namespace {
TickClockProc tickClock = nullptr;
}

uint32_t TickCountMs() { return tickClock ? tickClock() : OsTickCountMs(); }

void SetTickClock(TickClockProc clock) { tickClock = clock; }
