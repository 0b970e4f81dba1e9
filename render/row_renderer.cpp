#include "render/row_renderer.h"

#include <cstdint>
#include <cstring>

#include "host/globals_record.h"
#include "host/host_memory.h"
#include "host/parameter_block.h"
#include "render/column_record.h"
#include "render/glue_compositor.h"
#include "render/row_pipeline.h"

namespace {

constexpr HostError kNoHostBuffers = -108;

// Records the column array can hold.
int32_t ColumnCapacity(const GlobalsRecord* globals) {
  if (globals->columnRecords == nullptr) return 0;
  return globals->columnRecordBufferSize / int32_t(sizeof(ColumnRecord));
}

// An export target may be wider than the host's rectangle that sized the
// column array: the array grows (cleared) before the first row.
bool EnsureColumnCapacity(GlobalsRecord* globals, int32_t records) {
  if (ColumnCapacity(globals) >= records) return true;
  const int64_t bytes = int64_t(records) * int64_t(sizeof(ColumnRecord));
  if (bytes > INT32_MAX) return false;
  const BufferProcs* procs = RunBufferProcs(globals);
  FreeBuffer(&globals->columnRecords, &globals->columnRecordSlot, procs);
  globals->columnRecordBufferSize = 0;
  globals->columnRecords = AllocBuffer(bytes, &globals->columnRecordSlot, procs);
  if (globals->columnRecords == nullptr) return false;
  std::memset(globals->columnRecords, 0, size_t(bytes));
  globals->columnRecordBufferSize = int32_t(bytes);
  globals->columnRecordCount = records;
  return true;
}

}  // namespace

void RenderOutputRow(GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  const ParameterBlock* block = GetParameterBlock(globals);
  if (fr == nullptr || block == nullptr) {
    SetResult(globals, kNoHostBuffers);
    return;
  }
  // The host's buffers are needed where the row is written into them; an
  // export pass writes its own image.
  if (block->runMode != RunModeExport && (fr->inData == nullptr || fr->outData == nullptr)) {
    SetResult(globals, kNoHostBuffers);
    return;
  }
  const int32_t width = TargetWidth(globals);
  if (width < 1) return;
  const int32_t r = globals->currentRow;
  // The run's column array must be there, as wide as the target; the bands
  // keep their own records.
  if (r == 0 && !EnsureColumnCapacity(globals, width + 4)) {
    SetResult(globals, kMemFullErr);
    return;
  }
  if (ColumnCapacity(globals) < width + 2) {
    SetResult(globals, kMemFullErr);
    return;
  }
  if (r == 0 && !StartRowPipeline(globals)) {
    SetResult(globals, kMemFullErr);
    return;
  }
  const float* pixels = PipelineRow(r);
  if (pixels == nullptr) return;

  CompositeTarget composite;
  PrepareCompositeTarget(globals, &composite);
  CompositeTargetRow(&composite, r, pixels, width);
  if (r >= globals->rowTotal - 1) StopRowPipeline();
}
