// Gore inputs: 12 or 6 polyconic gores side by side, and the 12 gores of the
// northern half turned into a flower.
#include <cmath>

#include "projection/input_families.h"

namespace {

constexpr float kHalfPiBelow = 1.5707962f;  // the largest float below π/2

// floor of a float as an integer; values beyond the integer range (or not a
// number) give 0 instead of an undefined conversion.
int32_t FloorToInt(float x) {
  if (!(std::fabs(x) < 2.0e9f)) return 0;
  float f = std::floor(x);
  return static_cast<int32_t>(f);
}

// Input 19: the northern half of the gores as a 12-petal flower around the
// north pole; the southern half has no source.
void TurnIntoFlower(float g, InputSample* s) {
  if (s->srcY > 0.5f) {
    s->srcY = -1.0f;
    return;
  }
  float t = 12.0f * s->srcX;
  float e = t - std::floor(t);
  float b = (e - 0.5f) * 2.0f / 12.0f;
  float angle = static_cast<float>((static_cast<double>(g) + 0.5) * (-6.2831854820251465) / 12.0);
  float sa = std::sin(angle);
  float ca = std::cos(angle);
  float y = s->srcY;
  s->srcY = static_cast<float>(static_cast<double>(sa * b) + static_cast<double>(ca * y) + 0.5);
  s->srcX = static_cast<float>(static_cast<double>(ca * b) - static_cast<double>(sa * y) + 0.5);
}

}  // namespace

void MapGoreInput(int32_t input, const Vec3f* d, InputSample* s) { MapGoresAt(input, InputEquirect(d), s); }

void MapGoresAt(int32_t input, EquirectPosition e, InputSample* s) {
  int32_t n = input == 25 ? 6 : 12;
  float w = static_cast<float>(1.0 - static_cast<double>(e.u));
  float k = static_cast<float>(FloorToInt(static_cast<float>(n) * w));
  float g = k - static_cast<float>(n - 1) / 2.0f;
  float l = static_cast<float>((static_cast<double>(w) - 0.5) * 6.283185307);
  float phi = static_cast<float>((static_cast<double>(e.v) - 0.5) * 3.141592653);
  // At a pole φ rounds to the float just beyond π/2, which would put the pole
  // a rounding step outside the gore (no source); keep it within ±π/2.
  if (phi > kHalfPiBelow) phi = kHalfPiBelow;
  if (phi < -kHalfPiBelow) phi = -kHalfPiBelow;
  double c = 6.283185307 / n * g;
  float bigE = std::sin(phi) * static_cast<float>(static_cast<double>(l) - c);
  double sinTerm = 0.0;
  double cosTerm = 0.0;
  if (phi == 0.0f) {
    // On the equator the polyconic limit: x runs along the equator, y = 0.
    sinTerm = static_cast<double>(l) - c;
  } else {
    double cot = 1.0 / std::tan(phi);
    sinTerm = std::sin(bigE) * cot;
    cosTerm = (1.0f - std::cos(bigE)) * cot;
  }
  s->srcX = static_cast<float>((sinTerm + c) / 6.283185307 + 0.5);
  s->srcY = static_cast<float>((cosTerm + phi) / 3.141592653 + 0.5);
  if (input == 19) TurnIntoFlower(g, s);
  s->subImage = static_cast<int32_t>(g);
  if (OutsideUnit(s->srcX) || OutsideUnit(s->srcY)) {
    MarkNoSource(s);
    s->subImage = -1;
  }
}
