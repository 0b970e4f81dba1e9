// The progress dialog on the stand-in window system: the job starts at the
// first tick, a second request while one runs is refused, a cancel from the
// export passes ends the job with 199, and the percentage is shown (and
// painted) while the job runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/globals_record.h"
#include "host/rect_path.h"
#include "ui/dialog_services.h"
#include "ui/progress_dialog.h"
#include "ui/standin/dialog_standin.h"

namespace {

struct JobLog {
  int32_t runs = 0;
  int32_t job = 0;
  uint64_t startedAt = 0;
  std::string path;
  std::vector<std::string> texts;  // item 2 while the job ran
  int16_t nested = -1;             // a second request from inside the job
  uint8_t nestedCancelled = 9;
};
JobLog* gLog = nullptr;
enum class JobAct { Count, CancelHalfway, AskAgain };
JobAct gAct = JobAct::Count;

std::string ProgressText() {
  StandInDialog* d = FindOpenStandInDialog("VASTO_PROGRESS");
  const StandInItem* item = d ? FindStandInItem(d, 2) : nullptr;
  return item ? item->text : "<none>";
}

void TestJob(GlobalsRecord* globals, int32_t job, const FileSpec* path, uint8_t* cancel) {
  gLog->runs += 1;
  gLog->job = job;
  gLog->startedAt = GetStandInWorld().clock;
  gLog->path = path ? path->path : "";
  for (int32_t i = 1; i <= 4; ++i) {
    UpdateProgressPercent(globals, i, 4, 1);
    gLog->texts.push_back(ProgressText());
    if (gAct == JobAct::CancelHalfway && i == 2) {
      ShowCancelling(globals);
      gLog->texts.push_back(ProgressText());
    }
    if (*cancel) return;
    if (gAct == JobAct::AskAgain && i == 1) {
      gLog->nested = ShowProgressDialogWith(globals, path, &gLog->nestedCancelled, 2, TestJob);
    }
  }
}

class ProgressDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStandIn();
    globals = std::make_unique<GlobalsRecord>();
    gLog = &log;
    gAct = JobAct::Count;
    std::snprintf(spec.path, sizeof(spec.path), "%s", "C:\\out\\result.psd");
  }
  void TearDown() override {
    gLog = nullptr;
    GetDialogModuleState().progressWindow = nullptr;
    ResetStandIn();
  }
  std::unique_ptr<GlobalsRecord> globals;
  JobLog log;
  FileSpec spec{};
};

TEST_F(ProgressDialogTest, JobRunsAtTheFirstTickAndShowsItsPercentage) {
  uint8_t cancelled = 7;
  EXPECT_EQ(ShowProgressDialogWith(globals.get(), &spec, &cancelled, 2, TestJob), 0);
  EXPECT_EQ(cancelled, 0);
  EXPECT_EQ(log.runs, 1);
  EXPECT_EQ(log.job, 2);
  EXPECT_EQ(log.path, "C:\\out\\result.psd");
  EXPECT_GE(log.startedAt, 1000u);  // one second after the window showed
  EXPECT_EQ(log.texts, (std::vector<std::string>{"25%", "50%", "75%", "100%"}));
  // The busy cursor while it ran, the arrow afterwards; no window is left.
  EXPECT_EQ(GetStandInWorld().cursors, (std::vector<CursorShape>{CursorShape::Wait, CursorShape::Arrow}));
  EXPECT_EQ(GetDialogModuleState().progressWindow, nullptr);
  EXPECT_EQ(GetStandInWorld().shown, (std::vector<std::string>{"VASTO_PROGRESS"}));
}

TEST_F(ProgressDialogTest, CancelFromThePassesEndsWith199) {
  gAct = JobAct::CancelHalfway;
  uint8_t cancelled = 0;
  EXPECT_EQ(ShowProgressDialogWith(globals.get(), &spec, &cancelled, 2, TestJob), kProgressRefused);
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(log.texts, (std::vector<std::string>{"25%", "50%", "Cancelling..."}));
  // Without a window, a cancel changes nothing: the next job runs to its end.
  ShowCancelling(globals.get());
  gAct = JobAct::Count;
  log = JobLog{};
  EXPECT_EQ(ShowProgressDialogWith(globals.get(), &spec, &cancelled, 2, TestJob), 0);
  EXPECT_EQ(cancelled, 0);
}

TEST_F(ProgressDialogTest, SecondRequestWhileOneRunsIsRefused) {
  gAct = JobAct::AskAgain;
  uint8_t cancelled = 0;
  EXPECT_EQ(ShowProgressDialogWith(globals.get(), &spec, &cancelled, 2, TestJob), 0);
  EXPECT_EQ(log.runs, 1);  // the second request ran nothing
  EXPECT_EQ(log.nested, kProgressRefused);
  EXPECT_EQ(log.nestedCancelled, 0);
  EXPECT_EQ(GetStandInWorld().shown.size(), 1u);
}

TEST_F(ProgressDialogTest, UnknownJobClosesAfterOneSecond) {
  uint8_t cancelled = 5;
  const uint64_t before = GetStandInWorld().clock;
  EXPECT_EQ(ShowProgressDialog(globals.get(), &spec, &cancelled, 9), 0);
  EXPECT_EQ(cancelled, 0);
  EXPECT_GE(GetStandInWorld().clock - before, 1000u);
  EXPECT_EQ(GetDialogModuleState().progressWindow, nullptr);
}

}  // namespace
