// Writes the tables of the catalogue's solids with a ready-made net
// (nets/net_catalogue_data.cpp): each solid is computed from closed-form
// coordinates (nets/catalogue_solids.h), put together through the pools and
// unfolded by the system's own unfolder. Before anything is written, every
// net is loaded back from the text that will be written and paired with its
// solid by the face matcher, and the generator stops when a count differs
// from the catalogue's, the net comes apart, or the pairing does not fold.
// Reruns write the same bytes.
//
// Usage: gen_catalogue_nets [output file]       write the tables
//        gen_catalogue_nets --check [file]      compare with the file, write nothing
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "nets/catalogue_solids.h"
#include "nets/face_matching.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/net_catalogue_tables.h"
#include "nets/net_layout.h"
#include "nets/poly_mesh.h"
#include "tools/catalogue_net_checks.h"

namespace {

// How a net is cut from its solid.
enum CutStyle {
  kSteepestEdge,     // each corner cut along its steepest edge toward a direction; directions tried in turn
  kHorizontalCross,  // cube: a band of four faces round the pole with the top and bottom on the front
  kVerticalCross,    // cube: a column of four faces front to back over the top, the sides on the front
  kStrip,            // icosahedron: the caps' faces hang from a band of ten
  kPiecesOfSix,      // dodo: face 6q with faces 6q+1..6q+5 hanging from it, twelve pieces
  kSpikePairs,       // spikeball: ten pieces of two spikes, as the fixed pairing takes them
  kPiecesOfEleven,   // GID: face 11q+5 with faces 11q..11q+4 round it, each with face 11q+6+k beyond
  kStripAcross,      // icosahedron: the strip, its band cut at the edge whose middle is nearest kStripCut
  kSunburst,         // icosahedron: five strips of four faces round the corner kSunburstHub
};

// The sunburst and the starburst look their net up in a sixth of the turn
// about net point 0, which is bent onto a fifth of the turn about the y axis:
// net point 0 is the corner on that axis and the five faces round it lead
// strips of four faces, each strip a fifth of the icosahedron.
const Vec3 kSunburstHub = {0, 1, 0};

// The shark shapes bend the half of net 65 about the middle of the band edge
// from the upper-ring corner (0, 1, 2)/sqrt(5) to its lower neighbour at
// (-sqrt((5 - sqrt 5)/10), -1/sqrt 5, ...): the direction (-sin 18, 0, cos 18)
// that their lookup turns to the pole. The strip cut at the opposite edge of
// the band is symmetric under the half turn about that middle.
const Vec3 kStripCut = {0.30901699437494745, 0, -0.9510565162951535};

struct Expected {
  int32_t faces;
  std::map<int32_t, int32_t> corners;  // corner count -> faces
  int32_t netPoints;                    // highest index in the net-point lists
  int32_t vertices;                     // highest index in the vertex lists
};

struct NetPlan {
  int32_t net;
  const char* solid;
  CutStyle cut;
  int32_t firstDirection;  // steepest edge: the first direction tried
  Expected expected;
  int32_t startSolidFace;  // the pairing's fixed start (net 12), -1 none
  int32_t startSolidCorner;
  int32_t otherThan;  // a net whose lists this one must not repeat, -1 none
};

// Counts as the catalogue states them. Nets 73 and 79 keep their faces and
// vertices but not their net-point counts: no net of one piece of a cube has
// 16 corners, nor one of six triangles on five vertices 6 (a net of one piece
// cut along a tree of edges has 2V - 2 corners), and a second piece could
// never be paired by the matcher, which only walks shared net edges.
const NetPlan kPlans[] = {
    {9, "dodecahedron", kSteepestEdge, 0, {12, {{5, 12}}, 38, 20}, -1, -1, -1},
    {0, "deltoidal icositetrahedron", kSteepestEdge, 0, {24, {{4, 24}}, 50, 26}, -1, -1, -1},
    {1, "rhombicuboctahedron", kSteepestEdge, 0, {26, {{3, 8}, {4, 18}}, 46, 24}, -1, -1, -1},
    {2, "truncated icosahedron", kSteepestEdge, 0, {32, {{5, 12}, {6, 20}}, 118, 60}, -1, -1, -1},
    {3, "icosidodecahedron", kSteepestEdge, 0, {32, {{3, 20}, {5, 12}}, 58, 30}, -1, -1, -1},
    {4, "snub cube", kSteepestEdge, 0, {38, {{3, 32}, {4, 6}}, 46, 24}, -1, -1, -1},
    {5, "deltoidal hexecontahedron", kSteepestEdge, 0, {60, {{4, 60}}, 122, 62}, -1, -1, -1},
    {6, "rhombicosidodecahedron", kSteepestEdge, 0, {62, {{3, 20}, {4, 30}, {5, 12}}, 118, 60}, -1, -1, -1},
    {7, "cuboctahedron", kSteepestEdge, 0, {14, {{3, 8}, {4, 6}}, 22, 12}, -1, -1, -1},
    {8, "rhombic triacontahedron", kSteepestEdge, 0, {30, {{4, 30}}, 62, 32}, -1, -1, -1},
    {12, "pentagonal icositetrahedron", kSteepestEdge, 0, {24, {{5, 24}}, 74, 38}, 5, 3, -1},
    {17, "icosahedron", kStrip, 0, {20, {{3, 20}}, 22, 12}, -1, -1, -1},
    {23, "icosahedron", kSteepestEdge, 0, {20, {{3, 20}}, 22, 12}, -1, -1, 17},
    {66, "icosahedron", kSunburst, 0, {20, {{3, 20}}, 22, 12}, -1, -1, 23},
    {65, "icosahedron", kStripAcross, 0, {20, {{3, 20}}, 22, 12}, -1, -1, -1},
    {18, "cube", kHorizontalCross, 0, {6, {{4, 6}}, 14, 8}, -1, -1, -1},
    {73, "cube", kVerticalCross, 0, {6, {{4, 6}}, 14, 8}, -1, -1, -1},
    {19, "octahedron", kSteepestEdge, 0, {8, {{3, 8}}, 10, 6}, -1, -1, -1},
    {79, "triangular bipyramid", kSteepestEdge, 0, {6, {{3, 6}}, 8, 5}, -1, -1, -1},
    // The catalogue counts 306 vertices; the solid has 110 corners, which the
    // vertex lists name (the other 196 would be points no face uses).
    {20, "dodo", kPiecesOfSix, 0, {72, {{4, 60}, {10, 12}}, 240, 110}, -1, -1, -1},
    // The catalogue counts 193 vertices; the solid has 92 corners.
    {13, "spikeball", kSpikePairs, 0, {60, {{5, 60}}, 200, 92}, -1, -1, -1},
    // The catalogue counts 408 net points; twelve pieces of eleven faces, each
    // joined along ten edges, have 600 - 2 * 120 = 360 corners.
    {21, "GID", kPiecesOfEleven, 0, {132, {{4, 60}, {5, 72}}, 360, 170}, -1, -1, -1},
};

// Nets that load another net's tables whole.
const int32_t kSameTables[][2] = {{67, 19}};
// Nets whose 3-D points and vertex lists are another net's.
const int32_t kSameSolid[][2] = {{23, 17}, {66, 17}, {73, 18}, {65, 17}};

constexpr int32_t kSubdividedNet = 70;
constexpr int32_t kSubdividedFrom = 9;
const Expected kSubdividedExpected = {120, {{3, 120}}, 99, 62};

constexpr int32_t kDirectionsTried = 4000;

[[noreturn]] void Fail(const std::string& text) {
  std::fprintf(stderr, "gen_catalogue_nets: %s\n", text.c_str());
  std::exit(1);
}

// One net as it will be written.
struct NetTables {
  int32_t net = -1;
  std::vector<double> points;    // x, y
  std::vector<double> vertices;  // x, y, z
  std::vector<std::vector<int32_t>> pointLists;   // 0-based
  std::vector<std::vector<int32_t>> vertexLists;  // 0-based
  std::vector<int16_t> flatVertexMap;
  std::vector<uint16_t> regions;
  std::string comment;
};

struct MeshBox {
  std::unique_ptr<PolyMesh> owned = std::make_unique<PolyMesh>();
  PolyMesh* mesh = owned.get();
  MeshBox() {
    std::memset(mesh, 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh);
  }
  ~MeshBox() { FreeMeshTables(mesh, nullptr); }
};

// Values as the file will hold them: twelve decimals, no negative zero.
double Written(double v) {
  double r = std::round(v * 1e12) / 1e12;
  if (r == 0) r = 0;
  return r;
}

std::string FormatNumber(double v) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.12f", Written(v));
  // Trailing zeros off, at least one digit after the point.
  std::string s = text;
  while (s.size() > 2 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  return s;
}

// --- cutting ---------------------------------------------------------------------------

void MarkEdgeCut(PolyMesh* m, int32_t f, int32_t k) {
  MeshFace& face = m->faces[f];
  face.edgeFlags[k] |= kEdgeCut;
  const int32_t g = face.neighbour[k];
  if (g < 0) return;
  const int32_t n = m->faces[g].vertexCount;
  m->faces[g].edgeFlags[(face.neighbourEdge[k] + n - 1) % n] |= kEdgeCut;
}

void ClearCuts(PolyMesh* m) {
  for (int32_t f = 0; f < m->faceCount; ++f)
    for (int32_t k = 0; k < kMaxFaceCorners; ++k) m->faces[f].edgeFlags[k] = 0;
}

Vec3 Vertex(const PolyMesh* m, int32_t v) { return GetMeshVertexCopy(v, m); }

Vec3 FaceNormal(const PolyMesh* m, int32_t f) { return m->faces[f].normal; }

// The face whose outward normal is nearest the direction.
int32_t FaceToward(const PolyMesh* m, Vec3 d) {
  int32_t best = -1;
  double bestDot = -2;
  for (int32_t f = 0; f < m->faceCount; ++f) {
    const Vec3 n = FaceNormal(m, f);
    const double dot = n.x * d.x + n.y * d.y + n.z * d.z;
    if (dot > bestDot + 1e-9) {
      bestDot = dot;
      best = f;
    }
  }
  return best;
}

// Every edge cut except those between the listed pairs of faces.
void CutAllBut(PolyMesh* m, const std::vector<std::pair<int32_t, int32_t>>& folds) {
  for (int32_t f = 0; f < m->faceCount; ++f) {
    for (int32_t k = 0; k < m->faces[f].vertexCount; ++k) {
      const int32_t g = m->faces[f].neighbour[k];
      bool fold = false;
      for (const auto& [a, b] : folds) fold = fold || (a == f && b == g) || (a == g && b == f);
      if (!fold) m->faces[f].edgeFlags[k] |= kEdgeCut;
    }
  }
}

void CutCross(PolyMesh* m, bool horizontal) {
  const int32_t top = FaceToward(m, Vec3{0, 1, 0});
  const int32_t bottom = FaceToward(m, Vec3{0, -1, 0});
  const int32_t front = FaceToward(m, Vec3{0, 0, 1});
  const int32_t back = FaceToward(m, Vec3{0, 0, -1});
  const int32_t right = FaceToward(m, Vec3{1, 0, 0});
  const int32_t left = FaceToward(m, Vec3{-1, 0, 0});
  if (horizontal) {
    CutAllBut(m, {{front, right}, {right, back}, {back, left}, {top, front}, {bottom, front}});
  } else {
    CutAllBut(m, {{top, front}, {front, bottom}, {bottom, back}, {front, left}, {front, right}});
  }
}

// The icosahedron's strip: the five edges at each pole and one edge of the
// band are cut.
void CutStrip(PolyMesh* m) {
  int32_t north = 0, south = 0;
  for (int32_t v = 0; v < m->vertexCount; ++v) {
    if (Vertex(m, v).y > Vertex(m, north).y) north = v;
    if (Vertex(m, v).y < Vertex(m, south).y) south = v;
  }
  bool bandCut = false;
  for (int32_t f = 0; f < m->faceCount; ++f) {
    const int32_t n = m->faces[f].vertexCount;
    for (int32_t k = 0; k < n; ++k) {
      const int32_t a = m->faces[f].vertex[k];
      const int32_t b = m->faces[f].vertex[(k + 1) % n];
      const bool polar = a == north || b == north || a == south || b == south;
      // A band edge joins the upper ring (y > 0) to the lower one.
      const bool band = !polar && (Vertex(m, a).y > 0) != (Vertex(m, b).y > 0);
      if (polar || (band && !bandCut)) {
        MarkEdgeCut(m, f, k);
        if (band) bandCut = true;
      }
    }
  }
}

// The strip with its band cut at one band edge: the rank-th nearest the
// direction d by its middle (0 the nearest).
void CutStripAcross(PolyMesh* m, Vec3 d, int32_t rank) {
  int32_t north = 0, south = 0;
  for (int32_t v = 0; v < m->vertexCount; ++v) {
    if (Vertex(m, v).y > Vertex(m, north).y) north = v;
    if (Vertex(m, v).y < Vertex(m, south).y) south = v;
  }
  auto middleDot = [&](int32_t a, int32_t b) {
    const Vec3 p = Vertex(m, a), q = Vertex(m, b);
    const Vec3 c{p.x + q.x, p.y + q.y, p.z + q.z};
    return (c.x * d.x + c.y * d.y + c.z * d.z) / std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
  };
  std::vector<double> dots;
  for (int32_t pass = 0; pass < 2; ++pass) {
    for (int32_t f = 0; f < m->faceCount; ++f) {
      const int32_t n = m->faces[f].vertexCount;
      for (int32_t k = 0; k < n; ++k) {
        const int32_t a = m->faces[f].vertex[k];
        const int32_t b = m->faces[f].vertex[(k + 1) % n];
        const bool polar = a == north || b == north || a == south || b == south;
        const bool band = !polar && (Vertex(m, a).y > 0) != (Vertex(m, b).y > 0);
        if (pass == 0) {
          // each band edge is met from both its faces: one entry per edge
          if (band && a < b) dots.push_back(middleDot(a, b));
        } else if (polar || (band && std::fabs(middleDot(a, b) - dots[rank]) < 1e-9)) {
          MarkEdgeCut(m, f, k);
        }
      }
    }
    std::sort(dots.begin(), dots.end(), std::greater<double>());
    if (rank >= int32_t(dots.size())) Fail("the band has fewer edges");
  }
}

// The direction that the pairing of the paired mesh m gives the middle of
// the net edge through the centre of the net's points, none when no net edge
// has its middle there.
bool MiddleEdgeDirection(const PolyMesh* m, const NetTables& t, Vec3* out) {
  double cx = 0, cy = 0;
  const int32_t points = int32_t(t.points.size() / 2);
  for (int32_t i = 0; i < points; ++i) {
    cx += t.points[2 * i] / points;
    cy += t.points[2 * i + 1] / points;
  }
  for (int32_t f = 0; f < int32_t(t.pointLists.size()); ++f) {
    const int32_t n = int32_t(t.pointLists[f].size());
    for (int32_t k = 0; k < n; ++k) {
      const int32_t p = t.pointLists[f][k], q = t.pointLists[f][(k + 1) % n];
      const double mx = (t.points[2 * p] + t.points[2 * q]) / 2, my = (t.points[2 * p + 1] + t.points[2 * q + 1]) / 2;
      if (std::hypot(mx - cx, my - cy) > 1e-6) continue;
      Vec3 sum{0, 0, 0};
      for (int32_t corner : {k, (k + 1) % n}) {
        int32_t piece, edge;
        FacePieceAndEdge(f, corner, &piece, &edge, m);
        if (piece < 0 || edge < 0) return false;
        const Vec3 v = Vertex(m, m->faces[piece].vertex[edge]);
        sum = Vec3{sum.x + v.x, sum.y + v.y, sum.z + v.z};
      }
      const double l = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
      *out = Vec3{sum.x / l, sum.y / l, sum.z / l};
      return true;
    }
  }
  return false;
}

// The face across the edge from corner a to corner b of face f (either way
// round), -1 none.
int32_t FaceAcross(const PolyMesh* m, int32_t f, int32_t a, int32_t b) {
  const int32_t n = m->faces[f].vertexCount;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t p = m->faces[f].vertex[k], q = m->faces[f].vertex[(k + 1) % n];
    if ((p == a && q == b) || (p == b && q == a)) return m->faces[f].neighbour[k];
  }
  return -1;
}

// Five strips round the hub corner: the faces round it joined in a fan with
// one gap (after the gap-th face in turn from the first in index order), and
// from each of them the strip face across its outer edge, the face across
// that one's edge at the fan face's second (or, mirrored, first) outer
// corner, and the face across that one's edge away from the fan's corners.
void CutSunburst(PolyMesh* m, int32_t gap, bool mirrored) {
  int32_t hub = 0;
  auto along = [&](int32_t v) {
    const Vec3 p = Vertex(m, v);
    return p.x * kSunburstHub.x + p.y * kSunburstHub.y + p.z * kSunburstHub.z;
  };
  for (int32_t v = 1; v < m->vertexCount; ++v)
    if (along(v) > along(hub)) hub = v;
  // the fan in turn: (hub, a, b) in each face's own order, next across (hub, b)
  std::vector<int32_t> fan, outerA, outerB;
  int32_t f = -1;
  for (int32_t g = 0; g < m->faceCount && f < 0; ++g)
    for (int32_t k = 0; k < 3; ++k)
      if (m->faces[g].vertex[k] == hub) f = g;
  for (int32_t i = 0; i < 5; ++i) {
    int32_t k = 0;
    while (m->faces[f].vertex[k] != hub) ++k;
    fan.push_back(f);
    outerA.push_back(m->faces[f].vertex[(k + 1) % 3]);
    outerB.push_back(m->faces[f].vertex[(k + 2) % 3]);
    f = FaceAcross(m, f, hub, outerB.back());
  }
  std::rotate(fan.begin(), fan.begin() + (gap + 1) % 5, fan.end());
  std::rotate(outerA.begin(), outerA.begin() + (gap + 1) % 5, outerA.end());
  std::rotate(outerB.begin(), outerB.begin() + (gap + 1) % 5, outerB.end());
  std::vector<std::pair<int32_t, int32_t>> folds;
  for (int32_t i = 0; i + 1 < 5; ++i) folds.emplace_back(fan[i], fan[i + 1]);
  for (int32_t i = 0; i < 5; ++i) {
    const int32_t a = outerA[i], b = outerB[i];
    const int32_t second = FaceAcross(m, fan[i], a, b);
    int32_t x = 0;
    while (m->faces[second].vertex[x] == a || m->faces[second].vertex[x] == b) ++x;
    const int32_t far = m->faces[second].vertex[x];
    const int32_t third = FaceAcross(m, second, mirrored ? a : b, far);
    int32_t y = 0;
    while (m->faces[third].vertex[y] == a || m->faces[third].vertex[y] == b || m->faces[third].vertex[y] == far) ++y;
    const int32_t fourth = FaceAcross(m, third, far, m->faces[third].vertex[y]);
    folds.emplace_back(fan[i], second);
    folds.emplace_back(second, third);
    folds.emplace_back(third, fourth);
  }
  CutAllBut(m, folds);
}

// Pieces of six: every edge cut but those between face 6q and faces
// 6q+1..6q+5.
void CutPiecesOfSix(PolyMesh* m) {
  std::vector<std::pair<int32_t, int32_t>> folds;
  for (int32_t q = 0; 6 * q < m->faceCount; ++q)
    for (int32_t k = 1; k <= 5; ++k) folds.emplace_back(6 * q, 6 * q + k);
  CutAllBut(m, folds);
}

// The spikeball's pieces as its fixed pairing takes them: for piece q with
// base face s and N across s's edge 0, the net faces 6q..6q+5 are N's
// neighbours across edges 4 and 3, N, s's neighbours across edges 4 and 3,
// and s. The net face of each solid face.
std::vector<int32_t> SpikePairSlots(const PolyMesh* m) {
  std::vector<int32_t> slot(m->faceCount, -1);
  for (int32_t q = 0; q < 10; ++q) {
    const int32_t s = kSpikeballBaseFaces[q];
    const int32_t n = m->faces[s].neighbour[0];
    const int32_t faces[6] = {m->faces[n].neighbour[4], m->faces[n].neighbour[3], n,
                              m->faces[s].neighbour[4], m->faces[s].neighbour[3], s};
    for (int32_t k = 0; k < 6; ++k) slot[faces[k]] = 6 * q + k;
  }
  return slot;
}

// Spike pairs: each piece's spikes laid out as chains round their tips (the
// base face s between its neighbours across edges 3 and 4, N at the end of
// its chain after its neighbours across edges 3 and 4) and joined where s's
// neighbour across edge 4 meets N. Joined along s's edge 0 instead, the two
// would overlap: N's reflex corner lies at that edge's start.
void CutSpikePairs(PolyMesh* m) {
  std::vector<std::pair<int32_t, int32_t>> folds;
  for (int32_t q = 0; q < 10; ++q) {
    const int32_t s = kSpikeballBaseFaces[q];
    const int32_t n = m->faces[s].neighbour[0];
    const int32_t s3 = m->faces[s].neighbour[3], s4 = m->faces[s].neighbour[4];
    const int32_t n3 = m->faces[n].neighbour[3], n4 = m->faces[n].neighbour[4];
    if (m->faces[s4].neighbour[2] != n) Fail("net 13: the spikes of a piece do not meet where they should");
    folds.emplace_back(s3, s);
    folds.emplace_back(s3, s4);
    folds.emplace_back(s4, n);
    folds.emplace_back(n, n4);
    folds.emplace_back(n4, n3);
  }
  CutAllBut(m, folds);
}

// Pieces of eleven: every edge cut but those between face 11q+5 and faces
// 11q..11q+4 and between face 11q+k and face 11q+6+k.
void CutPiecesOfEleven(PolyMesh* m) {
  std::vector<std::pair<int32_t, int32_t>> folds;
  for (int32_t q = 0; 11 * q < m->faceCount; ++q) {
    for (int32_t k = 0; k < 5; ++k) {
      folds.emplace_back(11 * q + 5, 11 * q + k);
      folds.emplace_back(11 * q + k, 11 * q + 6 + k);
    }
  }
  CutAllBut(m, folds);
}

// Direction i of a spiral over the sphere.
Vec3 SpiralDirection(int32_t i) {
  const double golden = M_PI * (3.0 - std::sqrt(5.0));
  const double y = 1.0 - 2.0 * (i + 0.5) / kDirectionsTried;
  const double r = std::sqrt(1.0 - y * y);
  // Slightly off the symmetry planes, so that no two edges tie.
  const double a = golden * i + 0.1234;
  return Vec3{r * std::cos(a), y, r * std::sin(a)};
}

// Each corner but the highest is cut along its steepest edge upward: a tree
// of cut edges through every corner.
void CutSteepest(PolyMesh* m, Vec3 d) {
  auto height = [&](int32_t v) {
    const Vec3 p = Vertex(m, v);
    return p.x * d.x + p.y * d.y + p.z * d.z;
  };
  int32_t top = 0;
  for (int32_t v = 1; v < m->vertexCount; ++v)
    if (height(v) > height(top)) top = v;
  for (int32_t v = 0; v < m->vertexCount; ++v) {
    if (v == top) continue;
    int32_t bestFace = -1, bestEdge = -1;
    double bestSlope = 0;
    for (int32_t f = 0; f < m->faceCount; ++f) {
      const int32_t n = m->faces[f].vertexCount;
      for (int32_t k = 0; k < n; ++k) {
        if (m->faces[f].vertex[k] != v) continue;
        const int32_t w = m->faces[f].vertex[(k + 1) % n];
        const Vec3 a = Vertex(m, v), b = Vertex(m, w);
        const double length = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
        const double slope = (height(w) - height(v)) / length;
        if (slope > bestSlope) {
          bestSlope = slope;
          bestFace = f;
          bestEdge = k;
        }
      }
    }
    if (bestFace >= 0) MarkEdgeCut(m, bestFace, bestEdge);
  }
}

// --- unfolding -------------------------------------------------------------------------

void BuildSolid(PolyMesh* m, const CatalogueSolid& solid) {
  FreeMeshTables(m, nullptr);
  ResetPolyMesh(m);
  if (!AllocMeshTables(m, nullptr, kMaxNetPoints, kMaxMeshFaces)) Fail("no memory for the mesh tables");
  if (AddCatalogueSolid(m, &solid) != kMeshNoError) Fail("the solid does not go through the pools");
  m->modelReady = 1;
}

// True when the net is one piece holding every face.
bool UnfoldsWhole(PolyMesh* m) {
  FinishNet(m);
  return m->errorCode == kMeshNoError && m->maxNetGroup == 1 && m->netFaceCount == m->faceCount;
}

// True when the net comes apart into the given number of pieces holding
// every face.
bool UnfoldsInPieces(PolyMesh* m, int32_t pieces) {
  FinishNet(m);
  return m->errorCode == kMeshNoError && m->maxNetGroup == pieces && m->netFaceCount == m->faceCount;
}

// The unfolded net as tables: net points numbered by first use, net faces in
// the unfolder's order with their piece's pairing.
struct Unfolded {
  std::vector<double> points;
  std::vector<std::vector<int32_t>> lists;
  std::vector<int32_t> piece;
  std::vector<int32_t> rotation;
};

// The catalogue's nets turn counter-clockwise (the tetrahedron's net as
// given; the tabs are drawn on the right of each edge); a net that the
// unfolder laid down clockwise (seen from inside the solid) is mirrored left
// to right, which keeps every corner's pairing and angle.
Unfolded ReadUnfolded(const PolyMesh* m) {
  Unfolded u;
  std::map<int32_t, int32_t> number;
  double minX = 1e300, maxX = -1e300, minY = 1e300;
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    for (int32_t k = 0; k < m->faces[f].netPointCount; ++k) {
      double x, y;
      GetNetPointXY(m->faces[f].netPoint[k], m, &x, &y);
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
    }
  }
  double area = 0;
  const MeshFace& first = m->faces[0];
  for (int32_t k = 0; k < first.netPointCount; ++k) {
    double x0, y0, x1, y1;
    GetNetPointXY(first.netPoint[k], m, &x0, &y0);
    GetNetPointXY(first.netPoint[(k + 1) % first.netPointCount], m, &x1, &y1);
    area += x0 * y1 - x1 * y0;
  }
  const bool mirror = area < 0;
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    std::vector<int32_t> list;
    for (int32_t k = 0; k < m->faces[f].netPointCount; ++k) {
      const int32_t p = m->faces[f].netPoint[k];
      auto [it, fresh] = number.emplace(p, int32_t(number.size()));
      if (fresh) {
        double x, y;
        GetNetPointXY(p, m, &x, &y);
        u.points.push_back(mirror ? maxX - x : x - minX);
        u.points.push_back(y - minY);
      }
      list.push_back(it->second);
    }
    u.lists.push_back(list);
    u.piece.push_back(m->faces[f].piece);
    u.rotation.push_back(m->faces[f].rotation);
  }
  return u;
}

void ReadSolid(const CatalogueSolid& solid, NetTables* t) {
  for (int32_t v = 0; v < solid.vertexCount; ++v) {
    t->vertices.push_back(solid.vertices[v].x);
    t->vertices.push_back(solid.vertices[v].y);
    t->vertices.push_back(solid.vertices[v].z);
  }
  for (int32_t f = 0; f < solid.faceCount; ++f)
    t->vertexLists.emplace_back(solid.corners[f], solid.corners[f] + solid.cornerCounts[f]);
}

// --- loading back and checking ----------------------------------------------------------

// A table as the file holds it, for loading back.
struct LoadedTables {
  std::vector<double> points, vertices;
  std::vector<uint16_t> pointLists, vertexLists, regions;
  std::vector<int16_t> flatVertexMap;
  CatalogueNetTables tables{};
};

std::vector<uint16_t> Flatten(const std::vector<std::vector<int32_t>>& lists) {
  std::vector<uint16_t> out;
  for (const auto& list : lists) {
    for (int32_t i : list) out.push_back(uint16_t(i + 1));
    out.push_back(0);
  }
  return out;
}

void MakeLoaded(const NetTables& t, LoadedTables* l) {
  for (double v : t.points) l->points.push_back(Written(v));
  for (double v : t.vertices) l->vertices.push_back(Written(v));
  l->pointLists = Flatten(t.pointLists);
  l->vertexLists = Flatten(t.vertexLists);
  l->flatVertexMap = t.flatVertexMap;
  l->regions = t.regions;
  l->tables = CatalogueNetTables{t.net,
                                 int32_t(t.pointLists.size()),
                                 l->points.data(),
                                 int32_t(l->points.size() / 2),
                                 l->vertices.data(),
                                 int32_t(l->vertices.size() / 3),
                                 l->pointLists.data(),
                                 int32_t(l->pointLists.size()),
                                 l->vertexLists.data(),
                                 int32_t(l->vertexLists.size()),
                                 l->flatVertexMap.empty() ? nullptr : l->flatVertexMap.data(),
                                 l->regions.empty() ? nullptr : l->regions.data()};
}

// Loads the tables as the catalogue does and runs the build's passes up to the
// pairing.
void LoadAndPair(const LoadedTables& l, PolyMesh* m) {
  ResetPolyMesh(m);
  ClearMeshFaces(m);
  LoadCatalogueTables(m, &l.tables, nullptr);
  BuildNetAdjacency(m, m->faceCount);
  ComputeFaceGeometry(m);
  LayoutNetFaces(m);
  ComputeNetFaceAngles(m);
  UnfoldMesh(m);
}

int32_t Highest(const std::vector<std::vector<int32_t>>& lists) {
  int32_t h = -1;
  for (const auto& list : lists)
    for (int32_t i : list) h = std::max(h, i);
  return h + 1;
}

void CheckCounts(const NetTables& t, const Expected& e) {
  std::ostringstream out;
  std::map<int32_t, int32_t> corners;
  for (const auto& list : t.pointLists) corners[int32_t(list.size())] += 1;
  std::map<int32_t, int32_t> solidCorners;
  for (const auto& list : t.vertexLists) solidCorners[int32_t(list.size())] += 1;
  if (int32_t(t.pointLists.size()) != e.faces) out << " faces " << t.pointLists.size() << " (want " << e.faces << ")";
  if (!t.vertexLists.empty() && int32_t(t.vertexLists.size()) != e.faces)
    out << " solid faces " << t.vertexLists.size() << " (want " << e.faces << ")";
  if (corners != e.corners) out << " net face corners differ";
  if (solidCorners != e.corners) out << " solid face corners differ";
  if (Highest(t.pointLists) != e.netPoints)
    out << " net points " << Highest(t.pointLists) << " (want " << e.netPoints << ")";
  if (Highest(t.vertexLists) != e.vertices)
    out << " vertices " << Highest(t.vertexLists) << " (want " << e.vertices << ")";
  if (!out.str().empty()) Fail("net " + std::to_string(t.net) + ":" + out.str());
}

// --- the nets ---------------------------------------------------------------------------

std::string ListsKey(const NetTables& t) {
  std::ostringstream out;
  for (const auto& list : t.pointLists) {
    for (int32_t i : list) out << i << ' ';
    out << ';';
  }
  for (double v : t.points) out << FormatNumber(v) << ' ';
  return out.str();
}

// Net face i made solid face i, its list begun at the net corner that is
// solid corner 0 (the fixed pairing of the dodo assigns face 6q to solid face
// 6q unturned), net points renumbered by first use.
void InSolidOrder(const Unfolded& u, NetTables* t) {
  const int32_t faces = int32_t(u.lists.size());
  std::vector<std::vector<int32_t>> lists(faces);
  for (int32_t f = 0; f < faces; ++f) {
    const int32_t s = u.piece[f];
    if (s < 0 || s >= faces || !lists[s].empty()) Fail("net " + std::to_string(t->net) + ": a face is unfolded twice");
    const int32_t n = int32_t(u.lists[f].size());
    const int32_t c = ((-u.rotation[f]) % n + n) % n;
    for (int32_t k = 0; k < n; ++k) lists[s].push_back(u.lists[f][(c + k) % n]);
  }
  std::map<int32_t, int32_t> number;
  std::vector<double> points;
  for (auto& list : lists) {
    for (int32_t& p : list) {
      auto [it, fresh] = number.emplace(p, int32_t(number.size()));
      if (fresh) {
        points.push_back(u.points[2 * p]);
        points.push_back(u.points[2 * p + 1]);
      }
      p = it->second;
    }
  }
  t->pointLists = lists;
  t->points = points;
}

// Net face slot[s] made solid face s, its list begun at the net corner that
// is solid corner 0, net points renumbered by first use.
void InSlotOrder(const Unfolded& u, const std::vector<int32_t>& slot, NetTables* t) {
  Unfolded reordered = u;
  for (size_t f = 0; f < u.piece.size(); ++f) {
    const int32_t s = u.piece[f];
    if (s < 0 || s >= int32_t(slot.size())) Fail("net " + std::to_string(t->net) + ": a face has no piece");
    reordered.piece[f] = slot[s];
  }
  InSolidOrder(reordered, t);
}

// The matcher pairs the net's first face with the first solid face, so the
// directions a net shows depend on which face comes first and where its list
// begins. For the strip across: the first face and its first corner that make
// the pairing fold and show the edge opposite kStripCut in the middle of the
// net; false when none does.
bool ShowsStripMiddle(NetTables* t, PolyMesh* check) {
  const int32_t faces = int32_t(t->pointLists.size());
  for (int32_t f0 = 0; f0 < faces; ++f0) {
    for (int32_t turn = 0; turn < 3; ++turn) {
      NetTables tried = *t;
      std::swap(tried.pointLists[0], tried.pointLists[f0]);
      std::vector<int32_t>& list = tried.pointLists[0];
      std::rotate(list.begin(), list.begin() + turn, list.end());
      LoadedTables loaded;
      MakeLoaded(tried, &loaded);
      LoadAndPair(loaded, check);
      if (!CheckPairingFolds(check).empty()) continue;
      Vec3 middle;
      if (!MiddleEdgeDirection(check, tried, &middle)) continue;
      if (-(middle.x * kStripCut.x + middle.y * kStripCut.y + middle.z * kStripCut.z) < 1 - 1e-9) continue;
      *t = tried;
      return true;
    }
  }
  return false;
}

// The net point of the unfolded mesh m that is the corner toward
// kSunburstHub, by the unfolding's own pairing; -1 none.
int32_t HubPoint(const PolyMesh* m, const Unfolded& u) {
  for (int32_t f = 0; f < m->netFaceCount && f < int32_t(u.lists.size()); ++f) {
    for (int32_t k = 0; k < int32_t(u.lists[f].size()); ++k) {
      int32_t piece, edge;
      FacePieceAndEdge(f, k, &piece, &edge, m);
      if (piece < 0 || edge < 0) continue;
      const Vec3 v = Vertex(m, m->faces[piece].vertex[edge]);
      const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
      if ((v.x * kSunburstHub.x + v.y * kSunburstHub.y + v.z * kSunburstHub.z) / l > 1 - 1e-9) return u.lists[f][k];
    }
  }
  return -1;
}

// For the sunburst: the first face and its first corner that make the
// pairing fold and show kSunburstHub at the hub of the fan, which becomes net
// point 0.
bool ShowsHubFirst(NetTables* t, PolyMesh* check, int32_t hub) {
  const int32_t faces = int32_t(t->pointLists.size());
  if (hub < 0) return false;
  for (int32_t f0 = 0; f0 < faces; ++f0) {
    for (int32_t turn = 0; turn < 3; ++turn) {
      NetTables tried = *t;
      std::swap(tried.pointLists[0], tried.pointLists[f0]);
      std::vector<int32_t>& list = tried.pointLists[0];
      std::rotate(list.begin(), list.begin() + turn, list.end());
      // the hub becomes net point 0
      for (auto& l : tried.pointLists)
        for (int32_t& p : l) p = p == hub ? 0 : (p == 0 ? hub : p);
      std::swap(tried.points[0], tried.points[2 * hub]);
      std::swap(tried.points[1], tried.points[2 * hub + 1]);
      LoadedTables loaded;
      MakeLoaded(tried, &loaded);
      LoadAndPair(loaded, check);
      if (!CheckPairingFolds(check).empty()) continue;
      bool shows = false;
      for (int32_t f = 0; f < faces && !shows; ++f) {
        for (int32_t k = 0; k < 3; ++k) {
          if (tried.pointLists[f][k] != 0) continue;
          int32_t piece, edge;
          FacePieceAndEdge(f, k, &piece, &edge, check);
          if (piece < 0 || edge < 0) break;
          const Vec3 v = Vertex(check, check->faces[piece].vertex[edge]);
          const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
          shows = (v.x * kSunburstHub.x + v.y * kSunburstHub.y + v.z * kSunburstHub.z) / l > 1 - 1e-9;
          break;
        }
      }
      if (!shows) continue;
      *t = tried;
      return true;
    }
  }
  return false;
}

NetTables MakeNet(const NetPlan& plan, const std::map<int32_t, NetTables>& done, PolyMesh* check) {
  CatalogueSolid solid;
  if (!MakeCatalogueSolid(plan.solid, &solid)) Fail(std::string("no solid named ") + plan.solid);
  MeshBox box;
  PolyMesh* m = box.mesh;
  // The strip across: each band edge in turn, until the pairing shows the
  // wanted edge in the middle.
  const int32_t directions = plan.cut == kSteepestEdge ? kDirectionsTried : (plan.cut == kStripAcross || plan.cut == kSunburst ? 10 : 1);
  for (int32_t attempt = 0; attempt < directions; ++attempt) {
    BuildSolid(m, solid);
    ClearCuts(m);
    switch (plan.cut) {
      case kSteepestEdge:
        CutSteepest(m, SpiralDirection((plan.firstDirection + attempt) % kDirectionsTried));
        break;
      case kHorizontalCross:
        CutCross(m, true);
        break;
      case kVerticalCross:
        CutCross(m, false);
        break;
      case kStrip:
        CutStrip(m);
        break;
      case kStripAcross:
        CutStripAcross(m, kStripCut, attempt);
        break;
      case kSunburst:
        CutSunburst(m, attempt % 5, attempt >= 5);
        break;
      case kPiecesOfSix:
        CutPiecesOfSix(m);
        break;
      case kSpikePairs:
        CutSpikePairs(m);
        break;
      case kPiecesOfEleven:
        CutPiecesOfEleven(m);
        break;
    }
    if (plan.startSolidFace >= 0) {
      // The fixed start: the unfolding begins with that solid face.
      m->preferMarkedStart = 1;
      m->faces[plan.startSolidFace].startMark = 1;
    }
    const int32_t pieces = plan.cut == kPiecesOfSix      ? m->faceCount / 6
                           : plan.cut == kSpikePairs     ? 10
                           : plan.cut == kPiecesOfEleven ? 12
                                                         : 1;
    if (pieces > 1 ? !UnfoldsInPieces(m, pieces) : !UnfoldsWhole(m)) continue;
    const Unfolded u = ReadUnfolded(m);
    NetTables t;
    t.net = plan.net;
    t.points = u.points;
    t.pointLists = u.lists;
    if (plan.cut == kPiecesOfSix || plan.cut == kPiecesOfEleven) InSolidOrder(u, &t);
    if (plan.cut == kSpikePairs) InSlotOrder(u, SpikePairSlots(m), &t);
    if (plan.startSolidFace >= 0) {
      // Net face 0 is the start face, its list begun at the net corner that
      // is the fixed solid corner.
      int32_t f0 = 0;
      while (f0 < int32_t(u.piece.size()) && u.piece[f0] != plan.startSolidFace) ++f0;
      if (f0 == int32_t(u.piece.size())) Fail("the start face was not unfolded");
      std::swap(t.pointLists[0], t.pointLists[f0]);
      std::vector<int32_t>& list = t.pointLists[0];
      const int32_t n = int32_t(list.size());
      const int32_t c = ((plan.startSolidCorner - u.rotation[f0]) % n + n) % n;
      std::vector<int32_t> turned;
      for (int32_t k = 0; k < n; ++k) turned.push_back(list[(c + k) % n]);
      list = turned;
    }
    ReadSolid(solid, &t);
    if (plan.otherThan >= 0) {
      auto it = done.find(plan.otherThan);
      if (it != done.end() && ListsKey(it->second) == ListsKey(t)) continue;
    }
    // The tables as written must pair with their solid; with another cut
    // the matcher's start pair may be a face of the same shape elsewhere.
    if (plan.cut == kStripAcross && !ShowsStripMiddle(&t, check)) continue;
    if (plan.cut == kSunburst && !ShowsHubFirst(&t, check, HubPoint(m, u))) continue;
    LoadedTables loaded;
    MakeLoaded(t, &loaded);
    LoadAndPair(loaded, check);
    if (!CheckPairingFolds(check).empty()) continue;
    const std::string turn = CheckNetTurnsCounterClockwise(check);
    if (!turn.empty()) Fail("net " + std::to_string(plan.net) + ": " + turn);
    std::ostringstream comment;
    comment << "Net " << plan.net << ": " << plan.solid << ", " << t.pointLists.size() << " faces, "
            << Highest(t.pointLists) << " net points, " << Highest(t.vertexLists) << " vertices.";
    t.comment = comment.str();
    return t;
  }
  Fail("net " + std::to_string(plan.net) + ": no cut unfolds into one piece that the matcher pairs");
}

// Net 70: the dodecahedron's net (net 9) with every face cut into ten
// triangles round its centre. The pentagons' corners keep net 9's points and
// the directions net 9's pairing gives them, so that net 9 drawn into the same
// record lies exactly on it. Each triangle runs (centre, corner, edge
// midpoint), so that every triangle's corners have the same roles and
// neighbouring triangles run opposite ways; net face 10k + j lies in net 9's
// net face k, which is its region.
NetTables MakeSubdividedNet(const NetTables& base, const PolyMesh* paired) {
  CatalogueSolid solid;
  if (!MakeCatalogueSolid("subdivided dodecahedron", &solid)) Fail("no subdivided dodecahedron");
  CatalogueSolid dodecahedron;
  MakeCatalogueSolid("dodecahedron", &dodecahedron);
  const int32_t corners = dodecahedron.vertexCount;
  NetTables t;
  t.net = kSubdividedNet;
  t.points = base.points;
  ReadSolid(solid, &t);
  const int32_t basePoints = int32_t(base.points.size() / 2);
  t.flatVertexMap.assign(basePoints, -1);
  // The 3-D point of an edge midpoint of the subdivided solid.
  auto midpointVertex = [&](int32_t a, int32_t b) {
    for (int32_t f = 0; f < solid.faceCount; ++f)
      for (int32_t k = 0; k < 3; ++k) {
        const int32_t m = solid.corners[f][k];
        if (m < corners + dodecahedron.faceCount) continue;
        const Vec3 p = solid.vertices[m];
        const Vec3 q{(solid.vertices[a].x + solid.vertices[b].x) / 2, (solid.vertices[a].y + solid.vertices[b].y) / 2,
                     (solid.vertices[a].z + solid.vertices[b].z) / 2};
        if (std::fabs(p.x - q.x) + std::fabs(p.y - q.y) + std::fabs(p.z - q.z) < 1e-9) return m;
      }
    Fail("no midpoint");
  };
  std::vector<int32_t> centres;
  for (size_t k = 0; k < base.pointLists.size(); ++k) {
    const MeshFace& face = paired->faces[k];
    const int32_t n = face.netPointCount;
    // Centre of the net face.
    double cx = 0, cy = 0;
    for (int32_t p : base.pointLists[k]) {
      cx += t.points[2 * p];
      cy += t.points[2 * p + 1];
    }
    centres.push_back(int32_t(t.points.size() / 2));
    t.points.push_back(cx / n);
    t.points.push_back(cy / n);
    t.flatVertexMap.push_back(int16_t(corners + face.piece));
    for (int32_t i = 0; i < n; ++i) {
      const int32_t p = base.pointLists[k][i];
      t.flatVertexMap[p] = int16_t(paired->faces[face.piece].vertex[(face.rotation + i) % n]);
    }
  }
  std::map<std::pair<int32_t, int32_t>, int32_t> midpointOf;
  for (size_t k = 0; k < base.pointLists.size(); ++k) {
    const MeshFace& face = paired->faces[k];
    const std::vector<int32_t>& list = base.pointLists[k];
    const int32_t n = int32_t(list.size());
    for (int32_t i = 0; i < n; ++i) {
      const int32_t p = list[i], q = list[(i + 1) % n];
      const auto key = std::make_pair(std::min(p, q), std::max(p, q));
      auto it = midpointOf.find(key);
      int32_t mid;
      if (it == midpointOf.end()) {
        mid = int32_t(t.points.size() / 2);
        midpointOf[key] = mid;
        t.points.push_back((t.points[2 * p] + t.points[2 * q]) / 2);
        t.points.push_back((t.points[2 * p + 1] + t.points[2 * q + 1]) / 2);
        const int32_t a = paired->faces[face.piece].vertex[(face.rotation + i) % n];
        const int32_t b = paired->faces[face.piece].vertex[(face.rotation + i + 1) % n];
        t.flatVertexMap.push_back(int16_t(midpointVertex(a, b)));
      } else {
        mid = it->second;
      }
      t.pointLists.push_back({centres[k], p, mid});
      t.pointLists.push_back({centres[k], q, mid});
      t.regions.push_back(uint16_t(k));
      t.regions.push_back(uint16_t(k));
    }
  }
  std::ostringstream comment;
  comment << "Net 70: net 9 with every pentagon cut into ten triangles (centre, corner, edge midpoint), "
          << t.pointLists.size() << " faces, " << Highest(t.pointLists) << " net points, " << Highest(t.vertexLists)
          << " vertices; flat vertex map and regions.";
  t.comment = comment.str();
  return t;
}

// --- writing ----------------------------------------------------------------------------

void WriteDoubles(std::ostringstream& out, const std::string& name, const std::vector<double>& values, int32_t per) {
  out << "const double " << name << "[] = {\n";
  for (size_t i = 0; i < values.size(); i += per) {
    out << "   ";
    for (int32_t j = 0; j < per; ++j) out << ' ' << FormatNumber(values[i + j]) << ',';
    out << '\n';
  }
  out << "};\n";
}

void WriteLists(std::ostringstream& out, const std::string& name, const std::vector<std::vector<int32_t>>& lists) {
  out << "const uint16_t " << name << "[] = {\n";
  for (const auto& list : lists) {
    out << "   ";
    for (int32_t i : list) out << ' ' << (i + 1) << ',';
    out << " 0,\n";
  }
  out << "};\n";
}

template <typename T>
void WriteInts(std::ostringstream& out, const std::string& type, const std::string& name, const std::vector<T>& values) {
  out << "const " << type << ' ' << name << "[] = {";
  for (size_t i = 0; i < values.size(); ++i) out << (i % 20 == 0 ? "\n   " : "") << ' ' << int32_t(values[i]) << ',';
  out << "\n};\n";
}

std::string Prefix(int32_t net) { return "kNet" + std::to_string(net); }

std::string Render(const std::vector<NetTables>& nets) {
  std::map<int32_t, int32_t> solidOf, tablesOf;
  for (const auto& pair : kSameSolid) solidOf[pair[0]] = pair[1];
  for (const auto& pair : kSameTables) tablesOf[pair[0]] = pair[1];
  std::ostringstream out;
  out << "// Generated by tools/gen_catalogue_nets from nets/catalogue_solids; do not edit.\n"
         "// The solids with a ready-made net: net points (x, y), 3-D points (x, y, z),\n"
         "// 1-based net-point and vertex lists with each face ended by 0.\n"
         "#include \"nets/net_catalogue_tables.h\"\n\n"
         "#define ORBALIX_COUNT(a) int32_t(sizeof(a) / sizeof((a)[0]))\n\nnamespace {\n";
  for (const NetTables& t : nets) {
    const std::string p = Prefix(t.net);
    out << "\n// " << t.comment << '\n';
    WriteDoubles(out, p + "Points", t.points, 2);
    WriteLists(out, p + "PointLists", t.pointLists);
    if (!solidOf.count(t.net)) {
      WriteDoubles(out, p + "Vertices", t.vertices, 3);
      WriteLists(out, p + "VertexLists", t.vertexLists);
    }
    if (!t.flatVertexMap.empty()) WriteInts(out, "int16_t", p + "FlatVertexMap", t.flatVertexMap);
    if (!t.regions.empty()) WriteInts(out, "uint16_t", p + "Regions", t.regions);
  }
  out << "}  // namespace\n\nconst CatalogueNetTables kCatalogueNetTables[] = {\n";
  std::vector<std::pair<int32_t, const NetTables*>> entries;
  for (const NetTables& t : nets) entries.emplace_back(t.net, &t);
  for (const auto& [alias, source] : tablesOf)
    for (const NetTables& t : nets)
      if (t.net == source) entries.emplace_back(alias, &t);
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [net, t] : entries) {
    const std::string p = Prefix(t->net);
    const std::string s = Prefix(solidOf.count(t->net) ? solidOf[t->net] : t->net);
    out << "    {" << net << ", " << t->pointLists.size() << ", " << p << "Points, ORBALIX_COUNT(" << p << "Points) / 2, "
        << s << "Vertices, ORBALIX_COUNT(" << s << "Vertices) / 3, " << p << "PointLists, ORBALIX_COUNT(" << p
        << "PointLists), " << s << "VertexLists, ORBALIX_COUNT(" << s << "VertexLists), "
        << (t->flatVertexMap.empty() ? "nullptr" : p + "FlatVertexMap") << ", "
        << (t->regions.empty() ? "nullptr" : p + "Regions") << "},\n";
  }
  out << "};\nconst int32_t kCatalogueNetTableCount = " << entries.size() << ";\n";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  bool check = false;
  std::string path = std::string(ORBALIX_SOURCE_DIR) + "/nets/net_catalogue_data.cpp";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--check") == 0) {
      check = true;
    } else {
      path = argv[i];
    }
  }

  std::vector<NetTables> nets;
  std::map<int32_t, NetTables> done;
  MeshBox box;
  for (const NetPlan& plan : kPlans) {
    NetTables t = MakeNet(plan, done, box.mesh);
    CheckCounts(t, plan.expected);
    LoadedTables loaded;
    MakeLoaded(t, &loaded);
    LoadAndPair(loaded, box.mesh);
    const std::string problem = CheckPairingFolds(box.mesh);
    if (!problem.empty()) Fail("net " + std::to_string(plan.net) + ": " + problem);
    std::printf("net %d: %s, %zu faces, %d net points, paired\n", plan.net, plan.solid, t.pointLists.size(),
                Highest(t.pointLists));
    if (plan.net == kSubdividedFrom) {
      NetTables sub = MakeSubdividedNet(t, box.mesh);
      CheckCounts(sub, kSubdividedExpected);
      LoadedTables subLoaded;
      MakeLoaded(sub, &subLoaded);
      MeshBox subBox;
      LoadAndPair(subLoaded, subBox.mesh);
      const std::string subProblem = CheckFlatMapCongruent(subBox.mesh);
      if (!subProblem.empty()) Fail("net 70: " + subProblem);
      std::printf("net 70: subdivided dodecahedron, %zu faces, %d net points, flat map congruent\n",
                  sub.pointLists.size(), Highest(sub.pointLists));
      done[sub.net] = sub;
    }
    done[plan.net] = t;
  }
  for (const auto& [net, t] : done) nets.push_back(t);
  const std::string text = Render(nets);

  if (check) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream old;
    old << in.rdbuf();
    if (old.str() != text) Fail(path + " differs from what the generator writes");
    std::printf("%s is up to date\n", path.c_str());
    return 0;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) Fail("cannot write " + path);
  std::printf("wrote %s\n", path.c_str());
  return 0;
}
