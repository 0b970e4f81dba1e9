// The mesh record: adjacency, face geometry, accessors, layout fit, tabs and
// outline walks, on hand-built solids and nets.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <utility>
#include <vector>

#include "nets/mesh_triangles.h"
#include "net_fixtures.h"

namespace {

constexpr double kHalfPi = std::numbers::pi / 2;

Vec3 FaceMean(const PolyMesh* m, int32_t f) {
  Vec3 sum{0, 0, 0};
  const int32_t n = m->faces[f].vertexCount;
  for (int32_t k = 0; k < n; ++k) {
    const Vec3 v = GetMeshVertexCopy(m->faces[f].vertex[k], m);
    sum = Vec3{sum.x + v.x / n, sum.y + v.y / n, sum.z + v.z / n};
  }
  return sum;
}

// The checker's outward-normal test, face by face: the normal points from the
// solid's centre toward the face.
void ExpectOutwardNormals(const PolyMesh* m, const Vec3& inside) {
  for (int32_t f = 0; f < m->faceCount; ++f) {
    const Vec3 mean = FaceMean(m, f);
    const Vec3 out{mean.x - inside.x, mean.y - inside.y, mean.z - inside.z};
    const MeshFace& face = m->faces[f];
    EXPECT_NEAR(LengthVec3d(&face.normal), 1, 1e-12) << f;
    EXPECT_GT(DotVec3d(&face.normal, &out), 0) << "face " << f;
    // The plane holds every corner.
    for (int32_t k = 0; k < face.vertexCount; ++k) {
      const Vec3 v = GetMeshVertexCopy(face.vertex[k], m);
      EXPECT_NEAR(DotVec3d(&face.plane.unitNormal, &v) - face.plane.offset, 0, 1e-12) << f;
    }
  }
}

TEST(PolyMeshCube, EachEdgeIsSharedByTwoFacesInOppositeDirections) {
  MeshHolder h;
  BuildCube(&h);
  SolidCheckOptions options;
  options.checkNeighbours = true;
  const SolidReport report = CheckSolid(h.mesh, options);
  EXPECT_TRUE(report.Sound()) << report.Describe();
  EXPECT_EQ(report.vertices, 8);
  EXPECT_EQ(report.edges, 12);
  EXPECT_EQ(report.faces, 6);
  EXPECT_NEAR(report.volume, 1, 1e-12);
  // Each vertex has three corners on it.
  for (int32_t v = 0; v < 8; ++v) EXPECT_EQ(h.mesh->vertexUseCount[v], 3) << v;
  // neighbourEdge names the neighbour's corner on this edge's start.
  const MeshFace& bottom = h.mesh->faces[0];  // 0 2 3 1
  EXPECT_EQ(bottom.neighbour[0], 4);          // edge 0-2 lies on x = 0: 0 4 6 2
  EXPECT_EQ(bottom.neighbourEdge[0], 0);      // corner 0 of that face is vertex 0
  EXPECT_EQ(h.mesh->faces[4].neighbour[3], 0);
  EXPECT_EQ(h.mesh->faces[4].neighbourEdge[3], 1);  // vertex 2 is corner 1 of the bottom
}

TEST(PolyMeshCube, NormalsPointOutwardAndCornersAreSquare) {
  MeshHolder h;
  BuildCube(&h);
  ExpectOutwardNormals(h.mesh, Vec3{0.5, 0.5, 0.5});
  for (int32_t f = 0; f < 6; ++f) {
    for (int32_t k = 0; k < 4; ++k) EXPECT_NEAR(h.mesh->faces[f].cornerAngle[k], kHalfPi, 1e-6);
  }
  // The facing sign compares the first vertex with the stored normal.
  EXPECT_EQ(h.mesh->faces[1].facing, 1.0f);  // z = 1, normal +z
  EXPECT_EQ(h.mesh->faces[0].facing, 0.0f);  // z = 0 passes through the origin
}

// An L-shaped prism: the L faces are not convex and are listed with the
// reflex corner last, where the normal worked out from the corner's two edges
// points the other way than at a convex corner.
TEST(PolyMeshCube, NonConvexFacesKeepOutwardNormals) {
  MeshHolder h;
  const double l[6][2] = {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}};  // counter-clockwise; corner 3 reflex
  for (int32_t z = 0; z < 2; ++z) {
    for (const auto& p : l) h.Vertex(p[0], p[1], z);
  }
  ASSERT_EQ(h.Face({2, 1, 0, 5, 4, 3}), kMeshNoError);    // bottom, seen from below
  ASSERT_EQ(h.Face({10, 11, 6, 7, 8, 9}), kMeshNoError);  // top
  for (int32_t k = 0; k < 6; ++k) ASSERT_EQ(h.Face({k, (k + 1) % 6, (k + 1) % 6 + 6, k + 6}), kMeshNoError);
  ComputeFaceGeometry(h.mesh);
  LayoutNetFaces(h.mesh);
  SolidCheckOptions options;
  options.checkNeighbours = true;
  EXPECT_TRUE(IsSoundSolid(h.mesh, options));
  EXPECT_NEAR(h.mesh->faces[0].normal.z, -1, 1e-12);
  EXPECT_NEAR(h.mesh->faces[1].normal.z, 1, 1e-12);
  for (int32_t k = 0; k < 6; ++k) {
    // A wall's outward normal is its edge direction turned a quarter clockwise.
    const double dx = l[(k + 1) % 6][0] - l[k][0];
    const double dy = l[(k + 1) % 6][1] - l[k][1];
    const double length = std::hypot(dx, dy);
    const Vec3& n = h.mesh->faces[2 + k].normal;
    EXPECT_NEAR(n.x, dy / length, 1e-12) << k;
    EXPECT_NEAR(n.y, -dx / length, 1e-12) << k;
  }
  EXPECT_NEAR(h.mesh->faces[1].cornerAngle[5], kHalfPi, 1e-6);  // the reflex corner: acos gives the quarter turn
}

// The checker itself: each kind of broken solid is reported.
TEST(SolidChecker, ReportsEachKindOfBrokenSolid) {
  struct Case {
    const char* what;
    void (*breakIt)(MeshHolder*);
    const char* expected;  // a phrase of the report
  };
  const Case cases[] = {
      {"a missing face", [](MeshHolder* h) { h->mesh->faceCount = 5; }, "used by one face only"},
      {"a face turned round",
       [](MeshHolder* h) {
         MeshFace& f = h->mesh->faces[1];
         std::swap(f.vertex[1], f.vertex[3]);
       },
       "the same way"},
      {"every face turned round",
       [](MeshHolder* h) {
         for (int32_t f = 0; f < 6; ++f) std::swap(h->mesh->faces[f].vertex[1], h->mesh->faces[f].vertex[3]);
       },
       "not positive"},
      {"a bent face",
       [](MeshHolder* h) {
         const Vec3 up{1, 1, 1.1};
         SetMeshVertex(h->mesh, 7, &up);
       },
       "not planar"},
      {"a stale neighbour slot", [](MeshHolder* h) { h->mesh->faces[2].neighbour[1] = 0; }, "does not share it"},
  };
  for (const Case& c : cases) {
    MeshHolder h;
    BuildCube(&h);
    c.breakIt(&h);
    SolidCheckOptions options;
    options.checkNeighbours = true;
    options.planarTolerance = 1e-6;
    const SolidReport report = CheckSolid(h.mesh, options);
    EXPECT_FALSE(report.Sound()) << c.what;
    EXPECT_NE(report.Describe().find(c.expected), std::string::npos) << c.what << ": " << report.Describe();
  }
}

TEST(SolidChecker, EulerCharacteristicOfATorusIsNotTwo) {
  // A square ring of four boxes with their touching faces removed: a torus.
  MeshHolder h;
  const double outer[4][2] = {{0, 0}, {3, 0}, {3, 3}, {0, 3}};
  const double inner[4][2] = {{1, 1}, {2, 1}, {2, 2}, {1, 2}};
  for (int32_t z = 0; z < 2; ++z) {
    for (const auto& p : outer) h.Vertex(p[0], p[1], z);  // 0..3, 8..11
    for (const auto& p : inner) h.Vertex(p[0], p[1], z);  // 4..7, 12..15
  }
  for (int32_t k = 0; k < 4; ++k) {
    const int32_t o0 = k, o1 = (k + 1) % 4, i0 = 4 + k, i1 = 4 + (k + 1) % 4;
    h.Face({o0, i0, i1, o1});                  // bottom of the ring, seen from below
    h.Face({o0 + 8, o1 + 8, i1 + 8, i0 + 8});  // top
    h.Face({o0, o1, o1 + 8, o0 + 8});          // outer wall
    h.Face({i0, i0 + 8, i1 + 8, i1});          // inner wall
  }
  const SolidReport report = CheckSolid(h.mesh);
  EXPECT_EQ(report.Euler(), 0) << report.Describe();
  EXPECT_NE(report.Describe().find("not 2"), std::string::npos);
  EXPECT_GT(report.volume, 0);
}

// The net side of a cube: five inner edges join the six squares; neighbour
// edges name the neighbour's corner on the shared edge's start.
TEST(PolyMeshNet, NetAdjacencyOfTheCross) {
  MeshHolder h;
  BuildCube(&h);
  BuildCubeCrossNet(&h);
  BuildNetAdjacency(h.mesh, 6);
  int32_t inner = 0, outline = 0, uses = 0;
  for (int32_t f = 0; f < 6; ++f) {
    const MeshFace& face = h.mesh->faces[f];
    for (int32_t k = 0; k < 4; ++k) {
      const int32_t g = face.netNeighbour[k];
      if (g == -1) {
        ++outline;
        continue;
      }
      ++inner;
      const int32_t j = face.netNeighbourEdge[k];
      const MeshFace& other = h.mesh->faces[g];
      EXPECT_EQ(other.netPoint[j], face.netPoint[k]);
      EXPECT_EQ(other.netPoint[(j + 3) % 4], face.netPoint[(k + 1) % 4]);
      EXPECT_EQ(other.netNeighbour[(j + 3) % 4], f);
    }
  }
  for (int32_t p = 0; p < 14; ++p) uses += h.mesh->netPointUseCount[p];
  EXPECT_EQ(inner, 10);
  EXPECT_EQ(outline, 14);
  EXPECT_EQ(uses, 24);
  EXPECT_EQ(h.mesh->faces[0].netNeighbour[0], 1);  // the square below
  EXPECT_EQ(h.mesh->faces[0].netNeighbour[1], 5);
  EXPECT_EQ(h.mesh->faces[0].netNeighbour[2], 2);
  EXPECT_EQ(h.mesh->faces[0].netNeighbour[3], 4);
  // Running the pass again counts afresh.
  BuildNetAdjacency(h.mesh, 6);
  EXPECT_EQ(h.mesh->netPointUseCount[h.mesh->faces[0].netPoint[0]], 3);

  ComputeNetFaceAngles(h.mesh);
  const MeshFace& square = h.mesh->faces[0];
  for (int32_t k = 0; k < 4; ++k) EXPECT_NEAR(square.netCornerAngle[k], kHalfPi, 1e-6);
  EXPECT_NEAR(square.edgeAngle[0], kHalfPi, 1e-6);  // along +x
  EXPECT_NEAR(square.edgeAngle[1], 0, 1e-6);        // along +y
  EXPECT_NEAR(square.edgeAngle[2], kHalfPi, 1e-6);  // along -x: the angle with +y
  EXPECT_NEAR(square.edgeAngle[3], std::numbers::pi, 1e-6);
}

// A face added on its own links with the faces already laid.
TEST(PolyMeshNet, LinkNetFaceFindsEveryEarlierFace) {
  MeshHolder h;
  BuildCube(&h);
  BuildCubeCrossNet(&h);
  h.mesh->netFaceCount = 0;
  SetNetNeighboursNone(h.mesh, 6);
  for (int32_t f = 0; f < 6; ++f) {
    h.mesh->netFaceCount = f + 1;
    LinkNetFace(h.mesh, f);
  }
  EXPECT_EQ(h.mesh->faces[3].netNeighbour[0], 2);  // 3 lies above 2, which is not face 0
  EXPECT_EQ(h.mesh->faces[2].netNeighbour[2], 3);
  EXPECT_EQ(h.mesh->faces[0].netNeighbour[3], 4);
}

TEST(PolyMeshNet, PieceAndEdgeLookups) {
  MeshHolder h;
  BuildCube(&h);
  BuildCubeCrossNet(&h);
  h.mesh->faces[2].rotation = 2;
  int32_t piece, edge;
  FacePieceAndEdge(2, 3, &piece, &edge, h.mesh);
  EXPECT_EQ(piece, 2);
  EXPECT_EQ(edge, 1);  // corner 3 of a net face turned by 2 is solid corner 1
  int32_t netFace, corner;
  EXPECT_TRUE(NetFaceOfPiece(2, 1, &netFace, &corner, h.mesh));
  EXPECT_EQ(netFace, 2);
  EXPECT_EQ(corner, 3);
  EXPECT_FALSE(NetFaceOfPiece(9, 1, &netFace, &corner, h.mesh));
  EXPECT_EQ(netFace, 0);
  EXPECT_EQ(corner, 0);
  EXPECT_EQ(NextNetCorner(h.mesh, 0, 3), 0);
  EXPECT_EQ(NextCorner(h.mesh, 0, 3), 0);
  EXPECT_EQ(PrevCorner(h.mesh, 0, 0), 3);
  EXPECT_DOUBLE_EQ(FacePerimeter(h.mesh, 0), 4);

  // Preferred edges: not when either side is tried last, nor without a neighbour.
  EXPECT_TRUE(IsEdgePreferred(h.mesh, 0, 0));
  h.mesh->faces[4].edgeFlags[3] |= kEdgeTriedLast;  // the same edge from face 4
  EXPECT_FALSE(IsEdgePreferred(h.mesh, 0, 0));
  EXPECT_FALSE(IsEdgePreferred(h.mesh, 4, 3));
  EXPECT_FALSE(IsEdgePreferred(h.mesh, -1, 0));
  EXPECT_FALSE(IsEdgePreferred(h.mesh, 0, -1));
  MarkCutEdge(h.mesh, 0, 2);
  MarkCutEdge(h.mesh, 0, 10);  // no such edge: nothing
  EXPECT_EQ(h.mesh->faces[0].edgeFlags[2], kEdgeCut);
}

// Indices that name nothing (a face of -1, a face of no corners) give neutral
// answers and never reach a modulo or a table.
TEST(PolyMeshNet, MissingFacesAndCornersAreHarmless) {
  MeshHolder h;
  int32_t piece = 5, edge = 5, netFace = 5, corner = 5;
  for (const int32_t f : {-1, 0, kMaxMeshFaces, 1 << 30}) {
    FacePieceAndEdge(f, 2, &piece, &edge, h.mesh);
    EXPECT_EQ(piece, -1) << f;
    EXPECT_EQ(edge, -1) << f;
    EXPECT_EQ(NextNetCorner(h.mesh, f, 2), 0) << f;
    EXPECT_EQ(NextCorner(h.mesh, f, 2), 0) << f;
    EXPECT_EQ(PrevCorner(h.mesh, f, 2), 0) << f;
    EXPECT_EQ(FacePerimeter(h.mesh, f), 0) << f;
    EXPECT_FALSE(IsEdgePreferred(h.mesh, f, 0)) << f;
    EXPECT_EQ(DihedralCosine(h.mesh, f, 0), 2.0) << f;
  }
  h.mesh->faces[0].piece = 3;
  h.mesh->faces[0].netPointCount = 0;
  h.mesh->faceCount = 1;
  EXPECT_FALSE(NetFaceOfPiece(3, 1, &netFace, &corner, h.mesh));
  h.mesh->faces[0].netPointCount = -4;
  FacePieceAndEdge(0, 1, &piece, &edge, h.mesh);
  EXPECT_EQ(edge, -1);
  int32_t outlineFace = -1, outlineEdge = 0;
  EXPECT_FALSE(NextOutlineEdge(h.mesh, &outlineFace, &outlineEdge));
  double x = 7, y = 7;
  GetNetPointXY(-1, h.mesh, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(GetMeshVertexCopy(kMaxMeshVertices, h.mesh).x, 0);
  EXPECT_FALSE(AppendFaceTriangle(0, h.mesh, -1, 0, 1, 2, 0));
  EXPECT_EQ(FaceRegion(-1, h.mesh), -1);
  EXPECT_EQ(FaceRegion(3, nullptr), 0);
}

TEST(PolyMeshNet, ClearMeshFacesLeavesNoNeighboursAndNoUsedPoints) {
  MeshHolder h;
  BuildCube(&h);
  BuildCubeCrossNet(&h);
  BuildNetAdjacency(h.mesh, 6);
  h.mesh->faces[0].tabFlag[1] = 1;
  h.mesh->faces[0].netFlag = 1;
  h.mesh->renderTriangleCount = 5;
  ClearMeshFaces(h.mesh);
  EXPECT_EQ(h.mesh->faceCount, 0);
  EXPECT_EQ(h.mesh->renderTriangleCount, 0);
  for (const MeshFace& f : h.mesh->faces) {
    for (int32_t k = 0; k < kMaxFaceCorners; ++k) {
      ASSERT_EQ(f.neighbour[k], -1);
      ASSERT_EQ(f.netNeighbour[k], -1);
      ASSERT_EQ(f.tabFlag[k], 0);
    }
    ASSERT_EQ(f.piece, -1);
    ASSERT_EQ(f.netFlag, 0);
  }
  for (int32_t p = 0; p < kMaxNetPoints; ++p) ASSERT_EQ(h.mesh->netPointUsed[p], 0);
  for (const RenderTriangle& t : h.mesh->renderTriangles) ASSERT_EQ(t.netFace, -1);
}

// The per-net options a record starts with, and the fields only the per-pixel
// mapping reads, after a reset.
TEST(PolyMeshRecord, ResetGivesEveryFieldItsDefault) {
  MeshHolder h(false);
  std::memset(h.mesh, 0xA5, sizeof(PolyMesh));
  ResetPolyMesh(h.mesh);
  const PolyMesh& m = *h.mesh;
  EXPECT_EQ(m.selectedFace, -1);
  EXPECT_EQ(m.selectedFaceCopy, -1);
  EXPECT_EQ(m.netPoints, nullptr);
  EXPECT_EQ(m.regionTable, nullptr);
  EXPECT_EQ(m.flatVertexMap, nullptr);
  EXPECT_EQ(m.tablesOwned, 0);
  EXPECT_EQ(m.faceCount, 0);
  EXPECT_EQ(m.renderTriangleCount, 0);
  EXPECT_EQ(m.renderPointCount, 0);
  EXPECT_EQ(m.foldStepCount, 0);
  EXPECT_EQ(m.errorCode, 0);
  EXPECT_EQ(m.normalise, 1);
  EXPECT_EQ(m.spherePowerFlag, 0);
  EXPECT_EQ(m.spherePower, 1.0);
  EXPECT_EQ(m.regionFromTriangle, 0);
  EXPECT_EQ(m.regionFromNetGroup + m.regionFromGroup + m.regionFromTable, 0);
  EXPECT_EQ(m.plainLayout, 1);
  EXPECT_EQ(m.squareLayout, 0);
  EXPECT_EQ(m.selectedFaceValues[2], 0);
  EXPECT_EQ(m.viewCentre.x, 0);
  EXPECT_EQ(m.layoutScale, 1);
  EXPECT_EQ(m.unitFactorX, 1);
  EXPECT_EQ(m.nestedOutput, -1);
  EXPECT_EQ(m.seamPairs[0], -1);
  EXPECT_EQ(m.storedMinX, 1000);
  EXPECT_EQ(m.storedMaxX, -999);
  EXPECT_EQ(m.faceMapStyle, 1);
  EXPECT_EQ(m.mirrorX, 1);
  EXPECT_EQ(m.maxPieceFaces, 10);
  // A fresh record frees nothing.
  FreeMeshTables(h.mesh, nullptr);
  FreeMeshTables(nullptr, nullptr);
}

TEST(PolyMeshLayout, FitModes) {
  struct Case {
    const char* what;
    int32_t mode;
    uint8_t square;
    float scale;
    float x0, y0;  // where render point 0 lands
  };
  // Two used points at (2, 1) and (6, 3): a net 4 wide and 2 high, centre (4, 2).
  const Case cases[] = {
      {"keep: nothing moves", kFitKeep, 0, 1.0f, 2, 1},
      {"fit a 1 x 2 box: the width limits", kFitToBox, 0, 0.25f, 0, 0.75f},
      {"square layout fits -1..1", kFitToBox, 1, 0.5f, -1, -0.5f},
      {"preset centre and scale", kFitPreset, 0, 0.5f, -0.5f, 1.5f},
  };
  for (const Case& c : cases) {
    MeshHolder h(false);
    FitNetToOutput(h.mesh, 2.0f, 0.01f);
    h.mesh->renderPoints[0] = RenderPoint{2, 1, 0, 0, 0};
    h.mesh->renderPoints[1] = RenderPoint{6, 3, 0, 0, 0};
    h.mesh->renderPoints[2] = RenderPoint{100, 100, 0, 0, 0};  // not used: not moved, not measured
    h.mesh->netPointUsed[0] = h.mesh->netPointUsed[1] = 1;
    h.mesh->renderPointCount = 3;
    h.mesh->squareLayout = c.square;
    h.mesh->presetCentreX = 4;
    h.mesh->presetCentreY = 0;
    h.mesh->presetScale = 0.5f;
    FitMeshLayout(h.mesh, c.mode);
    EXPECT_FLOAT_EQ(h.mesh->layoutScale, c.scale) << c.what;
    EXPECT_FLOAT_EQ(h.mesh->renderPoints[0].x, c.x0) << c.what;
    EXPECT_FLOAT_EQ(h.mesh->renderPoints[0].y, c.y0) << c.what;
    EXPECT_EQ(h.mesh->renderPoints[2].x, 100) << c.what;
  }
  // The unit factor of the limiting axis: here the height of a 1 x 0.5 box.
  MeshHolder h(false);
  FitNetToOutput(h.mesh, 0.5f, 0);
  SetMeshBounds(h.mesh, -1, -1, 1, 1);
  EXPECT_FLOAT_EQ(h.mesh->layoutScale, 0.25f);
  EXPECT_FLOAT_EQ(h.mesh->unitFactorX, 1.0f);
  EXPECT_FLOAT_EQ(h.mesh->unitFactorY, 2.0f);
}

// SetMeshBounds keeps the box's aspect and centres it in the output box; the
// smaller of the two scales wins, the height's on a tie.
TEST(PolyMeshLayout, SetMeshBoundsFitsTheBox) {
  struct Case {
    float aspect;
    float xmin, ymin, xmax, ymax;
  };
  const Case cases[] = {{1, -0.5f, -0.5f, 0.5f, 0.5f}, {0.5f, -2, -1, 2, 1}, {2, -1, -0.5f, 1, 0.5f},
                        {0.75f, -0.3f, -1.7f, 0.9f, 0.2f}};
  for (const Case& c : cases) {
    MeshHolder h(false);
    h.mesh->tabWidth = 3;
    FitNetToOutput(h.mesh, c.aspect, 0.2f);
    SetMeshBounds(h.mesh, c.xmin, c.ymin, c.xmax, c.ymax);
    const float byWidth = 1 / (c.xmax - c.xmin);
    const float byHeight = c.aspect / (c.ymax - c.ymin);
    const float scale = byWidth < byHeight ? byWidth : byHeight;
    EXPECT_FLOAT_EQ(h.mesh->layoutScale, scale);
    EXPECT_EQ(h.mesh->renderPointCount, 2);
    EXPECT_EQ(h.mesh->tabWidth, 0);
    EXPECT_NEAR(h.mesh->renderPoints[0].x + h.mesh->renderPoints[1].x, 1, 1e-6);
    EXPECT_NEAR(h.mesh->renderPoints[0].y + h.mesh->renderPoints[1].y, c.aspect, 1e-6);
    EXPECT_NEAR(h.mesh->renderPoints[1].x - h.mesh->renderPoints[0].x, (c.xmax - c.xmin) * scale, 1e-6);
  }
}

// Render points for a square and a triangle of the net, as the layout would
// leave them: render point i at net point i.
void CopyNetPointsToRenderPoints(PolyMesh* m) {
  for (int32_t i = 0; i < kMaxNetPoints; ++i) {
    if (!m->netPointUsed[i]) continue;
    double x, y;
    GetNetPointXY(i, m, &x, &y);
    m->renderPoints[i] = RenderPoint{float(x), float(y), 0, 0, 1};
    if (i >= m->renderPointCount) m->renderPointCount = i + 1;
  }
}

TEST(PolyMeshTabs, TabOnAnEdgeIsATrapezoidOutsideIt) {
  MeshHolder h;
  const int32_t a = h.NetPoint(0, 0);
  const int32_t b = h.NetPoint(0.2, 0);
  const int32_t c = h.NetPoint(0.1, 0.1);
  MeshFace& face = h.mesh->faces[0];
  face.netPoint[0] = a;
  face.netPoint[1] = b;
  face.netPoint[2] = c;
  face.netPointCount = 3;
  face.tabFlag[0] = 1;
  h.mesh->faceCount = h.mesh->netFaceCount = 1;
  CopyNetPointsToRenderPoints(h.mesh);
  ASSERT_TRUE(AppendFaceTriangle(0, h.mesh, 0, 0, 1, 2, 0));
  h.mesh->renderTriangleCount = 1;
  EXPECT_EQ(h.mesh->renderTriangles[0].edgeTab[0], 1);
  EXPECT_EQ(h.mesh->renderTriangles[0].edgeTab[1], 0);
  h.mesh->tabWidth = 0.01f;
  AddTabTriangles(h.mesh);
  ASSERT_EQ(h.mesh->renderTriangleCount, 3);
  ASSERT_EQ(h.mesh->renderPointCount, 5);
  const RenderPoint& A = h.mesh->renderPoints[3];
  const RenderPoint& B = h.mesh->renderPoints[4];
  EXPECT_NEAR(A.y, -0.002, 1e-7);  // height: tab width times the edge length
  EXPECT_NEAR(B.y, -0.002, 1e-7);
  EXPECT_NEAR(B.x - A.x, 0.2 - 2 * 0.57735026 * 0.01 * 0.2, 1e-7);
  EXPECT_EQ(A.d0, 1.0f);
  EXPECT_EQ(h.mesh->netPointUsed[3], 1);
  for (int32_t t = 1; t < 3; ++t) {
    const RenderTriangle& tab = h.mesh->renderTriangles[t];
    EXPECT_EQ(tab.extraTriangle, 1);
    EXPECT_EQ(tab.netFace, 0);
    EXPECT_EQ(tab.id, 0);
    EXPECT_EQ(tab.tag, kNoTriangleTag);
    EXPECT_EQ(tab.edgeTab[0] + tab.edgeTab[1] + tab.edgeTab[2], 0);  // tabs get no tabs
  }
  // Wide tabs slant more.
  h.mesh->wideTabs = 1;
  h.mesh->renderTriangleCount = 1;
  h.mesh->renderPointCount = 3;
  AddTabTriangles(h.mesh);
  EXPECT_NEAR(h.mesh->renderPoints[4].x - h.mesh->renderPoints[3].x, 0.2 - 2 * 1.0355303 * 0.01 * 0.2, 1e-7);
}

TEST(PolyMeshTabs, FullTablesLeaveTheTabOut) {
  struct Case {
    const char* what;
    int32_t points, triangles;
    int32_t code;
    int32_t pointsAfter, trianglesAfter;
  };
  const Case cases[] = {
      {"room for both", 10, 1, 0, 12, 3},
      {"render points full", kMaxRenderPoints - 2, 1, kMeshRenderPointsFull, kMaxRenderPoints - 2, 1},
      {"triangles full: the points stay", 10, kMaxMeshTriangles - 2, kMeshTrianglesFull, 12,
       kMaxMeshTriangles - 2},
  };
  for (const Case& c : cases) {
    MeshHolder h(false);
    h.mesh->renderPoints[1] = RenderPoint{1, 0, 0, 0, 0};
    h.mesh->renderTriangleCount = c.triangles;
    h.mesh->renderPointCount = c.points;
    RenderTriangle& t = h.mesh->renderTriangles[0];
    t.points[0] = 0;
    t.points[1] = 1;
    t.points[2] = 2;
    h.mesh->tabWidth = 0.1f;
    AddEdgeTab(h.mesh, 0, 0);
    EXPECT_EQ(h.mesh->errorCode, c.code) << c.what;
    EXPECT_EQ(h.mesh->renderPointCount, c.pointsAfter) << c.what;
    EXPECT_EQ(h.mesh->renderTriangleCount, c.trianglesAfter) << c.what;
  }
  MeshHolder h(false);
  EXPECT_FALSE(AppendFaceTriangle(kMaxMeshTriangles, h.mesh, 0, 0, 1, 2, 0));
  EXPECT_EQ(h.mesh->errorCode, kMeshTrianglesFull);
}

// The outline of the cross: 14 edges, walked from the first open edge back to
// it, each edge once, always along edges without a net neighbour.
TEST(PolyMeshOutline, WalkAroundTheCross) {
  MeshHolder h;
  BuildCube(&h);
  BuildCubeCrossNet(&h);
  BuildNetAdjacency(h.mesh, 6);
  int32_t face, edge;
  ASSERT_TRUE(FindOpenNetEdge(h.mesh, &face, &edge));
  EXPECT_EQ(face, 1);  // the middle square has no outline edge; the one below it does
  EXPECT_EQ(edge, 0);
  const int32_t startFace = face, startEdge = edge;
  std::set<std::pair<int32_t, int32_t>> seen;
  double length = 0;
  for (int32_t step = 0; step < 20; ++step) {
    EXPECT_EQ(h.mesh->faces[face].netNeighbour[edge], -1);
    EXPECT_TRUE(seen.insert({face, edge}).second);
    double x0, y0, x1, y1;
    GetNetPointXY(h.mesh->faces[face].netPoint[edge], h.mesh, &x0, &y0);
    GetNetPointXY(h.mesh->faces[face].netPoint[(edge + 1) % 4], h.mesh, &x1, &y1);
    length += std::hypot(x1 - x0, y1 - y0);
    ASSERT_TRUE(NextOutlineEdge(h.mesh, &face, &edge));
    if (face == startFace && edge == startEdge) break;
  }
  EXPECT_EQ(seen.size(), 14u);
  EXPECT_DOUBLE_EQ(length, 14);
  // Marking edges visited moves the first open edge on; groups select faces.
  for (const auto& [f, k] : seen) h.mesh->faces[f].outlineVisited[k] = 1;
  EXPECT_FALSE(FindOpenNetEdge(h.mesh, &face, &edge));
  h.mesh->faces[3].netGroup = 2;
  ASSERT_TRUE(FindOpenNetEdgeInGroup(h.mesh, &face, &edge, 2));
  EXPECT_EQ(face, 3);
  EXPECT_FALSE(FindOpenNetEdgeInGroup(h.mesh, &face, &edge, 5));
}

TEST(PolyMeshRegions, FaceRegionRules) {
  MeshHolder h(false);
  h.mesh->faceCount = 5;
  h.mesh->netFaceCount = 3;
  EXPECT_EQ(FaceRegion(1, h.mesh), 1);
  EXPECT_EQ(FaceRegion(7, h.mesh), 2);  // clamped to the last face
  static const uint16_t regions[3] = {4, 5, 6};
  h.mesh->regionTable = regions;
  EXPECT_EQ(FaceRegion(1, h.mesh), 5);
  h.mesh->netNumber = 163;
  h.mesh->faces[2].piece = 0;
  const int32_t groups[][2] = {{2, 4}, {20, 4}, {9, 5}, {12, 1}, {25, 9}, {16, 8}, {19, 2}, {23, 7}, {26, 3}, {27, 6},
                               {0, 0}, {5, 0}};
  for (const auto& g : groups) {
    h.mesh->faces[0].group = uint16_t(g[0]);
    EXPECT_EQ(FaceRegion(2, h.mesh), g[1]) << g[0];
  }
  h.mesh->faces[2].piece = -1;
  EXPECT_EQ(FaceRegion(2, h.mesh), 0);
  h.mesh->netFaceCount = 0;
  EXPECT_EQ(FaceRegion(0, h.mesh), -1);
}

// The cut edges of the curve-net styles on the cube's faces, tagged 0..5 by
// face, with face 0 long and thin for style 5.
TEST(PolyMeshCurveCuts, StylesMarkTheirEdges) {
  auto cuts = [](int32_t style, void (*prepare)(PolyMesh*)) {
    MeshHolder h;
    BuildCube(&h);
    for (int32_t f = 0; f < 6; ++f) h.mesh->faces[f].faceTag = f;
    if (prepare != nullptr) prepare(h.mesh);
    h.mesh->curveNetStyle = style;
    LayoutNetFaces(h.mesh);
    int32_t count = 0;
    for (int32_t f = 0; f < 6; ++f) {
      for (int32_t k = 0; k < 4; ++k) count += h.mesh->faces[f].edgeFlags[k] & kEdgeCut;
    }
    return count;
  };
  // Tags 0..5 by face.
  EXPECT_EQ(cuts(0, nullptr), 0);
  // Style 1 cuts where tags differ by more than 1: every one of the 12 edges
  // but those between faces 1 and 2 and faces 3 and 4, on both sides.
  EXPECT_EQ(cuts(1, nullptr), 20);
  // Style 7: more than 3 apart: the edges of faces 0-4, 0-5 and 1-5.
  EXPECT_EQ(cuts(7, nullptr), 6);
  // Style 3: only each face's shortest edge (its first), when the tags differ.
  EXPECT_EQ(cuts(3, nullptr), 6);
  // Style 4 skips faces that are not long and thin.
  EXPECT_EQ(cuts(4, nullptr), 0);
  // Unmarked tags are never cut by styles 1 and 7 unless the face's second flag is set.
  EXPECT_EQ(cuts(1, [](PolyMesh* m) {
              for (int32_t f = 0; f < 6; ++f) m->faces[f].faceTag = -101;
            }),
            0);
  EXPECT_EQ(cuts(1, [](PolyMesh* m) {
              for (int32_t f = 0; f < 6; ++f) m->faces[f].faceTag = f % 2 ? -101 : 0;
              m->faces[0].secondFlag = 1;  // 0 against -101 on y = 1 and x = 1: 101 apart
            }),
            2);
}

}  // namespace
