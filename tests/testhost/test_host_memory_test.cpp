#include <gtest/gtest.h>

#include <cstring>

#include "platform/testhost/test_host.h"

namespace {

struct HostFixture : ::testing::Test {
  TestDocument doc = MakeTestDocument(4, 4, 3, 8, false);
  TestHost host;
  void SetUp() override { InitTestHost(&host, &doc, {}); }
  void TearDown() override { ShutdownTestHost(&host); }
};

using TestHostHandles = HostFixture;

TEST_F(TestHostHandles, NewHandlesHaveAMasterPointerAndNonZeroMemory) {
  HandleProcs& hp = host.handleProcs;
  HostHandleRef h = hp.newProc(64);
  ASSERT_NE(h, nullptr);
  ASSERT_NE(*h, nullptr);
  EXPECT_EQ(hp.getSizeProc(h), 64);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(uint8_t((*h)[i]), kTestHostFillByte);
  char* p = hp.lockProc(h, 1);
  EXPECT_EQ(p, *h);
  hp.unlockProc(h);
  hp.disposeProc(h);
  EXPECT_EQ(LiveHandleCount(&host), 0);
  EXPECT_EQ(host.handleMisuse, 0);
}

TEST_F(TestHostHandles, UnlockedBlocksMoveBeforeEveryLockAndKeepTheirBytes) {
  host.moveUnlockedHandles = true;
  HandleProcs& hp = host.handleProcs;
  HostHandleRef a = hp.newProc(16);
  HostHandleRef b = hp.newProc(16);
  char* pa = hp.lockProc(a, 1);
  std::memcpy(pa, "fifteen letters", 16);
  hp.unlockProc(a);
  char* const bBefore = *b;
  char* pa2 = hp.lockProc(a, 1);
  EXPECT_NE(pa2, pa);
  EXPECT_STREQ(pa2, "fifteen letters");
  EXPECT_NE(*b, bBefore);  // every unlocked block moved, not just the one locked
  // A locked block stays where it is.
  char* pb = hp.lockProc(b, 1);
  EXPECT_EQ(*a, pa2);
  hp.unlockProc(b);
  hp.unlockProc(a);
  EXPECT_EQ(*b, pb);  // nothing moves until the next lock
  hp.lockProc(a, 1);
  EXPECT_NE(*b, pb);
  hp.unlockProc(a);
  EXPECT_EQ(host.handleLocks, host.handleUnlocks);
  EXPECT_EQ(LockedHandleCount(&host), 0);
}

TEST_F(TestHostHandles, MisuseIsCounted) {
  HandleProcs& hp = host.handleProcs;
  HostHandleRef h = hp.newProc(8);
  hp.unlockProc(h);  // unlock without a lock
  hp.disposeProc(h);
  hp.disposeProc(h);  // second dispose
  EXPECT_EQ(hp.lockProc(h, 0), nullptr);
  EXPECT_EQ(host.handleMisuse, 3);
}

TEST_F(TestHostHandles, SetSizeKeepsTheBytesAndFillsTheGrowth) {
  HandleProcs& hp = host.handleProcs;
  HostHandleRef h = hp.newProc(4);
  std::memcpy(*h, "abcd", 4);
  ASSERT_EQ(hp.setSizeProc(h, 8), kNoErr);
  EXPECT_EQ(std::memcmp(*h, "abcd", 4), 0);
  EXPECT_EQ(uint8_t((*h)[7]), kTestHostFillByte);
  EXPECT_EQ(hp.getSizeProc(h), 8);
}

TEST_F(TestHostHandles, TheNthNewHandleFails) {
  host.failHandleAllocationAt = 2;
  EXPECT_NE(host.handleProcs.newProc(4), nullptr);
  EXPECT_EQ(host.handleProcs.newProc(4), nullptr);
  EXPECT_NE(host.handleProcs.newProc(4), nullptr);
}

using TestHostBuffers = HostFixture;

TEST_F(TestHostBuffers, LiveBlocksAreCountedAndTheNthAllocationFails) {
  BufferProcs& bp = host.bufferProcs;
  host.failBufferAllocationAt = 3;
  BufferId ids[4] = {};
  EXPECT_EQ(bp.allocateProc(100, &ids[0]), kNoErr);
  EXPECT_EQ(bp.allocateProc(200, &ids[1]), kNoErr);
  EXPECT_EQ(bp.allocateProc(300, &ids[2]), kMemFullErr);
  EXPECT_EQ(ids[2], 0u);
  EXPECT_EQ(bp.allocateProc(400, &ids[3]), kNoErr);
  EXPECT_NE(ids[0], 0u);
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_EQ(LiveBufferCount(&host), 3);
  EXPECT_EQ(host.liveBufferBytes, 700);
  auto* p = static_cast<uint8_t*>(bp.lockProc(ids[1], 1));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[199], kTestHostFillByte);
  EXPECT_EQ(LockedBufferCount(&host), 1);
  bp.unlockProc(ids[1]);
  bp.freeProc(ids[0]);
  bp.freeProc(ids[1]);
  bp.freeProc(ids[3]);
  EXPECT_EQ(LiveBufferCount(&host), 0);
  EXPECT_EQ(host.liveBufferBytes, 0);
  EXPECT_EQ(host.peakBufferBytes, 700);
  bp.freeProc(ids[3]);
  EXPECT_EQ(host.bufferMisuse, 1);
}

TEST_F(TestHostBuffers, StickyFailureAndFailingLock) {
  BufferProcs& bp = host.bufferProcs;
  host.failBufferAllocationAt = 2;
  host.failBufferAllocationsAfter = true;
  host.failBufferLockAt = 1;
  BufferId a = 0, b = 0, c = 0;
  EXPECT_EQ(bp.allocateProc(8, &a), kNoErr);
  EXPECT_EQ(bp.allocateProc(8, &b), kMemFullErr);
  EXPECT_EQ(bp.allocateProc(8, &c), kMemFullErr);
  EXPECT_EQ(bp.lockProc(a, 1), nullptr);
  EXPECT_NE(bp.lockProc(a, 1), nullptr);
  bp.unlockProc(a);
  bp.freeProc(a);
}

TEST_F(TestHostBuffers, ShutdownFreesWhatTheFilterLeft) {
  BufferId id = 0;
  host.bufferProcs.allocateProc(8, &id);
  host.handleProcs.newProc(8);
  EXPECT_EQ(LiveBufferCount(&host), 1);
  EXPECT_EQ(LiveHandleCount(&host), 1);
  ShutdownTestHost(&host);
  EXPECT_EQ(LiveBufferCount(&host), 0);
  EXPECT_EQ(LiveHandleCount(&host), 0);
  InitTestHost(&host, &doc, {});
}

// The program's host (memory unmarked) carves large buffers from shared
// chunks: the blocks must not overlap, a freed block may serve again, and a
// buffer larger than a chunk still gets memory of its own.
TEST(TestHostUnmarkedBuffers, LargeBuffersNeverOverlapAndFreedOnesServeAgain) {
  TestDocument doc = MakeTestDocument(4, 4, 3, 8, false);
  TestHost host;
  TestHostOptions options;
  options.markMemory = false;
  InitTestHost(&host, &doc, options);
  BufferProcs& bp = host.bufferProcs;
  const int32_t sizes[] = {100, 64 * 1024, 256 * 1024, 256 * 1024 + 3, 40 * 1024 * 1024, 256 * 1024, 300 * 1024};
  constexpr int kCount = int(sizeof sizes / sizeof sizes[0]);
  BufferId ids[kCount] = {};
  uint8_t* data[kCount] = {};
  auto fill = [&](int k) {
    for (int32_t i = 0; i < sizes[k]; ++i) data[k][i] = uint8_t(k * 31 + i);
  };
  auto intact = [&](int k) {
    for (int32_t i = 0; i < sizes[k]; ++i) {
      if (data[k][i] != uint8_t(k * 31 + i)) return false;
    }
    return true;
  };
  for (int k = 0; k < kCount; ++k) {
    ASSERT_EQ(bp.allocateProc(sizes[k], &ids[k]), kNoErr);
    data[k] = static_cast<uint8_t*>(bp.lockProc(ids[k], 1));
    ASSERT_NE(data[k], nullptr);
    fill(k);
  }
  for (int k = 0; k < kCount; ++k) EXPECT_TRUE(intact(k)) << k;
  // The freed block of one size serves the next buffer of that size.
  bp.unlockProc(ids[2]);
  bp.freeProc(ids[2]);
  ASSERT_EQ(bp.allocateProc(sizes[2], &ids[2]), kNoErr);
  data[2] = static_cast<uint8_t*>(bp.lockProc(ids[2], 1));
  ASSERT_NE(data[2], nullptr);
  fill(2);
  for (int k = 0; k < kCount; ++k) EXPECT_TRUE(intact(k)) << k;
  EXPECT_EQ(LiveBufferCount(&host), kCount);
  ShutdownTestHost(&host);
  EXPECT_EQ(LiveBufferCount(&host), 0);
}

using TestHostRecorders = HostFixture;

TEST_F(TestHostRecorders, AbortAnswersYesFromTheScriptedCall) {
  host.abortAtCall = 3;
  const HostBoolean answers[] = {host.record.abortProc(), host.record.abortProc(), host.record.abortProc(),
                                 host.record.abortProc()};
  EXPECT_EQ(answers[0], 0);
  EXPECT_EQ(answers[1], 0);
  EXPECT_EQ(answers[2], 1);
  EXPECT_EQ(answers[3], 1);
  EXPECT_EQ(host.abortCalls, 4);
}

TEST_F(TestHostRecorders, ProgressCallsAreRecordedInOrder) {
  host.record.progressProc(0, 10);
  host.record.progressProc(7, 10);
  ASSERT_EQ(host.progress.size(), 2u);
  EXPECT_EQ(host.progress[1], std::make_pair(7, 10));
}

TEST_F(TestHostRecorders, DisplayPixelsCallsAreRecorded) {
  uint8_t pixels[4 * 3 * 2] = {};
  PSPixelMap map{};
  map.version = 1;
  map.bounds = Rect32{0, 0, 2, 4};
  map.imageMode = kImageModeRGBColor;
  map.rowBytes = 12;
  map.colBytes = 3;
  map.planeBytes = 1;
  map.baseAddr = pixels;
  const Rect32 src{0, 1, 2, 3};
  EXPECT_EQ(host.record.displayPixels(&map, &src, 5, 6, nullptr), kNoErr);
  ASSERT_EQ(host.displayCalls.size(), 1u);
  EXPECT_EQ(host.displayCalls[0].dstRow, 5);
  EXPECT_EQ(host.displayCalls[0].srcRect.right, 3);
  map.baseAddr = nullptr;
  EXPECT_NE(host.record.displayPixels(&map, &src, 0, 0, nullptr), kNoErr);
  EXPECT_EQ(host.displayPixelsCalls, 2);
}

TEST_F(TestHostRecorders, MissingCallbacksAreNull) {
  TestHostOptions options;
  options.hasAdvanceState = false;
  options.hasDisplayPixels = false;
  options.hasBufferProcs = false;
  options.hasHandleProcs = false;
  options.hasDescriptorParameters = false;
  TestHost bare;
  InitTestHost(&bare, &doc, options);
  EXPECT_EQ(bare.record.advanceState, nullptr);
  EXPECT_EQ(bare.record.displayPixels, nullptr);
  EXPECT_EQ(bare.record.bufferProcs, nullptr);
  EXPECT_EQ(bare.record.handleProcs, nullptr);
  EXPECT_EQ(bare.record.descriptorParameters, nullptr);
  ShutdownTestHost(&bare);
  MakeTestHostCurrent(&host);
}

}  // namespace
