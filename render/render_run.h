// The render run: one invocation of the filter from the start phase's set-up
// to the last output row, one row per step, one band per row. The preview
// renders the whole image in one call; export passes drive PrepareRender and
// StepRenderRow themselves.
#pragma once

#include <cstdint>

#include "render/band_scheduler.h"
#include "render/run_tables.h"
#include "render/source_acquisition.h"

struct GlobalsRecord;

void StartRender(GlobalsRecord* globals);
void PrepareRender(GlobalsRecord* globals);
void StepRenderRow(GlobalsRecord* globals);
void RenderAllRows(GlobalsRecord* globals);
void RenderWholeImage(GlobalsRecord* globals);
void FinishRender(GlobalsRecord* globals);

// Teardown used by the shell's clean-up and its buffer allocation.
void FreeRunBuffers(GlobalsRecord* globals);
void FailRunAllocation(GlobalsRecord* globals);
int32_t CanAllocateRunBuffers();
void ReleaseBandsNoOp(GlobalsRecord* globals);
void PreviewHookNoOp(void* first, void* second);

// Result word of run buffers that cannot be allocated.
constexpr int16_t kRunAllocationFailed = 3;
