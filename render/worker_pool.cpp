#include "render/worker_pool.h"

#include <atomic>

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
  std::vector<std::thread> helpers;
  helpers.reserve(size_t(threads - 1));
  SignalMaskSave mask;
  BlockSignalsForNewThreads(&mask);
  for (int32_t t = 1; t < threads; ++t) helpers.emplace_back(RunParallelIndexes, &job);
  RestoreSignalsAfterThreadStart(mask);
  RunParallelIndexes(&job);
  for (std::thread& t : helpers) t.join();
}
