// Loads the built plug-in file as a host does and runs it through the test
// host: parameters, prepare, start, continue and finish on a small document.
// Only the Windows build has the plug-in file; it runs under wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/testhost/test_host.h"

#if defined(_WIN32) && defined(ORBALIX_PLUGIN_FILE)
// The three kernel32 calls a host makes to reach the entry point.
extern "C" __declspec(dllimport) void* __stdcall LoadLibraryA(const char* fileName);
extern "C" __declspec(dllimport) void* __stdcall GetProcAddress(void* module, const char* procName);
extern "C" __declspec(dllimport) int __stdcall FreeLibrary(void* module);
#define ORBALIX_CAN_LOAD_PLUGIN 1
#endif

namespace {

TEST(PluginDriver, LoadsThePluginAndRunsEveryPhase) {
#ifndef ORBALIX_CAN_LOAD_PLUGIN
  GTEST_SKIP() << "the plug-in file is built and loaded by the Windows build only";
#else
  std::string path = ORBALIX_PLUGIN_FILE;
  void* module = LoadLibraryA(path.c_str());
  if (!module && !path.empty() && path[0] == '/') module = LoadLibraryA(("Z:" + path).c_str());
  ASSERT_NE(module, nullptr) << path;
  auto entry = reinterpret_cast<PluginEntryProc>(GetProcAddress(module, "PluginMain"));
  ASSERT_NE(entry, nullptr);

  TestDocument doc = MakeTestDocument(7, 5, 3, 8, false);
  FillDocumentPattern(doc, 11);
  SetDocumentFilterRect(doc, 1, 1, 6, 4);
  const TestDocument before = doc;
  TestHost host;
  InitTestHost(&host, &doc, TestHostOptions{});
  host.moveUnlockedHandles = true;

  // The about box touches nothing.
  EXPECT_EQ(CallFilterSelector(&host, entry, kSelectorAbout), kNoErr);
  EXPECT_EQ(host.data, 0);

  TestRunReport report;
  TestRunOptions options;
  EXPECT_EQ(RunFilterSelectors(&host, entry, options, &report), kNoErr);
  ASSERT_GE(report.selectors.size(), 5u);
  EXPECT_EQ(report.selectors[0], kSelectorParameters);
  EXPECT_EQ(report.selectors[1], kSelectorPrepare);
  EXPECT_EQ(report.selectors[2], kSelectorStart);
  EXPECT_EQ(report.selectors.back(), kSelectorFinish);
  EXPECT_GE(report.continueCalls, 1);
  EXPECT_GT(host.record.bufferSpace, 0);

  // Every row of the filter rectangle was asked for as a band.
  std::vector<int> rows;
  for (const TestRequest& r : host.requests) {
    if (r.outRect.bottom - r.outRect.top == 1 && r.outRect.left == 1 && r.outRect.right == 6 &&
        (rows.empty() || rows.back() != r.outRect.top)) {
      rows.push_back(r.outRect.top);
    }
  }
  EXPECT_EQ(rows, (std::vector<int>{1, 2, 3}));
  // The render writes inside the filter rectangle only.
  for (int32_t y = 0; y < doc.height; ++y) {
    for (int32_t x = 0; x < doc.width; ++x) {
      if (x >= 1 && x < 6 && y >= 1 && y < 4) continue;
      for (int16_t p = 0; p < 3; ++p) EXPECT_EQ(GetDocumentSample(doc, x, y, p), GetDocumentSample(before, x, y, p));
    }
  }

  DescriptorList recorded;
  ASSERT_TRUE(GetTestHostDescriptor(&host, &recorded));
  EXPECT_NE(FindDescriptorEntry(recorded, MakeFourCC('0', '0', '1', '4')), nullptr);

  EXPECT_EQ(LiveBufferCount(&host), 0);
  EXPECT_EQ(LockedHandleCount(&host), 0);
  EXPECT_EQ(host.handleMisuse, 0);
  EXPECT_EQ(host.bufferMisuse, 0);
  ShutdownTestHost(&host);
  EXPECT_NE(FreeLibrary(module), 0);
#endif
}

}  // namespace
