// Colour-model, plain-HSL, channel-mixing and opponent-space glue modes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "glue_test_util.h"

namespace {

struct PixelCase {
  const char* what;
  int32_t glue, depth;
  Pixel n, o, want;
};

void ExpectPixelCases(const PixelCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const PixelCase& c = cases[i];
    const Pixel got = ApplyRaw(c.glue, c.depth, c.n, c.o);
    for (int32_t ch = 0; ch < 3; ++ch) {
      EXPECT_EQ(got.c[ch], c.want.c[ch]) << c.what << " (glue " << c.glue << ", " << c.depth
                                         << " bits) channel " << ch;
    }
  }
}

const Pixel kBlack8 = Grey(0), kWhite8 = Grey(255), kBlack16 = Grey(0), kWhite16 = Grey(32768);

TEST(ColourGlue, WorkedExamples) {
  const PixelCase cases[] = {
      {"hue over black", 23, 8, {{200, 30, 90}}, kBlack8, kBlack8},
      {"hue over black", 23, 16, {{20000, 3000, 9000}}, kBlack16, kBlack16},
      {"saturation over black", 22, 8, {{200, 30, 90}}, kBlack8, kBlack8},
      {"saturation over black", 22, 16, {{20000, 3000, 9000}}, kBlack16, kBlack16},
      {"sinister of black over black is white", 59, 8, kBlack8, kBlack8, kWhite8},
      {"sinister of black over black is white", 59, 16, kBlack16, kBlack16, kWhite16},
      {"anterior of white over white", 60, 8, kWhite8, kWhite8, kWhite8},
      {"anterior of white over white", 60, 16, kWhite16, kWhite16, kWhite16},
      {"posterior of white over white", 61, 16, kWhite16, kWhite16, kWhite16},
      {"wax of grey keeps the document", 46, 8, Grey(90), {{10, 20, 250}}, {{10, 20, 250}}},
      {"wax of a pure colour writes it", 46, 8, {{255, 0, 0}}, {{10, 20, 250}}, {{255, 0, 0}}},
      {"wax of a pure colour writes it", 46, 16, {{0, 32768, 0}}, {{10, 20, 250}}, {{0, 32768, 0}}},
      {"wane of mid grey writes it", 47, 16, Grey(16384), {{10, 20, 250}}, Grey(16384)},
      {"wane of mid grey writes it", 47, 8, Grey(128), {{10, 20, 250}}, Grey(128)},
      {"wane of black keeps the document", 47, 8, kBlack8, {{10, 20, 250}}, {{10, 20, 250}}},
      {"wane of white keeps the document", 47, 16, kWhite16, {{10, 20, 250}}, {{10, 20, 250}}},
      {"north", 48, 8, {{255, 0, 0}}, {{0, 0, 255}}, {{255, 0, 254}}},
      {"south", 49, 8, {{255, 0, 0}}, {{0, 255, 0}}, {{255, 254, 0}}},
      {"east", 50, 8, Grey(100), {{0, 255, 0}}, {{0, 100, 100}}},
      {"west", 51, 8, Grey(100), {{0, 255, 0}}, {{100, 100, 0}}},
      {"north at 16 bits", 48, 16, {{16384, 32768, 16384}}, {{32768, 0, 0}}, {{32768, 16384, 8192}}},
      {"frontal of black is black", 53, 8, kBlack8, {{200, 100, 50}}, kBlack8},
      {"frontal of white takes the document's lightness", 53, 16, kWhite16, {{32768, 16384, 0}},
       Grey(16384)},
      // Pin light of a pixel over itself is the pixel: what is left is the
      // trip through both opponent tables.
      {"occipital of mid grey over itself", 56, 8, Grey(128), Grey(128), {{127, 127, 128}}},
      {"limbic of mid grey over itself", 57, 8, Grey(128), Grey(128), {{127, 127, 128}}},
      {"occipital over itself", 56, 8, {{200, 100, 50}}, {{200, 100, 50}}, {{198, 97, 51}}},
      {"limbic over itself", 57, 8, {{200, 100, 50}}, {{200, 100, 50}}, {{198, 97, 51}}},
  };
  ExpectPixelCases(cases, std::size(cases));
}

// "color" of a grey rendered pixel writes the grey of the document's luma.
TEST(ColourGlue, ColorOfGreyIsTheDocumentLuma) {
  const Pixel documents[] = {{{200, 100, 50}}, {{0, 255, 0}}, {{17, 17, 250}}};
  for (const Pixel& o : documents) {
    for (int32_t depth : {8, 16}) {
      const int32_t full = FullScale(depth);
      const Pixel scaled = {{o.c[0] * full / 255, o.c[1] * full / 255, o.c[2] * full / 255}};
      const float luma = static_cast<float>(GlueLum(scaled.c) >> 8) * (1.0f / static_cast<float>(full));
      const int32_t want = static_cast<int32_t>(static_cast<float>(full) * luma);
      const Pixel got = ApplyRaw(15, depth, Grey(full / 3), scaled);
      for (int32_t ch = 0; ch < 3; ++ch) EXPECT_EQ(got.c[ch], want) << depth;
      EXPECT_NEAR(want, GlueLum(scaled.c) >> 8, 1);
    }
  }
}

// Taking hue, saturation or lightness from a pixel into itself gives it back
// (to within the truncation back to integers).
TEST(ColourGlue, RecombiningAPixelWithItselfKeepsIt) {
  for (int32_t depth : {8, 16}) {
    const int32_t full = FullScale(depth);
    for (int32_t r = 0; r <= 4; ++r) {
      for (int32_t g = 0; g <= 4; ++g) {
        for (int32_t b = 0; b <= 4; ++b) {
          const Pixel p = {{r * full / 4, g * full / 4, b * full / 4}};
          for (int32_t glue : {22, 23}) {
            const Pixel got = ApplyRaw(glue, depth, p, p);
            for (int32_t ch = 0; ch < 3; ++ch) {
              EXPECT_NEAR(got.c[ch], p.c[ch], 1) << glue << " " << depth << " " << r << g << b;
            }
          }
        }
      }
    }
  }
}

// "color" and "luminance" swap roles: the hue of one pixel, the lightness of
// the other.
TEST(ColourGlue, ColorAndLuminanceSwapRoles) {
  const Pixel red = {{255, 0, 0}}, grey = Grey(128);
  const Pixel a = ApplyRaw(15, 8, red, grey);
  const Pixel b = ApplyRaw(16, 8, grey, red);
  for (int32_t ch = 0; ch < 3; ++ch) EXPECT_EQ(a.c[ch], b.c[ch]);
  EXPECT_GT(a.c[0], a.c[1]);  // reddish
  EXPECT_EQ(a.c[1], a.c[2]);
}

}  // namespace
