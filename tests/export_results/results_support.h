// Shared pieces of the export-result tests: a fixed UTC clock, a folder of
// the test's own, files read back whole.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/shell_os.h"

// 5 May 2026, 09:04:03 UTC while a test holds it.
inline void FixedClock(UtcDateTime* out) { *out = UtcDateTime{2026, 5, 5, 9, 4, 3}; }

struct FixedClockScope {
  FixedClockScope() { SetUtcClock(FixedClock); }
  ~FixedClockScope() { SetUtcClock(nullptr); }
};

struct TestFolder {
  std::filesystem::path path;
  explicit TestFolder(const std::string& label) {
    static std::atomic<int> counter{0};
    path = std::filesystem::temp_directory_path() /
           ("x-results-" + label + "-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Lines split at "\n"; each keeps whatever precedes its "\n" (a "\r" too).
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}
