// Small helpers of the settings tests: scratch files and whole-file bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/file_primitives.h"

// A path in the temporary folder, unique per test; removed at destruction.
struct ScratchFile {
  std::string path;
  explicit ScratchFile(const std::string& tag) {
    char buffer[kMaxPathBytes];
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("orbalix_s1_") + info->test_suite_name() + "_" + info->name() + "_" + tag;
    for (char& c : name)
      if (c == '/') c = '_';
    TempFolderPath(buffer, name.c_str());
    path = buffer;
    std::remove(path.c_str());
  }
  ~ScratchFile() { std::remove(path.c_str()); }
};

inline std::vector<uint8_t> ReadAllBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return bytes;
}

// A fresh file each time: emptying an existing file makes some file systems
// flush it to disk on close, which makes loops of rewrites slow.
inline void WriteAllBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::remove(path.c_str());
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

inline std::string SourcePath(const std::string& relative) {
  return std::string(ORBALIX_SOURCE_DIR) + "/" + relative;
}
