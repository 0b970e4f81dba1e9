#include "nets/tetra_subdivision.h"

#include <cmath>

#include "geometry/plane_geometry.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/net_generators.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kAngle90 = 1.57079632625;
constexpr double kAngle210 = 3.6651914285833334;
constexpr double kAngle330 = 5.759586530916667;
constexpr double kThird = 0.3333333333333333;
constexpr double kRootTwoThirds = 0.816496580927726;
constexpr double kThirdTurn = 2.0943951023931953;
constexpr double kHalfDihedralSupplement = 0.9553166181245092;  // (pi - acos(1/3)) / 2
constexpr double kFoldMarkFraction = 0.7897964265703792;
constexpr double kFoldMarkRadius = 0.28979642657037913;
constexpr double kFoldMarkSweep = 0.41887902047863906;  // 2 pi / 15
constexpr double kMinimiserTolerance = 1e-20;

Vec3 Add(const Vec3& a, const Vec3& b) { return Vec3{a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Sub(const Vec3& a, const Vec3& b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Scale(double s, const Vec3& v) { return Vec3{s * v.x, s * v.y, s * v.z}; }
Vec3 Mid(const Vec3& a, const Vec3& b) { return Vec3{(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, (a.z + b.z) * 0.5}; }
double Length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
Vec3 Unit(const Vec3& v) {
  Vec3 u;
  NormalizedVec3d(&u, &v);
  return u;
}
Vec3 Cross(const Vec3& a, const Vec3& b) {
  Vec3 c;
  CrossVec3d(&c, &a, &b);
  return c;
}
Vec3 Turn(const Vec3& p, const Vec3& axisPoint, const Vec3& axisDirection, double angle) {
  Vec3 out;
  RotatePointAboutAxis(&out, &axisPoint, &axisDirection, angle, &p);
  return out;
}
Vec3 InPlane(const Complex& z) { return Vec3{z.re, z.im, 0}; }

void Mirror(const Complex& a, const Complex& b, const Complex& p, Complex* out) { MapComplexToFaceFrame(out, &a, &b, &p); }

int32_t MappedVertex(PolyMesh* mesh, const FaceFrame* frame, const Vec3* p) {
  const Vec3 turned = Turn(*p, frame->point, frame->direction, frame->angle);
  return FindOrAddVertexVec(mesh, turned, kTetraVertexTolerance, nullptr);
}

double EvaluateObjective(SimplexObjective* objective) {
  auto* construction = static_cast<FaceConstruction*>(objective->context);
  return EvaluateFaceConstruction(construction);
}

// A marker of the strip's first fold: a point three quarters along the flap
// edge turned a quarter of a half turn about it, its radius, and three
// points of its plane. The axis is made a unit vector before any turn about
// it (the cross product of two unit edges is shorter than 1).
void RecordStripFold(PolyMesh* mesh, const FaceFrame* frame, const Vec3& p1, const Vec3& v, const Vec3& r,
                     int32_t markId, int32_t faceNumber) {
  const Vec3 n = Unit(Cross(Unit(Sub(v, p1)), Unit(Sub(r, p1))));
  const Vec3 h = Mid(p1, v);
  Vec3 point = Turn(Add(p1, Scale(kFoldMarkFraction, Sub(v, p1))), h, n, kPi / 4);
  Vec3 plane1 = h;
  Vec3 plane2 = Turn(v, h, n, kFoldMarkSweep);
  Vec3 plane3 = Add(h, n);
  const FoldAxis axis{frame->point, frame->direction, frame->angle};
  RecordFoldStep(mesh, &point, kFoldMarkRadius * Length(Sub(v, p1)), markId, &axis, faceNumber, &plane1, &plane2,
                 &plane3);
}

// After the final move: each fold step's direction and the plane of its
// three plane points.
void FinishFoldSteps(PolyMesh* mesh) {
  for (int32_t i = 0; i < mesh->foldStepCount && i <= kMaxFoldSteps; ++i) {
    FoldStep& step = mesh->foldSteps[i];
    step.direction = Unit(GetMeshVertexCopy(step.vertex, mesh));
    const Vec3 a = GetMeshVertexCopy(step.planeVertices[0], mesh);
    const Vec3 b = GetMeshVertexCopy(step.planeVertices[1], mesh);
    const Vec3 c = GetMeshVertexCopy(step.planeVertices[2], mesh);
    MakePlaneThroughPoints(&a, &b, &c, &step.plane);
  }
}

}  // namespace

void MakeTriangleCorners(TriangleCorners* corners) {
  ComplexFromAngle(&corners->c90, kAngle90);
  ComplexFromAngle(&corners->c210, kAngle210);
  ComplexFromAngle(&corners->c330, kAngle330);
  Complex sum;
  ComplexSum3(&sum, &corners->c90, &corners->c210, &corners->c330);
  ComplexScale(&corners->mean, kThird, &sum);
}

void OutwardArcPoint(const TriangleCorners* corners, double t, Complex* out) {
  const double side = ComplexDistance(&corners->c90, &corners->c210);
  Complex turn;
  ComplexFromAngle(&turn, t * 2 * kPi / 6);
  out->re = corners->c210.re + side * turn.re;
  out->im = corners->c210.im + side * turn.im;
}

void CornerArcPoint(const TriangleCorners* corners, double t, Complex* out) {
  Complex outward;
  OutwardArcPoint(corners, t, &outward);
  Mirror(corners->c90, corners->c330, outward, out);
}

double CornerArcOffset(const TriangleCorners* corners, double t) {
  Complex outward, inward;
  OutwardArcPoint(corners, t, &outward);
  CornerArcPoint(corners, t, &inward);
  return ComplexDistance(&outward, &inward);
}

void MakeIdentityFaceFrame(FaceFrame* frame) {
  FaceFrame2d identity;
  MakeFaceFrame2d(&identity);
  frame->point = identity.origin;
  frame->direction = identity.axis;
  frame->angle = identity.angle;
}

void BuildFaceConstruction(FaceConstruction* c) {
  c->turned = Turn(c->moving, c->axisPoint, c->axisDirection, c->objective.parameter);
  c->sideFirst = Add(c->turned, Scale(c->widthFirst, Unit(Sub(c->railFirst, c->axisPoint))));
  c->sideSecond = Add(c->turned, Scale(c->widthSecond, Unit(Sub(c->railSecond, c->axisPoint))));
}

double EvaluateFaceConstruction(FaceConstruction* c) {
  const double p = c->objective.parameter;
  if (p >= 0 && p <= kFoldAngleLimit) {
    BuildFaceConstruction(c);
    return std::fabs(Length(Sub(c->sideFirst, c->railFirst)) - c->target);
  }
  return kOutOfRangePenalty + std::fabs(p);
}

void AddMappedTriangle(const Vec3* a, const Vec3* b, const Vec3* c, PolyMesh* mesh, const FaceFrame* frame,
                       int32_t id) {
  if (mesh == nullptr) return;
  const int32_t list[3] = {MappedVertex(mesh, frame, a), MappedVertex(mesh, frame, b), MappedVertex(mesh, frame, c)};
  PackAndAddFace(mesh, list, 3, -1, 1, 0, id, -1, -1);
}

void AddMappedQuad(const Vec3* a, const Vec3* b, const Vec3* c, const Vec3* d, PolyMesh* mesh,
                   const FaceFrame* frame, int32_t id) {
  if (mesh == nullptr) return;
  const int32_t list[4] = {MappedVertex(mesh, frame, a), MappedVertex(mesh, frame, b), MappedVertex(mesh, frame, c),
                           MappedVertex(mesh, frame, d)};
  PackAndAddFace(mesh, list, 4, -1, 1, 0, id, -1, -1);
}

void ConstructSubFace(const Vec3* p0, const Vec3* p1, const Vec3* p2, PolyMesh* mesh, Vec3* tip,
                      const FaceFrame* frame, int32_t id, int32_t faceNumber, FoldStatistics* statistics) {
  TriangleCorners corners;
  MakeTriangleCorners(&corners);
  Vec3 P0 = *p0;
  Vec3 P1 = *p1;
  Vec3 u = Unit(Sub(P1, P0));
  Vec3 w = Unit(Sub(Mid(P0, P1), *p2));
  // The flap starts beyond P1 by its width at the arc's middle, folded up by
  // half the supplement of the tetrahedron's dihedral angle.
  const Vec3 M = Mid(P0, *p2);
  const Vec3 x0 = Add(M, Scale(Length(Sub(P1, M)) + CornerArcOffset(&corners, 0.5), Unit(Sub(P1, M))));
  Vec3 V = Turn(x0, P1, Unit(Sub(P0, *p2)), kHalfDihedralSupplement);

  FaceConstruction construction{};
  construction.objective.evaluate = EvaluateObjective;
  construction.objective.context = &construction;
  for (int32_t k = 1; k <= kTetraSubdivisionSteps; ++k) {
    const double t1 = k * 0.5 / kTetraSubdivisionSteps + 0.5;
    const double t0 = (k - 1) * 0.5 / kTetraSubdivisionSteps + 0.5;
    Complex z0, z1, z1Mirror, step;
    CornerArcPoint(&corners, t0, &z0);
    CornerArcPoint(&corners, t1, &z1);
    ComplexSub(&step, &z1, &z0);
    Mirror(corners.c90, corners.mean, z1, &z1Mirror);

    construction.axisPoint = P1;
    construction.axisDirection = Unit(Sub(P0, P1));
    construction.railFirst = V;
    construction.railSecond = P0;
    construction.widthFirst = CornerArcOffset(&corners, t1);
    construction.widthSecond = ComplexDistance(&z1, &z1Mirror);
    construction.moving = Add(P1, Add(Scale(step.re, u), Scale(step.im, w)));
    construction.target = ComplexAbs(&step);

    Simplex simplex{};
    const double start[3] = {0, 0, 0};
    double bestX = 0, bestY = 0;
    StartSimplexMinimise(&bestX, &bestY, start, &simplex, kSimplexStartFoldAngle, kMinimiserTolerance,
                         &construction.objective);
    if (statistics != nullptr) {
      ++statistics->steps;
      statistics->worstResidual = std::fmax(statistics->worstResidual, construction.objective.result);
      if (simplex.iterations >= kSimplexIterationLimit) ++statistics->stepsAtCap;
      if (simplex.iterations < kSimplexIterationLimit && simplex.iterations > statistics->mostPassesBelowCap) {
        statistics->mostPassesBelowCap = simplex.iterations;
      }
      statistics->smallestAngle = std::fmin(statistics->smallestAngle, bestX);
      statistics->largestAngle = std::fmax(statistics->largestAngle, bestX);
    }
    construction.objective.parameter = bestX;
    BuildFaceConstruction(&construction);
    const Vec3 R = construction.turned;
    const Vec3 S1 = construction.sideFirst;
    const Vec3 S2 = construction.sideSecond;

    if (k < kTetraSubdivisionSteps) {
      AddMappedQuad(&P0, &S2, &R, &P1, mesh, frame, id);
      AddMappedQuad(&P1, &R, &S1, &V, mesh, frame, id + 1);
    } else {
      AddMappedTriangle(&P0, &R, &P1, mesh, frame, id);
      AddMappedTriangle(&P1, &S1, &V, mesh, frame, id + 1);
    }
    if (k == 1 && mesh != nullptr) RecordStripFold(mesh, frame, P1, V, R, id + 1, faceNumber);

    w = Unit(Sub(Mid(S2, R), Mid(P0, P1)));
    u = Unit(Sub(R, S2));
    P0 = S2;
    P1 = R;
    V = S1;
  }
  *tip = P1;
}

void SubdivideFaceStep(const Vec3* a, const Vec3* b, const Vec3* c, PolyMesh* mesh, const FaceFrame* frame,
                       Vec3* tip1, Vec3* tip2, Vec3* tip3, int32_t face, FoldStatistics* statistics) {
  // The central triangle runs (a, c, b): the way round that matches the
  // strips on its edges, so the solid closes with every face outward.
  AddMappedTriangle(a, c, b, mesh, frame, 7 * face);
  ConstructSubFace(b, a, c, mesh, tip1, frame, 7 * face + 1, face + 1, statistics);
  ConstructSubFace(a, c, b, mesh, tip2, frame, 7 * face + 3, face + 1, statistics);
  ConstructSubFace(c, b, a, mesh, tip3, frame, 7 * face + 5, face + 1, statistics);
}

void GenerateTetraSubdivisionNet(PolyMesh* mesh, FoldStatistics* statistics) {
  if (mesh == nullptr) return;
  TriangleCorners corners;
  MakeTriangleCorners(&corners);
  FaceFrame identity;
  MakeIdentityFaceFrame(&identity);

  Complex q1, q2, q3;
  CornerArcPoint(&corners, 0.5, &q1);
  Mirror(corners.c90, corners.mean, q1, &q2);
  Mirror(corners.c330, corners.mean, q1, &q3);
  const Vec3 a = InPlane(q1);
  const Vec3 b = InPlane(q2);
  const Vec3 c = InPlane(q3);

  Vec3 t1, t2, t3;
  SubdivideFaceStep(&a, &b, &c, mesh, &identity, &t1, &t2, &t3, 0, statistics);

  // The regular tetrahedron on the three tips.
  const Vec3 g = Scale(1.0 / 3.0, Add(Add(t1, t2), t3));
  const double e = Length(Sub(t1, t2));
  const Vec3 normal = Cross(Sub(t3, t1), Sub(t2, t1));
  Vec3 h;
  ScaleToLengthVec3d(&h, &normal, e * kRootTwoThirds);
  const Vec3 d = Add(g, h);
  const Vec3 ga = Scale(1.0 / 3.0, Add(Add(t2, t3), d));
  const Vec3 gb = Scale(1.0 / 3.0, Add(Add(t1, t2), d));
  const Vec3 centre = Scale(0.25, Add(Add(Add(t1, t2), t3), d));

  const FaceFrame frames[3] = {
      {t1, Unit(Sub(ga, t1)), kThirdTurn},
      {t1, Unit(Sub(ga, t1)), -kThirdTurn},
      {gb, Unit(Sub(gb, t3)), kThirdTurn},
  };
  for (int32_t f = 1; f <= 3; ++f) {
    Vec3 unused1, unused2, unused3;
    SubdivideFaceStep(&a, &b, &c, mesh, &frames[f - 1], &unused1, &unused2, &unused3, f, statistics);
  }

  const Vec3 back = Scale(-1, centre);
  OffsetMeshVertices(mesh, &back);
  for (int32_t i = 0; i < mesh->vertexCount; ++i) {
    const Vec3 p = GetMeshVertexCopy(i, mesh);
    const Vec3 swapped{p.x, -p.z, p.y};
    SetMeshVertex(mesh, i, &swapped);
  }
  FinishFoldSteps(mesh);
}

void BuildTetraSubdivisionModel(PolyMesh* mesh, const BufferProcs* allocator, FoldStatistics* statistics) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kMaxMeshVertices, kMaxMeshFaces)) return;
  GenerateTetraSubdivisionNet(mesh, statistics);
  ComputeFaceGeometry(mesh);
  LayoutNetFaces(mesh);
}
