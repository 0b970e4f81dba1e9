// Threads the render starts must never be the ones a process signal lands
// on: the orbalix program stops a run from its own thread, between rows.
// New threads inherit the starter's signal mask, so the starter blocks the
// signals while it starts them and then puts its own mask back.
#pragma once

#include <cstdint>

struct SignalMaskSave {
  uint8_t bytes[160];  // room for the platform's signal set
  bool saved;
};

void BlockSignalsForNewThreads(SignalMaskSave* save);
void RestoreSignalsAfterThreadStart(const SignalMaskSave& save);
