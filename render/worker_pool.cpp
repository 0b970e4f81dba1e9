#include "render/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <exception>

#include "platform/big_blocks.h"
#include "platform/thread_signals.h"

namespace {

std::atomic<int32_t> gThreadSetting{0};
std::atomic<int32_t> gBlockRowsSetting{0};

void WorkerLoop(WorkerPool* pool) {
  std::unique_lock<std::mutex> lock(pool->mutex);
  for (;;) {
    pool->wake.wait(lock, [pool] { return pool->stopping || !pool->queue.empty(); });
    if (pool->stopping) return;
    const PoolTask task = pool->queue.front();
    pool->queue.pop_front();
    ++pool->running;
    lock.unlock();
    task.run(task.arg, task.index);
    lock.lock();
    --pool->running;
    pool->idle.notify_all();
  }
}

// The shared counter of a RunParallel call: each thread takes the next index.
struct ParallelJob {
  std::atomic<int32_t> next{0};
  int32_t count = 0;
  PoolTaskFn run = nullptr;
  void* arg = nullptr;
};

void RunParallelIndexes(ParallelJob* job) {
  for (;;) {
    const int32_t i = job->next.fetch_add(1);
    if (i >= job->count) return;
    job->run(job->arg, i);
  }
}

}  // namespace

struct ParallelScopeState {
  std::thread::id owner;
  std::vector<std::thread> helpers;
  std::mutex mutex;
  std::condition_variable wake;  // a job was posted, or the scope ends
  std::condition_variable done;  // a helper finished its part of the job
  ParallelJob* job = nullptr;
  uint64_t generation = 0;
  int32_t pending = 0;  // helpers still working on the current job
  bool stopping = false;
};

namespace {

// The scope of the thread that made it; only that thread reads it.
std::atomic<ParallelScopeState*> gScope{nullptr};

void ScopeHelperLoop(ParallelScopeState* scope) {
  uint64_t seen = 0;
  std::unique_lock<std::mutex> lock(scope->mutex);
  for (;;) {
    scope->wake.wait(lock, [&] { return scope->stopping || scope->generation != seen; });
    if (scope->stopping) return;
    seen = scope->generation;
    ParallelJob* job = scope->job;
    lock.unlock();
    RunParallelIndexes(job);
    lock.lock();
    if (--scope->pending == 0) scope->done.notify_one();
  }
}

// Runs the job on the scope's helpers and the calling thread.
void RunInScope(ParallelScopeState* scope, ParallelJob* job) {
  {
    std::lock_guard<std::mutex> lock(scope->mutex);
    scope->job = job;
    scope->pending = int32_t(scope->helpers.size());
    ++scope->generation;
  }
  scope->wake.notify_all();
  RunParallelIndexes(job);
  std::unique_lock<std::mutex> lock(scope->mutex);
  scope->done.wait(lock, [scope] { return scope->pending == 0; });
  scope->job = nullptr;
}

}  // namespace

ParallelScope::ParallelScope(int32_t threads) {
  if (threads <= 1 || gScope.load() != nullptr) return;
  auto* scope = new ParallelScopeState();
  scope->owner = std::this_thread::get_id();
  SignalMaskSave mask;
  BlockSignalsForNewThreads(&mask);
  try {
    for (int32_t t = 1; t < threads; ++t) scope->helpers.emplace_back(ScopeHelperLoop, scope);
  } catch (const std::exception&) {
    // Fewer helpers than asked for still do the work.
  }
  RestoreSignalsAfterThreadStart(mask);
  state_ = scope;
  gScope.store(scope);
}

ParallelScope::~ParallelScope() {
  if (state_ == nullptr) return;
  gScope.store(nullptr);
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_all();
  for (std::thread& t : state_->helpers) t.join();
  delete state_;
}

int32_t RenderThreadCount() {
  const int32_t set = gThreadSetting.load();
  if (set > 0) return set;
  const uint32_t cores = std::thread::hardware_concurrency();
  return cores > 0 ? int32_t(cores) : 1;
}

void SetRenderThreadCount(int32_t threads) { gThreadSetting.store(threads > 0 ? threads : 0); }

int32_t RenderBlockRowsSetting() { return gBlockRowsSetting.load(); }

void SetRenderBlockRows(int32_t rows) { gBlockRowsSetting.store(rows > 0 ? rows : 0); }

void StartWorkerPool(WorkerPool* pool, int32_t threads) {
  pool->stopping = false;
  SignalMaskSave mask;
  BlockSignalsForNewThreads(&mask);
  for (int32_t i = 0; i < threads; ++i) pool->threads.emplace_back(WorkerLoop, pool);
  RestoreSignalsAfterThreadStart(mask);
}

void StopWorkerPool(WorkerPool* pool) {
  {
    std::lock_guard<std::mutex> lock(pool->mutex);
    pool->stopping = true;
    pool->queue.clear();
  }
  pool->wake.notify_all();
  for (std::thread& t : pool->threads) t.join();
  pool->threads.clear();
  pool->running = 0;
}

void SubmitPoolTask(WorkerPool* pool, PoolTask task) {
  {
    std::lock_guard<std::mutex> lock(pool->mutex);
    pool->queue.push_back(task);
  }
  pool->wake.notify_one();
}

void WaitForPoolIdle(WorkerPool* pool) {
  std::unique_lock<std::mutex> lock(pool->mutex);
  pool->idle.wait(lock, [pool] { return pool->queue.empty() && pool->running == 0; });
}

void RunParallel(int32_t count, int32_t threads, PoolTaskFn run, void* arg) {
  if (count <= 0) return;
  if (threads > count) threads = count;
  if (threads <= 1) {
    for (int32_t i = 0; i < count; ++i) run(arg, i);
    return;
  }
  ParallelJob job;
  job.count = count;
  job.run = run;
  job.arg = arg;
  ParallelScopeState* scope = gScope.load();
  if (scope != nullptr && scope->owner == std::this_thread::get_id() && scope->job == nullptr &&
      !scope->helpers.empty()) {
    RunInScope(scope, &job);
    return;
  }
  std::vector<std::thread> helpers;
  helpers.reserve(size_t(threads - 1));
  SignalMaskSave mask;
  BlockSignalsForNewThreads(&mask);
  for (int32_t t = 1; t < threads; ++t) helpers.emplace_back(RunParallelIndexes, &job);
  RestoreSignalsAfterThreadStart(mask);
  RunParallelIndexes(&job);
  for (std::thread& t : helpers) t.join();
}

void PreparePagesInParallel(std::vector<PageRange> ranges, int32_t threads) {
  if (threads < 2 || ranges.empty()) return;
  // Merged in address order, then cut into pieces of 2 MB (one huge page)
  // so that the threads share the work evenly.
  std::sort(ranges.begin(), ranges.end(), [](const PageRange& a, const PageRange& b) { return a.start < b.start; });
  std::vector<PageRange> merged;
  for (const PageRange& r : ranges) {
    if (r.end <= r.start) continue;
    if (!merged.empty() && r.start <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, r.end);
    } else {
      merged.push_back(r);
    }
  }
  constexpr uintptr_t kPiece = uintptr_t(2) << 20;
  std::vector<PageRange> pieces;
  for (const PageRange& r : merged) {
    for (uintptr_t at = r.start; at < r.end;) {
      const uintptr_t next = std::min(r.end, (at & ~(kPiece - 1)) + kPiece);
      pieces.push_back({at, next});
      at = next;
    }
  }
  RunParallel(
      int32_t(pieces.size()), threads,
      [](void* arg, int32_t i) {
        const PageRange& piece = (*static_cast<const std::vector<PageRange>*>(arg))[size_t(i)];
        PrepareBlockPages(reinterpret_cast<void*>(piece.start), size_t(piece.end - piece.start));
      },
      &pieces);
}
