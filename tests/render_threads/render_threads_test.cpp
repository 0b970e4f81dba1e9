// The threaded render writes the same bytes as the one-thread render: every
// reference case at 1, 2 and 7 threads, with the blocks of rows the render
// chooses and with blocks of a few rows (many blocks, each starting where
// the carried state of the rows above is unknown to its band). Natively the
// one-thread bytes must also match the digests the reference-render tool
// wrote before the render had threads (tools/reference_renders.txt).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "render/row_pipeline.h"
#include "render/worker_pool.h"
#include "tests/render_threads/render_cases.h"

namespace {

using render_cases::Case;
using render_cases::CaseResult;

struct ThreadSetting {
  int32_t threads;
  int32_t blockRows;  // 0: the render's own choice
};

CaseResult RenderWith(const Case& c, ThreadSetting setting) {
  SetRenderThreadCount(setting.threads);
  SetRenderBlockRows(setting.blockRows);
  CaseResult result = render_cases::RunCase(c);
  SetRenderThreadCount(0);
  SetRenderBlockRows(0);
  return result;
}

// The first differing byte, for the failure message.
std::string FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return "byte " + std::to_string(i) + ": " + std::to_string(a[i]) + " vs " + std::to_string(b[i]);
  }
  return "none";
}

class RenderThreads : public ::testing::TestWithParam<Case> {};

TEST_P(RenderThreads, EveryThreadCountWritesTheSameBytes) {
  const Case& c = GetParam();
  const CaseResult one = RenderWith(c, {1, 0});
  ASSERT_EQ(one.result, kNoErr);
  ASSERT_FALSE(one.bytes.empty());
  const ThreadSetting settings[] = {{2, 0}, {7, 0}, {7, 3}};
  for (const ThreadSetting& s : settings) {
    const CaseResult many = RenderWith(c, s);
    ASSERT_EQ(many.result, kNoErr) << s.threads << " threads";
    EXPECT_TRUE(many.bytes == one.bytes) << s.threads << " threads, blocks of " << s.blockRows
                                         << " rows: first difference at " << FirstDifference(many.bytes, one.bytes);
  }
}

#ifndef _WIN32
// The digests of tools/reference_renders.txt, by case name.
std::map<std::string, std::string> ReferenceDigests() {
  std::map<std::string, std::string> digests;
  std::ifstream in(std::string(ORBALIX_SOURCE_DIR) + "/tools/reference_renders.txt");
  std::string line;
  while (std::getline(in, line)) {
    const size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    digests[line.substr(space + 1)] = line.substr(0, space);
  }
  return digests;
}

// A change of the render that changes its output on purpose writes the file
// again: build/<dir>/tools/reference_renders > tools/reference_renders.txt
TEST_P(RenderThreads, TheOneThreadRenderMatchesTheReferenceDigest) {
  const Case& c = GetParam();
  static const std::map<std::string, std::string> digests = ReferenceDigests();
  const auto found = digests.find(c.name);
  ASSERT_NE(found, digests.end()) << "no reference digest for " << c.name;
  const CaseResult one = RenderWith(c, {1, 0});
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(one.digest));
  EXPECT_EQ(std::string(text), found->second) << c.name;
}
#endif

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  std::string name;
  for (char ch : info.param.name) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderThreads, ::testing::ValuesIn(render_cases::ReferenceCases()), CaseName);

// Blocks whose band read carried state it could not know are rendered
// again on the calling thread; the small blocks of a tunable output read the
// level hint at their first rows, so the check has work to do there.
TEST(RenderThreadsCheck, BlocksThatReadUnknownStateAreRenderedAgain) {
  for (const Case& c : render_cases::ReferenceCases()) {
    if (c.name != "tunable ellipsoid") continue;
    const CaseResult one = RenderWith(c, {1, 0});
    SetRenderThreadCount(4);
    SetRenderBlockRows(3);
    const CaseResult many = render_cases::RunCase(c);
    const int32_t redone = PipelineBlocksRedone();
    SetRenderThreadCount(0);
    SetRenderBlockRows(0);
    EXPECT_GT(redone, 0);
    EXPECT_TRUE(many.bytes == one.bytes);
  }
}

// A run longer than two rounds of the workers ends in finer blocks (400
// rows: blocks of 50 rows and 12 at 2 threads, 34 and 8 at 3); the bytes
// stay those of one thread, overlays and glue included.
TEST(RenderThreadsCheck, TheFinerBlocksAtTheEndWriteTheSameBytes) {
  const render_cases::DocumentKind narrow{3, 8, false, 64, 400};
  const Case c{"narrow and tall", narrow, render_cases::Mode::Final, 3, 1, 0, 0, [](ParameterBlock* b) {
                 b->outputProjection = 46;
                 b->latitude = 25;
                 b->grid2 = 4;
               }};
  const CaseResult one = RenderWith(c, {1, 0});
  ASSERT_EQ(one.result, kNoErr);
  const struct {
    int32_t threads;
    int32_t blocks;
  } runs[] = {{2, 6 + 9}, {3, 9 + 13}};
  for (const auto& run : runs) {
    const CaseResult many = RenderWith(c, {run.threads, 0});
    EXPECT_EQ(PipelineBlockCount(), run.blocks) << run.threads << " threads";
    EXPECT_TRUE(many.bytes == one.bytes) << run.threads << " threads: first difference at "
                                         << FirstDifference(many.bytes, one.bytes);
  }
}

}  // namespace
