#include <windows.h>

#include "platform/tick_clock.h"

uint32_t OsTickCountMs() { return GetTickCount(); }
