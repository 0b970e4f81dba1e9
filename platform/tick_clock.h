// The millisecond tick clock of the system (wrapping at 2^32), replaceable by
// tests with a clock of their own.
#pragma once

#include <cstdint>

using TickClockProc = uint32_t (*)();

uint32_t TickCountMs();
// Replaces the clock; null restores the system's.
void SetTickClock(TickClockProc clock);

// The system's side (posix/ or win32/).
uint32_t OsTickCountMs();
