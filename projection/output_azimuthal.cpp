// Azimuthal outputs: discs about a pole or about the view centre (polar,
// magnipolar, annulus, half-polar, Werner, hyperbolic, pinwheel, quasar,
// Omnimax, mirror ball, curvy, the orthographic globes, stereographic,
// semistereo, squoculus, goggles, two circles, loop). Unless said, r and the
// angle use x = 2X, y = 2Y and th = Ang(X, Y).
#include <cmath>

#include "geometry/rotation.h"
#include "projection/mapping_context.h"
#include "projection/output_families.h"
#include "projection/output_pixel.h"

namespace {

// Outside unless 0 <= q <= 1.
bool InUnitRange(float q) { return q >= 0 && q <= 1; }

void MapPolar(const OutputPoint& p, bool magnified, const OutputResult& r) {
  const float x = 2 * p.planeX;
  const float y = 2 * p.planeY;
  const float q = x * x + y * y;
  if (!InUnitRange(q)) {
    *r.outside = 1;
    return;
  }
  float radius = std::sqrt(q);
  if (magnified) radius = float(((1.0 / (1.2 - double(radius)) - 0.8333333333333334) * 6) / 25);
  *r.d = PoleTurn(Equi(-Ang(p.planeX, p.planeY) / kTwoPiF, radius));
}

void MapAnnulus(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  // A negative field of view counts as zero: no ring at all.
  const float fov = context->fov > 0 ? context->fov : 0.0f;
  const float a = 1 - fov / 180;
  if (a == 1) {
    *r.outside = 1;
    return;
  }
  const float x = 2 * p.planeX;
  const float y = 2 * p.planeY;
  const float q = (x * x + y * y - a) / (1 - a);
  if (!InUnitRange(q)) {
    *r.outside = 1;
    return;
  }
  *r.d = Equi(-Ang(p.planeX, p.planeY) / kTwoPiF, std::sqrt(q));
}

void MapUnnamedDisc(const OutputPoint& p, const OutputResult& r) {
  const double x = double(p.planeX) * 2;
  const double y = double(p.planeY) * 2;
  const float q = float(x * x + y * y);
  if (!InUnitRange(q)) {
    *r.outside = 1;
    return;
  }
  *r.d = Equi(-Ang(p.planeX, p.planeY) / kTwoPiF, std::sqrt(q));
}

void MapHalfPolar(const OutputPoint& p, const OutputResult& r) {
  const float x = 2 * p.planeX;
  const float y = 2 * p.planeY + 0.5f;
  const float radius = std::sqrt(x * x + y * y);
  const float a = Ang(x, y);
  const float lambda = -2 * (a - kPiF);
  if (!(lambda >= -kPiF && lambda <= kPiF && radius <= 1)) {
    *r.outside = 1;
    return;
  }
  *r.d = Equi((lambda + kPiF) / kTwoPiF, radius);
}

void MapWerner(const OutputPoint& p, const OutputResult& r) {
  const float a = float(0.6 * double(2 * p.planeX));
  const float b = float(double(float(0.6 * double(2 * p.planeY))) + 0.4166666666666667);
  const float radius = std::sqrt(a * a + b * b);
  if (radius == 1) {  // the rim has no angle scale (1 - r = 0)
    *r.outside = 1;
    return;
  }
  const float t = Ang(a, b);
  const float c = -(t - kPiF) / (1 - radius);
  if (!(c >= -kPiF && c <= kPiF && radius <= 1)) {
    *r.outside = 1;
    return;
  }
  *r.d = Equi((c + kPiF) / kTwoPiF, radius);
}

void MapPinwheel(const OutputPoint& p, const OutputResult& r) {
  const float x = 2 * p.planeX;
  const float y = 2 * p.planeY;
  const float q = x * x + y * y;
  if (q > 1) {
    *r.outside = 1;
    return;
  }
  const float radius = std::sqrt(q);
  float a = -Ang(p.planeX, p.planeY) + kPiF * radius * radius;
  if (a > kTwoPiF) a -= kTwoPiF;
  *r.d = PoleTurn(Equi(a / kTwoPiF, 1 - std::sqrt(1 - radius)));
}

void MapQuasar(const OutputPoint& p, const OutputResult& r) {
  const float x = 2 * p.planeX;
  const float y = 2 * p.planeY;
  const float radius = std::sqrt(std::sqrt(std::sqrt(x * x + y * y)));
  *r.d = PoleTurn(Equi(-Ang(p.planeX, p.planeY) * 0.15915494f, radius));
}

void MapOmnimax(const OutputPoint& p, const OutputResult& r) {
  const float x = 2 * p.planeX;
  const float y = 2 * (p.planeY - 0.135f);
  const float q = x * x + y * y;
  const float stretched = y / 0.46f;
  if (q > 1 || (y > 0 && stretched * stretched + x * x > 1)) {
    *r.outside = 1;
    return;
  }
  const float th = Ang(p.planeX, p.planeY - 0.135f);
  const float radius = std::sqrt(q);
  const float r3 = radius * radius * radius;
  const float r5 = r3 * radius * radius;
  const float v = float(double(1.411269f * radius - 0.094389f * r3 + 0.25674f * r5) * 0.6366197723675814);
  *r.d = PoleTurn(Equi(-th / kTwoPiF, v));
}

void MapCurvy(const OutputPoint& p, const OutputResult& r) {
  Vec3f ball{0, 0, 1};
  MirrorBallDirection(2 * p.planeX, 2 * p.planeY, &ball, r.outside);
  if (*r.outside) return;
  float u;
  float v;
  Vec3fToEquirect(&ball, &u, &v);
  u = 1.75f * (u - 0.5f) + 0.5f;
  v = float(1.75 * (double(v) - 0.5) + 0.5);
  if (!(u >= 0 && u <= 1 && v >= 0 && v <= 1)) {
    *r.outside = 1;
    return;
  }
  *r.d = Equi(u, v);
}

void MapOrthographic(const OutputPoint& p, const OutputResult& r) {
  const float x = -2 * p.planeX;
  const float y = -2 * p.planeY;
  const float q = 1 - x * x - y * y;
  if (q < 0) {
    *r.outside = 1;
    return;
  }
  *r.d = Vec3f{x, y, std::sqrt(q)};
  r.mapping->viewNormal = *r.d;
}

void MapStereographic(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float t = ViewFovTan(context);
  const float t2 = t * t;
  const Complex z{p.planeX * t2 / 2, p.planeY * t2 / 2};
  Vec3 v;
  StereographicToSphere(&z, &v);
  *r.d = Vec3f{float(v.x), float(v.y), float(v.z)};
}

void MapSemistereo(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float t = ViewFovTan(context);
  PlaneToSphereFromAxisPoint(p.planeX * t * t, p.planeY * t * t, r.d, -0.5f);
}

void MapSquoculus(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float t = ViewFovTan(context);
  const float k = t * t * (p.ny + 1);
  PlaneToSphereFromAxisPoint(k * p.planeX, k * p.planeY, r.d, -1.0f);
}

void MapGoggles(const OutputPoint& p, const OutputResult& r) {
  const float squeezed = 2 * p.planeY / 1.4f;
  const float x = 2 * p.planeX;
  const float y = squeezed * 2;
  const float th = Ang(p.planeX, squeezed);
  const float radius = std::sqrt(x * x + y * y);
  const Vec3f e = PoleTurn(Equi(-th / kTwoPiF, 1 - 1 / (2.7f * radius + 1)));
  float u;
  float v;
  Vec3fToEquirect(&e, &u, &v);
  u = 1.4f * (u - 0.5f) + 0.5f;
  if (!(u >= 0 && u <= 1)) {
    *r.outside = 1;
    return;
  }
  *r.d = Equi(u, v);
}

void MapTwoCircles(const OutputPoint& p, const OutputResult& r) {
  const bool right = p.planeX >= 0;
  const float a = right ? p.planeX - 0.25f : p.planeX + 0.25f;
  const float x = 4 * a;
  const float y = 4 * p.planeY;
  const float q = x * x + y * y;
  if (q > 1.001f) {
    *r.outside = 1;
    return;
  }
  const Vec3f e = Equi(-Ang(a, p.planeY) / kTwoPiF, 1 - 1 / (std::sqrt(q) + 1));
  *r.d = right ? Vec3f{-e.x, -e.z, -e.y} : Vec3f{e.x, -e.z, e.y};
}

void MapLoop(const OutputPoint& p, const OutputResult& r) {
  const float x = 2 * p.planeX;
  const float y = -2 * p.planeY;
  const float q = x * x + y * y;
  if (q > 1 || y == 1) {
    *r.outside = 1;
    return;
  }
  const float t = (q - 1) / (2 * y - 2);
  if (t > 0.5f) {
    *r.outside = 1;
    return;
  }
  const float rho = std::sqrt(x * x + (y - t) * (y - t)) / 2;
  float u;
  if (x == 0) {
    // The centre line: w = (t - y)(1 - y)/x grows without bound on both
    // sides, so L does and u tends to 0.5.
    u = 0.5f;
  } else {
    const float w = (t - y) * (1 - y) / x;
    const float length = std::sqrt((y - 1) * (y - 1) + w * w);
    if (length == 0) {
      u = 0;
    } else {
      u = x > 0 ? 0.5f - 0.5f / length : 0.5f + 0.5f / length;
    }
  }
  const float v = rho == 0 ? 0.0f : 0.5f / rho;
  *r.d = Equi(u, v);
}

}  // namespace

void MirrorBallDirection(float x, float y, Vec3f* d, uint8_t* outside) {
  const float t = 2 * (1 - x * x - y * y) - 1;
  if (!(t >= -1)) {
    *outside = 1;
    return;
  }
  const float k = std::sqrt(2 * (t + 1));
  *d = Vec3f{-x * k, -y * k, t};
}

Vec3f HyperbolicDirection(float planeX, float planeY, float fovTan) {
  const float x = 2 * planeX;
  const float y = 2 * planeY;
  const float radius = std::sqrt(x * x + y * y);
  return PoleTurn(Equi(-Ang(planeX, planeY) / kTwoPiF, 1 - 1 / (radius * fovTan + 1)));
}

void MapAzimuthalOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  switch (output) {
    case 3: MapPolar(p, false, r); break;
    case 50: MapPolar(p, true, r); break;
    case 59: MapAnnulus(p, context, r); break;
    case 10054: MapUnnamedDisc(p, r); break;
    case 4: MapHalfPolar(p, r); break;
    case 12: MapWerner(p, r); break;
    case 15: *r.d = HyperbolicDirection(p.planeX, p.planeY, ViewFovTan(context)); break;
    case 19: MapPinwheel(p, r); break;
    case 24: MapQuasar(p, r); break;
    case 43: MapOmnimax(p, r); break;
    case 2: MirrorBallDirection(2 * p.planeX, 2 * p.planeY, r.d, r.outside); break;
    case 22: MapCurvy(p, r); break;
    case 5: case 134: case 139: case 143: MapOrthographic(p, r); break;
    case 16: MapStereographic(p, context, r); break;
    case 82: MapSemistereo(p, context, r); break;
    case 85: MapSquoculus(p, context, r); break;
    case 23: MapGoggles(p, r); break;
    case 40: MapTwoCircles(p, r); break;
    case 39: MapLoop(p, r); break;
    default: break;
  }
}
