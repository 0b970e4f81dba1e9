// The progress dialog: a small window in which one long export job runs,
// started from the window's first timer tick so that the window is on screen
// before the work begins. The job reports its percentage through
// UpdateProgressPercent and stops when ShowCancelling has set the cancel
// byte.
#pragma once

#include <cstdint>

#include "ui/dialog_port.h"

struct GlobalsRecord;
struct FileSpec;

constexpr int32_t kProgressTimerId = 993;
constexpr int32_t kProgressStartDelayMs = 1000;
constexpr int32_t kProgressJobPsd = 2;
constexpr int32_t kProgressJobTextures = 5;
constexpr int16_t kProgressRefused = 199;  // already open, or cancelled

// Runs job `job` on `path`. Answers 0 when the job ran to its end, 199 when a
// progress dialog was open already (it comes to the top, nothing runs) or
// the job was cancelled; *cancelled is 1 only in the cancelled case.
int16_t ShowProgressDialog(GlobalsRecord* globals, const FileSpec* path, uint8_t* cancelled, int32_t job);

// What runs a job: the exports' jobs by number (job 2 the PSD export; other
// numbers run nothing). A test passes its own.
using ProgressJobRunner = void (*)(GlobalsRecord* globals, int32_t job, const FileSpec* path, uint8_t* cancel);
void RunProgressJob(GlobalsRecord* globals, int32_t job, const FileSpec* path, uint8_t* cancel);
int16_t ShowProgressDialogWith(GlobalsRecord* globals, const FileSpec* path, uint8_t* cancelled, int32_t job,
                               ProgressJobRunner runner);

int32_t ProgressDialogHandler(void* state, const DialogPort* port, const DialogEvent* event);

// Sets the running job's cancel byte (ShowCancelling does, with its text).
void MarkProgressCancelled();
