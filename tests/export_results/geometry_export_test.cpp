// The OBJ, MTL and STL texts of hand-built closed solids.
#include <cmath>
#include <cstring>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "export/export_files.h"
#include "export/geometry_export.h"
#include "export/text_output.h"
#include "settings/jpeg_memory.h"
#include "tests/export_results/geometry_meshes.h"
#include "tests/export_results/results_support.h"

namespace {

struct Written {
  std::string obj, mtl, stl;
};

Written WriteAll(const PolyMesh* mesh, const std::string& objPath, int16_t* result = nullptr) {
  GeometryNames names;
  EXPECT_TRUE(BuildGeometryNames(objPath.c_str(), &names));
  const int16_t written = WriteGeometryFiles(mesh, &names);
  if (result != nullptr) {
    *result = written;
  } else {
    EXPECT_EQ(written, kExportDone);
  }
  return {ReadWholeFile(names.obj), ReadWholeFile(names.mtl), ReadWholeFile(names.stl)};
}

std::vector<std::string> LinesStarting(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  for (const std::string& line : SplitLines(text))
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

std::vector<float> Numbers(const std::string& line) {
  std::vector<float> values;
  std::istringstream in(line.substr(line.find(' ') + 1));
  float v;
  while (in >> v) values.push_back(v);
  return values;
}

struct StlTriangle {
  float normal[3];
  float corner[3][3];
};

std::vector<StlTriangle> ParseStl(const std::string& bytes) {
  std::vector<StlTriangle> triangles;
  EXPECT_GE(bytes.size(), 84u);
  if (bytes.size() < 84) return triangles;
  EXPECT_EQ(bytes.substr(0, 80), std::string(80, '\0'));
  uint32_t count;
  std::memcpy(&count, bytes.data() + 80, 4);
  EXPECT_EQ(bytes.size(), 84u + 50u * count);
  for (uint32_t t = 0; t < count && 84 + 50 * (t + 1) <= bytes.size(); ++t) {
    StlTriangle tri;
    std::memcpy(&tri, bytes.data() + 84 + 50 * t, 48);
    EXPECT_EQ(bytes[84 + 50 * t + 48] | bytes[84 + 50 * t + 49], 0);
    triangles.push_back(tri);
  }
  return triangles;
}

TEST(GeometryNames, SiblingsTakeTheSafeBaseInTheSameFolder) {
  struct Case {
    std::string chosen, mtl, stl, jpg, base;
  };
  const Case cases[] = {
      {"/tmp/a b/My solid.obj", "/tmp/a b/My_solid.mtl", "/tmp/a b/My_solid.stl", "/tmp/a b/My_solid.jpg",
       "My_solid"},
      {"Polyhedron.obj", "Polyhedron.mtl", "Polyhedron.stl", "Polyhedron.jpg", "Polyhedron"},
      {"/x/two.dots.obj", "/x/two.dots.mtl", "/x/two.dots.stl", "/x/two.dots.jpg", "two.dots"},
      {"/x/q?*:.obj", "/x/q___.mtl", "/x/q___.stl", "/x/q___.jpg", "q___"},
      {"/x/..\\up.obj", "/x/..\\up.mtl", "/x/..\\up.stl", "/x/..\\up.jpg", "up"},
  };
  for (const Case& c : cases) {
    GeometryNames names;
    ASSERT_TRUE(BuildGeometryNames(c.chosen.c_str(), &names)) << c.chosen;
    EXPECT_EQ(names.obj, c.chosen);
    EXPECT_EQ(names.mtl, c.mtl);
    EXPECT_EQ(names.stl, c.stl);
    EXPECT_EQ(names.jpg, c.jpg);
    EXPECT_EQ(names.safeBase, c.base);
  }
  GeometryNames names;
  // A sibling one character beyond the longest path.
  const std::string folder = "/" + std::string(kMaxPathLength - 10, 'f') + "/";
  EXPECT_TRUE(BuildGeometryNames((folder + "ab.obj").c_str(), &names));
  EXPECT_FALSE(BuildGeometryNames((folder + "abcdef").c_str(), &names));
  EXPECT_FALSE(BuildGeometryNames("", &names));
  EXPECT_FALSE(BuildGeometryNames("/x/", &names));
  EXPECT_FALSE(BuildGeometryNames(std::string(kMaxPathLength + 1, 'a').c_str(), &names));
}

TEST(GeometryExport, TetrahedronLinesAndTabsLeftOut) {
  FixedClockScope clock;
  TestFolder folder("tetra");
  HandSolid solid;
  BuildTetrahedron(&solid);
  solid.AddTabTriangle();
  const Written w = WriteAll(solid.mesh, folder / "My solid.obj");
  const std::vector<std::string> lines = SplitLines(w.obj);
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], std::string("# Exported from Orbalix 2 ") + std::string(kMakerWebAddress));
  EXPECT_EQ(lines[1], "# on 5 May 2026 at 09:04:03");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "mtllib My_solid.mtl");
  EXPECT_EQ(lines[5], "g OrbalixPolyhedron");
  EXPECT_EQ(LinesStarting(w.obj, "usemtl "), std::vector<std::string>{"usemtl My_solid_material"});
  const auto v = LinesStarting(w.obj, "v "), vn = LinesStarting(w.obj, "vn "), vt = LinesStarting(w.obj, "vt ");
  const auto f = LinesStarting(w.obj, "f ");
  ASSERT_EQ(v.size(), 4u);
  ASSERT_EQ(vn.size(), 4u);
  ASSERT_EQ(vt.size(), 6u);
  ASSERT_EQ(f.size(), 4u);
  const std::regex number("-?\\d+\\.\\d{8}");
  for (const std::string& line : v) {
    std::istringstream in(line.substr(2));
    std::string word;
    int count = 0;
    while (in >> word) {
      EXPECT_TRUE(std::regex_match(word, number)) << line;
      ++count;
    }
    EXPECT_EQ(count, 3);
  }
  // Vertex A (1, 1, 1) exported as (x, -y, z).
  EXPECT_EQ(v[0], "v 1.00000000 -1.00000000 1.00000000");
  // Texture y counts up from the bottom.
  EXPECT_EQ(Numbers(vt[0]), (std::vector<float>{0.5f, 1.0f - 0.866f}));
  const std::regex face("f (\\d+)/(\\d+)/(\\d+) (\\d+)/(\\d+)/(\\d+) (\\d+)/(\\d+)/(\\d+)");
  for (size_t t = 0; t < f.size(); ++t) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(f[t], m, face)) << f[t];
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(std::stoul(m[3 + 3 * k]), t + 1) << f[t];
      EXPECT_GE(std::stoi(m[1 + 3 * k]), 1);
      EXPECT_LE(std::stoi(m[1 + 3 * k]), 4);
      EXPECT_LE(std::stoi(m[2 + 3 * k]), 6);
    }
    // Each normal points away from the solid's centre (the origin), in the
    // coordinates of the "v" lines.
    std::vector<float> centre(3, 0.0f);
    for (int k = 0; k < 3; ++k) {
      const std::vector<float> p = Numbers(v[std::stoi(m[1 + 3 * k]) - 1]);
      for (int a = 0; a < 3; ++a) centre[a] += p[a] / 3;
    }
    const std::vector<float> n = Numbers(vn[t]);
    EXPECT_GT(n[0] * centre[0] + n[1] * centre[1] + n[2] * centre[2], 0.5f) << f[t];
  }
  EXPECT_EQ(w.mtl, std::string("# Exported from Orbalix 2 ") + std::string(kMakerWebAddress) +
                       "\n#\n\nnewmtl My_solid_material\nd 1.00000\nillum 2\nKd 1.0 1.0 1.0\nKa 1.0 1.0 1.0\n"
                       "Ks 0.5 0.5 0.9\nKe 0.0 0.0 0.0\nmap_Kd My_solid.jpg\n");
  EXPECT_EQ(ParseStl(w.stl).size(), 4u) << "the tab triangle is not in the STL";
}

// With the attach option x is negated instead of y; the normals follow the
// same coordinates.
TEST(GeometryExport, AttachOptionMirrorsX) {
  TestFolder folder("attach");
  HandSolid solid;
  BuildTetrahedron(&solid);
  solid.mesh->attachOption = 1;
  const Written w = WriteAll(solid.mesh, folder / "t.obj");
  const auto v = LinesStarting(w.obj, "v ");
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0], "v -1.00000000 1.00000000 1.00000000");
  EXPECT_EQ(v[1], "v -1.00000000 -1.00000000 -1.00000000");
  for (const StlTriangle& t : ParseStl(w.stl)) {
    float centre[3] = {0, 0, 0};
    for (const auto& c : t.corner)
      for (int a = 0; a < 3; ++a) centre[a] += c[a] / 3 - 1.0f / 3;  // the shift of the minima undone
    EXPECT_GT(t.normal[0] * centre[0] + t.normal[1] * centre[1] + t.normal[2] * centre[2], 0.5f);
  }
}

// The STL of a closed solid: every coordinate 0 or more, each axis touching
// 0, every edge shared by exactly two triangles that run it both ways, and
// a positive volume.
TEST(GeometryExport, StlOfClosedSolidsIsShiftedClosedAndOutward) {
  for (int which = 0; which < 2; ++which) {
    TestFolder folder("stl");
    HandSolid solid;
    if (which == 0) {
      BuildTetrahedron(&solid);
    } else {
      BuildShiftedCube(&solid);
    }
    const Written w = WriteAll(solid.mesh, folder / "s.obj");
    const std::vector<StlTriangle> triangles = ParseStl(w.stl);
    ASSERT_EQ(triangles.size(), which == 0 ? 4u : 12u);
    float minimum[3] = {1e9f, 1e9f, 1e9f};
    std::map<std::vector<float>, int> directed;
    double volume = 0;
    for (const StlTriangle& t : triangles) {
      for (int c = 0; c < 3; ++c) {
        for (int a = 0; a < 3; ++a) {
          EXPECT_GE(t.corner[c][a], 0.0f);
          minimum[a] = std::min(minimum[a], t.corner[c][a]);
        }
        const float* p = t.corner[c];
        const float* q = t.corner[(c + 1) % 3];
        directed[{p[0], p[1], p[2], q[0], q[1], q[2]}] += 1;
      }
      const float* a = t.corner[0];
      const float* b = t.corner[1];
      const float* c = t.corner[2];
      volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                 a[2] * (b[0] * c[1] - b[1] * c[0])) / 6.0;
      const float length = std::sqrt(t.normal[0] * t.normal[0] + t.normal[1] * t.normal[1] + t.normal[2] * t.normal[2]);
      EXPECT_NEAR(length, 1.0f, 1e-6f);
    }
    for (float m : minimum) EXPECT_EQ(m, 0.0f);
    for (const auto& [edge, count] : directed) {
      EXPECT_EQ(count, 1) << "an edge run twice the same way";
      const std::vector<float> reverse = {edge[3], edge[4], edge[5], edge[0], edge[1], edge[2]};
      EXPECT_EQ(directed.count(reverse), 1u) << "an open edge";
    }
    EXPECT_NEAR(volume, which == 0 ? 8.0 / 3.0 : 1.0, 1e-5);
  }
}

TEST(GeometryExport, WithoutAMeshOnlyTheErrorComment) {
  TestFolder folder("none");
  const Written w = WriteAll(nullptr, folder / "e.obj");
  EXPECT_EQ(w.obj, "# error: polyhedron data is missing\n");
  EXPECT_EQ(w.stl, "");
  EXPECT_NE(w.mtl.find("map_Kd e.jpg\n"), std::string::npos);
}

// A file that cannot be made is skipped; the others are still written.
TEST(GeometryExport, AnUnmakeableFileIsSkipped) {
  TestFolder folder("skip");
  HandSolid solid;
  BuildTetrahedron(&solid);
  std::filesystem::create_directory(folder / "t.stl");  // a folder where the STL goes
  int16_t result = kExportDone;
  const Written w = WriteAll(solid.mesh, folder / "t.obj", &result);
  EXPECT_NE(result, kExportDone);
  EXPECT_EQ(LinesStarting(w.obj, "f ").size(), 4u);
  EXPECT_FALSE(w.mtl.empty());
  EXPECT_TRUE(std::filesystem::is_directory(folder / "t.stl"));
}

}  // namespace
