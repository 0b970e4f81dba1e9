#include "platform/thread_signals.h"

// Windows delivers console stops on a thread of their own: nothing to mask.
void BlockSignalsForNewThreads(SignalMaskSave* save) { save->saved = false; }

void RestoreSignalsAfterThreadStart(const SignalMaskSave&) {}
