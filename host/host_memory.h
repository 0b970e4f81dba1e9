// Host memory: handles and buffers through the host's callbacks, with the
// global-heap fallback when the host offers none. AllocBuffer / FreeBuffer are
// the one allocator pair of the whole program.
#pragma once

#include <cstdint>

#include "host/host_records.h"

// The global-heap replacement for a host handle. The first word is the data
// block, so code that dereferences a host handle works on these too.
struct HostHandle {
  char* data;
  FourCC signature;  // kHostHandleSignature
};
constexpr FourCC kHostHandleSignature = MakeFourCC('O', 'T', 'O', 'F');

// Buffers.
void* AllocBuffer(int64_t size, BufferId* slot, const BufferProcs* bufferProcs);
void FreeBuffer(void** pointerSlot, BufferId* slot, const BufferProcs* bufferProcs);
void* AllocFallbackBlock(int64_t size);
void FreeFallbackBlock(void* pointer);
HostError HostAllocateBuffer(const BufferProcs* bufferProcs, int32_t size, BufferId* idOut);
void* HostLockBuffer(const BufferProcs* bufferProcs, BufferId id, bool moveHigh);
void HostUnlockBuffer(const BufferProcs* bufferProcs, BufferId id);
void HostFreeBuffer(const BufferProcs* bufferProcs, BufferId id);
bool BufferProcsAvailable(const BufferProcs* bufferProcs, bool* newerOut);
bool HandleProcsAvailable(const HandleProcs* handleProcs, bool* newerOut);

// Handles.
HostHandleRef NewHostHandle(const HandleProcs* handleProcs, int32_t size);
void DisposeHostHandle(const HandleProcs* handleProcs, HostHandleRef handle);
char* LockHostHandle(const HandleProcs* handleProcs, HostHandleRef handle, bool moveHigh);
void UnlockHostHandle(const HandleProcs* handleProcs, HostHandleRef handle);
HostHandle* NewGlobalHostHandle(int32_t size);
void DisposeGlobalHostHandle(HostHandle* handle);
