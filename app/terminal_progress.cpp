#include "app/terminal_progress.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

struct ProgressBar {
  bool active = false;
  bool drawn = false;
  int32_t lastPercent = -1;
  std::string label;
};
ProgressBar gBar;

void Draw(int32_t percent) {
  constexpr int32_t kWidth = 40;
  const int32_t filled = percent * kWidth / 100;
  std::string line = "\r" + gBar.label + " [";
  line.append(size_t(filled), '#');
  line.append(size_t(kWidth - filled), '.');
  char tail[16];
  std::snprintf(tail, sizeof tail, "] %3d%%", int(percent));
  line += tail;
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  gBar.drawn = true;
}

}  // namespace

void BeginProgressBar(const char* label) {
  gBar = ProgressBar{};
  gBar.active = isatty(STDERR_FILENO) == 1;
  gBar.label = label;
}

void ShowProgress(int32_t done, int32_t total) {
  if (!gBar.active || total <= 0) return;
  const int64_t clamped = done < 0 ? 0 : (done > total ? total : done);
  const int32_t percent = int32_t(clamped * 100 / total);
  if (percent == gBar.lastPercent) return;
  gBar.lastPercent = percent;
  Draw(percent);
}

void EndProgressBar(bool completed) {
  if (gBar.active && gBar.drawn) {
    if (completed && gBar.lastPercent != 100) Draw(100);
    std::fputs("\n", stderr);
    std::fflush(stderr);
  }
  gBar = ProgressBar{};
}
