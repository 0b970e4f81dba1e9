#include "host/host_memory.h"

#include <limits>

#include "platform/global_heap.h"

namespace {

constexpr int16_t kBufferProcsVersion = 2;
constexpr int16_t kBufferProcsCount = 5;
constexpr int16_t kHandleProcsVersion = 1;
constexpr int16_t kHandleProcsCount = 8;

// Allocates a movable zero-filled global-heap block and locks it for its life.
// A movable block of 0 bytes cannot be locked on Windows, so it takes one byte.
void* AllocLockedGlobal(int64_t size) {
  if (size < 0) return nullptr;
  GlobalBlock block = GlobalHeapAlloc(kGlobalMoveableZeroed, static_cast<uint64_t>(size > 0 ? size : 1));
  if (!block) return nullptr;
  void* pointer = GlobalHeapLock(block);
  if (!pointer) GlobalHeapFree(block);
  return pointer;
}

}  // namespace

bool BufferProcsAvailable(const BufferProcs* bufferProcs, bool* newerOut) {
  if (!bufferProcs) return false;
  if (bufferProcs->bufferProcsVersion > kBufferProcsVersion && newerOut) *newerOut = true;
  return bufferProcs->bufferProcsVersion == kBufferProcsVersion && bufferProcs->numBufferProcs >= kBufferProcsCount &&
         bufferProcs->allocateProc && bufferProcs->lockProc && bufferProcs->unlockProc && bufferProcs->freeProc &&
         bufferProcs->spaceProc;
}

bool HandleProcsAvailable(const HandleProcs* handleProcs, bool* newerOut) {
  if (!handleProcs) return false;
  if (handleProcs->handleProcsVersion > kHandleProcsVersion && newerOut) *newerOut = true;
  // Lock and unlock are not part of the test; LockHostHandle and
  // UnlockHostHandle cope with a host that leaves them out.
  return handleProcs->handleProcsVersion == kHandleProcsVersion && handleProcs->numHandleProcs >= kHandleProcsCount &&
         handleProcs->newProc && handleProcs->disposeProc && handleProcs->getSizeProc && handleProcs->setSizeProc;
}

// --- buffers ------------------------------------------------------------------

HostError HostAllocateBuffer(const BufferProcs* bufferProcs, int32_t size, BufferId* idOut) {
  if (!idOut) return kMemFullErr;
  *idOut = 0;
  if (!BufferProcsAvailable(bufferProcs, nullptr)) return kMemFullErr;
  return bufferProcs->allocateProc(size, idOut);
}

void* HostLockBuffer(const BufferProcs* bufferProcs, BufferId id, bool moveHigh) {
  if (!BufferProcsAvailable(bufferProcs, nullptr)) return nullptr;
  return bufferProcs->lockProc(id, moveHigh ? 1 : 0);
}

void HostUnlockBuffer(const BufferProcs* bufferProcs, BufferId id) {
  if (BufferProcsAvailable(bufferProcs, nullptr)) bufferProcs->unlockProc(id);
}

void HostFreeBuffer(const BufferProcs* bufferProcs, BufferId id) {
  if (BufferProcsAvailable(bufferProcs, nullptr)) bufferProcs->freeProc(id);
}

void* AllocFallbackBlock(int64_t size) { return AllocLockedGlobal(size); }

void FreeFallbackBlock(void* pointer) {
  GlobalBlock block = GlobalHeapHandle(pointer);
  if (!block) return;
  GlobalHeapUnlock(block);
  GlobalHeapFree(block);
}

void* AllocBuffer(int64_t size, BufferId* slot, const BufferProcs* bufferProcs) {
  if (size < 0) {
    if (slot) *slot = 0;
    return nullptr;
  }
  // The host's allocator takes a 32-bit size; a larger request would be cut
  // short there, so it goes to the global heap instead.
  if (slot && bufferProcs && size <= std::numeric_limits<int32_t>::max()) {
    if (HostAllocateBuffer(bufferProcs, static_cast<int32_t>(size), slot) == kNoErr) {
      void* pointer = HostLockBuffer(bufferProcs, *slot, true);
      if (pointer) return pointer;
      // Allocated but not lockable: give the host its buffer back.
      if (*slot != 0) HostFreeBuffer(bufferProcs, *slot);
    }
  }
  if (slot) *slot = 0;
  return AllocFallbackBlock(size);
}

void FreeBuffer(void** pointerSlot, BufferId* slot, const BufferProcs* bufferProcs) {
  if (!pointerSlot || !*pointerSlot) return;
  if (slot && bufferProcs && *slot != 0) {
    HostUnlockBuffer(bufferProcs, *slot);
    HostFreeBuffer(bufferProcs, *slot);
  } else {
    FreeFallbackBlock(*pointerSlot);
  }
  *pointerSlot = nullptr;
  if (slot) *slot = 0;
}

// --- handles ------------------------------------------------------------------

HostHandle* NewGlobalHostHandle(int32_t size) {
  auto* record = static_cast<HostHandle*>(AllocLockedGlobal(sizeof(HostHandle)));
  if (!record) return nullptr;
  record->data = static_cast<char*>(AllocLockedGlobal(size));
  if (!record->data) {
    FreeFallbackBlock(record);
    return nullptr;
  }
  record->signature = kHostHandleSignature;
  return record;
}

void DisposeGlobalHostHandle(HostHandle* handle) {
  if (!handle) return;
  if (handle->data) FreeFallbackBlock(handle->data);
  FreeFallbackBlock(handle);
}

HostHandleRef NewHostHandle(const HandleProcs* handleProcs, int32_t size) {
  if (HandleProcsAvailable(handleProcs, nullptr)) return handleProcs->newProc(size);
  return reinterpret_cast<HostHandleRef>(NewGlobalHostHandle(size));
}

void DisposeHostHandle(const HandleProcs* handleProcs, HostHandleRef handle) {
  if (!handle) return;
  if (HandleProcsAvailable(handleProcs, nullptr)) {
    handleProcs->disposeProc(handle);
  } else {
    DisposeGlobalHostHandle(reinterpret_cast<HostHandle*>(handle));
  }
}

char* LockHostHandle(const HandleProcs* handleProcs, HostHandleRef handle, bool moveHigh) {
  if (!handle) return nullptr;
  // A host that leaves its lock proc out still hands out real master pointers.
  if (HandleProcsAvailable(handleProcs, nullptr) && handleProcs->lockProc) {
    return handleProcs->lockProc(handle, moveHigh ? 1 : 0);
  }
  return *handle;
}

void UnlockHostHandle(const HandleProcs* handleProcs, HostHandleRef handle) {
  // Global-heap handles stay locked for their whole life.
  if (handle && HandleProcsAvailable(handleProcs, nullptr) && handleProcs->unlockProc) {
    handleProcs->unlockProc(handle);
  }
}
