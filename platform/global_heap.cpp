#include "platform/global_heap.h"

#include <atomic>

#include "platform/global_heap_os.h"

namespace {
// Counted from any thread: the render's worker threads may allocate too.
std::atomic<int64_t> liveBlocks{0};
std::atomic<int64_t> allocations{0};
std::atomic<int32_t> failCountdown{0};  // 0: never fail
}  // namespace

GlobalBlock GlobalHeapAlloc(uint32_t flags, uint64_t size) {
  if (failCountdown.load() > 0 && failCountdown.fetch_sub(1) == 1) return nullptr;
  GlobalBlock block = OsGlobalAlloc(flags, size);
  if (block) {
    ++liveBlocks;
    ++allocations;
  }
  return block;
}

void* GlobalHeapLock(GlobalBlock block) { return block ? OsGlobalLock(block) : nullptr; }

bool GlobalHeapUnlock(GlobalBlock block) { return block ? OsGlobalUnlock(block) : false; }

GlobalBlock GlobalHeapHandle(const void* pointer) { return pointer ? OsGlobalHandle(pointer) : nullptr; }

GlobalBlock GlobalHeapFree(GlobalBlock block) {
  if (!block) return nullptr;
  GlobalBlock left = OsGlobalFree(block);
  if (!left) --liveBlocks;
  return left;
}

void GlobalHeapFailAllocationAt(int32_t n) { failCountdown.store(n > 0 ? n : 0); }

int64_t GlobalHeapLiveBlocks() { return liveBlocks; }

int64_t GlobalHeapAllocations() { return allocations; }
