// Solids made from another solid: the geodesic spheres (a base solid's faces
// subdivided and pushed onto the sphere), the developable tetrahedron (each
// face swept into a fan of thin triangles) and the conic tetrahedron (each
// face made of cone slivers around its centre). The base solid is built into
// a temporary record that is released before the generator returns.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/vector.h"
#include "host/host_memory.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/net_generators.h"

namespace {

constexpr double kConeAngle = 1.0471975511965976;  // 60 degrees
constexpr int32_t kSweepSteps = 30;

// A temporary PolyMesh from the host buffers, reset and holding its own pools.
class TemporaryMesh {
 public:
  explicit TemporaryMesh(const BufferProcs* allocator) : allocator_(allocator) {
    void* block = AllocBuffer(int64_t(sizeof(PolyMesh)), &slot_, allocator);
    if (block == nullptr) return;
    std::memset(block, 0, sizeof(PolyMesh));
    mesh_ = static_cast<PolyMesh*>(block);
    ResetPolyMesh(mesh_);
  }
  ~TemporaryMesh() {
    if (mesh_ == nullptr) return;
    FreeMeshTables(mesh_, allocator_);
    void* block = mesh_;
    FreeBuffer(&block, &slot_, allocator_);
  }
  TemporaryMesh(const TemporaryMesh&) = delete;
  TemporaryMesh& operator=(const TemporaryMesh&) = delete;
  PolyMesh* get() const { return mesh_; }

 private:
  const BufferProcs* allocator_;
  BufferId slot_ = 0;
  PolyMesh* mesh_ = nullptr;
};

void FinishGeneratedSolid(PolyMesh* mesh) {
  ComputeFaceGeometry(mesh);
  LayoutNetFaces(mesh);
}

Vec3 Normalised(Vec3 v) {
  NormalizeVec3d(&v);
  return v;
}

Vec3 Negated(const Vec3& v) { return Vec3{-v.x, -v.y, -v.z}; }

Vec3 WeightedSum3(double a, double b, double c, const Vec3& P, const Vec3& Q, const Vec3& R) {
  return Vec3{a * P.x + b * Q.x + c * R.x, a * P.y + b * Q.y + c * R.y, a * P.z + b * Q.z + c * R.z};
}

int32_t AddPoint(PolyMesh* mesh, const Vec3& p) { return FindOrAddVertexDefault(mesh, &p); }

void AddTriangle(PolyMesh* mesh, const Vec3& a, const Vec3& b, const Vec3& c, int32_t cutEdge, int32_t tag) {
  const int32_t list[3] = {AddPoint(mesh, a), AddPoint(mesh, b), AddPoint(mesh, c)};
  PackAndAddFace(mesh, list, 3, cutEdge, 1, 0, -1, -1, tag);
}

Vec3 FaceVertex(const PolyMesh* mesh, int32_t face, int32_t corner) {
  return GetMeshVertexCopy(mesh->faces[face].vertex[corner], mesh);
}

int32_t FaceTotal(const PolyMesh* mesh) { return std::clamp(mesh->faceCount, 0, kMaxMeshFaces); }

// The base solid's faces in a temporary record; false when it cannot be had.
bool LoadBase(PolyMesh* temp, int32_t baseNet, const BufferProcs* allocator) {
  if (temp == nullptr) return false;
  return BuildBaseSolid(temp, baseNet, allocator) && temp->faceCount > 0;
}

}  // namespace

// --- geodesic spheres ---------------------------------------------------------------

void SubdivideTriangleFace(const PolyMesh* source, PolyMesh* target, int32_t frequency, int32_t face) {
  if (source == nullptr || target == nullptr || face < 0 || face >= FaceTotal(source)) return;
  if (SolidCornerCount(source, face) < 3) return;
  const int32_t F = std::max(frequency, 1);
  const Vec3 A = FaceVertex(source, face, 0);
  const Vec3 B = FaceVertex(source, face, 1);
  const Vec3 C = FaceVertex(source, face, 2);
  // The point with weight w on A and `b` on B.
  auto point = [&](double w, double b) { return Normalised(WeightedSum3(w, b, 1.0 - w - b, A, B, C)); };
  for (int32_t i = 0; i < F; ++i) {
    const double a0 = float(1.0f - float(i) / float(F));
    const double a1 = float(1.0f - float(i + 1) / float(F));
    for (int32_t j = 0; j <= i; ++j) {
      const double w0 = double(j) / F;
      const double w1 = double(j + 1) / F;
      const Vec3 P1 = point(w0, a0);
      const Vec3 P2 = point(w0, a1);
      const Vec3 P3 = point(w1, a1);
      AddTriangle(target, P1, P2, P3, -1, -1);
      if (j < i) AddTriangle(target, P3, point(w1, a0), P1, -1, -1);
    }
  }
}

void FanFaceFromCentre(const PolyMesh* source, PolyMesh* target, int32_t face) {
  if (source == nullptr || target == nullptr || face < 0 || face >= FaceTotal(source)) return;
  const int32_t n = SolidCornerCount(source, face);
  if (n < 3) return;
  Vec3 sum{0, 0, 0};
  for (int32_t k = 0; k < n; ++k) {
    const Vec3 v = FaceVertex(source, face, k);
    AddVec3d(&sum, &sum, &v);
  }
  const Vec3 centre = Normalised(Vec3{sum.x / n, sum.y / n, sum.z / n});
  for (int32_t k = 0; k < n; ++k) {
    AddTriangle(target, Normalised(FaceVertex(source, face, k)), Normalised(FaceVertex(source, face, (k + 1) % n)),
                centre, -1, -1);
  }
}

void GenerateGeodesic(PolyMesh* mesh, const BufferProcs* allocator, int32_t frequency, int32_t baseNet) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kMaxNetPoints, kMaxMeshFaces)) return;
  {
    TemporaryMesh base(allocator);
    TemporaryMesh triangles(allocator);
    if (LoadBase(base.get(), baseNet, allocator) && triangles.get() != nullptr &&
        AllocMeshTables(triangles.get(), allocator, kMaxNetPoints, kMaxMeshFaces)) {
      PolyMesh* t1 = base.get();
      PolyMesh* t2 = triangles.get();
      for (int32_t f = 0; f < FaceTotal(t1); ++f) {
        if (SolidCornerCount(t1, f) == 3) {
          SubdivideTriangleFace(t1, t2, 1, f);
        } else {
          FanFaceFromCentre(t1, t2, f);
        }
      }
      for (int32_t f = 0; f < FaceTotal(t2); ++f) SubdivideTriangleFace(t2, mesh, std::max(frequency, 1), f);
    }
  }
  FinishGeneratedSolid(mesh);
}

// --- the developable and the conic tetrahedron --------------------------------------

void GenerateDevtet(PolyMesh* mesh, const BufferProcs* allocator) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kMaxNetPoints, kMaxMeshFaces)) return;
  {
    TemporaryMesh tetra(allocator);
    PolyMesh* T = tetra.get();
    if (LoadBase(T, kBaseTetrahedron, allocator)) {
      for (int32_t f = 0; f < std::min(FaceTotal(T), 4); ++f) {
        if (SolidCornerCount(T, f) < 3) continue;
        // Faces 0 to 2 sweep from vertex 0 over the arc 1 -> 2, face 3 from vertex 2 over 0 -> 1.
        const int32_t apexCorner = f < 3 ? 0 : 2;
        const int32_t startCorner = f < 3 ? 1 : 0;
        const int32_t endCorner = f < 3 ? 2 : 1;
        const Vec3 apex = Normalised(FaceVertex(T, f, apexCorner));
        const Vec3 start = Normalised(FaceVertex(T, f, startCorner));
        const Vec3 end = Normalised(FaceVertex(T, f, endCorner));
        for (int32_t s = 0; s < kSweepSteps; ++s) {
          Vec3 q0, q1;
          RotateVectorToward(&start, &end, &q0, double(s) / kSweepSteps);
          RotateVectorToward(&start, &end, &q1, double(s + 1) / kSweepSteps);
          AddTriangle(mesh, Negated(apex), Negated(q0), Negated(q1), 1, -1);
        }
      }
    }
  }
  FinishGeneratedSolid(mesh);
}

bool ClosestPointsOfLines(const Vec3* p, const Vec3* p2, const Vec3* q, const Vec3* q2, Vec3* onFirst,
                          Vec3* onSecond, double* s, double* t) {
  Vec3 d1, d2, r;
  SubtractVec3d(&d1, p2, p);
  SubtractVec3d(&d2, q2, q);
  auto tiny = [](const Vec3& d) { return std::fabs(d.x) < 1e-5 && std::fabs(d.y) < 1e-5 && std::fabs(d.z) < 1e-5; };
  if (tiny(d1) || tiny(d2)) return false;
  SubtractVec3d(&r, p, q);
  const double a = DotVec3d(&d1, &d1);
  const double b = DotVec3d(&d1, &d2);
  const double c = DotVec3d(&d2, &d2);
  const double d = DotVec3d(&d1, &r);
  const double e = DotVec3d(&d2, &r);
  const double det = a * c - b * b;
  if (std::fabs(det) < 1e-5) return false;
  const double sp = (b * e - c * d) / det;
  const double tq = (a * e - b * d) / det;
  *onFirst = Vec3{p->x + sp * d1.x, p->y + sp * d1.y, p->z + sp * d1.z};
  *onSecond = Vec3{q->x + tq * d2.x, q->y + tq * d2.y, q->z + tq * d2.z};
  *s = sp;
  *t = tq;
  return true;
}

void ProjectOntoCone(const Vec3* c, double angle, const Vec3* p, Vec3* out) {
  const Vec3 apex = Normalised(*c);
  Vec3 d;
  SubtractVec3d(&d, p, &apex);
  d = Normalised(d);
  Vec3 axis;
  CrossVec3d(&axis, &apex, &d);
  axis = Normalised(axis);
  Matrix4d M;
  MakeRotationMatrix4d(&axis, angle, &M);
  const Vec3 down = Negated(apex);
  Vec3 generator;
  TransformVec3dByMatrix(&down, &M, &generator);
  Vec3 lineEnd;
  AddVec3d(&lineEnd, &apex, &generator);
  const Vec3 origin{0, 0, 0};
  Vec3 onRay, onGenerator;
  double s, t;
  if (!ClosestPointsOfLines(&origin, p, &apex, &lineEnd, &onRay, &onGenerator, &s, &t)) {
    *out = apex;
    return;
  }
  *out = onRay;
}

void ConeSliverTriangle(PolyMesh* mesh, const Vec3* apex, const Vec3* a, const Vec3* b, int32_t step,
                        int32_t steps, int32_t mode, int32_t tag) {
  if (mesh == nullptr || steps <= 0) return;
  Vec3 P = *apex;
  Vec3 q0, q1;
  RotateVectorToward(a, b, &q0, double(step) / steps);
  RotateVectorToward(a, b, &q1, double(step + 1) / steps);
  if (mode == 4) {
    Vec3 c0, c1;
    ProjectOntoCone(&P, kConeAngle, &q0, &c0);
    ProjectOntoCone(&P, kConeAngle, &q1, &c1);
    q0 = c0;
    q1 = c1;
  } else if (mode == 1) {
    P = Negated(P);
    q0 = Negated(q0);
    q1 = Negated(q1);
  }
  int32_t cut = 1;
  if (mode == 4) {
    const bool firstOpen = step == 0 && (tag == 0 || tag == 6 || tag == 9);
    const bool lastOpen = step == steps - 1 && (tag == 3 || tag == 4 || tag == 5);
    if (firstOpen || lastOpen) cut = -1;
  } else if (mode == 2 && tag == 3 && step == 0) {
    cut = 0;
  }
  AddTriangle(mesh, P, q0, q1, cut, tag);
}

void GenerateConictet(PolyMesh* mesh, const BufferProcs* allocator) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kMaxNetPoints, kMaxMeshFaces)) return;
  {
    TemporaryMesh tetra(allocator);
    PolyMesh* T = tetra.get();
    if (LoadBase(T, kBaseTetrahedron, allocator)) {
      for (int32_t f = 0; f < FaceTotal(T); ++f) {
        const int32_t n = SolidCornerCount(T, f);
        if (n < 3) continue;
        Vec3 sum{0, 0, 0};
        for (int32_t k = 0; k < n; ++k) {
          const Vec3 v = FaceVertex(T, f, k);
          AddVec3d(&sum, &sum, &v);
        }
        const Vec3 centre = Normalised(Vec3{sum.x / n, sum.y / n, sum.z / n});
        for (int32_t k = 0; k < n; ++k) {
          const Vec3 from = Normalised(FaceVertex(T, f, (k + n - 1) % n));
          const Vec3 to = Normalised(FaceVertex(T, f, k));
          for (int32_t s = 0; s < kSweepSteps; ++s) ConeSliverTriangle(mesh, &centre, &from, &to, s, kSweepSteps, 4, 3 * f);
        }
      }
    }
  }
  FinishGeneratedSolid(mesh);
}
