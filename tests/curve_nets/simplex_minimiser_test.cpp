// The downhill-simplex minimiser: its moves on a function with a known
// minimum, its stop rules and its start triangle.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "nets/simplex_minimiser.h"

namespace {

struct Trace {
  std::vector<double> xs;
  std::vector<double> ys;
};

double Rosenbrock(SimplexObjective* o) {
  const double x = o->parameter;
  const double y = o->secondParameter;
  if (o->context != nullptr) {
    auto* trace = static_cast<Trace*>(o->context);
    trace->xs.push_back(x);
    trace->ys.push_back(y);
  }
  return (1 - x) * (1 - x) + 100 * (y - x * x) * (y - x * x);
}

double NeverSmall(SimplexObjective* o) { return 1.0 + std::fabs(o->parameter - 0.3); }

double ZeroAtFirstVertex(SimplexObjective* o) {
  return o->parameter == 1.5707963267948966 - 0.05235987755982988 ? 0.0 : 1.0;
}

SimplexObjective Objective(double (*f)(SimplexObjective*), void* context = nullptr) {
  SimplexObjective o{};
  o.evaluate = f;
  o.context = context;
  return o;
}

TEST(SimplexMinimiser, RosenbrockFromTheFoldAngleStartReachesTheKnownMinimum) {
  SimplexObjective o = Objective(Rosenbrock);
  Simplex s{};
  const double start[3] = {0, 0, 0};
  double x = 0, y = 0;
  StartSimplexMinimise(&x, &y, start, &s, kSimplexStartFoldAngle, 1e-20, &o);
  std::printf("Rosenbrock: best (%.12f, %.12f) value %.3g after %d passes, %d evaluations\n", x, y, o.result,
              s.iterations, s.evaluations);
  EXPECT_NEAR(x, 1.0, 1e-6);
  EXPECT_NEAR(y, 1.0, 1e-6);
  EXPECT_LT(o.result, 1e-12);
  SimplexObjective check = Objective(Rosenbrock);
  EXPECT_EQ(o.result, EvaluateSimplexPoint(&check, x, y));  // the value of the vertex returned
}

TEST(SimplexMinimiser, StartTriangleIsThreeAndNineDegreesAboutAQuarterTurn) {
  Trace trace;
  SimplexObjective o = Objective(Rosenbrock, &trace);
  Simplex s{};
  const double start[3] = {5, 5, 5};  // ignored by the fold-angle start
  double x = 0, y = 0;
  StartSimplexMinimise(&x, &y, start, &s, kSimplexStartFoldAngle, 1e300, &o);
  ASSERT_EQ(trace.xs.size(), 3u);  // a tolerance above every value stops before any move
  const double a = 1.5707963267948966 - 0.05235987755982988;
  const double b = -0.05235987755982988;
  EXPECT_DOUBLE_EQ(trace.xs[0], a);
  EXPECT_DOUBLE_EQ(trace.ys[0], b);
  EXPECT_DOUBLE_EQ(trace.xs[1], a + 0.15707963267948966);
  EXPECT_DOUBLE_EQ(trace.ys[1], b);
  EXPECT_DOUBLE_EQ(trace.xs[2], a);
  EXPECT_DOUBLE_EQ(trace.ys[2], b + 0.15707963267948966);
  EXPECT_EQ(s.iterations, 0);
}

TEST(SimplexMinimiser, StopRules) {
  {
    // Below the tolerance at one start vertex: that vertex, no move.
    SimplexObjective o = Objective(ZeroAtFirstVertex);
    Simplex s{};
    const double start[3] = {0, 0, 0};
    double x = 0, y = 0;
    StartSimplexMinimise(&x, &y, start, &s, kSimplexStartFoldAngle, 1e-20, &o);
    EXPECT_EQ(s.iterations, 0);
    EXPECT_EQ(s.evaluations, 3);
    EXPECT_DOUBLE_EQ(x, 1.5707963267948966 - 0.05235987755982988);
    EXPECT_EQ(o.result, 0.0);
  }
  {
    // Never below the tolerance: exactly the iteration cap, the best vertex kept.
    SimplexObjective o = Objective(NeverSmall);
    Simplex s{};
    const double start[3] = {0, 0, 0};
    double x = 0, y = 0;
    StartSimplexMinimise(&x, &y, start, &s, kSimplexStartFoldAngle, 1e-20, &o);
    EXPECT_EQ(s.iterations, kSimplexIterationLimit);
    EXPECT_LE(s.evaluations, 3 + 3 * kSimplexIterationLimit);
    EXPECT_NEAR(x, 0.3, 1e-9);
    EXPECT_NEAR(o.result, 1.0, 1e-9);
  }
}

}  // namespace
