// The rinds, the rind with no strip, the thirtysphere and the tattoos: nets
// of the sphere itself, cut along curves given by equirectangular positions.
#include <cmath>

#include "geometry/fast_math.h"
#include "geometry/plane_geometry.h"
#include "geometry/vector.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/net_generators.h"

namespace {

constexpr double kSphereRadius = 10.0;  // the procedural nets lie on a sphere of radius 10
constexpr double kUnitTolerance = 0.002;
constexpr float kStripGain = 0.8f;

// The point at equirectangular (u, v) on the sphere of the given radius.
Vec3 SpherePoint(double u, double v, double radius) {
  Vec3 p;
  EquirectToVec3d(u, v, &p);
  return Vec3{p.x * radius, p.y * radius, p.z * radius};
}

int32_t AddSpherePoint(PolyMesh* mesh, double u, double v) {
  const Vec3 p = SpherePoint(u, v, kSphereRadius);
  return FindOrAddVertexDefault(mesh, &p);
}

void AddTriangle(PolyMesh* mesh, int32_t a, int32_t b, int32_t c, int32_t cutEdge, int32_t group) {
  const int32_t list[3] = {a, b, c};
  PackAndAddFace(mesh, list, 3, cutEdge, 1, 0, group, -1, -1);
}

// A triangle with the fourth corner of its cell as the opposite vertex;
// without it when any two of the four corners are one vertex.
void AddCellTriangle(PolyMesh* mesh, int32_t a, int32_t b, int32_t c, int32_t opposite, int32_t group) {
  const int32_t list[4] = {a, b, c, opposite};
  PackAndAddFace(mesh, list, 3, 0, 1, AllDistinct4(a, b, c, opposite) ? 1 : 0, group, -1, -1);
}

void FinishGeneratedSolid(PolyMesh* mesh) {
  ComputeFaceGeometry(mesh);
  LayoutNetFaces(mesh);
}

// Appends a vertex pair to the seam list, keeping room for the end mark.
void AddSeamPair(PolyMesh* mesh, int32_t* used, int32_t a, int32_t b) {
  if (*used + 3 > kSeamPairEntries) return;
  mesh->seamPairs[(*used)++] = a;
  mesh->seamPairs[(*used)++] = b;
  mesh->seamPairs[*used] = -1;
}

}  // namespace

bool AllDistinct4(int32_t a, int32_t b, int32_t c, int32_t d) {
  return a != b && a != c && a != d && b != c && b != d && c != d;
}

void GenerateRind(PolyMesh* mesh, const BufferProcs* allocator, int32_t lobes, bool fullQuality) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kMaxNetPoints, kMaxMeshFaces)) return;
  const int32_t n = lobes < 1 ? 1 : lobes;
  const int32_t S = n >= 2 ? 50 : (fullQuality ? 200 : 60);
  const double T = double(S) * n;
  const double u0 = (n & 1) ? 0.5 : 0.0;
  auto P = [&](double t) { return AddSpherePoint(mesh, t / S + u0, t / T); };

  // North fan.
  for (int32_t i = 1; i <= S - 1; ++i) AddTriangle(mesh, P(0), P(i), P(i + 1), 1, -1);

  // The strip between one turn and the next, its steps bunched towards both ends.
  if (n >= 2) {
    int32_t m = 2;
    if (fullQuality) m = n == 2 ? 6 : (n == 3 ? 3 : 2);
    const int32_t K = (n - 1) * m * 50;
    for (int32_t j = 0; j < K; ++j) {
      const double g0 = double(GainCurve(float(j) / float(K), kStripGain)) * K / m;
      const double g1 = double(GainCurve(float(j + 1) / float(K), kStripGain)) * K / m;
      const int32_t a = P(S + g0);
      const int32_t b = P(S + g1);
      const int32_t c = P(g1);
      const int32_t d = P(g0);
      AddCellTriangle(mesh, a, b, c, d, -1);
      AddCellTriangle(mesh, c, d, a, b, -1);
    }
  }

  // South fan.
  const int32_t base = (n - 1) * S;
  const Vec3 south = SpherePoint(0, 1, kSphereRadius);
  const int32_t southPole = FindOrAddVertexDefault(mesh, &south);
  for (int32_t i = 0; i <= S - 2; ++i) AddTriangle(mesh, P(base + i), southPole, P(base + i + 1), 2, -1);
  FinishGeneratedSolid(mesh);
}

void GenerateRindZero(PolyMesh* mesh, const BufferProcs* allocator) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kMaxNetPoints, kMaxMeshFaces)) return;
  const int32_t north = AddSpherePoint(mesh, 0, 0);
  AddSpherePoint(mesh, 0, 1);
  int32_t curve[21];
  for (int32_t i = 0; i <= 20; ++i) {
    const double t = i / 20.0;
    const double u = std::fmin(std::fmax(t, 0.0), 1.0);
    const double v = std::fmin(std::fmax((t + 1.0) / 3.0, 0.0), 1.0);
    curve[i] = AddSpherePoint(mesh, u, v);
  }
  for (int32_t i = 0; i < 20; ++i) AddTriangle(mesh, north, curve[i], curve[i + 1], 1, 1);
  mesh->seamPairs[0] = -1;
  FinishGeneratedSolid(mesh);
}

void GenerateThirtysphere(PolyMesh* mesh, const BufferProcs* allocator) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kMaxNetPoints, kMaxMeshFaces)) return;
  const int32_t north = AddSpherePoint(mesh, 0, 0);
  const int32_t south = AddSpherePoint(mesh, 0, 1);
  auto V = [&](int32_t slice, int32_t band) { return AddSpherePoint(mesh, slice / 12.0, band / 6.0); };
  for (int32_t j = 0; j < 12; ++j) AddTriangle(mesh, north, V(j, 1), V(j + 1, 1), -1, 1);
  for (int32_t i = 1; i <= 4; ++i) {
    for (int32_t j = 0; j < 12; ++j) {
      const int32_t quad[4] = {V(j, i), V(j, i + 1), V(j + 1, i + 1), V(j + 1, i)};
      PackAndAddFace(mesh, quad, 4, -1, 1, 0, 1, -1, -1);
    }
  }
  for (int32_t j = 0; j < 12; ++j) AddTriangle(mesh, V(j, 5), south, V(j + 1, 5), -1, 1);
  FinishGeneratedSolid(mesh);
}

void GenerateTattoo(PolyMesh* mesh, const BufferProcs* allocator, int32_t lobes) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kMaxNetPoints, kMaxMeshFaces)) return;
  const int32_t n = lobes < 2 ? 2 : lobes;
  const int32_t end = 80 * n;
  // The seam: a zigzag in longitude while the latitude runs from pole to pole.
  auto C = [&](double t) {
    double w = 2.0 * (t / 160.0 - std::floor(t / 160.0));
    if (w > 1.0) w = 2.0 - w;
    double u = w + 0.5;
    u -= std::floor(u);
    Vec3 p = SpherePoint(u, t / end, 1.0);
    return FindOrAddVertex(mesh, &p, kUnitTolerance, nullptr);
  };
  for (int32_t t = 0; t <= end; ++t) C(t);

  int32_t seam = 0;
  mesh->seamPairs[0] = -1;
  for (int32_t i = 1; i <= 79; ++i) AddTriangle(mesh, C(0), C(i), C(i + 1), 1, 1);
  AddSeamPair(mesh, &seam, C(0), C(80));

  for (int32_t p = 0; p <= n - 2; ++p) {
    const int32_t b = 80 * p;
    for (int32_t j = 0; j < 80; ++j) {
      const double g0 = double(GainCurve(float(j) / 80.0f, kStripGain)) * 80.0;
      const double g1 = double(GainCurve(float(j + 1) / 80.0f, kStripGain)) * 80.0;
      // This pass at b + g and the next at b + 160 - g lie at the same longitude.
      const int32_t here0 = C(b + g0);
      const int32_t here1 = C(b + g1);
      const int32_t next0 = C(b + 160 - g0);
      const int32_t next1 = C(b + 160 - g1);
      if (j == 0) AddSeamPair(mesh, &seam, C(b), C(b + 160));
      if ((p & 1) == 0) {
        AddCellTriangle(mesh, next0, next1, here1, here0, p + 2);
        AddCellTriangle(mesh, here1, here0, next0, next1, p + 2);
      } else {
        AddCellTriangle(mesh, next1, next0, here0, here1, p + 2);
        AddCellTriangle(mesh, here0, here1, next1, next0, p + 2);
      }
    }
  }

  for (int32_t i = 0; i <= 78; ++i) AddTriangle(mesh, C(end - 80 + i), C(end), C(end - 79 + i), 2, n + 1);
  AddSeamPair(mesh, &seam, C(end - 80), C(end));
  FinishGeneratedSolid(mesh);
}

void RecordFoldStep(PolyMesh* mesh, Vec3* point, double value, int32_t a, const FoldAxis* axis, int32_t b,
                    Vec3* p1, Vec3* p2, Vec3* p3) {
  if (mesh == nullptr || axis == nullptr || mesh->foldStepCount < 0 || mesh->foldStepCount >= kMaxFoldSteps) return;
  // The squared tolerance is 4e-10.
  const double tolerance = std::sqrt(4.0000000000000007e-10);
  auto turnAndMerge = [&](Vec3* p) {
    Vec3 turned;
    RotatePointAboutAxis(&turned, &axis->point, &axis->direction, axis->angle, p);
    *p = turned;
    return FindOrAddVertex(mesh, p, tolerance, nullptr);
  };
  FoldStep& step = mesh->foldSteps[mesh->foldStepCount];
  step.vertex = turnAndMerge(point);
  step.markId = a;
  step.faceNumber = b;
  step.radius = value;
  step.valid = 1;
  step.planeVertices[0] = turnAndMerge(p1);
  step.planeVertices[1] = turnAndMerge(p2);
  step.planeVertices[2] = turnAndMerge(p3);
  ++mesh->foldStepCount;
}
