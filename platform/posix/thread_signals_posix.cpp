#include <pthread.h>
#include <signal.h>

#include <cstring>

#include "platform/thread_signals.h"

static_assert(sizeof(sigset_t) <= sizeof(SignalMaskSave::bytes), "the saved mask must hold a signal set");

void BlockSignalsForNewThreads(SignalMaskSave* save) {
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  save->saved = pthread_sigmask(SIG_BLOCK, &all, &previous) == 0;
  if (save->saved) std::memcpy(save->bytes, &previous, sizeof(previous));
}

void RestoreSignalsAfterThreadStart(const SignalMaskSave& save) {
  if (!save.saved) return;
  sigset_t previous;
  std::memcpy(&previous, save.bytes, sizeof(previous));
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}
