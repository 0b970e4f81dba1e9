// Whole-world map inputs: Mollweide, Nicolosi, Robinson, Lagrange, Winkel
// Tripel and Hammer. Their right half (srcX > 0.5) is sub-image 3.
#include <cmath>

#include "geometry/fast_math.h"
#include "geometry/rotation.h"
#include "geometry/vector.h"
#include "projection/formula_helpers.h"
#include "projection/input_families.h"

namespace {

constexpr float kPiF = 3.1415927f;

void MapMollweide(const Vec3f* d, float* cache, InputSample* s) {
  EquirectPosition e = InputEquirect(d);
  float lambda = (e.u - 0.5f) * 2.0f * kPiF;
  float t = MollweideAuxAngle((e.v - 0.5f) * kPiF, cache);
  s->srcX = 1.0f - ((std::cos(t) * lambda / kPiF) + 1.0f) * 0.5f;
  s->srcY = (std::sin(t) + 1.0f) * 0.5f;
}

// Nicolosi-like globular layout: each meridian is the circular arc through
// both poles and its equator point, and a latitude takes the same share of
// that arc's angle.
void MapNicolosi(const Vec3f* d, InputSample* s) {
  EquirectPosition e = InputEquirect(d);
  if (e.u < 0.25f || e.u > 0.75f) {
    MarkNoSource(s);
    return;
  }
  float lambda = (e.u - 0.5f) * 6.2831855f;
  float phi = (e.v - 0.5f) * 3.1415927f;
  bool mirrored = lambda < 0.0f;
  if (mirrored) lambda = -lambda;
  bool small = lambda < 0.01f;
  float lambda0 = lambda;
  if (small) lambda = 0.01f;
  float l = lambda * 2.0f * 0.31830987f;
  float c = (-0.5f / l) * 1.0f + l / 2.0f;
  float r = std::fabs(c - l);
  Vec3f a{-c, -1.0f, 0.0f};
  Vec3f b{l - c, 0.0f, 0.0f};
  NormalizeVec3fUnchecked(&a);
  NormalizeVec3fUnchecked(&b);
  float alpha = FastAcos(a.x * b.x + a.y * b.y + a.z * b.z);
  float t = alpha * phi * 2.0f / 3.1415927f;
  s->srcX = 1.0f - ((r * std::cos(t) + c) * 0.5f + 0.5f);
  s->srcY = (r * std::sin(t)) * 0.5f + 0.5f;
  if (small) s->srcX = (s->srcX - 0.5f) * (std::fabs(lambda0) / 0.01f) + 0.5f;
  if (mirrored) s->srcX = 1.0f - s->srcX;
}

void MapRobinson(const Vec3f* d, InputSample* s) {
  EquirectPosition e = InputEquirect(d);
  float x = 2.0f * ((1.0f - e.u) - 0.5f);
  float y = 2.0f * (e.v - 0.5f);
  uint8_t outside = 0;
  RobinsonForward(&x, &y, &outside);
  if (outside != 0) {
    MarkNoSource(s);
    return;
  }
  s->srcX = x / 2.0f + 0.5f;
  s->srcY = y / 2.0f + 0.5f;
}

void MapLagrange(const Vec3f* d, InputSample* s) {
  Vec3 w{d->x, d->y, d->z};
  Complex p{0.0, 0.0};
  SphereToStereographicPowered(&w, &p, 0.5);
  s->srcX = static_cast<float>(0.5 * p.re + 0.5);
  s->srcY = static_cast<float>(0.5 * p.im + 0.5);
}

void MapWinkelTripel(const Vec3f* d, InputSample* s) {
  EquirectPosition e = InputEquirect(d);
  double in[2] = {(static_cast<double>(e.u) - 0.5) * 6.283185307179586,
                  (static_cast<double>(e.v) - 0.5) * 3.141592653589793};
  Complex p{0.0, 0.0};
  AitoffTerm(&p, in);
  s->srcX = static_cast<float>(0.5 - 0.5 * p.re / 2.570796326312263);
  s->srcY = static_cast<float>(0.5 + 0.5 * p.im / 1.5707963267948966);
}

void MapHammer(const Vec3f* d, InputSample* s) {
  EquirectPosition e = InputEquirect(d);
  float phi = static_cast<float>((static_cast<double>(e.v) - 0.5) * 3.141592653);
  float lambda = static_cast<float>((static_cast<double>(e.u) - 0.5) * 6.283185307);
  double h = static_cast<double>(lambda) * 0.5;
  float w = static_cast<float>(std::sqrt(std::cos(h) * std::cos(phi) + 1.0));
  float x = 0.0f;
  float y = 0.0f;
  if (w == 0.0f) {
    y = phi < 0.0f ? -1.0f : 1.0f;
  } else {
    x = static_cast<float>(std::sin(h) * std::cos(phi) / w);
    y = std::sin(phi) / w;
  }
  s->srcX = static_cast<float>(0.5 - 0.5 * static_cast<double>(x));
  s->srcY = static_cast<float>(0.5 + 0.5 * static_cast<double>(y));
}

}  // namespace

void MapWorldMapInput(int32_t input, const Vec3f* d, float* mollweideCache, InputSample* s) {
  switch (input) {
    case 7:
      MapMollweide(d, mollweideCache, s);
      break;
    case 14:
      MapNicolosi(d, s);
      return;
    case 17:
      MapRobinson(d, s);
      break;
    case 21:
      MapLagrange(d, s);
      break;
    case 22:
      MapWinkelTripel(d, s);
      break;
    case 23:
      MapHammer(d, s);
      break;
    default:
      MarkNoSource(s);
      return;
  }
  if (s->noSource == 0 && s->srcX > 0.5f) s->subImage = 3;
}
