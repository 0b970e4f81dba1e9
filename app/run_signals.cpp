#include "app/run_signals.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

volatile sig_atomic_t gSignals = 0;      // signals caught so far
volatile sig_atomic_t gFirstSignal = 0;

// The registry the handler reads: fixed storage, a slot is used once its
// path is complete.
constexpr int kSlots = 8;
constexpr size_t kPathBytes = 4096;
struct ScratchSlot {
  volatile sig_atomic_t used;
  volatile sig_atomic_t folder;
  char path[kPathBytes];
};
ScratchSlot gSlots[kSlots];

// The message of an end from a handler, and the deadline after a first signal.
char gReport[4096] = "orbalix: cancelled\n";
volatile sig_atomic_t gReportBytes = 19;
timer_t gDeadline;
bool gHaveDeadline = false;
constexpr long kDeadlineNanoseconds = 300000000;  // 0.3 s

// Removes the entries of the open folder `fd`, folders in it to a small
// depth, with calls that are safe in a signal handler.
void EmptyFolder(int fd, int depth) {
  alignas(8) char buffer[4096];
  for (;;) {
    const long n = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
    if (n <= 0) return;
    for (long at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      if (entry->d_type == DT_DIR) {
        if (depth > 0) {
          const int inner = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
          if (inner >= 0) {
            EmptyFolder(inner, depth - 1);
            close(inner);
          }
        }
        unlinkat(fd, name, AT_REMOVEDIR);
      } else {
        unlinkat(fd, name, 0);
      }
    }
  }
}

void RemoveRegistered() {
  for (ScratchSlot& slot : gSlots) {
    if (!slot.used) continue;
    if (!slot.folder) {
      unlink(slot.path);
      continue;
    }
    const int fd = open(slot.path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
      EmptyFolder(fd, 4);
      close(fd);
    }
    rmdir(slot.path);
  }
}

void Report() {
  ssize_t ignored = write(STDERR_FILENO, gReport, size_t(gReportBytes));
  (void)ignored;
}

void OnStopSignal(int signal) {
  if (gSignals == 0) gFirstSignal = signal;
  gSignals = gSignals + 1;
  if (gSignals < 2) {
    if (gHaveDeadline) {
      itimerspec when{};
      when.it_value.tv_nsec = kDeadlineNanoseconds;
      timer_settime(gDeadline, 0, &when, nullptr);
    }
    return;
  }
  // The second signal: clean up and end now, by this signal.
  RemoveRegistered();
  Report();
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(signal);
  _exit(128 + signal);
}

// The run did not end in time after the first signal: clean up and end.
void OnStopDeadline(int) {
  RemoveRegistered();
  Report();
  _exit(128 + (gFirstSignal != 0 ? gFirstSignal : SIGINT));
}

int Register(const char* path, bool folder) {
  if (path == nullptr || std::strlen(path) >= kPathBytes) return -1;
  HeldSignals held;
  HoldStopSignals(&held);
  int found = -1;
  for (int i = 0; i < kSlots && found < 0; ++i) {
    if (gSlots[i].used) continue;
    std::memcpy(gSlots[i].path, path, std::strlen(path) + 1);
    gSlots[i].folder = folder ? 1 : 0;
    gSlots[i].used = 1;
    found = i;
  }
  ReleaseStopSignals(held);
  return found;
}

void Unregister(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  gSlots[slot].used = 0;
}

// The test hook.
struct StopHook {
  bool active = false;
  bool stall = false;
  RunPhase phase = RunPhase::Decode;
  long at = 0;
  int signals[4] = {};
  int count = 0;
  long seen = 0;
};
StopHook gHook;

bool ParsePhase(const std::string& text, RunPhase* phase) {
  if (text == "decode") *phase = RunPhase::Decode;
  else if (text == "resample") *phase = RunPhase::Resample;
  else if (text == "render") *phase = RunPhase::Render;
  else if (text == "write") *phase = RunPhase::Write;
  else return false;
  return true;
}

}  // namespace

void CatchStopSignals() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnStopSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  struct sigaction deadline;
  std::memset(&deadline, 0, sizeof deadline);
  deadline.sa_handler = OnStopDeadline;
  sigemptyset(&deadline.sa_mask);
  sigaddset(&deadline.sa_mask, SIGINT);
  sigaddset(&deadline.sa_mask, SIGTERM);
  sigaction(SIGALRM, &deadline, nullptr);
  if (!gHaveDeadline) {
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGALRM;
    gHaveDeadline = timer_create(CLOCK_MONOTONIC, &event, &gDeadline) == 0;
  }
}

void SetStopReport(const std::string& text) {
  HeldSignals held;
  HoldStopSignals(&held);
  const size_t n = std::min(text.size(), sizeof gReport - 1);
  std::memcpy(gReport, text.data(), n);
  gReportBytes = sig_atomic_t(n);
  ReleaseStopSignals(held);
}

void CancelStopDeadline() {
  if (!gHaveDeadline) return;
  itimerspec never{};
  timer_settime(gDeadline, 0, &never, nullptr);
}

bool StopRequested() { return gSignals != 0; }

int StopSignal() { return gFirstSignal; }

void LoadStopTestHook() {
  gHook = StopHook{};
  const char* value = std::getenv("ORBALIX_TEST_SIGNAL");
  if (value == nullptr) return;
  const std::string text = value;
  const size_t first = text.find(':');
  if (first == std::string::npos || !ParsePhase(text.substr(0, first), &gHook.phase)) return;
  const size_t second = text.find(':', first + 1);
  gHook.at = std::atol(text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1).c_str());
  std::string list = second == std::string::npos ? "INT" : text.substr(second + 1);
  const size_t third = list.find(':');
  if (third != std::string::npos) {
    gHook.stall = list.substr(third + 1) == "stall";
    list = list.substr(0, third);
  }
  while (!list.empty() && gHook.count < 4) {
    const size_t plus = list.find('+');
    const std::string name = list.substr(0, plus);
    gHook.signals[gHook.count++] = name == "TERM" ? SIGTERM : SIGINT;
    list = plus == std::string::npos ? "" : list.substr(plus + 1);
  }
  gHook.active = gHook.at > 0 && gHook.count > 0;
}

bool StopCheckpoint(RunPhase phase) {
  if (gHook.active && phase == gHook.phase && ++gHook.seen == gHook.at) {
    for (int i = 0; i < gHook.count; ++i) kill(getpid(), gHook.signals[i]);
    if (gHook.stall) {
      timespec left{5, 0};
      while (nanosleep(&left, &left) != 0 && errno == EINTR) {
      }
      _exit(99);
    }
  }
  return StopRequested();
}

int RegisterScratchFile(const char* path) { return Register(path, false); }
void UnregisterScratchFile(int slot) { Unregister(slot); }
int RegisterScratchFolder(const char* path) { return Register(path, true); }
void UnregisterScratchFolder(int slot) { Unregister(slot); }

void HoldStopSignals(HeldSignals* held) {
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  sigprocmask(SIG_BLOCK, &stop, &held->previous);
}

void ReleaseStopSignals(const HeldSignals& held) { sigprocmask(SIG_SETMASK, &held.previous, nullptr); }
