#include <gtest/gtest.h>

#include <cstring>

#include "host/host_memory.h"
#include "platform/global_heap.h"
#include "platform/testhost/test_host.h"

namespace {

// Every test ends with no live block on the host or the global heap.
struct MemoryFixture : ::testing::Test {
  TestDocument doc = MakeTestDocument(2, 2, 1, 8, false);
  TestHost host;
  int64_t globalBefore = 0;
  void SetUp() override {
    InitTestHost(&host, &doc, {});
    globalBefore = GlobalHeapLiveBlocks();
    GlobalHeapFailAllocationAt(0);
  }
  void TearDown() override {
    GlobalHeapFailAllocationAt(0);
    EXPECT_EQ(GlobalHeapLiveBlocks(), globalBefore);
    EXPECT_EQ(LiveBufferCount(&host), 0);
    EXPECT_EQ(host.bufferMisuse, 0);
    EXPECT_EQ(host.handleMisuse, 0);
    EXPECT_EQ(host.bufferLocks, host.bufferUnlocks);
    ShutdownTestHost(&host);
  }
};

bool AllBytes(const void* p, size_t n, uint8_t value) {
  const auto* b = static_cast<const uint8_t*>(p);
  for (size_t i = 0; i < n; ++i) {
    if (b[i] != value) return false;
  }
  return true;
}

// --- which procedure tables are usable ---------------------------------------------

struct BufferTableCase {
  const char* name;
  int16_t version;
  int16_t count;
  int nullEntry;  // 0 none, 1..5 allocate, lock, unlock, free, space
  bool usable;
  bool newer;
};

class BufferProcsTable : public ::testing::TestWithParam<BufferTableCase> {};

TEST_P(BufferProcsTable, Usability) {
  const BufferTableCase& c = GetParam();
  TestDocument doc = MakeTestDocument(1, 1, 1, 8, false);
  TestHost host;
  InitTestHost(&host, &doc, {});
  BufferProcs procs = host.bufferProcs;
  procs.bufferProcsVersion = c.version;
  procs.numBufferProcs = c.count;
  switch (c.nullEntry) {
    case 1: procs.allocateProc = nullptr; break;
    case 2: procs.lockProc = nullptr; break;
    case 3: procs.unlockProc = nullptr; break;
    case 4: procs.freeProc = nullptr; break;
    case 5: procs.spaceProc = nullptr; break;
    default: break;
  }
  bool newer = false;
  EXPECT_EQ(BufferProcsAvailable(&procs, &newer), c.usable);
  EXPECT_EQ(newer, c.newer);
  EXPECT_EQ(BufferProcsAvailable(&procs, nullptr), c.usable);  // no flag asked for
  ShutdownTestHost(&host);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BufferProcsTable,
    ::testing::Values(BufferTableCase{"complete", 2, 5, 0, true, false},
                      BufferTableCase{"moreProcs", 2, 9, 0, true, false},
                      BufferTableCase{"fourProcs", 2, 4, 0, false, false},
                      BufferTableCase{"versionOne", 1, 5, 0, false, false},
                      BufferTableCase{"versionThree", 3, 5, 0, false, true},
                      BufferTableCase{"noAllocate", 2, 5, 1, false, false},
                      BufferTableCase{"noLock", 2, 5, 2, false, false},
                      BufferTableCase{"noUnlock", 2, 5, 3, false, false},
                      BufferTableCase{"noFree", 2, 5, 4, false, false},
                      BufferTableCase{"noSpace", 2, 5, 5, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct HandleTableCase {
  const char* name;
  int16_t version;
  int16_t count;
  int nullEntry;  // 0 none, 1..6 new, dispose, getSize, setSize, lock, unlock
  bool usable;
  bool newer;
};

class HandleProcsTable : public ::testing::TestWithParam<HandleTableCase> {};

TEST_P(HandleProcsTable, Usability) {
  const HandleTableCase& c = GetParam();
  TestDocument doc = MakeTestDocument(1, 1, 1, 8, false);
  TestHost host;
  InitTestHost(&host, &doc, {});
  HandleProcs procs = host.handleProcs;
  procs.handleProcsVersion = c.version;
  procs.numHandleProcs = c.count;
  switch (c.nullEntry) {
    case 1: procs.newProc = nullptr; break;
    case 2: procs.disposeProc = nullptr; break;
    case 3: procs.getSizeProc = nullptr; break;
    case 4: procs.setSizeProc = nullptr; break;
    case 5: procs.lockProc = nullptr; break;
    case 6: procs.unlockProc = nullptr; break;
    default: break;
  }
  bool newer = false;
  EXPECT_EQ(HandleProcsAvailable(&procs, &newer), c.usable);
  EXPECT_EQ(newer, c.newer);
  ShutdownTestHost(&host);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandleProcsTable,
    ::testing::Values(HandleTableCase{"complete", 1, 8, 0, true, false},
                      HandleTableCase{"sevenProcs", 1, 7, 0, false, false},
                      HandleTableCase{"versionZero", 0, 8, 0, false, false},
                      HandleTableCase{"versionTwo", 2, 8, 0, false, true},
                      HandleTableCase{"noNew", 1, 8, 1, false, false},
                      HandleTableCase{"noDispose", 1, 8, 2, false, false},
                      HandleTableCase{"noGetSize", 1, 8, 3, false, false},
                      HandleTableCase{"noSetSize", 1, 8, 4, false, false},
                      HandleTableCase{"noLockStillUsable", 1, 8, 5, true, false},
                      HandleTableCase{"noUnlockStillUsable", 1, 8, 6, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProcsTables, NullRecordsAreNotUsable) {
  bool newer = false;
  EXPECT_FALSE(BufferProcsAvailable(nullptr, &newer));
  EXPECT_FALSE(HandleProcsAvailable(nullptr, &newer));
  EXPECT_FALSE(newer);
}

// --- buffers ----------------------------------------------------------------------

using AllocBufferTest = MemoryFixture;

TEST_F(AllocBufferTest, HostPathGivesTheHostsLockedBufferAndFreesIt) {
  BufferId slot = 0;
  void* p = AllocBuffer(1000, &slot, &host.bufferProcs);
  ASSERT_NE(p, nullptr);
  EXPECT_NE(slot, 0u);
  EXPECT_EQ(LiveBufferCount(&host), 1);
  EXPECT_EQ(LockedBufferCount(&host), 1);
  EXPECT_TRUE(AllBytes(p, 1000, kTestHostFillByte));  // the host path does not clear
  EXPECT_EQ(GlobalHeapLiveBlocks(), globalBefore);
  FreeBuffer(&p, &slot, &host.bufferProcs);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(slot, 0u);
  EXPECT_EQ(LiveBufferCount(&host), 0);
  FreeBuffer(&p, &slot, &host.bufferProcs);  // second free does nothing
}

// Each case ends on the global heap: zero-filled memory and slot 0.
struct FallbackCase {
  const char* name;
  bool nullSlot;
  bool noProcs;
  int16_t version;
  int32_t failAllocationAt;
  int32_t failLockAt;
  int32_t hostAllocationsExpected;
};

class AllocBufferFallback : public MemoryFixture, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(AllocBufferFallback, UsesTheZeroFilledGlobalHeap) {
  const FallbackCase& c = GetParam();
  BufferProcs procs = host.bufferProcs;
  procs.bufferProcsVersion = c.version;
  host.failBufferAllocationAt = c.failAllocationAt;
  host.failBufferLockAt = c.failLockAt;
  BufferId slot = 77;
  BufferId* slotPtr = c.nullSlot ? nullptr : &slot;
  const BufferProcs* procsPtr = c.noProcs ? nullptr : &procs;
  void* p = AllocBuffer(4096, slotPtr, procsPtr);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(AllBytes(p, 4096, 0));
  if (!c.nullSlot) {
    EXPECT_EQ(slot, 0u);
  }
  EXPECT_EQ(host.bufferAllocations, c.hostAllocationsExpected);
  EXPECT_EQ(LiveBufferCount(&host), 0);  // a host buffer that could not be locked went back
  EXPECT_EQ(GlobalHeapLiveBlocks(), globalBefore + 1);
  std::memset(p, 1, 4096);
  FreeBuffer(&p, slotPtr, procsPtr);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(GlobalHeapLiveBlocks(), globalBefore);
  FreeBuffer(&p, slotPtr, procsPtr);
}

INSTANTIATE_TEST_SUITE_P(Cases, AllocBufferFallback,
                         ::testing::Values(FallbackCase{"nullSlotWithProcs", true, false, 2, 0, 0, 0},
                                           FallbackCase{"noProcs", false, true, 2, 0, 0, 0},
                                           FallbackCase{"versionThree", false, false, 3, 0, 0, 0},
                                           FallbackCase{"versionOne", false, false, 1, 0, 0, 0},
                                           FallbackCase{"hostAllocationFails", false, false, 2, 1, 0, 1},
                                           FallbackCase{"hostLockFails", false, false, 2, 0, 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AllocBufferTest, NullOnlyWhenTheGlobalHeapFailsToo) {
  host.failBufferAllocationAt = 1;
  GlobalHeapFailAllocationAt(1);
  BufferId slot = 5;
  void* p = AllocBuffer(64, &slot, &host.bufferProcs);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(slot, 0u);
  FreeBuffer(&p, &slot, &host.bufferProcs);  // freeing nothing is harmless
}

TEST_F(AllocBufferTest, SizesBeyondTheHostsThirtyTwoBitsGoToTheGlobalHeap) {
  GlobalHeapFailAllocationAt(1);  // do not really take 3 GB
  BufferId slot = 0;
  void* p = AllocBuffer(int64_t(3) << 30, &slot, &host.bufferProcs);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(host.bufferAllocations, 0);  // never cut short to 32 bits
}

TEST_F(AllocBufferTest, NegativeSizeGivesNothing) {
  BufferId slot = 9;
  EXPECT_EQ(AllocBuffer(-1, &slot, &host.bufferProcs), nullptr);
  EXPECT_EQ(slot, 0u);
  EXPECT_EQ(host.bufferAllocations, 0);
}

TEST_F(AllocBufferTest, ZeroSizeStillGivesABlock) {
  BufferId slot = 0;
  void* p = AllocBuffer(0, nullptr, nullptr);
  EXPECT_NE(p, nullptr);
  FreeBuffer(&p, nullptr, nullptr);
  p = AllocBuffer(0, &slot, &host.bufferProcs);
  EXPECT_NE(p, nullptr);
  FreeBuffer(&p, &slot, &host.bufferProcs);
}

TEST_F(AllocBufferTest, HostCallsWithUnusableProcs) {
  BufferProcs procs = host.bufferProcs;
  procs.numBufferProcs = 4;
  BufferId id = 123;
  EXPECT_EQ(HostAllocateBuffer(&procs, 16, &id), kMemFullErr);
  EXPECT_EQ(id, 0u);
  EXPECT_EQ(HostAllocateBuffer(nullptr, 16, &id), kMemFullErr);
  EXPECT_EQ(HostLockBuffer(&procs, 0x1000, true), nullptr);
  HostUnlockBuffer(&procs, 0x1000);  // nothing happens: no such calls reach the host
  HostFreeBuffer(&procs, 0x1000);
  EXPECT_EQ(host.bufferLockCalls, 0);
  EXPECT_EQ(host.bufferMisuse, 0);
}

TEST_F(AllocBufferTest, HostAllocateReportsTheHostsAnswer) {
  host.failBufferAllocationAt = 1;
  BufferId id = 0;
  EXPECT_EQ(HostAllocateBuffer(&host.bufferProcs, 16, &id), kMemFullErr);
  EXPECT_EQ(HostAllocateBuffer(&host.bufferProcs, 16, &id), kNoErr);
  void* p = HostLockBuffer(&host.bufferProcs, id, false);
  EXPECT_NE(p, nullptr);
  HostUnlockBuffer(&host.bufferProcs, id);
  HostFreeBuffer(&host.bufferProcs, id);
}

TEST_F(AllocBufferTest, ManyMixedBuffersLeaveNothingBehind) {
  void* pointers[12] = {};
  BufferId slots[12] = {};
  host.failBufferAllocationAt = 4;
  for (int i = 0; i < 12; ++i) {
    pointers[i] = AllocBuffer(100 + i, (i % 3 == 0) ? nullptr : &slots[i], &host.bufferProcs);
    ASSERT_NE(pointers[i], nullptr);
  }
  for (int i = 11; i >= 0; --i) FreeBuffer(&pointers[i], (i % 3 == 0) ? nullptr : &slots[i], &host.bufferProcs);
}

// --- handles ----------------------------------------------------------------------

using HostHandleTest = MemoryFixture;

TEST_F(HostHandleTest, HostProcsAreUsedWhenUsable) {
  HostHandleRef h = NewHostHandle(&host.handleProcs, 40);
  ASSERT_NE(FindTestHandle(&host, h), nullptr);
  char* p = LockHostHandle(&host.handleProcs, h, true);
  EXPECT_EQ(p, *h);
  UnlockHostHandle(&host.handleProcs, h);
  EXPECT_EQ(host.handleLocks, 1);
  EXPECT_EQ(host.handleUnlocks, 1);
  DisposeHostHandle(&host.handleProcs, h);
  EXPECT_EQ(LiveHandleCount(&host), 0);
  EXPECT_EQ(GlobalHeapLiveBlocks(), globalBefore);
}

TEST_F(HostHandleTest, GlobalHandlesAreZeroFilledAndSigned) {
  HandleProcs procs = host.handleProcs;
  procs.handleProcsVersion = 2;  // a newer table is not used
  HostHandleRef h = NewHostHandle(&procs, 300);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(LiveHandleCount(&host), 0);
  EXPECT_EQ(GlobalHeapLiveBlocks(), globalBefore + 2);
  const auto* record = reinterpret_cast<const HostHandle*>(h);
  EXPECT_EQ(record->signature, kHostHandleSignature);
  char* p = LockHostHandle(&procs, h, true);
  EXPECT_EQ(p, *h);
  EXPECT_TRUE(AllBytes(p, 300, 0));
  std::memset(p, 0x11, 300);
  UnlockHostHandle(&procs, h);
  EXPECT_EQ(*h, p);  // global-heap handles stay put
  DisposeHostHandle(&procs, h);
  EXPECT_EQ(GlobalHeapLiveBlocks(), globalBefore);
}

TEST_F(HostHandleTest, NoProcsMeansGlobalHandles) {
  HostHandleRef h = NewHostHandle(nullptr, 8);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(LockHostHandle(nullptr, h, false), nullptr);
  UnlockHostHandle(nullptr, h);
  DisposeHostHandle(nullptr, h);
  DisposeHostHandle(nullptr, nullptr);
  DisposeGlobalHostHandle(nullptr);
  EXPECT_EQ(LockHostHandle(nullptr, nullptr, true), nullptr);
}

TEST_F(HostHandleTest, FailedDataBlockFreesTheRecord) {
  GlobalHeapFailAllocationAt(2);
  EXPECT_EQ(NewGlobalHostHandle(16), nullptr);
  GlobalHeapFailAllocationAt(1);
  EXPECT_EQ(NewGlobalHostHandle(16), nullptr);
  GlobalHeapFailAllocationAt(0);
  EXPECT_EQ(NewGlobalHostHandle(-1), nullptr);
}

TEST_F(HostHandleTest, HostWithoutLockProcStillGivesTheBlock) {
  HandleProcs procs = host.handleProcs;
  procs.lockProc = nullptr;
  procs.unlockProc = nullptr;
  HostHandleRef h = NewHostHandle(&procs, 8);
  ASSERT_NE(FindTestHandle(&host, h), nullptr);
  EXPECT_EQ(LockHostHandle(&procs, h, true), *h);
  UnlockHostHandle(&procs, h);
  DisposeHostHandle(&procs, h);
  EXPECT_EQ(LiveHandleCount(&host), 0);
}

TEST_F(HostHandleTest, HostHandleFailureGivesNull) {
  host.failHandleAllocationAt = 1;
  EXPECT_EQ(NewHostHandle(&host.handleProcs, 8), nullptr);
  EXPECT_EQ(GlobalHeapLiveBlocks(), globalBefore);  // no fallback when the host's procs are usable
}

TEST_F(HostHandleTest, MovingHostHandlesAreFollowedThroughTheMasterPointer) {
  host.moveUnlockedHandles = true;
  HostHandleRef h = NewHostHandle(&host.handleProcs, 16);
  char* p = LockHostHandle(&host.handleProcs, h, true);
  std::strcpy(p, "kept");
  UnlockHostHandle(&host.handleProcs, h);
  char* q = LockHostHandle(&host.handleProcs, h, true);
  EXPECT_NE(q, p);
  EXPECT_STREQ(q, "kept");
  UnlockHostHandle(&host.handleProcs, h);
  DisposeHostHandle(&host.handleProcs, h);
}

// --- the global heap itself ----------------------------------------------------------

TEST(GlobalHeap, HandleOfALockedPointerFindsItsBlock) {
  const int64_t before = GlobalHeapLiveBlocks();
  GlobalBlock block = GlobalHeapAlloc(kGlobalMoveableZeroed, 32);
  ASSERT_NE(block, nullptr);
  void* p = GlobalHeapLock(block);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GlobalHeapHandle(p), block);
  EXPECT_FALSE(GlobalHeapUnlock(block));  // no lock left
  EXPECT_EQ(GlobalHeapFree(block), nullptr);
  EXPECT_EQ(GlobalHeapLiveBlocks(), before);
}

}  // namespace
