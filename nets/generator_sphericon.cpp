// The sphericons: a regular polygon swept half a turn about the y axis gives
// one half; the second half is the first turned half a turn about y and then
// twisted about z, the normal of the plane in which the halves meet.
#include <cmath>
#include <initializer_list>

#include "geometry/vector.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/net_generators.h"

namespace {

constexpr int32_t kSweepSteps = 30;            // 6 degrees each over half a turn
constexpr double kSweepStep = 2 * M_PI / 60;

struct SphericonShape {
  int32_t sides;
  bool flatTop;  // even polygon without the variant: the top edge is horizontal
  double twistAngle;
  bool secondHalf;
};

// Profile vertex i swept by the angle phi.
Vec3 SweptVertex(const SphericonShape& shape, int32_t i, double phi) {
  const int32_t n = shape.sides;
  const double fraction = shape.flatTop ? float((i + 0.5) / n + 0.25) : float(double(i) / n + 0.25);
  const double theta = 2 * M_PI * fraction;
  return Vec3{std::cos(theta) * std::cos(phi), std::sin(theta), -std::cos(theta) * std::sin(phi)};
}

Vec3 ForHalf(const SphericonShape& shape, const Vec3& p) {
  if (!shape.secondHalf) return p;
  // Half a turn about y, then the twist about z.
  const double x = -p.x;
  const double z = -p.z;
  const double c = std::cos(shape.twistAngle);
  const double s = std::sin(shape.twistAngle);
  return Vec3{x * c - p.y * s, x * s + p.y * c, z};
}

void AddFace(PolyMesh* mesh, const SphericonShape& shape, std::initializer_list<Vec3> corners, int32_t cutA,
             int32_t cutB) {
  int32_t list[4];
  int32_t count = 0;
  for (const Vec3& corner : corners) {
    const Vec3 p = ForHalf(shape, corner);
    list[count++] = FindOrAddVertexDefault(mesh, &p);
  }
  PackAndAddFace(mesh, list, count, cutA, 1, 0, -1, cutB, -1);
}

void AddHalf(PolyMesh* mesh, const SphericonShape& shape, bool variant) {
  const int32_t n = shape.sides;
  const bool even = (n & 1) == 0;
  auto V = [&](int32_t i, int32_t k) { return SweptVertex(shape, i, k * kSweepStep); };
  const double half = M_PI;
  if (shape.flatTop) {
    const Vec3 rim = SweptVertex(shape, 0, half);
    for (int32_t k = 0; k <= 28; ++k) AddFace(mesh, shape, {rim, V(0, k), V(0, k + 1)}, 1, -1);
  }
  const int32_t E = even ? n / 2 - 1 : (n - 1) / 2;
  const bool coneFirst = !even || variant;
  for (int32_t e = 0; e < E; ++e) {
    for (int32_t k = 0; k < kSweepSteps; ++k) {
      if (e == 0 && coneFirst) {
        AddFace(mesh, shape, {V(e, k), V(e + 1, k), V(e + 1, k + 1)}, 1, -1);
      } else {
        AddFace(mesh, shape, {V(e + 1, k + 1), V(e, k + 1), V(e, k), V(e + 1, k)}, 1, 3);
      }
    }
  }
  // The bottom: a half-disc under vertex E, or a cone when vertex E + 1 lies on the axis.
  const Vec3 bottom = (even && variant) ? V(E + 1, 0) : V(E, 0);
  for (int32_t k = 0; k < kSweepSteps; ++k) AddFace(mesh, shape, {bottom, V(E, k + 1), V(E, k)}, 1, -1);
}

}  // namespace

void GenerateSphericon(PolyMesh* mesh, int32_t sides, int32_t twist, int32_t variant, int32_t halves,
                       int32_t halfStep) {
  if (mesh == nullptr || sides < 3) return;
  SphericonShape shape{sides, (sides & 1) == 0 && variant == 0, 0.0, false};
  if (halves == 0 || halves == 1) AddHalf(mesh, shape, variant != 0);
  if (halves == 0 || halves == 2) {
    shape.secondHalf = true;
    shape.twistAngle = 2 * M_PI * (twist + 0.5 * halfStep) / sides;
    AddHalf(mesh, shape, variant != 0);
  }
}

void GenerateSphericonPair(PolyMesh* mesh, const BufferProcs* allocator, int32_t sides, int32_t twist,
                           int32_t variant, int32_t plus) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kMaxNetPoints, kMaxMeshFaces)) return;
  if (plus == 0) {
    GenerateSphericon(mesh, sides, twist, variant, 1, 0);
    GenerateSphericon(mesh, sides, twist, variant, 2, 0);
  } else {
    GenerateSphericon(mesh, sides, twist, 0, 1, 0);
    GenerateSphericon(mesh, sides, twist, 1, 2, 1);
  }
  ComputeFaceGeometry(mesh);
  LayoutNetFaces(mesh);
}
