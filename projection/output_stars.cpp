// "star 3" and "star 5": a polar disc whose rim is cut into points. Inside the
// inner radius the disc is the plain polar map; beyond it each point narrows
// the longitudes of its sector towards the tip.
#include <cmath>

#include "projection/output_families.h"

namespace {

struct StarForm {
  int32_t points;     // n
  int32_t firstPoint; // k0: the sector that points straight up
  float yOffset;
};

constexpr StarForm kStar3{3, 1, 0.616f};
constexpr StarForm kStar5{5, 2, 0.81f};
constexpr float kInnerRadius = 0.4f;
constexpr double kTwoPiStar = 6.283185307;

void MapStar(const StarForm& form, const OutputPoint& p, const OutputResult& r) {
  const float n = float(form.points);
  const float x = 2 * p.planeX;
  const float y = 2 * p.planeY + (form.yOffset - 1) / 2;
  const float radius = std::sqrt(x * x + y * y);
  const float h = kPiF / n;
  const float a = Ang(x, y);
  double f = double(a + h) / kTwoPiStar * form.points;
  if (f < 0) f -= 1;
  const int32_t sector = int32_t(f);
  const bool onPoint = radius > kInnerRadius;
  const float shift = onPoint ? float(double(sector - form.firstPoint) * kTwoPiStar / form.points) : 0.0f;
  float b = a + h - shift;
  for (int32_t step = 0; step < 3 && b < 0; ++step) b += kTwoPiF;
  for (int32_t step = 0; step < 3 && b > kTwoPiF; ++step) b -= kTwoPiF;
  const float scale = onPoint ? 1 - (radius - kInnerRadius) / (1 - kInnerRadius) : 1.0f;
  if (scale == 0) {
    *r.outside = 1;
    return;
  }
  const float c = -(((b + shift - kPiF) - shift) / scale + shift);
  const float lo = onPoint ? -kPiF / n - shift : -kPiF;
  const float hi = onPoint ? h - shift : kPiF;
  if (!(c >= lo && c <= hi && radius <= 1)) {
    *r.outside = 1;
    return;
  }
  *r.d = PoleTurn(Equi((c + kPiF + h) / kTwoPiF, radius));
}

}  // namespace

void MapStarOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  (void)context;
  MapStar(output == 48 ? kStar3 : kStar5, p, r);
}
