#include "render/row_pipeline.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <vector>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "nets/poly_mesh.h"
#include "platform/pixel_bytes.h"
#include "render/pixel_renderer.h"
#include "render/render_band.h"
#include "render/source_acquisition.h"
#include "render/worker_pool.h"

namespace {

constexpr int32_t kCustomNetOutput = 355;
constexpr int32_t kMinBlockRows = 32;
constexpr int32_t kMaxBlockRows = 64;
// Very wide images take fewer rows a block, so that the window of blocks in
// memory (16 bytes a pixel) stays small next to the document.
constexpr int64_t kBlockPixels = 256 * 1024;
constexpr int32_t kMinWideBlockRows = 8;

using RowFloats = std::vector<float, NoFillAllocator<float>>;

struct RowBlock {
  int32_t first = 0;  // rows first..last-1
  int32_t last = 0;
  bool done = false;     // rendered by a worker (or cancelled)
  bool checked = false;  // taken over by the caller: known good or rendered again
  bool unrendered = false;  // no band could be made for it: the caller renders it
  // What the band found out about the state it did not know.
  bool hintReadUnknown = false;
  DotCursorWatch dotWatch{};
  bool watchedDots = false;
  BandStateSnapshot snapshot;  // at row last - warmRows, for the next block
};

struct RowPipeline {
  RenderShare share;
  int32_t threads = 1;
  int32_t blockRows = 0;
  int32_t window = 0;
  std::vector<RowBlock> blocks;
  // Window buffers, block b uses b % window. A band writes every pixel of
  // its rows, so new buffers are not filled first (their pages are first
  // touched by the workers, in parallel).
  std::vector<RowFloats> buffers;
  std::vector<RenderBand*> freeBands;       // bands not running a block
  std::vector<RenderBand*> allBands;
  // The one-thread band, and the band of blocks rendered again (made when
  // the first one is).
  RenderBand* callerBand = nullptr;
  RowFloats rowBuffer;               // the one-thread row
  WorkerPool pool;
  std::mutex mutex;
  std::condition_variable blockDone;
  std::atomic<bool> cancel{false};
  int32_t nextSubmit = 0;
  int32_t currentBlock = -1;  // the block the caller takes rows from
  // The carried state at the start of the current block's watched rows.
  BandEntryState entry;
  int32_t redone = 0;
};

RowPipeline* gPipeline = nullptr;
int32_t gLastRedone = 0;
int32_t gLastBlocks = 0;

int32_t ChooseBlockRows(int32_t height, int32_t width, int32_t threads) {
  // A block holds at least the rows a band renders before its first one.
  if (const int32_t set = RenderBlockRowsSetting(); set > 0) return set < 2 ? 2 : set;
  int32_t rows = (height + 4 * threads - 1) / (4 * threads);
  if (rows < kMinBlockRows) rows = kMinBlockRows;
  if (rows > kMaxBlockRows) rows = kMaxBlockRows;
  if (width > 0 && int64_t(rows) * width > kBlockPixels) {
    rows = int32_t(kBlockPixels / width);
    if (rows < kMinWideBlockRows) rows = kMinWideBlockRows;
  }
  return rows;
}

// The blocks of a run: rows cut into blocks of `blockRows` from the top. When
// the size was chosen here and the run is longer than two rounds of the
// workers, the last round is cut four times finer, so that the workers run
// out of rows nearly together instead of some waiting on the last long
// blocks of the others.
std::vector<RowBlock> SplitBlocks(int32_t height, int32_t blockRows, int32_t workers, bool chosen) {
  int32_t fineFrom = height;
  int32_t fineRows = blockRows;
  const int64_t round = int64_t(workers) * blockRows;
  if (chosen && workers > 1 && height > 2 * round) {
    fineFrom = height - int32_t(round);
    fineRows = std::max(blockRows / 4, kMinWideBlockRows);
  }
  std::vector<RowBlock> blocks;
  for (int32_t first = 0; first < height;) {
    const int32_t rows = first < fineFrom ? std::min(blockRows, fineFrom - first) : fineRows;
    RowBlock block;
    block.first = first;
    block.last = std::min(height, first + rows);
    blocks.push_back(block);
    first = block.last;
  }
  return blocks;
}

// The block holding `row`: the first whose rows end below it.
int32_t BlockOfRow(const RowPipeline* p, int32_t row) {
  const auto it = std::upper_bound(p->blocks.begin(), p->blocks.end(), row,
                                   [](int32_t r, const RowBlock& block) { return r < block.last; });
  return int32_t(it - p->blocks.begin());
}

void BuildShare(GlobalsRecord* globals, RenderShare* share) {
  const ParameterBlock* block = GetParameterBlock(globals);
  ImageRecord* target = RunTargetImage(globals);
  MappingContext& context = share->context;
  std::memset(static_cast<void*>(&context), 0, sizeof context);
  context.sourceImage = &globals->images[0];
  PrepareMappingContext(globals, &context);
  context.contextIndex = 0;
  context.rowSlot = 0;
  for (int32_t k = 0; k < kSessionImageCount; ++k) share->images[k] = globals->images[k];
  share->target = *target;

  RenderSettings& s = share->settings;
  s.width = TargetWidth(globals);
  s.height = globals->rowTotal;
  s.zoom = block->previewScale;
  s.panX = block->previewPanX;
  s.panY = block->previewPanY;
  s.sharpness = block->sharpen * 0.01f;
  s.quality = block->runMode == RunModePreview ? block->previewQuality : QualityBest;
  // Stroke opacities are divided by the sampling scale; a scale below one
  // counts as one.
  s.strokeScale = float(block->previewScale > 1 ? block->previewScale : 1);
  s.grid2 = block->grid2;
  s.grid = block->grid2 != 1;
  s.marks = context.dotOverlay != 0 || context.faceCentreOverlay != 0;
  // Face-centre marks need a mesh with fold steps.
  s.faceCentres = context.outputMesh != nullptr && context.outputMesh->foldStepCount >= 1;
  s.edges = context.keepRegions != 0;
  s.customNet = context.outputProjection == kCustomNetOutput;
  s.flatten = context.keepAlpha == 0;
  for (int32_t q = 0; q < 3; ++q) s.backdrop[q] = context.backdropColourF[q];
  share->warmRows = BandWarmRows(s, context);
}

float* BlockRowPointer(RowPipeline* p, int32_t b, int32_t row) {
  RowFloats& buffer = p->buffers[size_t(b % p->window)];
  return buffer.data() + size_t(row - p->blocks[size_t(b)].first) * size_t(p->share.settings.width) * 4;
}

// Renders block b with `band`; entry null: the carried state is not known.
void RenderBlock(RowPipeline* p, RenderBand* band, int32_t b, const BandEntryState* entry) {
  RowBlock& block = p->blocks[size_t(b)];
  const int32_t warm = p->share.warmRows;
  BeginBandRows(band, block.first, warm, entry);
  band->snapshotRow = block.last - warm;
  for (int32_t row = block.first; row < block.last; ++row) {
    if (p->cancel.load(std::memory_order_relaxed)) break;
    RenderBandRow(band, row, BlockRowPointer(p, b, row));
  }
  // A block shorter than the warm rows ends before its snapshot row.
  if (band->snapshotRow >= block.last) {
    band->snapshot = BandStateSnapshot{};
    band->snapshot.levelHint = SettledLevelHint(&band->context);
    band->snapshot.hintKnown = band->context.levelHintUnknown == 0;
    band->snapshot.dotCursor = band->band.nearestDot;
    band->snapshot.cursorKnown = band->context.dotWatch == nullptr || band->dotWatch.unknown == 0;
  }
  block.snapshot = band->snapshot;
  block.hintReadUnknown = band->context.levelHintReadUnknown != 0;
  block.watchedDots = band->context.dotWatch != nullptr;
  block.dotWatch = band->dotWatch;
}

// A band for a worker: a free one, or a new one made on the worker (the
// first band, made on the calling thread, has loaded what bands share).
RenderBand* TakeBand(RowPipeline* p) {
  {
    std::lock_guard<std::mutex> lock(p->mutex);
    if (!p->freeBands.empty()) {
      RenderBand* band = p->freeBands.back();
      p->freeBands.pop_back();
      return band;
    }
  }
  RenderBand* band = nullptr;
  try {
    band = NewRenderBand(&p->share);
  } catch (const std::exception&) {
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(p->mutex);
  p->allBands.push_back(band);
  return band;
}

void BlockTask(void* arg, int32_t b) {
  auto* p = static_cast<RowPipeline*>(arg);
  RenderBand* band = TakeBand(p);
  if (band != nullptr && !p->cancel.load()) {
    static const BandEntryState kStart{};
    RenderBlock(p, band, b, b == 0 ? &kStart : nullptr);
  }
  {
    std::lock_guard<std::mutex> lock(p->mutex);
    if (band != nullptr) p->freeBands.push_back(band);
    p->blocks[size_t(b)].unrendered = band == nullptr;
    p->blocks[size_t(b)].done = true;
  }
  p->blockDone.notify_all();
}

void SubmitBlocks(RowPipeline* p, int32_t upTo) {
  const int32_t count = int32_t(p->blocks.size());
  while (p->nextSubmit < count && p->nextSubmit < upTo) {
    SubmitPoolTask(&p->pool, PoolTask{BlockTask, p, p->nextSubmit});
    ++p->nextSubmit;
  }
}

// Whether the rows of block b read nothing of the carried state that
// differs from `entry`, the state at the start of its watched rows.
bool BlockAgrees(const RowBlock& block, const BandEntryState& entry, int32_t dotCount) {
  if (block.hintReadUnknown) {
    // The band read its placeholder 0 before any footprint set the level.
    uint32_t bits;
    std::memcpy(&bits, &entry.levelHint, sizeof bits);
    if (bits != 0) return false;
  }
  if (block.watchedDots && block.dotWatch.unknown == 0 && block.dotWatch.assumed != 0) {
    if (block.dotWatch.assumed != 1) return false;
    if (FirstDotFromCursor(&block.dotWatch, entry.dotCursor, dotCount) != block.dotWatch.chosen) return false;
  }
  return true;
}

// The carried state at the start of the next block's watched rows.
BandEntryState NextEntry(const RowBlock& block, const BandEntryState& entry) {
  BandEntryState next = entry;
  if (block.snapshot.hintKnown) next.levelHint = block.snapshot.levelHint;
  if (block.snapshot.cursorKnown) next.dotCursor = block.snapshot.dotCursor;
  return next;
}

// The caller takes block b over: waits for it, checks it against the state
// the blocks before carried and renders it again when they differ.
void TakeBlock(RowPipeline* p, int32_t b) {
  {
    std::unique_lock<std::mutex> lock(p->mutex);
    p->blockDone.wait(lock, [p, b] { return p->blocks[size_t(b)].done; });
  }
  RowBlock& block = p->blocks[size_t(b)];
  if (block.unrendered || (b > 0 && !BlockAgrees(block, p->entry, p->share.context.dotCount))) {
    if (p->callerBand == nullptr) p->callerBand = NewRenderBand(&p->share);
    RenderBlock(p, p->callerBand, b, &p->entry);
    ++p->redone;
  }
  block.checked = true;
  p->entry = NextEntry(block, p->entry);
  p->currentBlock = b;
}

void FreePipeline(RowPipeline* p) {
  p->cancel.store(true);
  StopWorkerPool(&p->pool);
  for (RenderBand* band : p->allBands) FreeRenderBand(band);
  FreeRenderBand(p->callerBand);
  gLastRedone = p->redone;
  gLastBlocks = int32_t(p->blocks.size());
  delete p;
}

}  // namespace

namespace {

bool StartPipeline(RowPipeline* p, GlobalsRecord* globals) {
  BuildShare(globals, &p->share);
  const RenderSettings& s = p->share.settings;
  if (s.width < 1 || s.height < 1) return false;
  p->threads = RenderThreadCount();
  int32_t fullBlocks = 0;  // blocks of blockRows rows
  if (p->threads > 1) {
    p->blockRows = ChooseBlockRows(s.height, s.width, p->threads);
    fullBlocks = (s.height + p->blockRows - 1) / p->blockRows;
    if (fullBlocks < 2) p->threads = 1;  // one block: nothing to share out
  }
  if (p->threads <= 1) {
    p->callerBand = NewRenderBand(&p->share);
    p->rowBuffer.resize(size_t(s.width) * 4);
    const BandEntryState start{};
    BeginBandRows(p->callerBand, 0, 0, &start);
    return true;
  }
  const int32_t workers = std::min(p->threads, fullBlocks);
  p->blocks = SplitBlocks(s.height, p->blockRows, workers, RenderBlockRowsSetting() == 0);
  const int32_t count = int32_t(p->blocks.size());
  // The caller composites one block while each worker renders another.
  p->window = workers + 1 < count ? workers + 1 : count;
  p->buffers.resize(size_t(p->window));
  for (RowFloats& buffer : p->buffers) buffer.resize(size_t(p->blockRows) * size_t(s.width) * 4);
  // One band is made here; the workers make the others as they need them.
  p->allBands.push_back(NewRenderBand(&p->share));
  p->freeBands = p->allBands;
  StartWorkerPool(&p->pool, workers);
  SubmitBlocks(p, p->window);
  return true;
}

}  // namespace

bool StartRowPipeline(GlobalsRecord* globals) {
  StopRowPipeline();
  RowPipeline* p = nullptr;
  try {
    p = new RowPipeline();
    if (StartPipeline(p, globals)) {
      gPipeline = p;
      return true;
    }
  } catch (const std::exception&) {
    // No memory for the bands or blocks, or no thread could be started:
    // the row fails like any allocation of the run.
  }
  if (p != nullptr) FreePipeline(p);
  return false;
}

const float* PipelineRow(int32_t row) {
  RowPipeline* p = gPipeline;
  if (p == nullptr || row < 0 || row >= p->share.settings.height) return nullptr;
  if (p->blocks.empty()) {
    RenderBandRow(p->callerBand, row, p->rowBuffer.data());
    return p->rowBuffer.data();
  }
  const int32_t b = BlockOfRow(p, row);
  if (b != p->currentBlock) {
    // The block before is finished with: its buffer goes to the next block.
    if (p->currentBlock >= 0) SubmitBlocks(p, p->currentBlock + 1 + p->window);
    TakeBlock(p, b);
  }
  return BlockRowPointer(p, b, row);
}

void StopRowPipeline() {
  if (gPipeline == nullptr) return;
  RowPipeline* p = gPipeline;
  gPipeline = nullptr;
  FreePipeline(p);
}

RenderBand* SequentialPipelineBand() {
  return gPipeline != nullptr && gPipeline->blocks.empty() ? gPipeline->callerBand : nullptr;
}

int32_t PipelineBlockCount() { return gPipeline != nullptr ? int32_t(gPipeline->blocks.size()) : gLastBlocks; }

int32_t PipelineBlocksRedone() { return gPipeline != nullptr ? gPipeline->redone : gLastRedone; }
