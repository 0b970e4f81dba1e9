// The test host's handle and buffer procs. Handles have a real master pointer;
// in the moving mode every unlocked block is copied to a new address (and the
// old one filled and freed) before each lock, so a filter that keeps a pointer
// across an unlock reads freed memory. New memory is never zero (unless the
// host turned the marking off).
#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

#include "platform/big_blocks.h"
#include "platform/testhost/test_host.h"

namespace {

bool MarkingMemory() {
  const TestHost* host = CurrentTestHost();
  return host == nullptr || host->options.markMemory;
}

char* NewBlock(int32_t size) {
  auto* block = static_cast<char*>(AllocBigBlock(size_t(std::max(size, 1))));
  if (block == nullptr) throw std::bad_alloc();
  if (MarkingMemory()) std::memset(block, kTestHostFillByte, size_t(std::max(size, 1)));
  return block;
}

void FreeBlock(char* block, int32_t size) {
  if (!block) return;
  if (MarkingMemory()) std::memset(block, kTestHostFreedByte, size_t(std::max(size, 1)));
  FreeBigBlock(block, size_t(std::max(size, 1)));
}

void MoveBlock(char** block, int32_t size) {
  char* moved = NewBlock(size);
  std::memcpy(moved, *block, size_t(std::max(size, 1)));
  FreeBlock(*block, size);
  *block = moved;
}

}  // namespace

// Buffers of a filter that does not mark memory (the program's runs) come
// from large chunks on huge pages: a filter's image tiles are many blocks a
// little too small for huge pages of their own, and touching them page by
// page is much of a run's cost. A freed block is kept for the next buffer of
// its size; the chunks are released with the host.
struct TestBufferArena {
  struct Chunk {
    char* base;
    size_t bytes;
  };
  std::vector<Chunk> chunks;
  char* next = nullptr;
  size_t left = 0;
  std::unordered_multimap<size_t, char*> spare;  // freed blocks by size
};

void TestBufferArenaDeleter::operator()(TestBufferArena* arena) const {
  for (const TestBufferArena::Chunk& chunk : arena->chunks) FreeBigBlock(chunk.base, chunk.bytes);
  delete arena;
}

namespace {

constexpr size_t kArenaChunkBytes = size_t(32) << 20;
constexpr size_t kArenaSmallestBlock = size_t(64) << 10;  // smaller ones stay on the heap
constexpr size_t kArenaAlignment = 64;

bool UsesBufferArena(const TestHost* host, int32_t size) {
  return BigBlocksUseHugePages() && !host->options.markMemory && !host->moveUnlockedHandles &&
         size_t(size) >= kArenaSmallestBlock;
}

char* ArenaBlock(TestHost* host, size_t size) {
  if (!host->bufferArena) host->bufferArena.reset(new TestBufferArena());
  TestBufferArena& arena = *host->bufferArena;
  const size_t bytes = (size + kArenaAlignment - 1) & ~(kArenaAlignment - 1);
  if (auto it = arena.spare.find(bytes); it != arena.spare.end()) {
    char* block = it->second;
    arena.spare.erase(it);
    return block;
  }
  if (arena.left < bytes) {
    const size_t chunkBytes = std::max(kArenaChunkBytes, bytes);
    auto* base = static_cast<char*>(AllocBigBlock(chunkBytes));
    if (base == nullptr) return nullptr;
    arena.chunks.push_back(TestBufferArena::Chunk{base, chunkBytes});
    arena.next = base;
    arena.left = chunkBytes;
  }
  char* block = arena.next;
  arena.next += bytes;
  arena.left -= bytes;
  return block;
}

void FreeArenaBlock(TestHost* host, char* block, size_t size) {
  const size_t bytes = (size + kArenaAlignment - 1) & ~(kArenaAlignment - 1);
  host->bufferArena->spare.emplace(bytes, block);
}

TestBufferEntry* FindBuffer(TestHost* host, BufferId id) {
  for (auto& entry : host->buffers) {
    if (entry->id == id) return entry.get();
  }
  return nullptr;
}

// --- handle procs ---------------------------------------------------------------

void TestDisposeHandle(HostHandleRef handle) {
  TestHost* host = CurrentTestHost();
  TestHandleEntry* entry = FindTestHandle(host, handle);
  if (!entry) {
    ++host->handleMisuse;
    return;
  }
  FreeBlock(entry->master, entry->size);
  entry->master = nullptr;
  entry->disposed = true;
}

int32_t TestGetHandleSize(HostHandleRef handle) {
  TestHandleEntry* entry = FindTestHandle(CurrentTestHost(), handle);
  return entry ? entry->size : 0;
}

HostError TestSetHandleSize(HostHandleRef handle, int32_t newSize) {
  TestHost* host = CurrentTestHost();
  TestHandleEntry* entry = FindTestHandle(host, handle);
  if (!entry || newSize < 0) return kFilterBadParameters;
  if (entry->lockCount > 0 && newSize > entry->size) return kMemFullErr;  // a locked block cannot grow
  char* resized = NewBlock(newSize);
  std::memcpy(resized, entry->master, size_t(std::min(newSize, entry->size)));
  FreeBlock(entry->master, entry->size);
  entry->master = resized;
  entry->size = newSize;
  return kNoErr;
}

char* TestLockHandle(HostHandleRef handle, HostBoolean /*moveHigh*/) {
  TestHost* host = CurrentTestHost();
  TestHandleEntry* entry = FindTestHandle(host, handle);
  if (!entry) {
    ++host->handleMisuse;
    return nullptr;
  }
  if (host->moveUnlockedHandles) MoveUnlockedHandles(host);
  ++entry->lockCount;
  ++host->handleLocks;
  return entry->master;
}

void TestUnlockHandle(HostHandleRef handle) {
  TestHost* host = CurrentTestHost();
  TestHandleEntry* entry = FindTestHandle(host, handle);
  if (!entry || entry->lockCount == 0) {
    ++host->handleMisuse;
    return;
  }
  --entry->lockCount;
  ++host->handleUnlocks;
}

void TestRecoverSpace(int32_t /*size*/) {}

// --- buffer procs ---------------------------------------------------------------

HostError TestAllocateBuffer(int32_t size, BufferId* bufferId) {
  TestHost* host = CurrentTestHost();
  *bufferId = 0;
  const int32_t n = ++host->bufferAllocations;
  if (host->failBufferAllocationAt > 0 &&
      (n == host->failBufferAllocationAt || (host->failBufferAllocationsAfter && n > host->failBufferAllocationAt))) {
    return kMemFullErr;
  }
  if (size < 0) return kMemFullErr;
  if (host->failBufferAllocationsAbove > 0 && size > host->failBufferAllocationsAbove) return kMemFullErr;
  auto entry = std::make_unique<TestBufferEntry>();
  entry->id = host->nextBufferId;
  host->nextBufferId += 0x10;
  entry->inArena = UsesBufferArena(host, size);
  entry->data = entry->inArena ? ArenaBlock(host, size_t(size)) : NewBlock(size);
  if (entry->data == nullptr) return kMemFullErr;
  entry->size = size;
  *bufferId = entry->id;
  host->buffers.push_back(std::move(entry));
  host->liveBufferBytes += size;
  host->peakBufferBytes = std::max(host->peakBufferBytes, host->liveBufferBytes);
  host->peakLiveBuffers = std::max(host->peakLiveBuffers, int32_t(host->buffers.size()));
  return kNoErr;
}

void* TestLockBuffer(BufferId bufferId, HostBoolean /*moveHigh*/) {
  TestHost* host = CurrentTestHost();
  const int32_t n = ++host->bufferLockCalls;
  TestBufferEntry* entry = FindBuffer(host, bufferId);
  if (!entry) {
    ++host->bufferMisuse;
    return nullptr;
  }
  if (host->failBufferLockAt > 0 && n == host->failBufferLockAt) return nullptr;
  if (host->moveUnlockedHandles && entry->lockCount == 0 && !entry->inArena) MoveBlock(&entry->data, entry->size);
  ++entry->lockCount;
  ++host->bufferLocks;
  return entry->data;
}

void TestUnlockBuffer(BufferId bufferId) {
  TestHost* host = CurrentTestHost();
  TestBufferEntry* entry = FindBuffer(host, bufferId);
  if (!entry || entry->lockCount == 0) {
    ++host->bufferMisuse;
    return;
  }
  --entry->lockCount;
  ++host->bufferUnlocks;
}

void TestFreeBuffer(BufferId bufferId) {
  TestHost* host = CurrentTestHost();
  auto it = std::find_if(host->buffers.begin(), host->buffers.end(),
                         [bufferId](const auto& entry) { return entry->id == bufferId; });
  if (it == host->buffers.end()) {
    ++host->bufferMisuse;
    return;
  }
  host->liveBufferBytes -= (*it)->size;
  if ((*it)->inArena) {
    FreeArenaBlock(host, (*it)->data, size_t((*it)->size));
  } else {
    FreeBlock((*it)->data, (*it)->size);
  }
  host->buffers.erase(it);
}

int32_t TestBufferSpace() { return CurrentTestHost()->options.bufferSpace; }

}  // namespace

HostHandleRef TestHostNewHandle(int32_t size) {
  TestHost* host = CurrentTestHost();
  const int32_t n = ++host->handleAllocations;
  if ((host->failHandleAllocationAt > 0 && n == host->failHandleAllocationAt) || size < 0) return nullptr;
  auto entry = std::make_unique<TestHandleEntry>();
  entry->master = NewBlock(size);
  entry->size = size;
  HostHandleRef handle = &entry->master;
  host->handles.push_back(std::move(entry));
  return handle;
}

TestHandleEntry* FindTestHandle(TestHost* host, HostHandleRef handle) {
  if (!handle) return nullptr;
  for (auto& entry : host->handles) {
    if (&entry->master == handle) return entry->disposed ? nullptr : entry.get();
  }
  return nullptr;
}

int32_t LiveHandleCount(const TestHost* host) {
  return int32_t(std::count_if(host->handles.begin(), host->handles.end(),
                               [](const auto& entry) { return !entry->disposed; }));
}

int32_t LockedHandleCount(const TestHost* host) {
  return int32_t(std::count_if(host->handles.begin(), host->handles.end(),
                               [](const auto& entry) { return !entry->disposed && entry->lockCount > 0; }));
}

void MoveUnlockedHandles(TestHost* host) {
  for (auto& entry : host->handles) {
    if (!entry->disposed && entry->lockCount == 0) MoveBlock(&entry->master, entry->size);
  }
}

int32_t LiveBufferCount(const TestHost* host) { return int32_t(host->buffers.size()); }

int32_t LockedBufferCount(const TestHost* host) {
  return int32_t(std::count_if(host->buffers.begin(), host->buffers.end(),
                               [](const auto& entry) { return entry->lockCount > 0; }));
}

void InstallTestHostProcs(TestHost* host) {
  host->handleProcs = HandleProcs{1,
                                  8,
                                  TestHostNewHandle,
                                  TestDisposeHandle,
                                  TestGetHandleSize,
                                  TestSetHandleSize,
                                  TestLockHandle,
                                  TestUnlockHandle,
                                  TestRecoverSpace,
                                  TestDisposeHandle};
  host->bufferProcs =
      BufferProcs{2, 5, TestAllocateBuffer, TestLockBuffer, TestUnlockBuffer, TestFreeBuffer, TestBufferSpace};
}
