// The global heap: the allocator that stands in when the host offers no
// memory callbacks. On Windows these are the kernel32 global-memory calls; on
// other systems a malloc-based emulation with the same contract.
//
// Every call goes through a thin common layer that counts live blocks and can
// be told to fail the Nth allocation, so tests can reach the failure paths on
// both systems.
#pragma once

#include <cstdint>

using GlobalBlock = void*;  // an opaque global-heap handle; null means none

constexpr uint32_t kGlobalMoveable = 0x0002;
constexpr uint32_t kGlobalZeroInit = 0x0040;
constexpr uint32_t kGlobalMoveableZeroed = kGlobalMoveable | kGlobalZeroInit;  // 0x42

GlobalBlock GlobalHeapAlloc(uint32_t flags, uint64_t size);
void* GlobalHeapLock(GlobalBlock block);
bool GlobalHeapUnlock(GlobalBlock block);  // true while the block is still locked
GlobalBlock GlobalHeapHandle(const void* pointer);
GlobalBlock GlobalHeapFree(GlobalBlock block);  // null on success, the block on failure

// Test controls. The allocation counter runs from the last reset.
void GlobalHeapFailAllocationAt(int32_t n);  // the nth allocation from now fails; 0 = never
int64_t GlobalHeapLiveBlocks();
int64_t GlobalHeapAllocations();
