#include "nets/curve_nets.h"

#include <cmath>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "geometry/fast_math.h"
#include "geometry/plane_geometry.h"
#include "geometry/rotation.h"
#include "geometry/vector.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/net_162.h"
#include "nets/net_catalogue.h"
#include "nets/tetra_subdivision.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kStraightCosine = -0.9396926208;  // wider than 160 degrees
constexpr double kClipLengthRatio = 15.0;
constexpr double kPoleAxisCosine = 0.99;
constexpr double kRingVertexTolerance = 0.002;
constexpr double kTwistFirst = 0.7853981633974483;   // 45 degrees
constexpr double kTwistSecond = 0.6108652381980154;  // 35 degrees
constexpr int32_t kCubeArcSteps = 16;

double DistanceSquared(const Vec3& a, const Vec3& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  const double dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

Vec3 Normalised(Vec3 v) {
  NormalizeVec3d(&v);
  return v;
}

// --- outlines ------------------------------------------------------------------

void AddOutlinePoint(PointNode* list, const CurveNetParams* params, const Vec3& p, int32_t index) {
  AddPointUnlessNear(&p, list, index, params->mergeTolerance);
}

void AddRind(PointNode* list, CurveNetParams* params, double turns, float bias) {
  params->indexMode = 1;
  const double span = 70.0 * turns;
  for (int32_t k = 0; k < span; ++k) {
    double t = k / (span - 1.0);
    if (bias != 0.5f) t = BiasCurve(float(t), bias);
    Vec3 p;
    EquirectToVec3d(t * turns, t, &p);
    AddOutlinePoint(list, params, p, k);
  }
}

void AddTriskelion(PointNode* list, CurveNetParams* params, int32_t n, double a, double tilt, float bias,
                   int32_t skip) {
  params->clipStraight = 1;
  params->indexMode = 1;
  Vec3 centre;
  EquirectToVec3d(0, 0, &centre);
  AddOutlinePoint(list, params, centre, kTriskelionCentreIndex);
  for (int32_t i = 1; i <= n - 2; ++i) {
    for (int32_t j = 0; j < 3; ++j) {
      const float w = BiasCurve(float(double(i) / n), bias);
      Vec3 p;
      EquirectToVec3d(j / 3.0 + w * a + 0.2, w, &p);
      MobiusTiltSphere(&p, tilt);
      if (i > skip) AddOutlinePoint(list, params, p, 2 * j);
    }
  }
}

void AddCurvyCube(PointNode* list, CurveNetParams* params) {
  params->clipStraight = 0;
  params->indexMode = 1;
  static const double kCentres[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}, {0, 0, -1}, {0, -1, 0}};
  static const double kDirections[6][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
  for (int32_t i = 0; i <= 19; ++i) {
    for (int32_t j = 0; j < 6; ++j) {
      for (const double s : {1.0, -1.0}) {
        const double f = s * (i / 19.0);
        const Vec3 p = Normalised(Vec3{kCentres[j][0] + f * kDirections[j][0], kCentres[j][1] + f * kDirections[j][1],
                                       kCentres[j][2] + f * kDirections[j][2]});
        AddOutlinePoint(list, params, p, 5 * j);
      }
    }
  }
}

void AddBaseball(PointNode* list, CurveNetParams* params) {
  params->clipStraight = 1;
  params->indexMode = 1;
  for (int32_t i = 0; i <= 39; ++i) {
    const double a = (i / 39.0) * 0.75;
    const double b = 1.0 - a;
    const double points[4][2] = {{0, a}, {0.5, a}, {0.25, b}, {0.75, b}};
    for (int32_t k = 0; k < 4; ++k) {
      Vec3 p;
      EquirectToVec3d(points[k][0], points[k][1], &p);
      AddOutlinePoint(list, params, p, k < 2 ? 1 : 3);
    }
  }
}

void AddEdgeRecord(PointNode* edges, PointNode* from, PointNode* to, bool first) {
  PointNode* e = InsertPointNodeAfter(edges->previous);
  if (e == nullptr) return;
  e->parentA = from;
  e->parentB = to;
  e->position = from->position;
  e->edgeFirst = first ? 1 : 0;
}

// One arc about the corner direction: the midpoint of the edge a-b turned
// about the corner's axis through a third of a turn, in `steps` steps.
void AddCubeArc(PointNode* list, const CurveNetParams* params, const Vec3& a, const Vec3& b, double sign,
                bool reversed, int32_t index) {
  const Vec3 s = Normalised(reversed ? b : a);
  const Vec3 m = Normalised(Vec3{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2});
  PointNode* previous = nullptr;
  PointNode* lastEdge = nullptr;
  for (int32_t i = 0; i <= kCubeArcSteps; ++i) {
    Matrix4d turn;
    MakeRotationMatrix4d(&s, i * (reversed ? -1.0 : 1.0) * sign * (2.0 * kPi / 3.0) / kCubeArcSteps, &turn);
    Vec3 turned;
    TransformVec3dByMatrix(&m, &turn, &turned);
    Ray3d ray;
    MakeRay3d(&ray, &turned, &s);
    const Vec3 origin{0, 0, 0};
    Ray3d nearHit, farHit;
    if (!IntersectRayQuadric(&ray, &origin, 1.0, &nearHit, &farHit, kQuadricSphere)) continue;
    // The crossing nearest the ray's start: the turned point itself lies on
    // the sphere, the other crossing is on the far side of the corner.
    const bool nearFirst =
        DistanceSquared(nearHit.origin, turned) <= DistanceSquared(farHit.origin, turned);
    const Vec3 hit = Normalised(nearFirst ? nearHit.origin : farHit.origin);
    PointNode* node = AddPointUnlessNear(&hit, list, index, params->mergeTolerance);
    if (node == nullptr) node = FindPointNear(&hit, list, params->mergeTolerance);
    if (node == nullptr) continue;
    if (params->edgeList != nullptr && previous != nullptr && previous != node) {
      AddEdgeRecord(params->edgeList, previous, node, lastEdge == nullptr);
      lastEdge = params->edgeList->previous;
    }
    previous = node;
  }
  if (lastEdge != nullptr) lastEdge->edgeLast = 1;
}

void AddCubeArcs(PointNode* list, CurveNetParams* params) {
  params->indexMode = 1;
  static const int32_t kAxes[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  static const double kSigns[6] = {-1, 1, -1, 1, -1, 1};
  for (int32_t k = 0; k < 6; ++k) {
    const double x = kAxes[k][0], y = kAxes[k][1], z = kAxes[k][2];
    const Vec3 c1{x + y + z, x + y + z, x + y + z};
    const Vec3 c2{x - y - z, y - z - x, z - x - y};
    const Vec3 c3{x - y + z, y - z + x, z - x + y};
    const Vec3 c4{x + y - z, y + z - x, z + x - y};
    AddCubeArc(list, params, c1, c4, kSigns[k], ((params->outlineBits >> k) & 1) != 0, 3 * k);
    AddCubeArc(list, params, c2, c3, kSigns[k], ((params->outlineBits >> (6 + k)) & 1) != 0, 3 * k + 1);
  }
  for (PointNode* n = list->next; !n->isHead; n = n->next) {
    RotateVec3dAboutX(&n->position, kTwistFirst);
    RotateVec3dAboutZ(&n->position, kTwistSecond);
    NormalizeVec3d(&n->position);
  }
}

void TiltOutline(PointNode* list, double t) {
  for (PointNode* n = list->next; !n->isHead; n = n->next) {
    NormalizeVec3d(&n->position);
    MobiusTiltSphere(&n->position, t);
    NormalizeVec3d(&n->position);
  }
}

// --- cells -----------------------------------------------------------------------

// Counts a plane record's corner down; below 1 it is dead.
void Release(PointNode* plane) {
  if (plane == nullptr) return;
  if (--plane->references < 1) MarkPointNodeDead(plane);
}

void DropCorner(PointNode* corner) {
  Release(corner->parentA);
  Release(corner->parentB);
  UnlinkPointNode(corner);
}

// The first plane record the point lies beyond by more than the tolerance:
// the signed distance from the plane, the same measure for candidates and
// for corners already in the cell.
PointNode* PlaneBeyond(PointNode* planes, const Vec3& p, double tolerance) {
  for (PointNode* r = planes->next; !r->isHead; r = r->next) {
    if (r->dead) continue;
    if (ClassifyPointPlane(&r->plane, &p, tolerance) == 1) return r;
  }
  return nullptr;
}

void FreeDeadPlanes(PointNode* planes) {
  for (PointNode* r = planes->next; !r->isHead;) {
    PointNode* next = r->next;
    if (r->dead) UnlinkPointNode(r);
    r = next;
  }
}

void SetGrandparents(PointNode* corner) {
  const PointNode* a = corner->parentA;
  const PointNode* b = corner->parentB;
  corner->grandparents[0] = a->parentA;
  corner->grandparents[1] = a->parentB;
  corner->grandparents[2] = b->parentA;
  corner->grandparents[3] = b->parentB;
}

// --- faces -----------------------------------------------------------------------

void LinkCellNeighbours(PointNode* cell, PointNode* seed) {
  for (PointNode* c = cell->next; !c->isHead; c = c->next) {
    for (PointNode* g : c->grandparents) {
      if (g == nullptr || g == seed) continue;
      for (PointNode*& slot : g->neighbours) {
        if (slot == seed) break;
        if (slot == nullptr) {
          slot = seed;
          break;
        }
      }
    }
  }
}

void OrderRing(PointNode* cell) {
  Vec3 mean{0, 0, 0};
  for (PointNode* c = cell->next; !c->isHead; c = c->next) AddVec3d(&mean, &mean, &c->position);
  NormalizeVec3d(&mean);
  Vec3 axis{0, 0, -1};
  const bool aboutY = std::fabs(DotVec3d(&mean, &axis)) > kPoleAxisCosine;
  if (aboutY) axis = Vec3{0, 1, 0};
  Matrix4d turn;
  RotationBetweenVectors(&axis, &mean, &turn);
  int32_t i = 0;
  for (PointNode* c = cell->next; !c->isHead; c = c->next, ++i) {
    Vec3 r;
    TransformVec3dByMatrix(&c->position, &turn, &r);
    const double angle = aboutY ? std::atan2(r.z, r.x) : std::atan2(r.y, r.x);
    c->index = i;
    c->key = float(-angle);
  }
  SortPointList(cell);
}

int32_t RingSize(const PointNode* cell) { return PointListCount(cell); }

double CosineAt(const PointNode* c) {
  const PointNode* p = PreviousPointNode(c);
  const PointNode* n = NextPointNode(c);
  return CosAngleAtVertex(&p->position, &c->position, &n->position);
}

bool IsStraight(const PointNode* c) { return CosineAt(c) < kStraightCosine; }

// True when the ring, in list order, turns clockwise seen from outside: its
// triangles then take their corners the other way round. Decided once for
// the whole ring, so a sliver whose own normal is unreliable still matches
// its neighbours.
bool RingTurnsInward(const PointNode* cell, const PointNode* seed) {
  Vec3 normal{0, 0, 0};
  for (const PointNode* c = cell->next; !c->isHead; c = c->next) {
    const PointNode* n = NextPointNode(c);
    Vec3 cross;
    CrossVec3d(&cross, &c->position, &n->position);
    AddVec3d(&normal, &normal, &cross);
  }
  return DotVec3d(&normal, &seed->position) < 0;
}

void AddRingTriangle(const PointNode* a, const PointNode* b, const PointNode* c, bool inward, PolyMesh* mesh,
                     const PointNode* seed, uint8_t flag, double tolerance) {
  if (inward) std::swap(b, c);
  AddCurveTriangle(&a->position, &b->position, &c->position, mesh, seed, flag, tolerance);
}

void ClipStraightVertices(PointNode* cell, const PointNode* seed, PolyMesh* mesh, double tolerance, bool inward) {
  if (RingSize(cell) < 4) return;
  PointNode* c = cell->next;
  while (!c->isHead && RingSize(cell) >= 4) {
    PointNode* next = c->next;
    PointNode* p = PreviousPointNode(c);
    PointNode* n = NextPointNode(c);
    if (IsStraight(c) && !IsStraight(p) && !IsStraight(n)) {
      const double a = std::sqrt(DistanceSquared(p->position, c->position));
      const double b = std::sqrt(DistanceSquared(c->position, n->position));
      if (a <= kClipLengthRatio * b && b <= kClipLengthRatio * a) {
        AddRingTriangle(p, c, n, inward, mesh, seed, 1, tolerance);
        UnlinkPointNode(c);
      }
    }
    c = next;
  }
}

double ApexScore(const PointNode* c, int32_t mode) {
  switch (mode) {
    case kApexLargestAbsY: return std::fabs(c->position.y);
    case kApexNearestYAxis: return -(c->position.x * c->position.x + c->position.z * c->position.z);
    default: return DistanceSquared(c->position, NextPointNode(c)->position);
  }
}

void FanTriangulateRing(PointNode* cell, const PointNode* seed, PolyMesh* mesh, int32_t apexMode, double tolerance,
                        bool inward) {
  const int32_t count = RingSize(cell);
  if (count < 3) return;
  PointNode* apex = cell->next;
  double best = ApexScore(apex, apexMode);
  for (PointNode* c = apex->next; !c->isHead; c = c->next) {
    const double score = ApexScore(c, apexMode);
    if (score > best) {
      best = score;
      apex = c;
    }
  }
  PointNode* a = NextPointNode(apex);
  for (int32_t i = 0; i < count - 2; ++i) {
    PointNode* b = NextPointNode(a);
    AddRingTriangle(apex, a, b, inward, mesh, seed, 0, tolerance);
    a = b;
  }
}

// The seed to build next: the first unprocessed seed of highest priority.
PointNode* NextSeed(PointNode* seeds) {
  PointNode* chosen = nullptr;
  int32_t best = -1;
  for (PointNode* s = seeds->next; !s->isHead; s = s->next) {
    if (s->processed) continue;
    const int32_t priority = s->neighbours[2] != nullptr ? 3 : s->neighbours[1] != nullptr ? 2
                                                           : s->neighbours[0] != nullptr ? 1
                                                                                          : 0;
    if (priority > best) {
      best = priority;
      chosen = s;
    }
  }
  return chosen;
}

// A triangle of three pool vertices on a seed's cell. Corners that merged
// into one vertex leave no triangle (and no error).
bool AddSeedTriangle(const int32_t vertices[3], PolyMesh* mesh, const PointNode* seed, uint8_t flag) {
  if (vertices[0] >= 0 && (vertices[0] == vertices[1] || vertices[1] == vertices[2] || vertices[0] == vertices[2])) {
    return false;
  }
  FaceRequest request;
  InitFaceRequest(&request);
  request.vertices = vertices;
  request.count = 3;
  request.deferred = 1;
  request.faceTag = seed->index;
  request.secondFlag = flag;
  request.facePoint = seed->position;
  return AddMeshFace(mesh, &request) == kMeshNoError;
}

// The seed nearest a point.
const PointNode* NearestSeed(const PointNode* seeds, const Vec3& p) {
  const PointNode* best = nullptr;
  double bestDistance = 0;
  for (const PointNode* s = seeds->next; !s->isHead; s = s->next) {
    const double d = DistanceSquared(s->position, p);
    if (best == nullptr || d < bestDistance) {
      best = s;
      bestDistance = d;
    }
  }
  return best;
}

}  // namespace

int32_t CloseCellGaps(PolyMesh* mesh, const PointNode* seeds) {
  if (mesh == nullptr || seeds == nullptr || IsPointListEmpty(seeds)) return 0;
  // Directed edges of every face; an edge whose reverse is missing borders a gap.
  std::map<std::pair<int32_t, int32_t>, int32_t> edges;
  const int32_t faces = mesh->faceCount < kMaxMeshFaces ? mesh->faceCount : kMaxMeshFaces;
  for (int32_t f = 0; f < faces; ++f) {
    const MeshFace& face = mesh->faces[f];
    for (int32_t k = 0; k < face.vertexCount; ++k) {
      ++edges[{face.vertex[k], face.vertex[(k + 1) % face.vertexCount]}];
    }
  }
  // Open edges by their end vertex: the gap runs from that end back to the start.
  std::multimap<int32_t, int32_t> openByEnd;
  for (const auto& [edge, count] : edges) {
    if (edges.find({edge.second, edge.first}) == edges.end()) openByEnd.insert({edge.second, edge.first});
  }
  int32_t added = 0;
  while (!openByEnd.empty()) {
    std::vector<int32_t> loop;
    auto it = openByEnd.begin();
    const int32_t start = it->first;
    int32_t at = it->first;
    bool closed = false;
    while (it != openByEnd.end() && loop.size() <= size_t(kMaxMeshFaces)) {
      loop.push_back(at);
      const int32_t next = it->second;
      openByEnd.erase(it);
      if (next == start) {
        closed = true;
        break;
      }
      at = next;
      it = openByEnd.find(at);
    }
    if (!closed || loop.size() < 3) continue;
    Vec3 centre{0, 0, 0};
    for (const int32_t v : loop) {
      const Vec3 p = GetMeshVertexCopy(v, mesh);
      AddVec3d(&centre, &centre, &p);
    }
    const PointNode* seed = NearestSeed(seeds, Normalised(centre));
    for (size_t i = 1; i + 1 < loop.size(); ++i) {
      const int32_t vertices[3] = {loop[0], loop[i], loop[i + 1]};
      if (AddSeedTriangle(vertices, mesh, seed, 0)) ++added;
    }
  }
  return added;
}

void InitCurveNetParams(CurveNetParams* params) {
  *params = CurveNetParams{};
  params->clipStraight = 0;
  params->keepFlag = 1;
  params->indexMode = 0;
  params->curveCount = 0;
  params->apexMode = kApexBeforeLongestEdge;
  params->outlineBits = 0;
  params->relax = 0.0;
  params->mergeTolerance = 0.002;
  params->cellTolerance = 0.00001;
  params->edgeList = nullptr;
}

PointNode* FindPointNear(const Vec3* position, const PointNode* list, double tolerance) {
  const double limit = tolerance * tolerance;
  PointNode* found = nullptr;
  double best = limit;
  for (PointNode* n = list->next; !n->isHead; n = n->next) {
    const double d = DistanceSquared(n->position, *position);
    if (d < best) {
      best = d;
      found = n;
    }
  }
  return found;
}

PointNode* AddPointUnlessNear(const Vec3* position, PointNode* list, int32_t index, double tolerance) {
  const double limit = tolerance * tolerance;
  for (PointNode* n = list->next; !n->isHead; n = n->next) {
    if (DistanceSquared(n->position, *position) < limit) return nullptr;
  }
  PointNode* node = InsertPointNodeAfter(list->previous);
  if (node == nullptr) return nullptr;
  node->position = *position;
  node->index = index;
  return node;
}

int32_t MergePointListNear(PointNode* source, PointNode* target, double tolerance) {
  const double limit = tolerance * tolerance;
  int32_t copied = 0;
  for (PointNode* s = source->next; !s->isHead; s = s->next) {
    bool near = false;
    for (PointNode* t = target->next; !t->isHead && !near; t = t->next) {
      near = DistanceSquared(s->position, t->position) < limit;
    }
    s->merged = near ? 1 : 0;
    if (near) continue;
    PointNode* copy = InsertPointNodeAfter(target->previous);
    if (copy == nullptr) {
      s->merged = 1;
      continue;
    }
    copy->position = s->position;
    copy->index = s->index;
    copy->parentA = s->parentA;
    copy->parentB = s->parentB;
    for (int32_t i = 0; i < 4; ++i) copy->grandparents[i] = s->grandparents[i];
    ++copied;
  }
  return copied;
}

void IndexPointsAsVertices(PointNode* list, PolyMesh* mesh) {
  for (PointNode* n = list->next; !n->isHead; n = n->next) {
    n->index = FindOrAddVertex(mesh, &n->position, kRingVertexTolerance, nullptr);
  }
}

void BuildVoronoiCell(PointNode* seed, PointNode* seeds, PointNode* cell, double tolerance, double mergeTolerance) {
  if (IsPointListEmpty(seeds)) return;
  for (PointNode* s = seeds->next; !s->isHead; s = s->next) s->key = float(DotVec3d(&s->position, &seed->position));
  SortPointList(seeds);
  for (int32_t i = 2; i >= 0; --i) {
    if (seed->neighbours[i] != nullptr) MovePointNodeToFront(seed->neighbours[i]);
  }

  PointNode planes, candidates, parked;
  std::vector<PointNode*> cutters;
  InitPointList(&planes);
  InitPointList(&candidates);
  InitPointList(&parked);
  for (PointNode* q = seeds->next; !q->isHead;) {
    PointNode* nextSeed = q->next;
    if (q == seed) {
      q = nextSeed;
      continue;
    }
    // a. The bisector plane: its positive side is nearer to q.
    PointNode* fresh = InsertPointNodeAfter(&planes);
    if (fresh == nullptr) break;
    const Vec3 mid{(seed->position.x + q->position.x) / 2, (seed->position.y + q->position.y) / 2,
                   (seed->position.z + q->position.z) / 2};
    const Vec3 normal{q->position.x - seed->position.x, q->position.y - seed->position.y,
                      q->position.z - seed->position.z};
    MakePlaneFromPointNormal(&mid, &normal, &fresh->plane);
    fresh->parentA = seed;
    fresh->parentB = q;
    fresh->references = 0;
    // b, c. Candidate corners with every other plane record; a candidate
    // beyond any plane record goes, and the plane that cut is tried first
    // next time. A candidate counts its two planes up while it exists, and
    // a plane whose count falls below 1 as one goes is dead: so the new
    // plane dies when all its candidates go, and a plane without corners
    // when its candidate goes. The test runs before a node is made for the
    // candidate, which leaves the same counts and marks.
    int32_t made = 0, kept = 0;
    cutters.clear();
    for (PointNode* r = fresh->next; !r->isHead;) {
      PointNode* next = r->next;
      if (r->dead) {
        r = next;
        continue;
      }
      Vec3 p;
      if (IntersectThreePlanes(&seed->plane, &fresh->plane, &r->plane, &p) == 0) {
        r = next;
        continue;
      }
      ++made;
      PointNode* cutter = PlaneBeyond(&planes, p, tolerance);
      if (cutter != nullptr) {
        if (r->references < 1) MarkPointNodeDead(r);
        cutters.push_back(cutter);
        r = next;
        continue;
      }
      PointNode* c = InsertPointNodeAfter(&candidates);
      if (c != nullptr) {
        c->position = p;
        c->index = kCornerIndex;
        c->parentA = fresh;
        c->parentB = r;
        ++fresh->references;
        ++r->references;
        SetGrandparents(c);
        ++kept;
      }
      r = next;
    }
    if (made > 0 && kept == 0) MarkPointNodeDead(fresh);
    for (PointNode* cutter : cutters) MovePointNodeToFront(cutter);
    if (!IsPointListEmpty(&candidates)) {
      // d. Corners beyond the new plane go; the candidates join the cell.
      for (PointNode* c = cell->next; !c->isHead;) {
        PointNode* next = c->next;
        if (ClassifyPointPlane(&fresh->plane, &c->position, tolerance) == 1) DropCorner(c);
        c = next;
      }
      // A candidate that falls on a corner already there keeps its planes'
      // counts: the planes still pass through that corner.
      MergePointListNear(&candidates, cell, mergeTolerance);
      FreePointList(&candidates);
    } else {
      MovePointNode(q, &parked, false);
    }
    // e.
    FreeDeadPlanes(&planes);
    q = nextSeed;
  }
  AppendPointList(&parked, seeds, true);
  FreePointList(&candidates);
  FreePointList(&planes);
  // The plane records are gone; the corners keep their seeds as grandparents.
  for (PointNode* c = cell->next; !c->isHead; c = c->next) c->parentA = c->parentB = nullptr;
}

bool AddCurveTriangle(const Vec3* a, const Vec3* b, const Vec3* c, PolyMesh* mesh, const PointNode* seed,
                      uint8_t flag, double tolerance) {
  const int32_t vertices[3] = {FindOrAddVertex(mesh, a, tolerance, nullptr), FindOrAddVertex(mesh, b, tolerance, nullptr),
                               FindOrAddVertex(mesh, c, tolerance, nullptr)};
  return AddSeedTriangle(vertices, mesh, seed, flag);
}

void AddCellFaces(PointNode* cell, PointNode* seed, PolyMesh* mesh, const CurveNetParams* params) {
  if (RingSize(cell) < 3) return;
  LinkCellNeighbours(cell, seed);
  OrderRing(cell);
  const bool inward = RingTurnsInward(cell, seed);
  if (params->clipStraight) ClipStraightVertices(cell, seed, mesh, params->mergeTolerance, inward);
  FanTriangulateRing(cell, seed, mesh, params->apexMode, params->mergeTolerance, inward);
}

void StoreCurveNetFlags(const CurveNetParams* params, PolyMesh* mesh) {
  mesh->curveNetStyle = params->indexMode;
  mesh->curveNetWord = params->curveCount;
}

void BuildCurveOutline(PointNode* list, CurveNetParams* params, int32_t net) {
  switch (net) {
    case 151:
      params->apexMode = kApexNearestYAxis;
      params->clipStraight = 1;
      AddRind(list, params, 2.0, 0.5f);
      break;
    case 152:
      params->relax = 1.0;
      params->apexMode = kApexNearestYAxis;
      params->clipStraight = 1;
      params->mergeTolerance = 0.0002;
      AddRind(list, params, 3.0, 0.4f);
      TiltOutline(list, -0.7);
      break;
    case 153:
      params->mergeTolerance = 0.0002;
      params->cellTolerance = 0.00001;
      AddCurvyCube(list, params);
      break;
    case 154: AddBaseball(list, params); break;
    case 155:
      params->apexMode = kApexNearestYAxis;
      params->clipStraight = 0;
      AddRind(list, params, 1.4, 0.5f);
      break;
    case 156:
      params->mergeTolerance = 0.001;
      AddTriskelion(list, params, 130, -2.0, -0.95, 0.18f, 5);
      break;
    case 157:
      params->mergeTolerance = 0.001;
      AddTriskelion(list, params, 80, -0.2, 0, 0.5f, 0);
      break;
    case 158:
      params->mergeTolerance = 0.001;
      AddTriskelion(list, params, 90, -2.0, -0.8, 0.3f, 0);
      break;
    case 159:
      params->mergeTolerance = 0.002;
      params->cellTolerance = 0.0001;
      AddTriskelion(list, params, 80, -0.5, 0, 0.5f, 0);
      break;
    case 160: AddTriskelion(list, params, 80, -0.0, 0, 0.5f, 0); break;
    case 161:
      params->clipStraight = 0;
      params->keepFlag = 0;
      params->outlineBits = 1514;
      AddCubeArcs(list, params);
      TiltOutline(list, 0.3);
      break;
    default: break;
  }
}

void BuildCellsOfSeeds(PointNode* seeds, PolyMesh* mesh, const CurveNetParams* params) {
  for (PointNode* s = seeds->next; !s->isHead; s = s->next) {
    for (PointNode*& n : s->neighbours) n = nullptr;
    s->processed = 0;
    MakePlaneFromPointNormal(&s->position, &s->position, &s->plane);
  }
  SnapshotPointLinks(seeds);
  PointNode cell;
  InitPointList(&cell);
  for (int32_t counter = 1;; ++counter) {
    PointNode* seed = NextSeed(seeds);
    if (seed == nullptr) break;
    if (params->indexMode == 2) seed->index = counter;
    double tolerance = params->cellTolerance;
    for (int32_t attempt = 0; attempt < kCellAttempts; ++attempt) {
      BuildVoronoiCell(seed, seeds, &cell, tolerance, params->mergeTolerance);
      if (RingSize(&cell) >= 3) break;
      FreePointList(&cell);
      tolerance *= 5;
    }
    if (params->relax > 0) {
      for (PointNode* c = cell.next; !c->isHead; c = c->next) {
        const Vec3 onSphere = Normalised(c->position);
        c->position.x += params->relax * (onSphere.x - c->position.x);
        c->position.y += params->relax * (onSphere.y - c->position.y);
        c->position.z += params->relax * (onSphere.z - c->position.z);
      }
    }
    AddCellFaces(&cell, seed, mesh, params);
    FreePointList(&cell);
    seed->processed = 1;
  }
}

void BuildCurveNet(PolyMesh* mesh, const BufferProcs* allocator, int32_t net) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kCurveMeshPoints, kCurveMeshFaces)) return;
  CurveNetParams params;
  InitCurveNetParams(&params);
  PointNode seeds;
  InitPointList(&seeds);
  BuildCurveOutline(&seeds, &params, net);
  BuildCellsOfSeeds(&seeds, mesh, &params);
  CloseCellGaps(mesh, &seeds);
  FreePointList(&seeds);
  StoreCurveNetFlags(&params, mesh);
  ComputeFaceGeometry(mesh);
  LayoutNetFaces(mesh);
}

bool BuildCurveNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs, bool fullQuality) {
  (void)fullQuality;  // the curve nets have one resolution
  if (mesh == nullptr) return false;
  if (net >= kFirstCurveNet && net <= kLastCurveNet) {
    BuildCurveNet(mesh, bufferProcs, net);
    return true;
  }
  switch (net) {
    case kNet162:
      BuildNet162Model(mesh, bufferProcs);
      return true;
    case 163:
    case 164:
      BuildTetraSubdivisionModel(mesh, bufferProcs);
      mesh->regionFromTable = 1;
      if (net == 163) mesh->groupUnfold = 1;
      return true;
    default:
      return false;
  }
}
