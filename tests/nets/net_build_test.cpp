// Net outputs: the descriptor of every output number, the build pipeline
// end to end for the nets that are built, the regions of faces, and the
// continuity of a net across its folds and cuts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "geometry/fast_math.h"
#include "nets/net_build.h"
#include "nets/net_faces.h"
#include "nets/net_layout.h"
#include "nets/net_pixel.h"
#include "projection/mapping_context.h"
#include "projection/output_shapes.h"
#include "tests/nets/net_fixtures.h"
#include "tests/support/net_directions.h"

namespace {

struct ExpectedRow {
  uint32_t mode;
  uint32_t source;
  const char* list;  // output->net, with the angle in brackets when not 0
};

// The outputs drawn as nets, as the list of the net outputs gives them.
const ExpectedRow kExpected[] = {
    {0, 0,
     "6->16, 7->18, 8->19, 9->9, 10->23, 25->7, 26->0, 27->12, 28->1, 29->8, 30->2, 31->3, 32->4, 33->5, 34->6, 44->13, 47->17, 54->20, 55->21, 168->70"},
    {0, 1,
     "21->28, 41->10, 42->11, 86->29, 97->30, 98->31, 100->32, 101->33, 102->34, 103->35, 104->36, 105->37, 106->38, 107->39, 113->40, 114->41, 115->42, 116->43, 117->57, 122->52, 123->53, 124->54, 125->55, 126->56, 127->46, 129->47, 137->58, 144->59, 150->60, 167->69, 145->61, 151->62, 152->63, 153->63, 154->63, 155->64, 166->68"},
    {0, 2,
     "174->74 (0.3926991), 177->80 (0.9581858), 178->81 (1.350885), 179->82 (1.193805), 180->83 (1.790708), 181->84 (2.670354), 182->85 (0.2984513), 183->86 (1.350885), 184->87 (2.403318), 185->88 (2.38761), 186->89 (1.822124), 187->90 (1.743584), 188->91 (1.712168), 189->92 (1.680752), 190->93 (2.120575), 191->94 (2.38761), 192->95 (2.371902), 193->96 (2.293363), 194->97, 195->98 (1.555088), 196->99 (1.869248), 197->100 (1.743584), 198->101 (2.010619)"},
    {2, 1,
     "70->25 (3.092724), 71->26 (4.194026), 72->27 (5.078908), 161->48 , 169->71 (0.3490659), 170->72 (0.1396263), 175->76 (-0.03926991), 176->77 (5.40354), 261->163, 1035->164, 1042->49 (3.092724), 10053->75 (-0.1867502)"},
    {2, 1,
     "199->102 (2.513274), 200->103 (1.570796), 201->104 (2.199115), 202->106, 203->136 (4.712389), 204->105 (1.570796), 205->107 (4.125958), 206->108 (3.612832), 207->109 (4.897918), 208->110 (8.042478), 209->111 (0.153938), 210->113 (2.277655), 211->137 (4.712389), 212->112 (1.570796), 213->114 (1.570796), 214->138 (4.712389), 215->115 (0.3926991), 216->116 (4.780457), 217->117 (7.853982), 218->118 (1.723164), 219->119 (3.879867), 220->122, 221->139 (4.712389), 222->120 (1.570796), 223->123 (5.362699), 224->140 (4.712389), 225->121 (1.570796), 226->124, 227->125 (0.5340708), 228->126 (5.335297), 229->127 (4.715705), 230->128 (1.570796), 231->129 (4.712389), 232->130, 233->133 (2.481858), 234->141 (4.712389), 235->131 (1.570796), 236->134 (7.794641), 237->142 (4.45059), 238->132 (1.555088), 239->135 (7.665486), 240->143, 241->144 (0.5026549), 242->145 (4.55723), 243->146 (2.042035), 244->147 (1.954769), 245->148 (4.888668), 246->149 (4.939282)"},
    {5, 1,
     "64->24"},
    {6, 1,
     "156->65, 157->65, 158->66, 162->67, 163->66, 247->150 , 172->18, 173->73, 248->151, 249->153, 250->154, 253->152 (-2.399828), 254->155 (-2.687807), 256->156 (-0.148353), 257->157 (-0.5235988), 258->158 (-0.3525565), 259->159 (0.6283185), 260->160 (-1.944297), 262->162"},
};

std::map<int32_t, NetDescriptor> ExpectedDescriptors() {
  std::map<int32_t, NetDescriptor> table;
  for (const ExpectedRow& row : kExpected) {
    // Entries "output->net" or "output->net (angle)", separated by commas.
    std::string text = row.list;
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find(',', at);
      if (end == std::string::npos) end = text.size();
      const std::string entry = text.substr(at, end - at);
      at = end + 1;
      const size_t arrow = entry.find("->");
      if (arrow == std::string::npos) continue;
      const int32_t output = std::stoi(entry.substr(0, arrow));
      const int32_t net = std::stoi(entry.substr(arrow + 2));
      const size_t open = entry.find('(');
      const float angle = open == std::string::npos ? 0.0f : std::stof(entry.substr(open + 1));
      table[output] = NetDescriptor{net, row.mode, 0, angle, row.source};
    }
  }
  return table;
}

struct MeshBox {
  std::unique_ptr<PolyMesh> owned = std::make_unique<PolyMesh>();
  PolyMesh* mesh = owned.get();
  MeshBox() {
    std::memset(mesh, 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh);
  }
  // Generated nets own their tables.
  ~MeshBox() { FreeMeshTables(mesh, nullptr); }
  MeshBox(const MeshBox&) = delete;
  MeshBox& operator=(const MeshBox&) = delete;
};

}  // namespace

TEST(NetDescriptors, EveryOutputNumberAgainstTheListOfNetOutputs) {
  const std::map<int32_t, NetDescriptor> expected = ExpectedDescriptors();
  EXPECT_EQ(expected.size(), 160u);
  std::vector<int32_t> outputs;
  for (int32_t o = -2; o <= 1100; ++o) outputs.push_back(o);
  for (int32_t o : {10053, 10052, 10054, 20000}) outputs.push_back(o);
  for (int32_t output : outputs) {
    NetDescriptor d;
    NetDescriptorForOutput(output, &d);
    const auto found = expected.find(output);
    if (found != expected.end()) {
      EXPECT_EQ(d.net, found->second.net) << output;
      EXPECT_EQ(d.source, found->second.source) << output;
      EXPECT_EQ(d.fitMode, 0) << output;
      EXPECT_FLOAT_EQ(d.angle, found->second.angle) << output;
      if (d.source == 1) {
        EXPECT_EQ(d.buildMode, found->second.buildMode) << output;
      }
    } else if (OutputShapeHasNet(output)) {
      OutputShape shape;
      GetOutputShape(output, &shape);
      EXPECT_EQ(d.net, shape.netNumber) << output;
      EXPECT_EQ(d.buildMode, uint32_t(shape.netOption)) << output;
      EXPECT_EQ(d.source, 1u) << output;
    } else {
      EXPECT_EQ(d.net, -1) << output;
    }
    EXPECT_EQ(IsNetOutput(output), d.net != -1) << output;
    EXPECT_EQ(IsSphericonOutput(output), d.net >= 102 && d.net <= 149) << output;
    EXPECT_EQ(IsCurveNetOutput(output), d.net >= 151 && d.net <= 161) << output;
  }
}

TEST(NetDescriptors, NetsOfSolidsLeaveOutFlatLayoutsAndShapedOutputs) {
  struct Case {
    int32_t output;
    bool solid;
  };
  const Case cases[] = {{6, true}, {7, true}, {30, true}, {177, true}, {199, true}, {70, true}, {248, true},
                        {21, false}, {41, false}, {64, false}, {97, false}, {167, false}, {145, false},
                        {151, false}, {1, false}, {355, false}};
  for (const Case& c : cases) EXPECT_EQ(IsNetOfSolid(c.output), c.solid) << c.output;
}

TEST(NetBuild, AnOutputWithoutANetLeavesTheRecordAsItWas) {
  MeshBox box;
  box.mesh->renderTriangleCount = 17;
  box.mesh->netNumber = 5;
  EXPECT_EQ(BuildNet(box.mesh, -1, kBuildNet, kFitToBox, 0, nullptr, true), 0);
  EXPECT_EQ(box.mesh->renderTriangleCount, 17);
  EXPECT_EQ(box.mesh->netNumber, 5);
}

TEST(NetBuild, TetrahedronAndCubeBuildThroughTheirOutputs) {
  struct Case {
    int32_t output;
    int32_t faces;
    int32_t triangles;  // without tabs
  };
  for (const Case& c : {Case{6, 4, 4}, Case{7, 6, 12}}) {
    MeshBox box;
    BuildNetForOutput(c.output, box.mesh, 0.5f, 0.0f, kFitToBox, 0, kBuildNet, nullptr, true);
    EXPECT_EQ(box.mesh->netFaceCount, c.faces) << c.output;
    EXPECT_EQ(box.mesh->renderTriangleCount, c.triangles) << c.output;
    EXPECT_EQ(box.mesh->errorCode, kMeshNoError) << c.output;
    // Fitted into the output box 0..1 by 0..0.5.
    float xmin, xmax, ymin, ymax;
    UsedNetPointBounds(box.mesh, &xmin, &xmax, &ymin, &ymax);
    EXPECT_GE(xmin, -1e-5f);
    EXPECT_LE(xmax, 1 + 1e-5f);
    EXPECT_GE(ymin, -1e-5f);
    EXPECT_LE(ymax, 0.5f + 1e-5f);
    EXPECT_TRUE(std::fabs(xmax - xmin - 1) < 1e-4 || std::fabs(ymax - ymin - 0.5f) < 1e-4) << c.output;
    // Every face centre is a unit direction, every net point has its vertex.
    for (int32_t f = 0; f < box.mesh->faceCount; ++f) {
      const Vec3& centre = box.mesh->faces[f].centre;
      EXPECT_NEAR(std::sqrt(centre.x * centre.x + centre.y * centre.y + centre.z * centre.z), 1.0, 1e-12);
    }
    for (int32_t f = 0; f < box.mesh->netFaceCount; ++f) {
      for (int32_t k = 0; k < box.mesh->faces[f].netPointCount; ++k) {
        EXPECT_GE(box.mesh->netPointVertex[box.mesh->faces[f].netPoint[k]], 0);
      }
    }
  }
}

TEST(NetBuild, TheNetTurnsByTheAngleItIsGiven) {
  MeshBox plain, turned;
  BuildNet(plain.mesh, 16, kBuildNet, kFitKeep, 0, nullptr, true);
  BuildNet(turned.mesh, 16, kBuildNet, kFitKeep, 0.5f, nullptr, true);
  for (int32_t p = 0; p < 6; ++p) {
    const RenderPoint& a = plain.mesh->renderPoints[p];
    const RenderPoint& b = turned.mesh->renderPoints[p];
    EXPECT_NEAR(b.x, a.x * std::cos(0.5f) - a.y * std::sin(0.5f), 1e-6);
    EXPECT_NEAR(b.y, a.x * std::sin(0.5f) + a.y * std::cos(0.5f), 1e-6);
    EXPECT_EQ(b.d0, a.d0);
  }
}

TEST(NetSeams, APointOnAFoldOrACutMapsToOneDirectionFromBothFaces) {
  for (int32_t output : {6, 7}) {
    MeshBox box;
    PolyMesh* mesh = box.mesh;
    BuildNetForOutput(output, mesh, 0.5f, 0.05f, kFitToBox, 0, kBuildNet, nullptr, true);
    int32_t folds = 0, cuts = 0;
    SCOPED_TRACE(output);
    ExpectOneDirectionFromBothSides(mesh, 0.125, 1e-4, &folds, &cuts);
    EXPECT_GT(folds, 0);
    EXPECT_GT(cuts, 0);
  }
}

// The tattoos' cells are quads blended as equirectangular positions, some of
// them with a pole for a corner and some across longitude 0: what a pixel
// shows (the per-pixel face map, quads included) agrees from both sides of
// every fold and cut.
TEST(NetSeams, TattooPixelsAgreeFromBothSidesOfEveryEdge) {
  auto list = std::make_unique<NetFaceList>();
  std::memset(list.get(), 0, sizeof(NetFaceList));
  auto pixel = [&](const PolyMesh* m, int32_t f, double x, double y) {
    double w[3];
    const int32_t t = TriangleOfFaceAt(m, f, x, y, w);
    Vec3f d{0, 0, 0};
    uint8_t outside = 0;
    if (t >= 0) {
      MapNetFace(const_cast<PolyMesh*>(m), float(w[0]), float(w[1]), float(w[2]), t, float(x), float(y), nullptr, &d,
                 &outside, list.get());
    }
    return Vec3{d.x, d.y, d.z};
  };
  for (int32_t output : {169, 170}) {
    SCOPED_TRACE(output);
    MeshBox box;
    BuildNetForOutput(output, box.mesh, 0.5f, 0.05f, kFitToBox, 0, kBuildNet, nullptr, true);
    ASSERT_EQ(box.mesh->equirectCorners, 1);
    // The fans meet the strips' slivers without shared edges: those edges
    // have no other side.
    int32_t folds = 0, cuts = 0, open = 0;
    ExpectOneDirectionFromBothSides(box.mesh, 0.125, 1e-3, &folds, &cuts, pixel, &open);
    EXPECT_GT(folds, 500);
    EXPECT_GT(cuts, 100);
  }
}

TEST(FaceRegions, RegionOfAFaceByTheRulesOfItsNet) {
  MeshHolder h(false);
  EXPECT_EQ(FaceRegion(3, nullptr), 0);
  h.mesh->faceCount = h.mesh->netFaceCount = 20;
  h.mesh->netNumber = 16;
  struct Case {
    int32_t face;
    int32_t region;
  };
  // Without a region table a face is its own region; beyond the net faces the last one.
  for (const Case& c : {Case{-1, -1}, Case{-7, -1}, Case{0, 0}, Case{13, 13}, Case{19, 19}, Case{25, 19}}) {
    EXPECT_EQ(FaceRegion(c.face, h.mesh), c.region) << c.face;
  }
  EXPECT_EQ(MeshGroupCount(h.mesh), 20);
  static uint16_t table[20];
  for (int32_t i = 0; i < 20; ++i) table[i] = uint16_t(i / 4);
  h.mesh->regionTable = table;
  EXPECT_EQ(FaceRegion(13, h.mesh), 3);
  EXPECT_EQ(MeshGroupCount(h.mesh), 5);
  // Nets 163 and 164: by the group of the face's solid face.
  const int32_t groups[][2] = {{7, 1}, {8, 1}, {10, 1}, {12, 1}, {14, 2}, {15, 2}, {17, 2}, {19, 2}, {21, 3},
                               {22, 3}, {24, 3}, {26, 3}, {2, 4}, {20, 4}, {6, 5}, {9, 5}, {4, 6}, {27, 6},
                               {18, 7}, {23, 7}, {13, 8}, {16, 8}, {11, 9}, {25, 9}, {3, 0}, {0, 0}, {1, 0}};
  for (int32_t net : {163, 164}) {
    h.mesh->netNumber = net;
    h.mesh->faces[2].piece = 9;
    for (const auto& g : groups) {
      h.mesh->faces[9].group = uint16_t(g[0]);
      EXPECT_EQ(FaceRegion(2, h.mesh), g[1]) << net << " group " << g[0];
    }
  }
  EXPECT_EQ(MeshGroupCount(nullptr), 1);
}

TEST(FaceCorners, EquirectangularCornersBlendAcrossTheSeam) {
  MeshHolder h(false);
  h.mesh->equirectCorners = 1;
  RenderTriangle& t = h.mesh->renderTriangles[0];
  // Corners as equirectangular positions, or (for u < 0) a direction given
  // as it stands: (+0, y, -z) reads back as longitude 1 exactly, and (0, -1,
  // 0) is a pole.
  struct Corner {
    double u, v;
    Vec3 direction;
  };
  const Vec3 none{0, 0, 0};
  const Vec3 atOne{+0.0, -0.8660254037844386, -0.5};
  const Vec3 pole{0, -1, 0};
  struct Case {
    const char* name;
    Corner corners[3];
    float b[3];
    double u, v;  // expected, u taken modulo 1
  };
  const Case cases[] = {
      // (0.98 + 1.02 + 1.01) / 3 = 1.00333: u 0.00333 across the seam.
      {"across the seam", {{0.98, 0.5, none}, {0.02, 0.5, none}, {0.01, 0.5, none}}, {1.0f / 3, 1.0f / 3, 1.0f / 3},
       1.00333333 - 1, 0.5},
      // A longitude of exactly 1 is the seam itself, not a turn away from
      // the corners just past it.
      {"a corner at 1 beside the first quarter", {{-1, 0, atOne}, {0.02, 0.8, none}, {0.04, 0.8, none}},
       {0.5f, 0.25f, 0.25f}, 0.015, 0.5 * (5.0 / 6) + 0.5 * 0.8},
      {"a corner at 1 beside the last quarter", {{-1, 0, atOne}, {0.98, 0.8, none}, {0.96, 0.8, none}},
       {0.5f, 0.25f, 0.25f}, 0.985, 0.5 * (5.0 / 6) + 0.5 * 0.8},
      // A fan triangle from the pole: the pole gives no longitude.
      {"a pole, a corner at 1 and one past it", {{-1, 0, pole}, {-1, 0, atOne}, {0.0125, 0.8375, none}},
       {0.1f, 0.45f, 0.45f}, 0.00625, 0.1 * 1 + 0.45 * (5.0 / 6) + 0.45 * 0.8375},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int32_t i = 0; i < 3; ++i) {
      const Corner& k = c.corners[i];
      if (k.u < 0) {
        t.corners[i] = k.direction;
      } else {
        EquirectToVec3d(k.u, k.v, &t.corners[i]);
      }
    }
    Vec3 d;
    InterpolateFaceCorners(0, c.b[0], c.b[1], c.b[2], &d, h.mesh);
    Vec3 copy = d;
    double du, dv;
    Vec3dToEquirect(&copy, &du, &dv);
    const double off = std::remainder(du - c.u, 1.0);
    EXPECT_NEAR(off, 0, 1e-4);
    EXPECT_NEAR(dv, c.v, 1e-5);
  }
  // Without the flag the corners blend as directions.
  h.mesh->equirectCorners = 0;
  Vec3 d;
  InterpolateFaceCorners(0, 1, 0, 0, &d, h.mesh);
  EXPECT_NEAR(d.x, t.corners[0].x, 1e-12);
}

TEST(FaceCorners, DirectionToUvFlagsThePoles) {
  Vec3 equator{1, 0, 0};
  EXPECT_EQ(DirectionToUvChecked(&equator), 1.0f);
  EXPECT_EQ(equator.z, 0.0);
  Vec3 pole{0, 1, 0};
  EXPECT_EQ(DirectionToUvChecked(&pole), 0.0f);
}

TEST(FaceExport, EachFaceIsTurnedToItsNarrowestWidth) {
  MeshBox box;
  auto tables = std::make_unique<FaceExportTables>();
  // The tetrahedron's faces are equilateral: narrowest with an edge upright,
  // where the height is the side and the width the altitude.
  const float ratio = BuildExportNet(tables.get(), 6, 4, nullptr, box.mesh, 0.0f, true);
  EXPECT_NEAR(ratio, 2 / std::sqrt(3.0f), 2e-3);
  EXPECT_GT(tables->scale, 0);
  for (int32_t f = 0; f < 4; ++f) {
    const float angle = tables->values[3 * f + 2];
    EXPECT_LE(std::fabs(angle), 3.1415927f) << f;
    // Drawn alone at that angle, the face is as wide as the measure found.
    box.mesh->selectedFace = f;
    FitNetToOutput(box.mesh, 1.0f, 0.0f);
    BuildNet(box.mesh, 16, kBuildFaceExport, kFitKeep, angle, nullptr, true);
    float xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    RenderTriangleBounds(box.mesh, &xmin, &xmax, &ymin, &ymax, f, 0);
    EXPECT_NEAR((xmin + xmax) / 2, tables->values[3 * f], 1e-5) << f;
    EXPECT_NEAR(xmax - xmin, 1 / tables->scale, 2e-3) << f;
  }
}

TEST(FaceSearch, ADirectionFindsTheFaceWhoseSphericalTriangleHoldsIt) {
  MeshBox box;
  BuildNetForOutput(6, box.mesh, 0.5f, 0.0f, kFitToBox, 0, kBuildNet, nullptr, true);
  auto list = std::make_unique<NetFaceList>();
  std::memset(list.get(), 0, sizeof(NetFaceList));
  BuildRowFaceList(box.mesh, 0, -1, 0, list.get(), 0, 1, 0);
  ASSERT_EQ(list->faceCount, 4);
  for (int32_t t = 0; t < 4; ++t) {
    const RenderTriangle& tri = box.mesh->renderTriangles[t];
    const Vec3 centre{(tri.corners[0].x + tri.corners[1].x + tri.corners[2].x) / 3,
                      (tri.corners[0].y + tri.corners[1].y + tri.corners[2].y) / 3,
                      (tri.corners[0].z + tri.corners[1].z + tri.corners[2].z) / 3};
    uint8_t outside = 1;
    FindFaceAtPoint(&centre, box.mesh, nullptr, &outside, list.get());
    EXPECT_EQ(outside, 0) << t;
    EXPECT_EQ(list->hitTriangle, t);
  }
  // An empty list finds nothing.
  list->faceCount = 0;
  uint8_t outside = 0;
  const Vec3 any{0, 0, 1};
  FindFaceAtPoint(&any, box.mesh, nullptr, &outside, list.get());
  EXPECT_EQ(outside, 1);
}

TEST(NetBuild, NetPointVerticesAgreeWithTheQueryOfOnePoint) {
  for (int32_t output : {6, 7}) {
    MeshBox box;
    BuildNetForOutput(output, box.mesh, 0.5f, 0.05f, kFitToBox, 0, kBuildNet, nullptr, true);
    for (int32_t p = 0; p < kMaxNetPoints; ++p) EXPECT_EQ(box.mesh->netPointVertex[p], NetPointVertex(box.mesh, p)) << p;
  }
}

// Every face a generator adds unfolds, whatever group it carries: without
// group unfolding each pass starts a new piece from the first face not yet
// placed, so no face is left out. Generated nets that are not built yet
// build no faces and are passed over.
TEST(NetBuild, EveryFaceOfAGeneratedNetIsUnfolded) {
  std::vector<int32_t> nets = {25, 26, 27, 48, 49, 50, 71, 72, 74, 75, 76, 77, 150};
  for (int32_t net = 80; net <= 149; ++net) nets.push_back(net);
  for (int32_t net = 151; net <= 164; ++net) nets.push_back(net);
  for (int32_t net : nets) {
    MeshBox box;
    FitNetToOutput(box.mesh, 0.5f, 0.0f);
    BuildNet(box.mesh, net, kBuildNoTabs, kFitToBox, 0, nullptr, false);
    if (box.mesh->faceCount == 0) continue;
    EXPECT_NE(box.mesh->errorCode, kMeshGroupOutOfRange) << net;
    // Unfolding by groups clears the placement at the start of every pass,
    // so only the last pass's faces read as placed (net 163; its output lays
    // it flat with its own builder instead).
    if (box.mesh->groupUnfold == 1) continue;
    for (int32_t s = 0; s < box.mesh->faceCount; ++s) {
      if (box.mesh->faces[s].vertexCount < 3) continue;
      EXPECT_EQ(box.mesh->faces[s].placed, 1) << "net " << net << " face " << s;
    }
  }
}
