// A small downhill-simplex minimiser over a triangle of three points in the
// plane. The subdivided-tetrahedron nets use it to find the fold angle of each
// strip step; the objective is reached through a caller's record.
#pragma once

#include <cstdint>

struct SimplexVertex {
  double x;
  double y;
  double value;
};

// After each sort vertex 0 holds the lowest value, vertex 2 the highest.
struct Simplex {
  SimplexVertex v[3];
  int32_t iterations;  // passes made by the last MinimiseSimplex
  int32_t evaluations;
};

// The caller's record: the minimiser writes a vertex's x into `parameter`
// (and y into `secondParameter`) before each evaluation and, at the end, the
// best value into `result`. The face construction reads only `parameter`.
struct SimplexObjective {
  double parameter;
  double secondParameter;
  double result;
  double (*evaluate)(SimplexObjective* objective);
  void* context;
};

constexpr int32_t kSimplexStartFoldAngle = 13;  // the start triangle of the fold-angle search
constexpr int32_t kSimplexIterationLimit = 6000;
constexpr double kSimplexContraction = 0.3333333;  // as the search has always used, not 1/3
constexpr double kSimplexShrink = 0.1;

// Sets up the start triangle of the mode (13: about (pi/2, 0) with steps of
// 3 and 9 degrees; any other mode starts on the given point with 9-degree
// steps), runs MinimiseSimplex and returns the best vertex.
void StartSimplexMinimise(double* bestX, double* bestY, const double start[3], Simplex* simplex, int32_t mode,
                          double tolerance, SimplexObjective* objective);
// Iterates until the best value falls below the tolerance or after 6000
// passes; the best vertex is returned and its value left in the objective.
void MinimiseSimplex(double* bestX, double* bestY, Simplex* simplex, double tolerance, int32_t mode,
                     SimplexObjective* objective);
// One evaluation of the objective at (x, y).
double EvaluateSimplexPoint(SimplexObjective* objective, double x, double y);
