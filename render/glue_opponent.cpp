#include "render/glue_opponent.h"

namespace {

struct LatticeAxis {
  int32_t index;     // lattice point at or below the input, 0..15
  int32_t fraction;  // integer distance past it, 0 at the last point
};

LatticeAxis SplitOnLattice(int32_t c, float step) {
  // The top of the lattice is 15 steps; inputs beyond it (and below 0) are
  // held at the ends.
  const int32_t top = static_cast<int32_t>(15.0f * step);
  if (c < 0) c = 0;
  if (c > top) c = top;
  const float value = static_cast<float>(c);
  int32_t q = static_cast<int32_t>(value / step);
  if (q > 15) q = 15;
  int32_t r = static_cast<int32_t>(value - static_cast<float>(q) * step);
  // A quotient rounded up past the input would leave a negative distance.
  if (r < 0) r = 0;
  // At the last lattice point there is nothing further to blend toward.
  if (q == 15) r = 0;
  return {q, r};
}

void AddCorner(const uint8_t* table, const int32_t point[3], int32_t weight, int32_t sum[3]) {
  if (weight == 0) return;  // corners with no weight are not read at all
  const uint8_t* entry = table + 3 * (point[0] + 16 * point[1] + 256 * point[2]);
  sum[0] += weight * entry[0];
  sum[1] += weight * entry[1];
  sum[2] += weight * entry[2];
}

}  // namespace

void InterpolateColourCube(int32_t c0, int32_t c1, int32_t c2, const uint8_t* table, float step,
                           int32_t out[3]) {
  const LatticeAxis axis[3] = {SplitOnLattice(c0, step), SplitOnLattice(c1, step),
                               SplitOnLattice(c2, step)};
  // Axes ordered by fraction, largest first.
  int32_t a1 = 0, a2 = 1, a3 = 2;
  if (axis[a2].fraction > axis[a1].fraction) { const int32_t t = a1; a1 = a2; a2 = t; }
  if (axis[a3].fraction > axis[a2].fraction) { const int32_t t = a2; a2 = a3; a3 = t; }
  if (axis[a2].fraction > axis[a1].fraction) { const int32_t t = a1; a1 = a2; a2 = t; }
  const int32_t r1 = axis[a1].fraction, r2 = axis[a2].fraction, r3 = axis[a3].fraction;

  int32_t point[3] = {axis[0].index, axis[1].index, axis[2].index};
  int32_t sum[3] = {0, 0, 0};
  AddCorner(table, point, static_cast<int32_t>(step - static_cast<float>(r1)), sum);
  // A step along an axis happens only when its fraction is positive, so an
  // axis at index 15 (fraction 0) never moves past the lattice.
  if (r1 > 0) point[a1] += 1;
  AddCorner(table, point, r1 - r2, sum);
  if (r2 > 0) point[a2] += 1;
  AddCorner(table, point, r2 - r3, sum);
  if (r3 > 0) point[a3] += 1;
  AddCorner(table, point, r3, sum);
  out[0] = sum[0] / 17;
  out[1] = sum[1] / 17;
  out[2] = sum[2] / 17;
}

void RgbToOpponent(int32_t r, int32_t g, int32_t b, bool eightBit, int32_t out[3]) {
  InterpolateColourCube(r, g, b, RgbToOpponentTable, eightBit ? kColourCubeStep8 : kColourCubeStep16,
                        out);
}

void OpponentToRgb(int32_t p, int32_t a, int32_t b, bool eightBit, int32_t out[3]) {
  InterpolateColourCube(p, a, b, OpponentToRgbTable, eightBit ? kColourCubeStep8 : kColourCubeStep16,
                        out);
}
