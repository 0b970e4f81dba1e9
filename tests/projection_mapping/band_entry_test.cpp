// The pixel road entered from a band record, as the renderer enters it.
#include <gtest/gtest.h>

#include "host/globals_record.h"
#include "mapping_fixture.h"
#include "projection/output_pixel.h"
#include "render/band_scheduler.h"

namespace {

TEST(BandEntry, MapOutputPixelRecordsThePositionAndMaps) {
  MappingFixture f(1, 1, 0.5f);
  f.Extents();
  ImageRecord target;
  target.levelWidth[0] = 64;
  target.levelHeight[0] = 32;
  BandRecord band{};
  band.outputFaceList = f.outputFaces.get();
  band.inputFaceList = f.inputFaces.get();
  band.jobArgs = f.context.get();
  PixelMapping out{};
  out.subImage = 7;
  // The centre of column 9 of row 3.
  MapOutputPixel(8.5f, 2.5f, 1, 0, 0, &target, f.context.get(), &out, &band);
  EXPECT_EQ(out.pixelX, 8.5f);
  EXPECT_EQ(out.pixelY, 2.5f);
  EXPECT_FLOAT_EQ(out.outX, 9.5f / 64);
  EXPECT_FLOAT_EQ(out.outY, 3.5f / 32);
  EXPECT_EQ(out.status, kPixelMapped);
  EXPECT_EQ(out.subImage, 2);  // the input's whole source
  EXPECT_NEAR(out.srcX, 9.5f / 64, 2e-6f);
  EXPECT_NEAR(out.srcY, 3.5f / 32, 2.3e-5f);
}

TEST(BandEntry, NearestDotKeepsTheBandsCursor) {
  MappingFixture f(1, 1, 0.5f);
  BuildDotList(f.context.get());
  BandRecord band{};
  band.nearestDot = 300;
  PixelMapping out{};
  FindNearestDot(f.context.get(), &f.context->dots[61], &out, &band);
  EXPECT_EQ(band.nearestDot, 61);
  EXPECT_EQ(out.dotDist, 0.0f);
}

}  // namespace
