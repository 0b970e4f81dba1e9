// RunParallel runs every index exactly once, with or without a scope of
// helper threads kept for many calls.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/big_blocks.h"
#include "platform/pixel_bytes.h"
#include "render/worker_pool.h"

namespace {

struct Counts {
  std::vector<std::atomic<int32_t>> hits;
  explicit Counts(int32_t n) : hits(size_t(n)) {}
};

void CountIndex(void* arg, int32_t index) { static_cast<Counts*>(arg)->hits[size_t(index)].fetch_add(1); }

void ExpectEveryIndexOnce(int32_t count, int32_t threads) {
  Counts counts(count);
  RunParallel(count, threads, CountIndex, &counts);
  for (int32_t i = 0; i < count; ++i)
    ASSERT_EQ(counts.hits[size_t(i)].load(), 1) << "index " << i << " of " << count << ", " << threads << " threads";
}

TEST(RunParallel, RunsEveryIndexOnceWithAndWithoutAScope) {
  const int32_t counts[] = {1, 2, 7, 64, 1000};
  const int32_t threads[] = {1, 2, 7};
  for (int32_t c : counts)
    for (int32_t t : threads) ExpectEveryIndexOnce(c, t);
  {
    ParallelScope scope(7);
    // Many short calls on the same helpers, and calls for fewer threads
    // than the scope keeps.
    for (int32_t round = 0; round < 200; ++round) ExpectEveryIndexOnce(1 + round % 37, 7);
    for (int32_t c : counts)
      for (int32_t t : threads) ExpectEveryIndexOnce(c, t);
    // An inner scope changes nothing.
    ParallelScope inner(3);
    ExpectEveryIndexOnce(100, 7);
  }
  // After the scope the calls start their own threads again.
  ExpectEveryIndexOnce(100, 7);
}

// A scope of another thread is not used by this one.
TEST(RunParallel, AScopeServesOnlyTheThreadThatMadeIt) {
  ParallelScope scope(4);
  std::thread other([] { ExpectEveryIndexOnce(500, 4); });
  ExpectEveryIndexOnce(500, 4);
  other.join();
}

// Ranges in any order, overlapping, touching, empty or reversed, inside one
// block and across two, with and without a scope: every byte stays as it
// was, and a fresh zeroed block still reads zero.
TEST(PreparePages, RangesOfAnyShapeKeepEveryByte) {
  constexpr size_t kBytes = (size_t(5) << 20) + 12345;
  PixelBytes written(kBytes);
  for (size_t i = 0; i < kBytes; ++i) written[i] = uint8_t(i * 31 + 7);
  auto* zeroed = static_cast<uint8_t*>(AllocZeroedBigBlock(kBytes));
  ASSERT_NE(zeroed, nullptr);
  const auto a = reinterpret_cast<uintptr_t>(written.data());
  const auto z = reinterpret_cast<uintptr_t>(zeroed);
  const std::vector<PageRange> ranges = {
      {a + 3000000, a + kBytes}, {a + 17, a + 2000001}, {a + 1999999, a + 3000000},
      {a + 100, a + 100},        {a + 900, a + 800},    {z + 4096 * 3 + 1, z + kBytes - 1},
      {z, z + 77}};
  for (int32_t threads : {1, 2, 5}) {
    SCOPED_TRACE(threads);
    if (threads == 5) {
      ParallelScope scope(threads);
      PreparePagesInParallel(ranges, threads);
    } else {
      PreparePagesInParallel(ranges, threads);
    }
    size_t wrong = 0, nonZero = 0;
    for (size_t i = 0; i < kBytes; ++i) wrong += written[i] != uint8_t(i * 31 + 7);
    for (size_t i = 0; i < kBytes; ++i) nonZero += zeroed[i] != 0;
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(nonZero, 0u);
  }
  PreparePagesInParallel({}, 4);
  FreeBigBlock(zeroed, kBytes);
}

}  // namespace
