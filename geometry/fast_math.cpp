#include "geometry/fast_math.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kPi = std::numbers::pi;
}  // namespace

void PlaneToPolar(float x, float y, float* angle, float* radius) {
  // AngleAroundOrigin counts clockwise from -y; turn it into the usual angle.
  float a = 4.712389f - AngleAroundOrigin(x, y);
  if (a < 0.0f) a += 6.2831855f;
  *angle = a;
  *radius = std::sqrt(x * x + y * y);
}

void PolarToPlane(float* x, float* y, float angle, float radius) {
  *x = std::cos(angle) * radius;
  *y = std::sin(angle) * radius;
}

bool Vec3dToEquirect(Vec3* v, double* u, double* w) {
  constexpr double kInvPi = 0.3183098861837907;
  double lat;
  if (v->y > 0.8) {
    if (v->y > 1.0) v->y = 1.0;
    lat = std::acos(v->y) * kInvPi;
  } else if (v->y < -0.8) {
    if (v->y < -1.0) v->y = -1.0;
    lat = 1.0 - std::acos(-v->y) * kInvPi;
  } else {
    lat = std::acos(v->y) * kInvPi;
  }
  double a = std::atan2(v->x, v->z);
  if (std::isnan(a)) a = std::atan2(-v->x, -v->z) + kPi;
  double lon = (a + kPi) * 0.15915494309189535;
  const bool bad = std::isnan(static_cast<float>(lon)) || std::isnan(static_cast<float>(lat));
  if (lon > 1.0) lon -= 1.0;
  *u = lon;
  *w = lat;
  return bad;
}

void EquirectToVec3d(double u, double w, Vec3* out) {
  const double s = std::sin((w - 0.5) * -kPi);
  const double c = std::sqrt(1.0 - s * s);
  const double a = (u - 0.5) * (2.0 * kPi);
  *out = Vec3{std::sin(a) * c, s, std::cos(a) * c};
}
