// The render's worker threads. A pool runs tasks from one queue on threads
// that sleep while there is nothing to do (they never spin). Each task is a
// function and its argument; which thread runs which task is decided when a
// thread comes free, so a thread slowed by other programs on a loaded
// machine simply takes fewer tasks.
//
// Worker threads never call the host: every host callback stays on the
// thread that called the plug-in's entry point.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// Threads the render uses: the count set by SetRenderThreadCount, or the
// machine's cores when it is 0 (the default). Always at least 1.
int32_t RenderThreadCount();
// 0: the machine's cores; 1: everything on the calling thread, no pool.
void SetRenderThreadCount(int32_t threads);
// Rows per block of the threaded render: 0 chooses by the image (the
// default); tests set small blocks to get many of them.
int32_t RenderBlockRowsSetting();
void SetRenderBlockRows(int32_t rows);

using PoolTaskFn = void (*)(void* arg, int32_t index);

struct PoolTask {
  PoolTaskFn run = nullptr;
  void* arg = nullptr;
  int32_t index = 0;
};

struct WorkerPool {
  std::vector<std::thread> threads;
  std::mutex mutex;
  std::condition_variable wake;  // a task was queued, or the pool stops
  std::condition_variable idle;  // a task finished
  std::deque<PoolTask> queue;
  int32_t running = 0;  // tasks taken and not yet finished
  bool stopping = false;
};

// Starts `threads` worker threads (none when threads < 1).
void StartWorkerPool(WorkerPool* pool, int32_t threads);
// Lets the threads finish the task each is running, drops the queued ones
// and joins the threads.
void StopWorkerPool(WorkerPool* pool);
void SubmitPoolTask(WorkerPool* pool, PoolTask task);
// Waits until the queue is empty and no task runs.
void WaitForPoolIdle(WorkerPool* pool);

// Runs run(arg, i) for i = 0..count-1 on up to `threads` threads (the
// calling thread is one of them) and returns when all have finished. Inside
// a ParallelScope of the calling thread the scope's threads do the work;
// otherwise threads are started for the call.
void RunParallel(int32_t count, int32_t threads, PoolTaskFn run, void* arg);

// A range of memory addresses, [start, end).
struct PageRange {
  uintptr_t start = 0;
  uintptr_t end = 0;
};

// Has the pages of the ranges backed with memory now, keeping their bytes,
// on up to `threads` threads side by side (see PrepareBlockPages): before a
// parallel phase writes to fresh memory, so that the kernel's clearing of
// the pages does not fall on one or two threads at a time. Ranges may touch
// or overlap. Nothing on fewer than two threads: one thread gains nothing.
void PreparePagesInParallel(std::vector<PageRange> ranges, int32_t threads);

// Keeps `threads` - 1 helper threads asleep for the RunParallel calls the
// creating thread makes while the scope lasts (a phase that runs many short
// parallel steps, such as reading the source tile by tile and building its
// levels). The threads are joined when the scope ends. Scopes do not nest:
// an inner one does nothing.
struct ParallelScopeState;
class ParallelScope {
 public:
  explicit ParallelScope(int32_t threads);
  ~ParallelScope();
  ParallelScope(const ParallelScope&) = delete;
  ParallelScope& operator=(const ParallelScope&) = delete;

 private:
  ParallelScopeState* state_ = nullptr;
};
