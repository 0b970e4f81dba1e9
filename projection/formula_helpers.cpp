// Projection formula helpers: table caches, Robinson, Winkel Tripel term,
// cube faces, the tunable profile and small plane-to-sphere steps.
#include "projection/formula_helpers.h"

#include <cmath>

#include "geometry/vector.h"
#include "nets/poly_mesh.h"
#include "projection/mapping_context.h"

const float kRobinsonPlen[20] = {1.0000f, 0.9986f, 0.9954f, 0.9900f, 0.9822f, 0.9730f, 0.9600f,
                                 0.9427f, 0.9216f, 0.8962f, 0.8679f, 0.8350f, 0.7986f, 0.7597f,
                                 0.7186f, 0.6732f, 0.6213f, 0.5722f, 0.5322f, 0.5322f};
const float kRobinsonPdfe[20] = {0.0000f, 0.0620f, 0.1240f, 0.1860f, 0.2480f, 0.3100f, 0.3720f,
                                 0.4340f, 0.4958f, 0.5571f, 0.6176f, 0.6769f, 0.7346f, 0.7903f,
                                 0.8435f, 0.8936f, 0.9394f, 0.9761f, 1.0000f, 1.0000f};

namespace {

constexpr float kPiF = 3.1415927f;
constexpr int32_t kLastCacheIndex = 399;

// trunc(p) clamped to 0..399. A value that is not a number, or one beyond the
// range of an integer, is clamped as well instead of being converted.
int32_t CacheIndex(float p) {
  if (!(p > 0.0f)) return 0;
  if (p >= static_cast<float>(kLastCacheIndex)) return kLastCacheIndex;
  return static_cast<int32_t>(p);
}

// Linear interpolation of a 400-entry cache at p = position·399.
float ReadCache(const float* cache, float p) {
  int32_t i = CacheIndex(p);
  int32_t j = i + 1 > kLastCacheIndex ? kLastCacheIndex : i + 1;
  return cache[i] + (cache[j] - cache[i]) * (p - static_cast<float>(i));
}

// Solves x1 + sin x1 = k for x1 in [0, π] by Newton steps from x1 = start.
// The step count is capped: next to x1 = π the derivative vanishes and the
// steps shrink only slowly. The function is increasing, so a step that leaves
// the interval is clamped back into it.
float SolveMollweideNewton(float k, float start) {
  constexpr int32_t kMaxSteps = 100;
  float x1 = start;
  for (int32_t step = 0; step < kMaxSteps; ++step) {
    float d = -(std::sin(x1) + x1 - k) / (std::cos(x1) + 1.0f);
    if (!std::isfinite(d)) break;
    x1 += d;
    if (x1 < 0.0f) x1 = 0.0f;
    if (x1 > kPiF) x1 = kPiF;
    if (!(std::fabs(d) > 0.0001f)) break;
  }
  return x1;
}

void BuildMollweideCache(float* cache) {
  for (int32_t i = 0; i < kMollweideCacheSize; ++i) {
    float x2 = static_cast<float>(i) * kPiF / 399.0f;
    float k = std::sin(x2) * kPiF;
    cache[i] = SolveMollweideNewton(k, x2 / 2.0f) / 2.0f;
  }
}

}  // namespace

float InterpolateRobinsonTable(const float table[20], float x) {
  int32_t i = 0;  // NaN or below the table reads the first row
  if (x >= 18.0f) {
    i = 18;
  } else if (x > 0.0f) {
    i = static_cast<int32_t>(std::floor(x));
  }
  return table[i] + (table[i + 1] - table[i]) * (x - static_cast<float>(i));
}

float MollweideAuxAngle(float t, float* cache) {
  if (cache[0] == kCacheNotBuilt) BuildMollweideCache(cache);
  float p = std::fabs(t) * 0.31830987f * 399.0f;
  float theta = ReadCache(cache, p);
  return t < 0.0f ? -theta : theta;
}

float RobinsonLatitudeBisect(float y) {
  float lo = y - 0.2f > 0.0f ? y - 0.2f : 0.0f;
  float hi = y + 0.2f < 1.0f ? y + 0.2f : 1.0f;
  float f = y;
  for (int32_t step = 0; step < 20; ++step) {
    if (InterpolateRobinsonTable(kRobinsonPdfe, f * 18.0f) > y) {
      hi = f;
    } else {
      lo = f;
    }
    f = (hi + lo) / 2.0f;
  }
  return f;
}

float RobinsonLatitudeFromY(float y, float* cache) {
  if (cache[0] == kCacheNotBuilt) {
    for (int32_t i = 0; i < kMollweideCacheSize; ++i) {
      cache[i] = RobinsonLatitudeBisect(static_cast<float>(i) / 399.0f);
    }
  }
  float f = ReadCache(cache, std::fabs(y) * 399.0f);
  return y < 0.0f ? -f : f;
}

void InverseRobinson(float* x, float* y, uint8_t* outside, float* cache) {
  *y = 2.0f * *y;
  if (std::fabs(*y) > 1.0f || std::fabs(*x) > 1.0f) {
    *outside = 1;
    return;
  }
  float f = RobinsonLatitudeFromY(*y, cache);
  float length = InterpolateRobinsonTable(kRobinsonPlen, std::fabs(f) * 18.0f);
  if (std::fabs(*x) > length) {
    *outside = 1;
    return;
  }
  *x = *x / -length;
  *y = f;
  *outside = 0;
}

void RobinsonForward(float* x, float* latitudeFraction, uint8_t* outside) {
  float f = *latitudeFraction;
  if (std::fabs(f) > 1.0f) {
    *outside = 1;
    return;
  }
  float q = std::fabs(f) * 18.0f;
  float distance = InterpolateRobinsonTable(kRobinsonPdfe, q);
  *latitudeFraction = f < 0.0f ? -distance : distance;
  *x = *x * InterpolateRobinsonTable(kRobinsonPlen, q);
  if (*x < -1.0f || *x > 1.0f) *outside = 1;
}

Complex* AitoffTerm(Complex* out, const double in[2]) {
  double lambda = in[0];
  double phi = in[1];
  double c = std::cos(phi);
  double alpha = std::acos(std::cos(lambda / 2.0) * c);
  double k = alpha == 0.0 ? 1.0 : alpha / std::sin(alpha);
  out->re = (2.0 * k * c * std::sin(lambda / 2.0) + lambda * 0.6366197723675814) / 2.0;
  out->im = (k * std::sin(phi) + phi) / 2.0;
  return out;
}

int32_t ChooseCubeFace(const float v[3], float* u, float* w) {
  float x = v[0], y = v[1], z = v[2];
  float ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
  // The z axis wins every tie with it. Where |x| and |y| tie above |z| the x
  // axis is taken: keeping z there would divide by the smallest component and
  // put the point far outside its face.
  if (az >= ax && az >= ay) {
    if (z <= 0.0f) {
      *u = -x / z;
      *w = y / z;
      return 0;
    }
    *u = -x / z;
    *w = -y / z;
    return 3;
  }
  if (ax >= ay) {
    if (x <= 0.0f) {
      *u = z / x;
      *w = y / x;
      return 1;
    }
    *u = z / x;
    *w = -y / x;
    return 4;
  }
  if (y <= 0.0f) {
    *u = x / y;
    *w = z / y;
    return 2;
  }
  *u = -x / y;
  *w = z / y;
  return 5;
}

bool IsSoccerInput(int32_t input) { return input == 29; }

void TunableProfilePoint(float t, float out[3], float k, int32_t mode) {
  out[2] = 0.0f;
  if (mode == 0) {
    float a = static_cast<float>((static_cast<double>(t) - 0.5) * 3.141592653589793);
    out[0] = std::cos(a) * k;
    out[1] = std::sin(a);
  } else if (mode == 1) {
    out[0] = std::sin(t * kPiF) * 1.34f * k;
    out[1] = 2.0f * std::pow((0.5f * std::cos(t * kPiF) + 0.5f) + 0.8f, 1.5f);
  }
}

float TunableProfileArcLength(float t, float* cache, float k, int32_t mode) {
  if (t < 0.0f) t = 0.0f;
  if (t > 1.0f) t = 1.0f;
  if (cache[0] == kCacheNotBuilt) {
    float previous[3] = {0.0f, 0.0f, 0.0f};
    float current[3] = {0.0f, 0.0f, 0.0f};
    TunableProfilePoint(0.0f, previous, k, mode);
    cache[0] = 0.0f;
    for (int32_t i = 1; i < kMollweideCacheSize; ++i) {
      TunableProfilePoint(static_cast<float>(i) / 399.0f, current, k, mode);
      float dx = current[0] - previous[0];
      float dy = current[1] - previous[1];
      cache[i] = cache[i - 1] + std::sqrt(dx * dx + dy * dy);
      previous[0] = current[0];
      previous[1] = current[1];
    }
    float length = cache[kLastCacheIndex];
    cache[400] = length;
    // A profile of no length (an unknown mode) keeps its zeros.
    if (length > 0.0f) {
      for (int32_t i = 0; i < kMollweideCacheSize; ++i) cache[i] /= length;
    }
  }
  return ReadCache(cache, t * 399.0f);
}

float TunableProfileInverse(float s, float* cache, float k, int32_t mode) {
  if (s < 0.0f) s = 0.0f;
  if (s > 1.0f) s = 1.0f;
  float lo = 0.0f, hi = 1.0f, t = s;
  for (int32_t step = 0; step < 20; ++step) {
    if (s > TunableProfileArcLength(t, cache, k, mode)) {
      lo = t;
    } else {
      hi = t;
    }
    t = (lo + hi) / 2.0f;
  }
  return t;
}

namespace {

// z - floor(z).
float Fraction(float z) { return z - std::floor(z); }

}  // namespace

void WrapTilePosition(float count, const PolyMesh* mesh, float x, float y, float* outX, float* outY,
                      const NetFaceList* list) {
  // Skew to the coordinates of the triangular lattice.
  float a = y * 1.1547005384f;
  *outX = x + a / 2.0f;
  *outY = a;
  // An empty extent (no net built, or a list without triangles) has no tile
  // to wrap into; the skewed point is kept rather than divided by zero.
  const float y0 = mesh->layoutMinY;
  const float y1 = mesh->layoutMaxY;
  if (y1 > y0) *outY = y0 + (y1 - y0) * Fraction(count * (*outY - y0) / (y1 - y0));
  const float x0 = list->minX;
  const float x1 = list->maxX;
  if (x1 > x0) *outX = x0 + (x1 - x0) * Fraction(count * (*outX - x0) / (x1 - x0));
}

void HalveAngleFromForward(Vec3f* v) {
  v->x = v->x / 2.0f;
  v->y = v->y / 2.0f;
  v->z = v->z / 2.0f + 0.5f;
  // Straight behind the view the half-way vector vanishes; half of that
  // angle is a quarter turn in any direction, not the view centre that
  // normalising a zero vector would give.
  if (v->x == 0.0f && v->y == 0.0f && v->z <= 0.0f) {
    *v = Vec3f{0.0f, -1.0f, 0.0f};
    return;
  }
  NormalizeVec3f(v);
}

void UnfishWarp(float x, float y, float* outX, float* outY, uint8_t* outside) {
  *outX = x;
  *outY = y;
  if (std::fabs(3.0f * y) > 1.5707964f) {
    *outside = 1;
    *outX = -1.0f;
    *outY = -1.0f;
    return;
  }
  float s = std::sin(3.0f * y);
  double a = static_cast<double>(2.0f * x) * 2.1;
  double b = static_cast<double>(2.0f * x) * 1.55;
  float fa = x == 0.0f ? 1.0f : static_cast<float>(std::atan(a) / a);
  float fb = x == 0.0f ? 1.0f : static_cast<float>(std::atan(b) / b);
  *outY = (s / 3.0f) * fa;
  *outX = x * fb;
}

void EquirectPlaneToDirection(float x, float y, float out[3], uint8_t* outside) {
  if (!(x >= -0.5f && x <= 0.5f && y >= -0.5f && y <= 0.5f)) {
    *outside = 1;
    return;
  }
  *outside = 0;
  out[1] = std::sin(-kPiF * y);
  float c = std::sqrt(1.0f - out[1] * out[1]);
  out[0] = -std::sin(2.0f * kPiF * x) * c;
  out[2] = std::cos(2.0f * kPiF * x) * c;
}
