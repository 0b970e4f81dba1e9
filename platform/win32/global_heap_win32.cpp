#include <windows.h>

#include "platform/global_heap_os.h"

GlobalBlock OsGlobalAlloc(uint32_t flags, uint64_t size) {
  return GlobalAlloc(static_cast<UINT>(flags), static_cast<SIZE_T>(size));
}

void* OsGlobalLock(GlobalBlock block) { return GlobalLock(block); }

bool OsGlobalUnlock(GlobalBlock block) { return GlobalUnlock(block) != 0; }

GlobalBlock OsGlobalHandle(const void* pointer) { return GlobalHandle(pointer); }

GlobalBlock OsGlobalFree(GlobalBlock block) { return GlobalFree(block); }
