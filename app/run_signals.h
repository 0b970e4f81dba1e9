// Stopping a run of the orbalix program on SIGINT (Ctrl-C) and SIGTERM.
//
// The first signal asks the run to stop: every phase (decoding, resampling,
// the filter, writing) asks StopRequested() between rows and ends within a
// fraction of a second; the program then removes what it made and leaves OUT
// and its folder as they were. Some stretches of the filter ask no question
// (building the smaller levels of a large source): when the run has not
// ended 0.3 seconds after the signal, the program ends anyway the way a
// second signal does. A second signal does not wait: the handler itself
// removes the scratch files and the run's temporary folder that are
// registered here, says so on stderr and ends the program by that signal.
#pragma once

#include <csignal>
#include <string>

// The phases a run goes through, for the test hook below.
enum class RunPhase { Decode, Resample, Render, Write };

void CatchStopSignals();
bool StopRequested();
// What the program says on stderr when it ends from a handler.
void SetStopReport(const std::string& text);
// The run ends by itself now: no deadline any more.
void CancelStopDeadline();
// The first signal caught (SIGINT or SIGTERM), 0 when none.
int StopSignal();

// A checkpoint between two rows of a phase: answers StopRequested(). For the
// tests, the environment variable ORBALIX_TEST_SIGNAL="PHASE:N[:SIGNALS]"
// (PHASE decode, resample, render or write; SIGNALS a '+'-separated list of
// INT and TERM, INT by default) sends those signals to the program itself
// at the Nth checkpoint of that phase. A fourth field "stall" then keeps that
// checkpoint from returning for five seconds (and ends the program with
// status 99 after them), as a stretch of work without checkpoints would.
bool StopCheckpoint(RunPhase phase);
void LoadStopTestHook();

// Paths the second signal removes. A registration answers a slot, or -1
// when the table is full (the path is then only removed by the program).
int RegisterScratchFile(const char* path);
void UnregisterScratchFile(int slot);
int RegisterScratchFolder(const char* path);
void UnregisterScratchFolder(int slot);

// Holds SIGINT and SIGTERM back while a step must not be cut in two (making
// and registering a scratch file, putting the outputs in place).
struct HeldSignals {
  sigset_t previous;
};
void HoldStopSignals(HeldSignals* held);
void ReleaseStopSignals(const HeldSignals& held);
