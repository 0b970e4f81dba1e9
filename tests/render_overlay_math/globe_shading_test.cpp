// Flat colours and globe shading: the light falloff tables against their
// closed form, the Fresnel term against the textbook dielectric formula, the
// sky table, the region colours, and the guards around the arc cosine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "render/globe_shading.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double CosStep(int32_t i) { return std::cos(i * 0.9 * kPi / 180.0); }

// Entry 0 and 100 of each table, and the closed form: below 100 - 2(w - 1)
// the four smoothing passes only scale the cosine by K (the fourth power of
// the mean of the window's cosines); from 100 + 2(w - 1) on nothing is left.
TEST(LightFalloff, TablesFollowTheSmoothedCosine) {
  struct Channel {
    int32_t width;
    float entry0, entry100;
  };
  const Channel channels[3] = {{21, 0.982052f, 0.0759697f}, {15, 0.990826f, 0.0544845f}, {7, 0.998028f, 0.0252477f}};
  for (int32_t c = 0; c < 3; ++c) {
    const float* table = LightFalloffTable(c);
    const int32_t w = channels[c].width;
    EXPECT_NEAR(table[0], channels[c].entry0, 1e-6) << c;
    EXPECT_NEAR(table[100], channels[c].entry100, 1e-7) << c;
    double mean = 0;
    for (int32_t j = -(w - 1) / 2; j <= (w - 1) / 2; ++j) mean += CosStep(j);
    mean /= w;
    const double k = mean * mean * mean * mean;
    for (int32_t i = 0; i <= 100 - 2 * (w - 1); ++i) {
      EXPECT_NEAR(table[i], k * CosStep(i), 2e-7) << "channel " << c << " entry " << i;
    }
    for (int32_t i = 100 + 2 * (w - 1); i < kLightFalloffSize; ++i) {
      EXPECT_EQ(table[i], 0.0f) << "channel " << c << " entry " << i;
    }
    for (int32_t i = 1; i < kLightFalloffSize; ++i) EXPECT_LE(table[i], table[i - 1]) << c << " " << i;
  }
}

TEST(LightFalloff, InterpolatesByAngleAndClampsTheCosine) {
  const float* red = LightFalloffTable(0);
  struct Case {
    float cosine;
    float expected;
  };
  const Case cases[] = {
      {1.0f, red[0]},
      {0.0f, red[100]},
      {-1.0f, red[200]},
      {float(std::cos(kPi / 4)), red[50]},  // 45 degrees is entry 50
      {float(std::cos(0.45 * kPi / 180)), 0.5f * (red[0] + red[1])},  // half a step
      // A dot product a little above 1 (rounding of a unit normal) is 1.
      {1.0000001f, red[0]},
      {1.5f, red[0]},
      {-1.0000001f, red[200]},
  };
  for (const Case& c : cases) EXPECT_NEAR(LightFalloff(c.cosine, red), c.expected, 2e-6) << c.cosine;
  // No table is indexed by the NaN of an arc cosine.
  const float nanResult = LightFalloff(std::numeric_limits<float>::quiet_NaN(), red);
  EXPECT_TRUE(std::isfinite(nanResult));
}

// The textbook reflectance of unpolarised light on a dielectric of index n
// at incidence cosine c: with g = sqrt(n^2 + c^2 - 1),
// F = 1/2 ((g - c)/(g + c))^2 (1 + ((c(g + c) - 1)/(c(g - c) + 1))^2).
double DielectricFresnel(double c, double n) {
  const double g = std::sqrt(n * n + c * c - 1);
  const double a = (g - c) / (g + c);
  const double b = (c * (g + c) - 1) / (c * (g - c) + 1);
  return 0.5 * a * a * (1 + b * b);
}

TEST(Fresnel, MatchesTheDielectricFormula) {
  // Normal incidence: ((1.58 - 1) / (1.58 + 1))^2, about 0.0505.
  const double normal = (0.58 / 2.58) * (0.58 / 2.58);
  EXPECT_NEAR(FresnelReflectance(Vec3f{0, 0, 1}), normal, 1e-6);
  EXPECT_NEAR(normal, 0.0505, 1e-4);
  for (float z : {0.05f, 0.2f, 0.5f, 0.7293833f, 0.9f, 0.999f}) {
    const float xy = std::sqrt(1 - z * z);
    EXPECT_NEAR(FresnelReflectance(Vec3f{xy, 0, z}), DielectricFresnel(z, 1.58), 2e-6) << z;
  }
  // Facing away from the viewer: the fixed value.
  EXPECT_FLOAT_EQ(FresnelReflectance(Vec3f{1, 0, 0}), 0.3364f);
  EXPECT_FLOAT_EQ(FresnelReflectance(Vec3f{0, 0.6f, -0.8f}), 0.3364f);
  EXPECT_TRUE(std::isfinite(FresnelReflectance(Vec3f{0, 0, 1.0000001f})));
}

TEST(Sky, TableRowsAndInterpolation) {
  const auto& sky = SkyTable();
  const uint8_t first[3] = {49, 107, 156}, middle[3] = {218, 226, 240}, last[3] = {13, 11, 10};
  const uint8_t row5[3] = {135, 178, 211}, row14[3] = {113, 107, 92};
  for (int32_t c = 0; c < 3; ++c) {
    EXPECT_EQ(sky[0][c], first[c]);
    EXPECT_EQ(sky[10][c], middle[c]);
    EXPECT_EQ(sky[19][c], last[c]);
    EXPECT_EQ(sky[20][c], last[c]);
    EXPECT_EQ(sky[5][c], row5[c]);
    EXPECT_EQ(sky[14][c], row14[c]);
  }
  struct Case {
    float y;
    float rgb[3];
  };
  const Case cases[] = {
      {1.0f, {49, 107, 156}},   // straight up
      {0.0f, {218, 226, 240}},  // the horizon
      {-1.0f, {13, 11, 10}},    // straight down
      {0.42f, {135 + 27 * 0.8f, 178 + 18 * 0.8f, 211 + 14 * 0.8f}},
      {2.0f, {49, 107, 156}},   // clamped
      {-1.0000001f, {13, 11, 10}},
  };
  for (const Case& c : cases) {
    float out[3];
    SkyColour(c.y, sky, out);
    for (int32_t k = 0; k < 3; ++k) EXPECT_NEAR(out[k] * 255.0f, c.rgb[k], 2e-3) << c.y << " " << k;
  }
  float out[3];
  SkyColour(std::numeric_limits<float>::quiet_NaN(), sky, out);
  for (float v : out) EXPECT_TRUE(std::isfinite(v));
}

struct ShadeBench {
  std::unique_ptr<MappingContext> context = std::make_unique<MappingContext>();
  PixelMapping mapping{};
  ShadeBench(int32_t output, int32_t input = 1) {
    std::memset(static_cast<void*>(context.get()), 0, sizeof(MappingContext));
    context->outputProjection = output;
    context->inputProjection = input;
    mapping.status = kPixelMapped;
    mapping.edgeWeight = 1.0f;
  }
};

// A normal pointing at the first light gets the full highlight 0.7 in every
// channel; on a black ball the rest is the Fresnel share of the sky.
TEST(ShadeGlobe, HighlightFresnelAndSkyOnABlackBall) {
  const Vec3f l1 = GlobeLight(0);
  EXPECT_NEAR(l1.x * l1.x + l1.y * l1.y + l1.z * l1.z, 1.0, 1e-6);
  const Vec3f l2 = GlobeLight(1);
  EXPECT_NEAR(l2.x * l2.x + l2.y * l2.y + l2.z * l2.z, 1.0, 1e-6);
  for (int32_t output : {139, 143}) {
    ShadeBench bench(output);
    bench.mapping.viewNormal = l1;
    float colour[4] = {0, 0, 0, 0.8f};
    ShadeGlobe(colour, bench.context.get(), &bench.mapping);
    const double f = DielectricFresnel(0.7293833, 1.58);
    const double sky[3] = {(135 + 27 * 0.8) / 255, (178 + 18 * 0.8) / 255, (211 + 14 * 0.8) / 255};
    for (int32_t c = 0; c < 3; ++c) EXPECT_NEAR(colour[c], 0.7 + (sky[c] * 0.5 - 0.7) * f, 1e-5) << c;
    EXPECT_EQ(colour[3], 0.8f);
  }
}

// The centre of the globe faces the viewer: no highlight (d1 is about 0.73),
// the diffuse terms of the two lights and the normal-incidence reflection.
TEST(ShadeGlobe, CentreOfTheGlobe) {
  ShadeBench bench(139);
  bench.mapping.viewNormal = Vec3f{0, 0, 1};
  float colour[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  ShadeGlobe(colour, bench.context.get(), &bench.mapping);
  const double d1 = 0.7293833, d2 = -0.5779273;
  const double f = (0.58 / 2.58) * (0.58 / 2.58);
  const double sky[3] = {218.0 / 255, 226.0 / 255, 240.0 / 255};
  for (int32_t c = 0; c < 3; ++c) {
    const float* table = LightFalloffTable(c);
    const double f1 = LightFalloff(float(d1), table);
    const double f2 = LightFalloff(float(d2), table) * (c == 2 ? 1.7 : 1.0);
    const double lit = (((1 - f1) * f2 + f1) * 0.76 + 0.24) * 0.5;
    EXPECT_NEAR(colour[c], lit + (sky[c] * 0.5 - lit) * f, 1e-5) << c;
  }
  // The second light lies behind the ball (about 125 degrees from the
  // normal), beyond the last non-zero entry of the narrowest (blue) table.
  EXPECT_EQ(LightFalloff(float(d2), LightFalloffTable(2)), 0.0f);
}

// A unit normal whose dot product with a light rounds a little above 1 gets
// the highlight of exactly 1, and nothing in the shading is NaN.
TEST(ShadeGlobe, DotProductsAboveOneAreClamped) {
  ShadeBench bench(143);
  const Vec3f l1 = GlobeLight(0);
  const float grow = 1.0000003f;
  bench.mapping.viewNormal = Vec3f{l1.x * grow, l1.y * grow, l1.z * grow};
  float colour[4] = {0, 0, 0, 1};
  ShadeGlobe(colour, bench.context.get(), &bench.mapping);
  ShadeBench exact(143);
  exact.mapping.viewNormal = l1;
  float reference[4] = {0, 0, 0, 1};
  ShadeGlobe(reference, exact.context.get(), &exact.mapping);
  for (int32_t c = 0; c < 3; ++c) {
    EXPECT_TRUE(std::isfinite(colour[c]));
    EXPECT_NEAR(colour[c], reference[c], 1e-5);
  }
  ShadeBench broken(139);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  broken.mapping.viewNormal = Vec3f{nan, nan, nan};
  float c2[4] = {0.5f, 0.5f, 0.5f, 1};
  ShadeGlobe(c2, broken.context.get(), &broken.mapping);
  for (int32_t c = 0; c < 3; ++c) EXPECT_FALSE(std::isnan(c2[c])) << c;
}

TEST(ShadeGlobe, OnlyMappedPixelsOfTheTwoGlobes) {
  struct Case {
    int32_t output, input, status;
    float edgeWeight;
    bool shaded;
    float alpha;
  };
  const Case cases[] = {
      {139, 1, kPixelMapped, 1.0f, true, 1.0f},   {143, 1, kPixelMapped, 1.0f, true, 1.0f},
      {5, 1, kPixelMapped, 1.0f, false, 1.0f},    {134, 1, kPixelMapped, 1.0f, false, 1.0f},
      {1, 1, kPixelMapped, 1.0f, false, 1.0f},    {139, 1, kPixelNoSource, 1.0f, false, 1.0f},
      {139, 1, 3, 1.0f, false, 1.0f},             {143, 1, kPixelOffMap, 1.0f, false, 1.0f},
      // The zenith-and-nadir input fades its seam by the edge weight, shaded
      // or not; only mapped pixels.
      {1, 26, kPixelMapped, 0.25f, false, 0.25f}, {139, 26, kPixelMapped, 0.5f, true, 0.5f},
      {1, 26, kPixelNoSource, 0.25f, false, 1.0f},
  };
  for (const Case& c : cases) {
    ShadeBench bench(c.output, c.input);
    bench.mapping.status = c.status;
    bench.mapping.edgeWeight = c.edgeWeight;
    bench.mapping.viewNormal = Vec3f{0.3f, 0.4f, std::sqrt(0.75f)};
    float colour[4] = {0.2f, 0.4f, 0.6f, 1.0f};
    ShadeGlobe(colour, bench.context.get(), &bench.mapping);
    const bool unchanged = colour[0] == 0.2f && colour[1] == 0.4f && colour[2] == 0.6f;
    EXPECT_EQ(!unchanged, c.shaded) << c.output << " " << c.input << " " << c.status;
    EXPECT_FLOAT_EQ(colour[3], c.alpha) << c.output << " " << c.input << " " << c.status;
  }
}

// --- flat colours ---

struct FlatCase {
  const char* label;
  int32_t status;
  int32_t contextMode;
  bool faceColouring;
  bool transparentNoSource;
  bool flat;
  float rgba[4];
};

TEST(FlatColours, ByStatusAndContext) {
  const float tab[3] = {0.9f, 0.8f, 0.7f}, mid[3] = {0.5f, 0.25f, 0.125f};
  const FlatCase cases[] = {
      {"tab", kPixelOffMapTab, 0, false, false, true, {0.9f, 0.8f, 0.7f, 1}},
      {"no source", kPixelNoSource, 0, false, false, true, {0.5f, 0.25f, 0.125f, 1}},
      {"no source, transparent", kPixelNoSource, 0, false, true, true, {0, 0, 0, 0}},
      {"off the map", kPixelOffMap, 0, false, false, true, {0, 0, 0, 0}},
      {"off the map with region colours", kPixelOffMap, 0, true, false, true, {0, 0, 0, 0}},
      {"mapped", kPixelMapped, 0, true, false, false, {}},
      {"region, no colouring", 4, 0, false, false, false, {}},
      // Region colours: (((5v + 10) * 4) mod 256, 37(v + 2) mod 256, 49(v + 2) mod 256) / 255.
      {"region 0", 0, 0, true, false, true, {40 / 255.f, 74 / 255.f, 98 / 255.f, 1}},
      {"region 1", 1, 0, true, false, true, {60 / 255.f, 111 / 255.f, 147 / 255.f, 1}},
      {"region 5", 5, 0, true, false, true, {140 / 255.f, 3 / 255.f, 87 / 255.f, 1}},
      {"region 60", 60, 0, true, false, true, {(1240 % 256) / 255.f, (2294 % 256) / 255.f, (3038 % 256) / 255.f, 1}},
      {"region 1509", 1509, 0, true, false, true,
       {(30220 % 256) / 255.f, (55907 % 256) / 255.f, (74039 % 256) / 255.f, 1}},
      // The brick preview is flat everywhere; a miss is transparent.
      {"brick preview miss", kPixelOffMap, 1, false, false, true, {0, 0, 0, 0}},
  };
  for (const FlatCase& c : cases) {
    ShadeBench bench(1);
    bench.context->contextMode = c.contextMode;
    bench.context->faceColouring = c.faceColouring;
    bench.context->transparentNoSource = c.transparentNoSource;
    for (int32_t k = 0; k < 3; ++k) {
      bench.context->tabColourF[k] = tab[k];
      bench.context->midColourF[k] = mid[k];
    }
    bench.mapping.status = c.status;
    EXPECT_EQ(IsFlatColourPixel(&bench.mapping, bench.context.get()), c.flat) << c.label;
    if (!c.flat) continue;
    float colour[4] = {7, 7, 7, 7};
    FlatPixelColour(&bench.mapping, bench.context.get(), colour);
    for (int32_t k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(colour[k], c.rgba[k]) << c.label << " " << k;
  }
}

// A hit of the brick preview takes the brick's display colour, opaque, and
// never the region colour even with region colouring on.
TEST(FlatColours, BrickPreviewHitIsOpaqueBrickColour) {
  ShadeBench bench(45);
  bench.context->contextMode = 1;
  bench.context->faceColouring = 1;
  bench.mapping.status = 7 * 6 + 0;
  ASSERT_TRUE(IsFlatColourPixel(&bench.mapping, bench.context.get()));
  float colour[4] = {7, 7, 7, 7};
  FlatPixelColour(&bench.mapping, bench.context.get(), colour);
  EXPECT_EQ(colour[3], 1.0f);
  for (int32_t k = 0; k < 3; ++k) EXPECT_TRUE(colour[k] >= 0.0f && colour[k] <= 1.0f);
  const bool regionColour = colour[0] == float((5 * 42 + 10) * 4 % 256) / 255.0f;
  EXPECT_FALSE(regionColour);
}

}  // namespace
