#include "nets/simplex_minimiser.h"

#include <utility>

namespace {

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kThreeDegrees = 0.05235987755982988;
constexpr double kNineDegrees = 0.15707963267948966;

void SetVertex(Simplex* simplex, int32_t i, double x, double y, SimplexObjective* objective) {
  simplex->v[i].x = x;
  simplex->v[i].y = y;
  simplex->v[i].value = EvaluateSimplexPoint(objective, x, y);
  ++simplex->evaluations;
}

// Only strictly larger values swap, so ties keep their order.
void SortSimplex(Simplex* s) {
  if (s->v[0].value > s->v[1].value) std::swap(s->v[0], s->v[1]);
  if (s->v[1].value > s->v[2].value) std::swap(s->v[1], s->v[2]);
  if (s->v[0].value > s->v[1].value) std::swap(s->v[0], s->v[1]);
}

}  // namespace

double EvaluateSimplexPoint(SimplexObjective* objective, double x, double y) {
  objective->parameter = x;
  objective->secondParameter = y;
  return objective->evaluate(objective);
}

void StartSimplexMinimise(double* bestX, double* bestY, const double start[3], Simplex* simplex, int32_t mode,
                          double tolerance, SimplexObjective* objective) {
  double x = start[0];
  double y = start[1];
  double offset = kNineDegrees;
  if (mode == kSimplexStartFoldAngle) {
    x = kHalfPi - kThreeDegrees;
    y = -kThreeDegrees;
  }
  simplex->evaluations = 0;
  simplex->iterations = 0;
  SetVertex(simplex, 0, x, y, objective);
  SetVertex(simplex, 1, x + offset, y, objective);
  SetVertex(simplex, 2, x, y + offset, objective);
  MinimiseSimplex(bestX, bestY, simplex, tolerance, mode, objective);
}

void MinimiseSimplex(double* bestX, double* bestY, Simplex* s, double tolerance, int32_t /*mode*/,
                     SimplexObjective* objective) {
  int32_t iteration = 0;
  SimplexVertex* v = s->v;
  for (;;) {
    SortSimplex(s);
    if (v[0].value < tolerance || iteration >= kSimplexIterationLimit) break;
    ++iteration;
    const double cx = (v[0].x + v[1].x) * 0.5;
    const double cy = (v[0].y + v[1].y) * 0.5;
    // Reflection of the worst vertex through the centroid of the other two.
    const double rx = cx + (cx - v[2].x);
    const double ry = cy + (cy - v[2].y);
    const double fr = EvaluateSimplexPoint(objective, rx, ry);
    ++s->evaluations;
    if (fr < v[2].value) v[2] = SimplexVertex{rx, ry, fr};
    if (fr < v[0].value) {
      // Expansion: twice as far from the centroid as the worst vertex was.
      const double ex = cx - 2.0 * (cx - v[2].x);
      const double ey = cy - 2.0 * (cy - v[2].y);
      const double fe = EvaluateSimplexPoint(objective, ex, ey);
      ++s->evaluations;
      if (fe < v[2].value) v[2] = SimplexVertex{ex, ey, fe};
      continue;
    }
    if (fr < v[1].value) continue;
    // Contraction toward the worst vertex as it now stands.
    const SimplexVertex saved = v[2];
    const double kx = cx - (cx - v[2].x) * kSimplexContraction;
    const double ky = cy - (cy - v[2].y) * kSimplexContraction;
    const double fk = EvaluateSimplexPoint(objective, kx, ky);
    ++s->evaluations;
    if (fk < v[2].value) v[2] = SimplexVertex{kx, ky, fk};
    if (fk < saved.value) continue;
    // Shrink.
    v[2] = saved;
    SetVertex(s, 1, (v[0].x + v[1].x) * kSimplexShrink, (v[0].y + v[1].y) * kSimplexShrink, objective);
    SetVertex(s, 2, (v[0].x + v[2].x) * kSimplexShrink, (v[0].y + v[2].y) * kSimplexShrink, objective);
  }
  s->iterations = iteration;
  *bestX = v[0].x;
  *bestY = v[0].y;
  objective->result = v[0].value;
}
