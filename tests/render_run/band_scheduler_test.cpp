// Splitting spans and rectangles into bands and running their jobs.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "host/globals_record.h"
#include "image/image_record.h"
#include "image/level_building.h"
#include "image/pixel_access.h"
#include "render/band_scheduler.h"

namespace {

struct Scheduler {
  std::unique_ptr<GlobalsRecord> globals = std::make_unique<GlobalsRecord>();
  std::unique_ptr<BandRecord> pool = std::make_unique<BandRecord>();
  Scheduler() {
    std::memset(static_cast<void*>(pool.get()), 0, sizeof(BandRecord));
    globals->bandPool = pool.get();
    globals->bandCount = 0;
  }
};

TEST(BandCountForSpan, IsOneForAnyNonEmptySpan) {
  struct Case {
    int32_t first, last, count;
  };
  const Case cases[] = {{-1, 99, 1}, {0, 0, 1}, {5, 4, 0}, {0, 32766, 1}};
  for (const Case& c : cases) EXPECT_EQ(BandCountForSpan(c.first, c.last), c.count) << c.first << ".." << c.last;
}

TEST(SplitSpanIntoBands, TheCornerSpanIsOneBandWithEverythingItsJobNeeds) {
  Scheduler s;
  int context = 0;
  ImageRecord target;
  SplitSpanIntoBands(-1, 99, JobMapCorners, s.globals.get(), &context, 7, &target);
  ASSERT_EQ(s.globals->bandCount, 1);
  const BandRecord& band = *s.pool;
  EXPECT_EQ(band.bandCount, 1);
  EXPECT_EQ(band.bandIndex, 0);
  EXPECT_EQ(band.firstColumn, -1);
  EXPECT_EQ(band.lastColumn, 99);
  EXPECT_EQ(band.rangeFirst, -1);
  EXPECT_EQ(band.rangeLast, 99);
  EXPECT_EQ(band.jobCode, JobMapCorners);
  EXPECT_EQ(band.row, 7);
  EXPECT_EQ(band.owner, s.globals.get());
  EXPECT_EQ(band.target, &target);
  EXPECT_EQ(band.jobArgs, &context);
  // The face lists the geometry fills per row are the band's own.
  EXPECT_EQ(band.outputFaceList, &s.pool->outputFaces);
  EXPECT_EQ(band.inputFaceList, &s.pool->inputFaces);
}

TEST(SplitSpanIntoBands, AnEmptySpanRunsNothing) {
  Scheduler s;
  s.pool->status = 5;
  SplitSpanIntoBands(10, 9, JobRenderPixels, s.globals.get(), nullptr, 0, nullptr);
  EXPECT_EQ(s.globals->bandCount, 0);
  RunBands(s.globals.get());
  EXPECT_EQ(s.pool->status, 5);
}

TEST(SplitRectIntoBands, ARectangleIsOneBandCoveringAllOfIt) {
  struct Case {
    Rect rect;
    int32_t count;
  };
  const Case cases[] = {
      {{3, 10, 4, 310}, 1},     // one pixel high, 300 wide
      {{0, 0, 500, 2}, 1},      // split along the rows
      {{0, 0, 0, 0}, 0},        // empty
      {{5, 9, 2, 3}, 0},        // inside out
      {{-4, -9, 20, 30}, 1},    // away from the origin
  };
  for (const Case& c : cases) {
    Scheduler s;
    int args = 0;
    SplitRectIntoBands(&c.rect, JobBuildLevel, s.globals.get(), &args, nullptr);
    ASSERT_EQ(s.globals->bandCount, c.count);
    if (c.count == 0) continue;
    const Rect& sub = s.pool->subRect;
    EXPECT_TRUE(sub.top == c.rect.top && sub.left == c.rect.left && sub.bottom == c.rect.bottom &&
                sub.right == c.rect.right);
    EXPECT_EQ(s.pool->jobCode, JobBuildLevel);
    EXPECT_EQ(s.pool->jobArgs, &args);
  }
}

TEST(ResetFirstBand, ClearsTheRunFields) {
  Scheduler s;
  s.pool->runFieldA = 11;
  s.pool->runFieldB = -3;
  ResetFirstBand(s.globals.get());
  EXPECT_EQ(s.pool->runFieldA, 0);
  EXPECT_EQ(s.pool->runFieldB, 0);
  RunRenderJob(nullptr, JobRenderPixels);  // no band: nothing happens
}

// Levels built through the scheduler's bands equal levels built by the
// pyramid's own loop, and every band was run.
TEST(RunBands, LevelJobsGoToThePyramid) {
  Scheduler s;
  AttachLevelBands(s.globals.get());
  ImageOwner direct;
  ImageRecord viaBands, viaLoop;
  InitImageRecord(&viaBands, &s.globals->imageOwner, nullptr);
  InitImageRecord(&viaLoop, &direct, nullptr);
  ASSERT_TRUE(CreateImageRecord(&viaBands, 700, 90, PixelRgba8, FetchWrapX, 0));
  ASSERT_TRUE(CreateImageRecord(&viaLoop, 700, 90, PixelRgba8, FetchWrapX, 0));
  for (int32_t y = 0; y < 90; ++y) {
    for (int32_t x = 0; x < 700; ++x) {
      const uint32_t v = uint32_t(x * 7 + y * 13);
      PutPixelRgba8(x, y, &viaBands, 0, v & 255, (v >> 3) & 255, (v >> 5) & 255, 255);
      PutPixelRgba8(x, y, &viaLoop, 0, v & 255, (v >> 3) & 255, (v >> 5) & 255, 255);
    }
  }
  s.pool->status = 0;
  BuildAllLevels(&viaBands);
  BuildAllLevels(&viaLoop);
  EXPECT_EQ(s.pool->status, -1);
  EXPECT_EQ(s.pool->jobCode, JobBuildLevel);
  ASSERT_GE(viaBands.lastLevel, 3);
  for (int32_t level = 1; level <= viaBands.lastLevel; ++level) {
    int32_t differing = 0;
    for (int32_t y = 0; y < viaBands.levelHeight[level]; ++y) {
      for (int32_t x = 0; x < viaBands.levelWidth[level]; ++x) {
        differing += GetPixelPacked32Clamped(x, y, &viaBands, level) != GetPixelPacked32Clamped(x, y, &viaLoop, level);
      }
    }
    EXPECT_EQ(differing, 0) << "level " << level;
  }
  FreeImageRecord(&viaBands);
  FreeImageRecord(&viaLoop);
}

}  // namespace
