// Cylindrical and pseudo-cylindrical world maps: equirectangular, equi tall,
// sinusoidal, cylindrical, Mercator, equal-area cylinder, lozenge, Hammer,
// Mollweide, Robinson and Winkel Tripel. The plane's right half shows the
// directions of -x (an equirectangular source is read mirrored).
#include <cmath>
#include <cstring>

#include "projection/formula_helpers.h"
#include "projection/mapping_context.h"
#include "projection/output_families.h"
#include "projection/quincuncial.h"

namespace {

// asin of an argument that rounding may carry a step past +-1.
double ClampedAsin(double x) {
  if (x > 1.0) x = 1.0;
  if (x < -1.0) x = -1.0;
  return std::asin(x);
}

// What the row memos of a context hold: memo 0 the output's own values of a
// row, memo 1 the latitude terms of EquiRow.
constexpr int32_t kMemoStripLatitude = 1;
constexpr int32_t kMemoSinusoidalCos = 2;
constexpr int32_t kMemoMollweideRow = 3;
constexpr int32_t kMemoMercatorLatitude = 4;
constexpr int32_t kMemoEqualAreaLatitude = 5;
constexpr int32_t kMemoEquiLatitude = 6;

// True when the memo holds the values of function `tag` at `key`; otherwise
// it is claimed for them and the caller fills value[].
bool MemoHolds(FloatMemo* memo, int32_t tag, float key) {
  uint32_t bits;
  std::memcpy(&bits, &key, sizeof bits);
  if (memo->tag == tag && memo->key == bits) return true;
  memo->tag = tag;
  memo->key = bits;
  return false;
}

// Equi(u, w), its latitude terms (which all pixels of a row share) taken
// from the context's memo 1.
Vec3f EquiRow(MappingContext* context, float u, float w) {
  FloatMemo* memo = &context->rowMemo[1];
  if (!MemoHolds(memo, kMemoEquiLatitude, w)) {
    const float s = std::sin((w - 0.5f) * -3.1415927f);
    memo->value[0] = s;
    memo->value[1] = std::sqrt(1.0f - s * s);
  }
  const float s = memo->value[0];
  const float c = memo->value[1];
  const float a = (u - 0.5f) * 6.2831855f;
  return Vec3f{std::sin(a) * c, s, std::cos(a) * c};
}

// The equirectangular strip: latitude -2*pi*Y (or from ny), longitude L; the
// latitude's sine and cosine are kept in memo 1 for the row.
Vec3f StripDirection(MappingContext* context, float latitudeArgument, float longitude) {
  FloatMemo* memo = &context->rowMemo[1];
  if (!MemoHolds(memo, kMemoStripLatitude, latitudeArgument)) {
    const float sinLatitude = std::sin(latitudeArgument);
    memo->value[0] = sinLatitude;
    memo->value[1] = std::sqrt(1 - sinLatitude * sinLatitude);
  }
  const float sinLatitude = memo->value[0];
  const float r = memo->value[1];
  return Vec3f{-std::sin(longitude) * r, sinLatitude, std::cos(longitude) * r};
}

void MapEquirectangular(const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  const float y2 = 2 * p.planeY;
  if (y2 < -0.5f || y2 > 0.5f || p.planeX < -0.5f || p.planeX > 0.5f) {
    *r.outside = 1;
    return;
  }
  if (r.directionUnused) return;
  *r.d = StripDirection(context, -kTwoPiF * p.planeY, kTwoPiF * p.planeX);
}

void MapEquiTall(const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  if (r.directionUnused) return;
  *r.d = StripDirection(context, -(p.ny - 0.5f) * kPiF, kTwoPiF * (p.nx - 0.5f));
}

void MapSinusoidal(const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  const float phi = kTwoPiF * p.planeY;
  if (!(phi > -kHalfPiF && phi < kHalfPiF)) {
    *r.outside = 1;
    return;
  }
  FloatMemo* memo = &context->rowMemo[0];
  if (!MemoHolds(memo, kMemoSinusoidalCos, phi)) memo->value[0] = std::cos(phi);
  float lambda = -kTwoPiF * p.planeX / memo->value[0];
  if (!(lambda > -kPiF && lambda < kPiF)) {
    *r.outside = 1;
    return;
  }
  if (r.directionUnused) return;
  lambda = lambda + kPiF;
  if (lambda >= kPiF) lambda = lambda - kTwoPiF;
  *r.d = EquiRow(context, lambda / kTwoPiF, phi / kPiF + 0.5f);
}

void MapCylinder(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  if (r.directionUnused) return;
  const float m = context->outputAspect < 1 ? context->outputAspect : 1.0f;
  const float lambda = kTwoPiF * m * p.planeX;
  Vec3f d{-std::sin(lambda), -8 * m * p.planeY, std::cos(lambda)};
  NormalizeVec3f(&d);
  *r.d = d;
}

void MapMercator(const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  if (r.directionUnused) return;
  const float y = kTwoPiF * context->outputAspect * (p.ny - 0.5f);
  FloatMemo* memo = &context->rowMemo[0];
  if (!MemoHolds(memo, kMemoMercatorLatitude, y)) memo->value[0] = std::atan(std::sinh(y));
  const float phi = memo->value[0];
  *r.d = EquiRow(context, 1 - p.nx, (phi + kHalfPiF) / kPiF);
}

void MapEqualAreaCylinder(const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  const double s = 2 * (double(p.ny) - 0.5);
  // Rows beyond the map (neighbour positions of the edge pixels) have no
  // latitude: outside rather than the arc sine's NaN.
  if (!(s >= -1.0 && s <= 1.0)) {
    *r.outside = 1;
    return;
  }
  if (r.directionUnused) return;
  FloatMemo* memo = &context->rowMemo[0];
  if (!MemoHolds(memo, kMemoEqualAreaLatitude, p.ny)) memo->value[0] = float(std::asin(s));
  const float phi = memo->value[0];
  *r.d = EquiRow(context, -p.nx, float(double(phi) / 3.141592653 + 0.5));
}

void MapLozenge(const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  const float y2 = 2 * p.planeY;
  const float v = y2 + 0.5f;
  if (!(v > 0 && v < 1)) {
    *r.outside = 1;
    return;
  }
  const float w = y2 < 0 ? y2 + 1 : 1 - y2;
  if (!(w > 0)) {
    *r.outside = 1;
    return;
  }
  const float u = (p.planeX + 0.5f - 0.5f) / w + 0.5f;
  if (!(u > 0 && u < 1)) {
    *r.outside = 1;
    return;
  }
  if (r.directionUnused) return;
  *r.d = EquiRow(context, 1 - u, v);
}

// The ellipse of Hammer and Mollweide: a = 4*sqrt(2)*X, b = 4*sqrt(2)*Y with
// a^2/4 + b^2 <= 2; false (outside) beyond it.
struct EllipsePoint {
  float a;
  float b;
  float w;
};

bool InEllipse(const OutputPoint& p, EllipsePoint* e) {
  constexpr double k = 5.656854249492384;
  e->a = float(k * p.planeX);
  e->b = float(k * p.planeY);
  const float q = e->a * e->a / 4 + e->b * e->b;
  if (!(q <= 2)) return false;
  const float root = std::sqrt(q);
  e->w = root * root;
  const float t = std::sqrt(1 - e->w / 4);
  const float tb = t * e->b;
  return tb >= -1 && tb <= 1;
}

void MapHammer(const OutputPoint& p, const OutputResult& r) {
  EllipsePoint e;
  if (!InEllipse(p, &e)) {
    *r.outside = 1;
    return;
  }
  if (r.directionUnused) return;
  const float t = std::sqrt(1 - e.w / 4);
  const float phi = std::asin(t * e.b);
  const float c = float(std::sqrt(1.0 - double(e.w) / 4));
  const float th = Ang(-c * e.a / 2, e.w / 2 - 1);
  *r.d = Equi(1 - (2 * th + kPiF) / kTwoPiF, phi / kPiF + 0.5f);
}

void MapMollweide(const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  EllipsePoint e;
  if (!InEllipse(p, &e)) {
    *r.outside = 1;
    return;
  }
  if (r.directionUnused) return;
  // The auxiliary angle and the latitude follow from b, the row, alone.
  FloatMemo* memo = &context->rowMemo[0];
  if (!MemoHolds(memo, kMemoMollweideRow, e.b)) {
    const double th = ClampedAsin(double(e.b) * 0.707106781186548);
    memo->value[0] = float(ClampedAsin((std::sin(2 * th) + 2 * th) / 3.141592653589793));
    memo->value[1] = float(std::cos(th));
  }
  const float phi = memo->value[0];
  const float c = memo->value[1];
  const float denominator = 2.828427f * c;
  const float lambda = denominator > 0 ? e.a * kPiF / denominator + kPiF : 0.0f;
  *r.d = EquiRow(context, 1 - lambda / kTwoPiF, phi / kPiF + 0.5f);
}

void MapRobinson(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  float a = p.planeX;
  float b = p.planeY;
  InverseRobinson(&a, &b, r.outside, context->outputCache);
  if (*r.outside) return;
  *r.d = Equi(a / 2 + 0.5f, b / 2 + 0.5f);
}

void MapWinkelTripel(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  Complex q{p.planeX, p.planeY};
  float v[3] = {0, 0, 1};
  InverseWinkelTripel(&q, context->lookupGrid, v, r.outside);
  if (*r.outside) return;
  *r.d = Vec3f{v[0], v[1], v[2]};
}

}  // namespace

void MapCylindricalOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  switch (output) {
    case 1: MapEquirectangular(p, context, r); break;
    case 81: MapEquiTall(p, context, r); break;
    case 13: MapSinusoidal(p, context, r); break;
    case 17: MapCylinder(p, context, r); break;
    case 62: MapMercator(p, context, r); break;
    case 138: MapEqualAreaCylinder(p, context, r); break;
    case 20: MapLozenge(p, context, r); break;
    case 11: MapHammer(p, r); break;
    case 46: MapMollweide(p, context, r); break;
    case 80: MapRobinson(p, context, r); break;
    case 35: MapWinkelTripel(p, context, r); break;
    default: break;
  }
}
