// The operating system's side of the global heap (posix/ or win32/).
#pragma once

#include "platform/global_heap.h"

GlobalBlock OsGlobalAlloc(uint32_t flags, uint64_t size);
void* OsGlobalLock(GlobalBlock block);
bool OsGlobalUnlock(GlobalBlock block);
GlobalBlock OsGlobalHandle(const void* pointer);
GlobalBlock OsGlobalFree(GlobalBlock block);
