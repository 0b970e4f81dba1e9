// Gores and lobes: strips of the sphere, each an inverse polyconic projection
// about its own central meridian ("gores 12", "gores 24", "gores multi",
// "gores 6 of 12", "gores 3 of 12", "umbrella", and the unnamed 18-gore
// layout), and the tunable ellipsoid and egg, whose gores follow the profile
// of a solid of revolution.
#include <cmath>

#include "geometry/fast_math.h"
#include "projection/formula_helpers.h"
#include "projection/mapping_context.h"
#include "projection/output_families.h"

namespace {

// The width the gore constants are taken from: 6.2846084, not 2 pi.
constexpr float kGoreTurn = 6.2846084f;

struct GoreLayout {
  float planeFactor;  // f
  float indexShift;   // added to g
  int32_t firstGore;  // the gore range [firstGore, lastGore)
  int32_t lastGore;
  float latitudeLimit;
};

// The umbrella folds the plane into one of eight sectors and moves the
// sector's point into the gore j of that sector. Returns j.
int32_t FoldUmbrella(const OutputPoint& p, float fovDegrees, float goreCount, float* x2, float* y2) {
  float angle;
  float radius;
  PlaneToPolar(p.planeX, p.planeY, &angle, &radius);
  const double k = std::floor((double(kPiF / goreCount) + double(angle)) * 8 / 6.2831854820251465);
  int32_t j = (18 - int32_t(k)) % 8;
  if (j < 0) j += 8;
  const float a = float(j) * 0.125f * kTwoPiF;
  float f = fovDegrees / 180;
  if (f > 0.5f && f < 1) f = f + (0.0625f - (f - 0.75f) * (f - 0.75f)) * 0.3f;
  const float c = std::cos(a);
  const float s = std::sin(a);
  const float x = *x2;
  const float y = *y2;
  *x2 = (c * x - s * y) * f + 2 * ((2 * float(j) - goreCount) + 1) / (2 * goreCount);
  *y2 = (s * x + c * y) * f - 0.5f;
  return j;
}

// The latitude of the polyconic point (xx, yy) by Newton steps.
float InversePolyconicLatitude(float xx, float yy) {
  if (yy == 0) return 5e-05f;
  float phi = yy;
  const float b = xx * xx + yy * yy;
  for (int32_t step = 0; step < 10; ++step) {
    const float t = std::tan(phi);
    const float delta = -(((phi * t + 1) * yy - phi - (phi * phi + b) * 0.5f * t) / ((phi - yy) / t - 1));
    phi = phi + delta;
    if (std::fabs(delta) < 5e-06f || std::fabs(delta) > 10) break;
  }
  return phi;
}

// The tunable outputs widen each parallel by the profile's radius there.
bool ApplyProfile(int32_t output, float phi, float v, const MappingContext* context, float* u0) {
  const int32_t mode = output == 73 ? 0 : 1;
  float* cache = context->outputCache;
  const float shape = context->tunableShape;
  const float q = TunableProfileInverse(v, cache, shape, mode);
  float point[3];
  TunableProfilePoint(q, point, shape, mode);
  const float c = std::cos(phi);
  const float rr = c == 0 ? 1.0f : point[0] / c;
  const float width = rr / (cache[400] / kPiF);
  // A profile of no radius here has no gore width: nothing to show.
  if (!(width != 0)) return false;
  *u0 = (*u0 - 0.5f) / width + 0.5f;
  return true;
}

void MapGore(int32_t output, const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float goreCount = context->goreCount;
  GoreLayout layout{2, 0, 0, int32_t(goreCount), kHalfPiF};
  if (output == 53) layout = GoreLayout{1, 0, 3, 9, kHalfPiF};
  if (output == 61) layout = GoreLayout{0.5f, 0.5f, 5, 8, kHalfPiF};
  float x2 = layout.planeFactor * p.planeX;
  float y2 = layout.planeFactor * p.planeY;
  if (output == 63) {
    const float fov = context->fov > 0 ? context->fov : 0.0f;
    const int32_t j = FoldUmbrella(p, fov, goreCount, &x2, &y2);
    layout.firstGore = j;
    layout.lastGore = j + 1;
    layout.latitudeLimit = fov * kPiF / 180 - kHalfPiF;
  }
  const float g = (x2 + 1) / 2 * goreCount + layout.indexShift;
  const float gi = std::floor(g);
  if (!(gi >= float(layout.firstGore) && gi < float(layout.lastGore))) {
    *r.outside = 1;
    return;
  }
  float yy = y2 * 0.5f * kGoreTurn;
  float xx = ((g - gi) - 0.5f) / goreCount * kGoreTurn;
  if (output == 73 || output == 74) {
    float shape = context->tunableShape - 1;
    shape = shape < 0 ? 0.0f : (shape > 1 ? 1.0f : shape);
    const float m = (1 - (1 - shape) * (1 - shape)) * 0.38f + 1;
    xx *= m;
    yy *= m;
  }
  const float phi = InversePolyconicLatitude(xx, yy);
  if (!(phi > -kHalfPiF && phi < layout.latitudeLimit)) {
    *r.outside = 1;
    return;
  }
  // Past an arc sine argument of 1 the parallel through the point ends
  // before it reaches the point: the point lies beyond the gore's edge.
  const float sine = std::sin(phi);
  float lambda = 0;
  if (sine != 0) {
    const float argument = std::tan(phi) * xx;
    if (!(argument >= -1 && argument <= 1)) {
      *r.outside = 1;
      return;
    }
    lambda = std::asin(argument) / sine;
  }
  float u0 = lambda / kTwoPiF + 0.5f;
  const float v = phi / kPiF + 0.5f;
  if ((output == 73 || output == 74) && !ApplyProfile(output, phi, v, context, &u0)) {
    *r.outside = 1;
    return;
  }
  const float halfWidth = 1 / (2 * goreCount);
  if (!(u0 >= 0.5f - halfWidth && u0 <= 0.5f + halfWidth)) {
    *r.outside = 1;
    return;
  }
  const float w = gi / goreCount + 0.5f + u0 + 0.5f / goreCount;
  const float u = w - std::floor(w);
  *r.d = Equi(1 - u, v);
}

}  // namespace

void MapGoreOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  // A layout without gores has nothing to show.
  if (!(context->goreCount >= 1)) {
    *r.outside = 1;
    return;
  }
  MapGore(output, p, context, r);
}
