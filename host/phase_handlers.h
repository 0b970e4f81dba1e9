// The handlers of the five working selectors and the run set-up they share.
#pragma once

#include <cstdint>

struct GlobalsRecord;

void HandleParametersSelector(GlobalsRecord* globals);
void HandlePrepareSelector(GlobalsRecord* globals);
void HandleStartSelector(GlobalsRecord* globals);
void HandleContinueSelector(GlobalsRecord* globals);
void HandleFinishSelector(GlobalsRecord* globals);

void ComputeRowStrides(GlobalsRecord* globals);
void ComputeBufferSizes(GlobalsRecord* globals);
bool AllocateRunBuffers(GlobalsRecord* globals);
void InitStartState(GlobalsRecord* globals);
void ReleaseRunResources(GlobalsRecord* globals);

// Start-phase result after a refusal alert (the failure was already shown).
constexpr int16_t kRefusedResult = 1;
