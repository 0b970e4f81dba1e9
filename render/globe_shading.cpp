#include "render/globe_shading.h"

#include <cmath>

#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "nets/brick_preview.h"

namespace {

constexpr int32_t kGlobeOutputA = 139;
constexpr int32_t kGlobeOutputB = 143;
constexpr int32_t kZenithNadirInput = 26;
constexpr int32_t kBrickPreviewMode = 1;

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kPeriod = 400;  // 0.9-degree steps of a full turn
constexpr int32_t kSmoothingPasses = 4;
constexpr int32_t kSmoothingWidth[3] = {21, 15, 7};  // red, green, blue

constexpr float kInverseIndexSquared = 0.40057683063611593f;  // 1 / 1.58^2
constexpr float kCoatIndex = 1.58f;
constexpr float kReflectanceAwayFromViewer = 0.3364f;
constexpr float kAmbient = 0.24f;
constexpr float kDiffuse = 0.76f;
constexpr float kBlueSecondLight = 1.7f;
constexpr float kSpecular = 0.7f;

constexpr uint8_t kSky[kSkyRows][3] = {
    {49, 107, 156},  {51, 113, 162},  {70, 133, 176},  {86, 144, 185},  {109, 159, 196}, {135, 178, 211},
    {162, 196, 225}, {189, 214, 238}, {208, 226, 243}, {220, 232, 245}, {218, 226, 240}, {200, 200, 202},
    {168, 166, 158}, {137, 132, 119}, {113, 107, 92},  {94, 88, 72},    {72, 67, 54},    {50, 46, 37},
    {30, 27, 22},    {13, 11, 10},    {13, 11, 10},
};

constexpr Vec3f kLights[2] = {{0.54f, 0.42f, 0.7293833f}, {-0.48f, 0.66f, -0.5779273f}};

// Clamped to -1..1; a NaN becomes 0 (the light grazes the surface) so that
// no arc cosine below can yield a NaN table index.
float ClampCosine(float d) {
  if (!(d == d)) return 0.0f;
  return d > 1.0f ? 1.0f : (d < -1.0f ? -1.0f : d);
}

struct FalloffTables {
  float table[3][kLightFalloffSize];
};

// The clamped cosine of the 0.9-degree steps, smoothed by four passes of a
// centred moving average, in doubles. The cosine is periodic, so the passes
// run over one full turn with wrap-around; steps at or past a right angle
// are exactly 0.
FalloffTables BuildFalloffTables() {
  FalloffTables out{};
  for (int32_t channel = 0; channel < 3; ++channel) {
    double values[kPeriod];
    for (int32_t i = 0; i < kPeriod; ++i) {
      const int32_t step = i <= kPeriod / 2 ? i : i - kPeriod;
      values[i] = (step > -100 && step < 100) ? std::cos(step * 0.9 * kPi / 180.0) : 0.0;
    }
    const int32_t w = kSmoothingWidth[channel];
    const int32_t half = (w - 1) / 2;
    for (int32_t pass = 0; pass < kSmoothingPasses; ++pass) {
      double next[kPeriod];
      for (int32_t i = 0; i < kPeriod; ++i) {
        double sum = 0.0;
        for (int32_t j = -half; j <= half; ++j) sum += values[(i + j + kPeriod) % kPeriod];
        next[i] = sum / w;
      }
      for (int32_t i = 0; i < kPeriod; ++i) values[i] = next[i];
    }
    for (int32_t i = 0; i < kLightFalloffSize; ++i) out.table[channel][i] = float(values[i]);
  }
  return out;
}

const FalloffTables& Tables() {
  static const FalloffTables tables = BuildFalloffTables();
  return tables;
}

float Dot(const Vec3f& a, const Vec3f& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

float SpecularTerm(float d) {
  const float x = (d - 0.99f) * 100.0f;
  if (!(x > 0.0f)) return 0.0f;
  return kSpecular * (x * x * x * x * x);
}

void SetRgba(float colour[4], float r, float g, float b, float a) {
  colour[0] = r;
  colour[1] = g;
  colour[2] = b;
  colour[3] = a;
}

}  // namespace

const float* LightFalloffTable(int32_t channel) {
  if (channel < 0) channel = 0;
  if (channel > 2) channel = 2;
  return Tables().table[channel];
}

const uint8_t (&SkyTable())[kSkyRows][3] { return kSky; }

Vec3f GlobeLight(int32_t which) { return kLights[which == 0 ? 0 : 1]; }

bool IsFlatColourPixel(const PixelMapping* mapping, const MappingContext* context) {
  if (context->contextMode == kBrickPreviewMode) return true;
  const int32_t status = mapping->status;
  if (status == kPixelNoSource || status == kPixelOffMap || status == kPixelOffMapTab) return true;
  return status >= 0 && context->faceColouring != 0;
}

void FlatPixelColour(const PixelMapping* mapping, const MappingContext* context, float colour[4]) {
  const int32_t status = mapping->status;
  const bool brick = context->contextMode == kBrickPreviewMode;
  // Every road leaves a defined colour.
  SetRgba(colour, 0.0f, 0.0f, 0.0f, 0.0f);
  if (status == kPixelOffMapTab) {
    SetRgba(colour, context->tabColourF[0], context->tabColourF[1], context->tabColourF[2], 1.0f);
  }
  if (status == kPixelNoSource) {
    if (context->transparentNoSource) {
      SetRgba(colour, 0.0f, 0.0f, 0.0f, 0.0f);
    } else {
      SetRgba(colour, context->midColourF[0], context->midColourF[1], context->midColourF[2], 1.0f);
    }
  }
  if (!brick && status >= 0 && context->faceColouring) {
    // The region index spreads over the colour wheel by three multipliers.
    const uint32_t v = uint32_t(status);
    SetRgba(colour, float(((5u * v + 10u) * 4u) % 256u) / 255.0f, float((37u * (v + 2u)) % 256u) / 255.0f,
            float((49u * (v + 2u)) % 256u) / 255.0f, 1.0f);
  }
  if (brick && status >= 0) {
    BrickDisplayColour(status, colour);
    return;
  }
  if (status == kPixelOffMap) SetRgba(colour, 0.0f, 0.0f, 0.0f, 0.0f);
}

float LightFalloff(float cosine, const float* table) {
  const double d = ClampCosine(cosine);
  double a = 1.0 - std::acos(d) / (kPi / 2.0);
  if (a < -1.0) a = -1.0;
  if (a > 1.0) a = 1.0;
  const double t = (1.0 - a) * 100.0;
  int32_t i = int32_t(std::floor(t));
  if (i < 0) i = 0;
  if (i > kLightFalloffSize - 1) i = kLightFalloffSize - 1;
  const int32_t j = i + 1 < kLightFalloffSize ? i + 1 : kLightFalloffSize - 1;
  return float(table[i] + (table[j] - table[i]) * (t - i));
}

float FresnelReflectance(const Vec3f& normal) {
  const float z = normal.z;
  if (!(z > 0.0f)) return kReflectanceAwayFromViewer;
  const float s = (z > 1.0f ? 1.0f : z) / kCoatIndex;
  const float g = std::sqrt(s * s + 1.0f - kInverseIndexSquared);
  const float ratio = (g - s) / (g + s);
  const float q = ((g + s) * s - kInverseIndexSquared) / ((g - s) * s + kInverseIndexSquared);
  return 0.5f * ratio * ratio * (1.0f + q * q);
}

void SkyColour(float y, const uint8_t (&sky)[kSkyRows][3], float colour[3]) {
  const float t = (1.0f - ClampCosine(y)) * 10.0f;
  int32_t i = int32_t(std::floor(t));
  if (i < 0) i = 0;
  if (i > kSkyRows - 1) i = kSkyRows - 1;
  const int32_t j = i + 1 < kSkyRows ? i + 1 : kSkyRows - 1;
  const float f = t - float(i);
  for (int32_t c = 0; c < 3; ++c) {
    const float lo = sky[i][c];
    const float hi = sky[j][c];
    colour[c] = (lo + (hi - lo) * f) / 255.0f;
  }
}

void ShadeGlobe(float colour[4], const MappingContext* context, const PixelMapping* mapping) {
  const int32_t output = context->outputProjection;
  if ((output == kGlobeOutputA || output == kGlobeOutputB) && mapping->status == kPixelMapped) {
    const Vec3f& n = mapping->viewNormal;
    const float d1 = ClampCosine(Dot(n, kLights[0]));
    const float d2 = ClampCosine(Dot(n, kLights[1]));
    float diffuse[3];
    for (int32_t c = 0; c < 3; ++c) {
      const float* table = LightFalloffTable(c);
      const float f1 = LightFalloff(d1, table);
      float f2 = LightFalloff(d2, table);
      if (c == 2) f2 *= kBlueSecondLight;
      diffuse[c] = ((1.0f - f1) * f2 + f1) * kDiffuse + kAmbient;
    }
    const float s1 = SpecularTerm(d1);
    const float s2 = SpecularTerm(d2);
    float lit[3];
    lit[0] = diffuse[0] * colour[0] + s1 + s2;
    lit[1] = diffuse[1] * colour[1] + s1 + s2;
    lit[2] = diffuse[2] * colour[2] + s1 + kBlueSecondLight * s2;
    const float f = FresnelReflectance(n);
    float sky[3];
    SkyColour(n.y, SkyTable(), sky);
    for (int32_t c = 0; c < 3; ++c) colour[c] = lit[c] + (sky[c] * 0.5f - lit[c]) * f;
  }
  if (context->inputProjection == kZenithNadirInput && mapping->status == kPixelMapped) {
    colour[3] *= mapping->edgeWeight;
  }
}
