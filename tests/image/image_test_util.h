// Helpers shared by the image tests: a host with counting buffer callbacks
// and small record factories.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "host/host_records.h"
#include "image/image_record.h"

// A host whose buffer callbacks count live buffers and can refuse the nth
// allocation from now. Big buffers can be faked (all share one pointer, never
// touched) so that huge records can be sized without the memory.
struct CountingHost {
  static inline int64_t live = 0;
  static inline int32_t failCountdown = 0;
  static inline int64_t fakeAbove = INT64_MAX;
  static inline char fakeBlock[16];

  static HostError Allocate(int32_t size, BufferId* id) {
    if (failCountdown > 0 && --failCountdown == 0) return kMemFullErr;
    void* p = size > fakeAbove ? static_cast<void*>(fakeBlock) : std::malloc(size > 0 ? size_t(size) : 1);
    if (!p) return kMemFullErr;
    ++live;
    *id = reinterpret_cast<BufferId>(p);
    return kNoErr;
  }
  static void* Lock(BufferId id, HostBoolean) { return reinterpret_cast<void*>(id); }
  static void Unlock(BufferId) {}
  static void Free(BufferId id) {
    void* p = reinterpret_cast<void*>(id);
    if (p != fakeBlock) std::free(p);
    --live;
  }
  static int32_t Space() { return 1 << 30; }

  static BufferProcs Procs() {
    BufferProcs procs{};
    procs.bufferProcsVersion = 2;
    procs.numBufferProcs = 5;
    procs.allocateProc = Allocate;
    procs.lockProc = Lock;
    procs.unlockProc = Unlock;
    procs.freeProc = Free;
    procs.spaceProc = Space;
    return procs;
  }
};

// An image record initialised without an owner (memory from the global heap)
// and freed when the holder goes.
struct ScopedImage {
  ImageRecord record;
  ScopedImage() { InitImageRecord(&record, nullptr, nullptr); }
  explicit ScopedImage(const ImageOwner* owner) { InitImageRecord(&record, owner, nullptr); }
  ~ScopedImage() { FreeImageRecord(&record); }
  ScopedImage(const ScopedImage&) = delete;
  ScopedImage& operator=(const ScopedImage&) = delete;
  ImageRecord* operator->() { return &record; }
  ImageRecord* get() { return &record; }
};
