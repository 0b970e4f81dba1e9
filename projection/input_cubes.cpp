// Cube-based inputs: one face, a tiling face, zenith and nadir squares and
// the two crosses of six faces.
#include "projection/formula_helpers.h"
#include "projection/input_families.h"

namespace {

// Input 10: the view through the front face; directions more than about 72
// degrees off the view have no source.
void MapOneCubeFace(const Vec3f* d, InputSample* s) {
  if (static_cast<double>(d->z) < 0.3) {
    s->srcX = 0.0f;
    s->srcY = 0.0f;
    s->noSource = 1;
    return;
  }
  s->srcX = 0.5f - 0.5f * d->x / d->z;
  s->srcY = 0.5f - 0.5f * d->y / d->z;
  if (OutsideUnit(s->srcX) || OutsideUnit(s->srcY)) {
    MarkNoSource(s);
    s->subImage = -1;
  }
}

// Lowers w to limit, in double precision, and keeps it as a float.
float LowerWeight(float w, double limit) {
  return static_cast<float>(static_cast<double>(w) < limit ? static_cast<double>(w) : limit);
}

// Input 26: the zenith square (face 5) on the left, the nadir square
// (face 2) on the right, with a weight that falls to 0 at their edges.
void MapZenithNadir(const Vec3f* d, InputSample* s) {
  s->edgeWeight = 1.0f;
  float v[3] = {d->x, d->y, d->z};
  float p = 0.0f, q = 0.0f;
  int32_t face = ChooseCubeFace(v, &p, &q);
  if (face == 2) {
    s->subImage = 2;
    s->srcX = static_cast<float>(static_cast<double>(p) * 0.25 + 0.75);
  } else {
    s->subImage = 3;
    s->srcX = static_cast<float>(static_cast<double>(p * 0.25f) + 0.25);
  }
  s->srcY = q * 0.5f + 0.5f;
  double x = s->srcX;
  double y = s->srcY;
  float w = 1.0f;
  w = LowerWeight(w, 15.0 * y);
  w = LowerWeight(w, 15.0 * (1.0 - y));
  w = LowerWeight(w, 30.0 * x);
  w = LowerWeight(w, 30.0 * (1.0 - x));
  w = LowerWeight(w, 30.0 * (0.5 - x < 0.0 ? x - 0.5 : 0.5 - x));
  if (w < 0.0f) w = 0.0f;
  if (w > 1.0f) w = 1.0f;
  s->edgeWeight = w;
  if (OutsideUnit(s->srcX) || OutsideUnit(s->srcY) || (face != 2 && face != 5)) {
    MarkNoSource(s);
    s->subImage = -1;
  }
}

}  // namespace

void MapCubeInput(int32_t input, const Vec3f* d, InputSample* s) {
  if (input == 10) {
    MapOneCubeFace(d, s);
    return;
  }
  if (input == 26) {
    MapZenithNadir(d, s);
    return;
  }
  float v[3] = {d->x, d->y, d->z};
  float p = 0.0f, q = 0.0f;
  int32_t face = ChooseCubeFace(v, &p, &q);
  if (input == 28 && face == 0) {
    // The back face stands upside down in a vertical cross.
    p = -p;
    q = -q;
  }
  s->srcX = 0.5f * p + 0.5f;
  s->srcY = 0.5f * q + 0.5f;
  s->subImage = face + 1;
  if (input == 11) {
    if (OutsideUnit(s->srcX) || OutsideUnit(s->srcY)) MarkNoSource(s);
  } else {
    s->inputFace = face;
  }
}
