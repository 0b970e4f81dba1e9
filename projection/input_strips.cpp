// Inputs laid out in longitude and a function of latitude: the
// equirectangular source and its cut-outs, the cylinders and Mercator.
#include <cmath>

#include "projection/input_families.h"

namespace {

constexpr float kPiF = 3.1415927f;

}  // namespace

void MapStripInput(int32_t input, const Vec3f* d, float aspect, InputSample* s) {
  EquirectPosition e = InputEquirect(d);
  switch (input) {
    case 1:
      s->srcX = 1.0f - e.u;
      s->srcY = e.v;
      break;
    case 5: {
      s->srcX = 1.0f - e.u;
      double t = std::tan((e.v - 0.5f) * kPiF);
      s->srcY = static_cast<float>(t * 0.125 / aspect + 0.5);
      if (OutsideUnit(s->srcY)) MarkNoSource(s);
      break;
    }
    case 13:
      s->srcX = 1.0f - ((e.u - 0.5f) * 2.0f + 0.5f);
      s->srcY = e.v;
      if (OutsideUnit(s->srcX)) MarkNoSource(s);
      break;
    case 16:
      s->srcX = static_cast<float>(1.0 - (4.0 * ((e.u - 0.5f) + 0.041666666666666664) + 0.5));
      s->srcY = e.v;
      if (OutsideUnit(s->srcX)) MarkNoSource(s);
      break;
    case 20: {
      // Mercator: y = asinh(tan φ). The library's inverse hyperbolic sine
      // keeps its precision for large negative arguments, where the
      // logarithm of T + sqrt(T² + 1) would cancel.
      s->srcX = 1.0f - e.u;
      float t = std::tan((e.v - 0.5f) * kPiF);
      float y = static_cast<float>(std::asinh(static_cast<double>(t)));
      s->srcY = y / (aspect * 6.2831855f) + 0.5f;
      if (OutsideUnit(s->srcY)) s->noSource = 1;
      break;
    }
    case 24:
      s->srcX = 1.0f - e.u;
      s->srcY = static_cast<float>(std::sin((static_cast<double>(e.v) - 0.5) * 3.141592653) * 0.5 + 0.5);
      break;
    default:
      MarkNoSource(s);
      break;
  }
}
