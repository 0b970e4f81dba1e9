// Rows of a render handed out in order while worker threads render ahead.
//
// The run's rows are cut into blocks of 32 to 64 rows (the workers' last
// round into finer ones). Each block is a task of the worker pool: a band
// renders its rows into a buffer of the block.
// The thread that called the plug-in asks for one row per step, in order;
// it waits (asleep) until the block of that row is done, then the caller
// composites the row into the host's buffers itself. A block's buffer is
// handed to the next block once its last row has been taken, so only a
// window of blocks is in memory at a time.
//
// A band that starts inside the image does not know two values that the
// rows above it carry: the level of detail of the last footprint (read by
// samples without one) and the nearest-dot cursor. It renders with both
// watched; when its rows turn out to depend on them, the caller checks them
// against what the block before left and renders the block again on its
// own thread when they differ. So the output is the same bytes whatever the
// thread count.
//
// With one thread there is no pool: the caller renders each row in its
// step, as a single band.
#pragma once

#include <cstdint>

struct GlobalsRecord;
struct RenderShare;

// Sets up the run's share from the globals (on the calling thread, at row 0)
// and starts the workers; stops a pipeline left by an earlier run first.
// False when the share cannot be made.
bool StartRowPipeline(GlobalsRecord* globals);
// The rendered row `row` (4 floats a pixel, width of the run), or null when
// no pipeline runs. Rows are asked for in order from 0.
const float* PipelineRow(int32_t row);
// Stops the workers and frees the pipeline (no-op when none runs).
void StopRowPipeline();

// For tests: the band of the one-thread pipeline, null otherwise.
struct RenderBand;
RenderBand* SequentialPipelineBand();
// For tests: the blocks of the running or last run (0 with one thread).
int32_t PipelineBlockCount();
// For tests: blocks of the last threaded run that were rendered again on
// the calling thread.
int32_t PipelineBlocksRedone();
