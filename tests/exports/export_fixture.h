// Export jobs run as the filter's dialog runs them: on a document that the
// host has handed over and the filter has started on (the source is read),
// with a folder of the test's own for the files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "export/export_files.h"
#include "export/export_jobs.h"
#include "export/export_passes.h"
#include "export/export_plan.h"
#include "export/psd_writer.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "tests/exports/psd_walker.h"
#include "tests/render_run/run_fixture.h"

class ExportFixture : public RunFixture {
 protected:
  std::filesystem::path folder;

  void SetUp() override {
    static std::atomic<int> counter{0};
    folder = std::filesystem::temp_directory_path() / ("exports-" + std::to_string(++counter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override {
    FreeTestImages();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    RunFixture::TearDown();
  }

  std::string PathOf(const std::string& name) const { return (folder / name).string(); }

  // A started run on a patterned document; the globals ready for direct calls.
  GlobalsRecord* StartOn(int32_t width, int32_t height, int16_t planes = 3, int32_t depth = 8,
                         bool transparency = false) {
    NewDocument(width, height, planes, depth, transparency);
    return StartOnDocument();
  }
  // The same on the document as the test has made it.
  GlobalsRecord* StartOnDocument(int32_t input = 1) {
    OpenHost();
    EXPECT_EQ(PrepareAndStart(input), kNoErr);
    // The jobs are called directly, outside a selector call, where the
    // globals' handle is not locked: it must not move under them.
    host.moveUnlockedHandles = false;
    return Direct();
  }
  // Ends the run the host started and checks that nothing was left behind.
  void FinishRun(const std::string& label = "") {
    FreeTestImages();
    EXPECT_EQ(ContinueToEnd(), kNoErr) << label;
    ExpectCleanEnd(label);
  }

  FileSpec Spec(const std::string& name) const {
    FileSpec spec{};
    SetFileSpecName(&spec, PathOf(name).c_str(), kMaxPathLength);
    return spec;
  }

  // The PSD job of `kind`, as the dialog's entry points set it up.
  int16_t Export(int32_t kind, const std::string& name, uint8_t* cancel = nullptr, bool discard = false,
                 int32_t psdWidth = 0, int32_t psdHeight = 0) {
    GlobalsRecord* g = Direct();
    ParameterBlock* block = Block();
    block->exportKind = kind;
    if (psdWidth > 0) {
      block->psdWidth = psdWidth;
      block->psdHeight = psdHeight;
    }
    uint8_t ownCancel = 0;
    const FileSpec spec = Spec(name);
    uint8_t* flag = cancel ? cancel : &ownCancel;
    return discard ? RunPsdExportJobDiscardingCancelled(g, &spec, flag) : RunPsdExportJob(g, &spec, flag);
  }

  // A new image record of the run, freed at the end of the test.
  ImageRecord* NewImage(int32_t width, int32_t height, uint32_t bytesPerChannel) {
    GlobalsRecord* g = Direct();
    images_.emplace_back();
    ImageRecord* image = &images_.back();
    InitImageRecord(image, &g->imageOwner, &g->workRecord->filterTables);
    const int32_t mode = bytesPerChannel == 2 ? PixelRgba16 : (bytesPerChannel == 4 ? PixelRgbaFloat : PixelRgba8);
    EXPECT_TRUE(CreateImage(image, width, height, mode, FetchClamp));
    return image;
  }

  // What a layer of `kind` renders: the same pass into an image of the test's own.
  ImageRecord* RenderExpected(int32_t kind, int32_t width, int32_t height, uint32_t bytesPerChannel,
                              int32_t layer = 1) {
    ImageRecord* image = NewImage(width, height, bytesPerChannel);
    uint8_t cancel = 0;
    ExportPlan plan{};
    plan.kind = uint32_t(kind);
    EXPECT_EQ(RenderExportLayer(Direct(), image, layer, &cancel, &plan), kExportDone);
    return image;
  }

  std::vector<std::string> FilesInFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  // The test's own images live in the host's buffers: they go back while
  // the host is there.
  void FreeTestImages() {
    for (ImageRecord& image : images_) FreeImageRecord(&image);
    images_.clear();
  }
  std::deque<ImageRecord> images_;
};

// Sample `channel` (0 red, 1 green, 2 blue, 3 alpha) of an image record as
// the PSD stores it in a layer: 8-bit as it is, 16-bit doubled (32768 becomes
// 65535), float as its bits.
inline uint32_t PsdLayerValue(const ImageRecord* image, int32_t x, int32_t y, int32_t channel) {
  uint32_t v[4];
  GetPixelRgba(x, y, image, 0, &v[0], &v[1], &v[2], &v[3]);
  if (image->pixelMode == PixelRgba16) return v[channel] >= 32768 ? 65535 : 2 * v[channel];
  return v[channel];
}
