// RunParallel runs every index exactly once, with or without a scope of
// helper threads kept for many calls.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

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

}  // namespace
