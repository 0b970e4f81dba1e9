// The glue compositor on a hand-made filter record: conversion to the
// document's pixel kind, spill, alpha, grey, destinations and bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "host/globals_record.h"
#include "host/host_records.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "render/glue_compositor.h"
#include "render/run_tables.h"

namespace {

struct Doc {
  int16_t mode;
  int32_t depth;
  int16_t planes;  // samples a pixel, transparency included
  int16_t filterCase;
};

constexpr Doc kRgb8{kImageModeRGBColor, 8, 3, 1};
constexpr Doc kGrey8{kImageModeGrayScale, 8, 1, 1};
constexpr Doc kRgb16{kImageModeRGB48, 16, 3, 1};
constexpr Doc kGrey16{kImageModeGray16, 16, 1, 1};
constexpr Doc kRgbF{kImageModeRGB96, 32, 3, 1};
constexpr Doc kGreyF{kImageModeGray32, 32, 1, 1};
constexpr Doc kRgba8{kImageModeRGBColor, 8, 4, 4};
constexpr Doc kRgba16{kImageModeRGB48, 16, 4, 4};
constexpr Doc kRgbaF{kImageModeRGB96, 32, 4, 4};

// A filter record with one delivered rectangle of width x height pixels,
// guarded on both sides so that a write outside it shows.
struct CompositorBench {
  FilterRecord record{};
  std::unique_ptr<ParameterBlock> block = std::make_unique<ParameterBlock>();
  char* blockMaster = nullptr;
  std::unique_ptr<GlobalsRecord> globals = std::make_unique<GlobalsRecord>();
  std::unique_ptr<WorkRecord> work = std::make_unique<WorkRecord>();
  HostError result = 0;
  std::vector<uint8_t> out, in;
  static constexpr size_t kGuard = 64;
  static constexpr uint8_t kGuardByte = 0x5A;
  int32_t bytes = 1;

  CompositorBench(const Doc& doc, int32_t runMode, int32_t width, int32_t height) {
    std::memset(static_cast<void*>(block.get()), 0, sizeof(ParameterBlock));
    std::memset(static_cast<void*>(globals.get()), 0, sizeof(GlobalsRecord));
    std::memset(static_cast<void*>(work.get()), 0, sizeof(WorkRecord));
    blockMaster = reinterpret_cast<char*>(block.get());
    record.parameters = &blockMaster;
    globals->filterRecord = &record;
    globals->resultPtr = &result;
    globals->workRecord = work.get();
    block->runMode = runMode;
    block->glue = 1;
    block->previewScale = 1;
    record.imageMode = doc.mode;
    record.depth = doc.depth;
    record.planes = doc.planes;
    record.filterCase = doc.filterCase;
    record.outLayerPlanes = doc.planes == 4 || doc.planes == 2 ? int16_t(doc.planes - 1) : doc.planes;
    record.inLoPlane = record.outLoPlane = 0;
    record.inHiPlane = record.outHiPlane = int16_t(doc.planes - 1);
    record.filterRect = Rect{0, 0, int16_t(height), int16_t(width)};
    record.inRect = record.outRect = Rect{0, 0, int16_t(height), int16_t(width)};
    bytes = doc.depth == 8 ? 1 : doc.depth / 8;
    record.outRowBytes = record.inRowBytes = width * doc.planes * bytes;
    out.assign(kGuard * 2 + size_t(record.outRowBytes) * height, kGuardByte);
    in.assign(out.size(), 0);
    record.outData = out.data() + kGuard;
    record.inData = in.data() + kGuard;
    globals->clipFirstRow = 0;
    globals->clipLastRow = height - 1;
    globals->clipLastColumn = width - 1;
    globals->maskLastRow = height - 1;
    BuildRunTables(globals.get());
  }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i) {
      if (out[i] != kGuardByte || out[out.size() - 1 - i] != kGuardByte) return false;
    }
    return true;
  }
  void Put(int32_t x, int32_t y, float r, float g, float b, float a) {
    const float colour[4] = {r, g, b, a};
    CompositePixel(x, y, colour, globals.get());
  }
  double Sample(int32_t x, int32_t y, int32_t plane) const {
    const uint8_t* p = out.data() + kGuard + size_t(record.outRowBytes) * y + size_t(x * record.planes + plane) * bytes;
    if (bytes == 1) return *p;
    if (bytes == 2) {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    float f;
    std::memcpy(&f, p, 4);
    return f;
  }
};

// Rendered colour to written samples at 8 bits, glue 1: spill, clamps, alpha.
TEST(Compositor, EightBitSpillClampAndAlphaTable) {
  struct Case {
    float r, g, b, a;
    int32_t wr, wg, wb, wa;
  };
  const Case cases[] = {
      {1.2f, 0.5f, 0.5f, 1.0f, 255, 132, 132, 255},   // red over: e = 51, e9 = 5 to green and blue
      {0.5f, 1.2f, 0.5f, 1.0f, 132, 255, 132, 255},   // green over
      {0.5f, 0.5f, 1.2f, 1.0f, 132, 132, 255, 255},   // blue over
      {1.2f, 1.2f, 0.5f, 1.0f, 255, 255, 150, 255},   // red and green: e = 102, e8 = 23 to blue
      {1.2f, 0.5f, 1.2f, 1.0f, 255, 150, 255, 255},   // red and blue
      {0.5f, 1.2f, 1.2f, 1.0f, 150, 255, 255, 255},   // green and blue
      {2.0f, 3.0f, 4.0f, 1.0f, 255, 255, 255, 255},   // all over: no spill, each clamped
      {3.0f, 0.98f, 0.5f, 1.0f, 255, 255, 239, 255},  // green pushed over passes its excess on to blue
      {-0.5f, 0.25f, 0.0f, 0.5f, 0, 63, 0, 128},      // negative channel 0; alpha 0.5 gives 128
      {0.0f, 0.0f, 0.0f, 0.994f, 0, 0, 0, 255},       // 1.007 x 253.47 reaches 255
      {0.0f, 0.0f, 0.0f, 0.0f, 0, 0, 0, 0},          {0.0f, 0.0f, 0.0f, 7.0f, 0, 0, 0, 255},
  };
  for (const Case& c : cases) {
    CompositorBench bench(kRgba8, RunModeHost, 4, 1);
    bench.Put(2, 0, c.r, c.g, c.b, c.a);
    EXPECT_EQ(bench.Sample(2, 0, 0), c.wr) << c.r << " " << c.g << " " << c.b;
    EXPECT_EQ(bench.Sample(2, 0, 1), c.wg) << c.r << " " << c.g << " " << c.b;
    EXPECT_EQ(bench.Sample(2, 0, 2), c.wb) << c.r << " " << c.g << " " << c.b;
    EXPECT_EQ(bench.Sample(2, 0, 3), c.wa) << c.a;
    EXPECT_TRUE(bench.GuardsIntact());
  }
}

TEST(Compositor, SixteenBitAndFloatScalesAndAlpha) {
  CompositorBench b16(kRgba16, RunModeHost, 2, 1);
  b16.Put(0, 0, 1.0f, 0.5f, 1.5f, 1.0f);
  // Blue over by 16384: e8 = 3840, e9 = 1920 to red and green; red, pushed
  // over, passes its excess on to green.
  EXPECT_EQ(b16.Sample(0, 0, 0), 32768);
  EXPECT_EQ(b16.Sample(0, 0, 1), 16384 + 1920 + 1920);
  EXPECT_EQ(b16.Sample(0, 0, 2), 32768);
  EXPECT_EQ(b16.Sample(0, 0, 3), 32768);

  // Float: channels unclamped, negatives kept, alpha clamped to 0..1.
  CompositorBench bf(kRgbaF, RunModeHost, 2, 1);
  bf.Put(1, 0, 1.5f, -0.25f, 0.125f, 3.0f);
  EXPECT_FLOAT_EQ(float(bf.Sample(1, 0, 0)), 1.5f);
  EXPECT_FLOAT_EQ(float(bf.Sample(1, 0, 1)), -0.25f);
  EXPECT_FLOAT_EQ(float(bf.Sample(1, 0, 2)), 0.125f);
  EXPECT_FLOAT_EQ(float(bf.Sample(1, 0, 3)), 1.0f);
  bf.Put(0, 0, 0.5f, 0.5f, 0.5f, std::numeric_limits<float>::quiet_NaN());
  EXPECT_FLOAT_EQ(float(bf.Sample(0, 0, 3)), 0.0f);
  EXPECT_TRUE(b16.GuardsIntact());
  EXPECT_TRUE(bf.GuardsIntact());
}

// Grey documents take (77 R + 150 G + 28 B) >> 8 of the spilled values.
TEST(Compositor, GreyRuleAtEveryKind) {
  CompositorBench b8(kGrey8, RunModeHost, 1, 1);
  b8.Put(0, 0, 1.2f, 0.5f, 0.5f, 1.0f);  // spilled (306, 132, 132)
  EXPECT_EQ(b8.Sample(0, 0, 0),
            (77 * 306 + 150 * 132 + 28 * 132) >> 8 > 255 ? 255 : (77 * 306 + 150 * 132 + 28 * 132) >> 8);
  CompositorBench b8b(kGrey8, RunModeHost, 1, 1);
  b8b.Put(0, 0, 0.2f, 0.6f, 1.0f, 1.0f);  // (51, 153, 255)
  EXPECT_EQ(b8b.Sample(0, 0, 0), (77 * 51 + 150 * 153 + 28 * 255) >> 8);
  CompositorBench b16(kGrey16, RunModeHost, 1, 1);
  b16.Put(0, 0, 0.25f, 0.5f, 0.75f, 1.0f);
  EXPECT_EQ(b16.Sample(0, 0, 0), (77 * 8192 + 150 * 16384 + 28 * 24576) >> 8);
  CompositorBench bf(kGreyF, RunModeHost, 1, 1);
  bf.Put(0, 0, 0.25f, 0.5f, 0.75f, 1.0f);
  EXPECT_FLOAT_EQ(float(bf.Sample(0, 0, 0)), (77.0f * 0.25f + 150.0f * 0.5f + 28.0f * 0.75f) / 255.0f);
}

// Glue 0 and 63 and every mode without its blend write as "normal".
TEST(Compositor, GlueOutsideTheModesWritesNormal) {
  for (int32_t glue : {0, 1, 63, -5}) {
    CompositorBench bench(kRgb8, RunModeHost, 1, 1);
    bench.block->glue = glue;
    bench.in.assign(bench.in.size(), 200);
    bench.Put(0, 0, 0.1f, 0.2f, 0.3f, 1.0f);
    EXPECT_EQ(bench.Sample(0, 0, 0), 25) << glue;
    EXPECT_EQ(bench.Sample(0, 0, 1), 51) << glue;
    EXPECT_EQ(bench.Sample(0, 0, 2), 76) << glue;
  }
}

// Glue 2..62 blends with the pixel already there: the host's input pixel
// in the final render and the preview, the export image's own pixel in an
// export pass; grey documents read plane 0 for all three channels.
TEST(Compositor, GlueModesBlendWithTheUnderlyingPixel) {
  struct Case {
    Doc doc;
    int32_t runMode;
    int32_t glue;
    uint16_t under;  // every input sample
    float value;
    double expect;
  };
  const Case cases[] = {
      {kRgb8, RunModeHost, 5, 200, 0.1f, 200},                         // lighten
      {kRgb8, RunModeHost, 6, 200, 0.1f, 25},                          // darken
      {kRgb8, RunModeHost, 7, 200, 0.5f, 255},                         // add, held at full scale
      {kRgb8, RunModeHost, 2, 64, 0.5f, (128 * 127 + 127 * 64) >> 8},  // procedural + through the tent table
      {kGrey8, RunModeHost, 8, 20, 0.5f, ((255 * 127) >> 8) - 20},     // subtract after the grey rule
      {kRgb16, RunModeHost, 9, 16384, 0.5f, (16384 * 16384) >> 15},    // multiply
      {kRgbF, RunModeHost, 6, 0, 0.5f, 0.5},                           // float ignores the glue
      {kRgb8, RunModePreview, 5, 200, 0.1f, 200},
  };
  for (const Case& c : cases) {
    CompositorBench bench(c.doc, c.runMode, 2, 2);
    bench.block->glue = c.glue;
    if (c.doc.depth == 16) {
      for (size_t k = 0; k + 1 < bench.in.size(); k += 2) std::memcpy(&bench.in[k], &c.under, 2);
    } else {
      for (uint8_t& v : bench.in) v = uint8_t(c.under);
    }
    bench.Put(1, 1, c.value, c.value, c.value, 1.0f);
    EXPECT_NEAR(bench.Sample(1, c.runMode == RunModeHost ? 0 : 1, 0), c.expect, 1e-6) << "glue " << c.glue;
  }
  // An export pass blends with the export image.
  CompositorBench bench(kRgb8, RunModeExport, 3, 3);
  bench.block->glue = 5;
  ImageRecord image;
  InitImageRecord(&image, nullptr, nullptr);
  ASSERT_TRUE(CreateImageRecord(&image, 3, 3, PixelRgba8, 0, 0));
  PutPixelRgba8(1, 1, &image, 0, 220, 10, 10, 255);
  bench.work->offscreenTarget = &image;
  bench.Put(1, 1, 0.5f, 0.5f, 0.5f, 1.0f);
  uint32_t r, g, b, a;
  GetPixelRgba(1, 1, &image, 0, &r, &g, &b, &a);
  EXPECT_EQ(r, 220u);
  EXPECT_EQ(g, 127u);
  FreeImageRecord(&image);
}

// Positions outside the delivered rectangle are clamped into it; nothing is
// written outside it, nor without buffers or for an empty rectangle.
TEST(Compositor, NeverWritesOutsideTheDeliveredRectangle) {
  for (const Doc& doc : {kRgba8, kRgba16, kRgbaF, kGrey8}) {
    for (int32_t mode : {RunModeHost, RunModePreview}) {
      CompositorBench bench(doc, mode, 3, 2);
      for (int32_t x : {-100000, -1, 0, 2, 3, 100000}) {
        for (int32_t y : {-7, 0, 1, 2, 99999}) bench.Put(x, y, 2.0f, -1.0f, 1e30f, 5.0f);
      }
      EXPECT_TRUE(bench.GuardsIntact()) << doc.mode << " " << mode;
    }
  }
  CompositorBench empty(kRgb8, RunModeHost, 3, 1);
  empty.record.outRect = Rect{0, 0, 0, 0};
  empty.Put(0, 0, 1, 1, 1, 1);
  EXPECT_TRUE(empty.GuardsIntact());
  EXPECT_EQ(empty.Sample(0, 0, 0), CompositorBench::kGuardByte);
  CompositorBench noOut(kRgb8, RunModeHost, 3, 1);
  noOut.record.outData = nullptr;
  noOut.Put(0, 0, 1, 1, 1, 1);  // must not crash
  // A transparency plane index beyond the pixel is not written.
  CompositorBench badLayer(kRgba8, RunModeHost, 1, 1);
  badLayer.record.outLayerPlanes = 9;
  badLayer.Put(0, 0, 1, 1, 1, 1);
  EXPECT_TRUE(badLayer.GuardsIntact());
  // More planes claimed than delivered: nothing is written.
  CompositorBench fewPlanes(kRgba8, RunModeHost, 2, 1);
  fewPlanes.record.outHiPlane = 1;
  fewPlanes.Put(1, 0, 1, 1, 1, 1);
  EXPECT_EQ(fewPlanes.Sample(1, 0, 0), CompositorBench::kGuardByte);
}

// A row handed over at once writes the bytes its pixels one by one would:
// every kind, grey and transparency, both host destinations, glue off and
// on, wild colours (NaN, infinities, denormals), and a row wider than the target (the excess lands on
// its last column).
TEST(Compositor, RowsWriteWhatTheirPixelsWrite) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float wild[] = {0.0f, 0.25f, 0.5f, 0.994f, 1.0f, 1.2f, 3.0f, -0.5f, -0.0f, 7.0f, 1e30f, nan, 0.98f, 0.1f,
                        inf, -inf, 1e-40f};
  constexpr int32_t kWild = int32_t(sizeof wild / sizeof wild[0]);
  for (const Doc& doc : {kRgb8, kGrey8, kRgb16, kGrey16, kRgbF, kGreyF, kRgba8, kRgba16, kRgbaF}) {
    for (int32_t mode : {RunModeHost, RunModePreview}) {
      for (int32_t glue : {1, 5, 2}) {
        const int32_t width = 23;
        std::vector<float> pixels(4 * (width + 3));
        for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = wild[(k * 7 + k / 4) % kWild];
        CompositorBench single(doc, mode, width, 1), whole(doc, mode, width, 1);
        for (CompositorBench* b : {&single, &whole}) {
          b->block->glue = glue;
          for (size_t k = 0; k < b->in.size(); ++k) b->in[k] = uint8_t(k * 37);
          BuildRunTables(b->globals.get());
        }
        for (int32_t x = 0; x < width + 3; ++x) {
          single.Put(x, 0, pixels[4 * x], pixels[4 * x + 1], pixels[4 * x + 2], pixels[4 * x + 3]);
        }
        CompositeTarget target;
        PrepareCompositeTarget(whole.globals.get(), &target);
        CompositeTargetRow(&target, 0, pixels.data(), width + 3);
        EXPECT_EQ(single.out, whole.out) << "mode " << doc.mode << " planes " << doc.planes << " run " << mode
                                         << " glue " << glue;
      }
    }
  }
}

// The preview shows the pixel over the checkerboard through the mask.
TEST(Compositor, PreviewCheckerboardThroughTheMask) {
  struct Case {
    Doc doc;
    uint8_t mask;
    float value, alpha;
    int32_t x, y;
    double expect;
  };
  const Case cases[] = {
      {kRgb8, 255, 0.5f, 1.0f, 0, 0, (256 * 127 + 255 * 0) >> 8},
      {kRgb8, 0, 0.5f, 1.0f, 0, 0, 255},  // light square, no mask
      {kRgb8, 0, 0.5f, 1.0f, 8, 0, 204},  // dark square
      {kRgb8, 100, 0.5f, 1.0f, 8, 0, (100 * 127 + 204 * 156) >> 8},
      {kRgba8, 255, 0.5f, 0.5f, 0, 0, (128 * 127 + 255 * 128) >> 8},  // m = 256 x 128 >> 8
      {kRgb16, 255, 0.5f, 1.0f, 8, 8, (255 * 16384 + 32640 * 0) >> 8},
      {kRgb16, 0, 0.5f, 1.0f, 8, 0, 26112 * 255 >> 8},
      {kRgbF, 0, 0.5f, 1.0f, 8, 0, 0.8},
      {kRgbF, 255, 0.5f, 1.0f, 8, 0, 1.0 * 0.5},
      {kRgbaF, 255, 0.5f, 0.5f, 0, 0, 0.5 * 0.5 + 0.5 * 1.0},
  };
  for (const Case& c : cases) {
    CompositorBench bench(c.doc, RunModePreview, 16, 16);
    bench.record.haveMask = 1;
    std::vector<uint8_t> mask(16 * 16, c.mask);
    bench.record.maskData = mask.data();
    bench.record.maskRowBytes = 16;
    bench.Put(c.x, c.y, c.value, c.value, c.value, c.alpha);
    EXPECT_NEAR(bench.Sample(c.x, c.y, 1), c.expect, 1e-6) << c.doc.mode << " mask " << int(c.mask);
    if (c.doc.planes == 4) {
      EXPECT_NEAR(bench.Sample(c.x, c.y, 3), c.doc.depth == 8 ? 255 : (c.doc.depth == 16 ? 32768 : 0.5), 1e-6);
    }
  }
}

// Export passes write the export image by its pixel mode.
TEST(Compositor, ExportImageConversions) {
  struct Case {
    Doc doc;
    int32_t pixelMode;
    float value;
    uint32_t expect;  // first channel as the image holds it
  };
  const Case cases[] = {
      {kRgb8, PixelRgba8, 0.5f, 127},     {kRgb16, PixelRgba8, 1.0f, 255},  // 32768 -> 255
      {kRgb16, PixelRgba8, 0.5f, 128},                                      // 16384 -> 128
      {kRgb16, PixelRgba16, 0.5f, 16384}, {kRgbF, PixelRgba8, 0.25f, 127},  // sqrt(0.25) x 255
  };
  for (const Case& c : cases) {
    CompositorBench bench(c.doc, RunModeExport, 4, 4);
    ImageRecord image;
    InitImageRecord(&image, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&image, 5, 3, c.pixelMode, 0, 0));
    bench.work->offscreenTarget = &image;
    bench.Put(4, 2, c.value, c.value, c.value, 1.0f);
    bench.Put(99, -3, c.value, c.value, c.value, 1.0f);  // clamped to (4, 0)
    uint32_t r, g, b, a;
    GetPixelRgba(4, 2, &image, 0, &r, &g, &b, &a);
    EXPECT_EQ(r, c.expect) << c.doc.mode << " " << c.pixelMode;
    GetPixelRgba(4, 0, &image, 0, &r, &g, &b, &a);
    EXPECT_EQ(r, c.expect);
    FreeImageRecord(&image);
  }
}

}  // namespace
