// The geometry files of hand-built closed solids read by independent tools:
// assimp loads OBJ and MTL with the solid's face and vertex counts, admesh
// finds the STL closed, outward and of the solid's volume.
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "export/geometry_export.h"
#include "tests/export_readers/program_support.h"
#include "tests/export_results/geometry_meshes.h"
#include "tests/export_results/results_support.h"

namespace {

// "Key: value" lines of a tool's report, the key without its padding.
std::map<std::string, std::string> Report(const std::string& text) {
  std::map<std::string, std::string> pairs;
  for (const std::string& line : SplitLines(text)) {
    const size_t at = line.find(':');
    if (at == std::string::npos) continue;
    std::string key = line.substr(0, at), value = line.substr(at + 1);
    while (!key.empty() && key.back() == ' ') key.pop_back();
    while (!value.empty() && value.front() == ' ') value.erase(0, 1);
    if (!pairs.count(key)) pairs[key] = value;
  }
  return pairs;
}

struct SolidCase {
  const char* name;
  void (*build)(HandSolid*);
  int faces;
  double volume;
  const char* minimum;  // assimp's minimum point of the OBJ
};

TEST(GeometryReaders, AssimpAndAdmeshReadTheSolids) {
  const SolidCase cases[] = {
      {"tetra", BuildTetrahedron, 4, 8.0 / 3.0, "(-1.000000 -1.000000 -1.000000)"},
      {"cube", BuildShiftedCube, 12, 1.0, "(2.000000 -4.000000 -1.000000)"},
  };
  for (const SolidCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestFolder folder("readers");
    HandSolid solid;
    c.build(&solid);
    solid.AddTabTriangle();  // never reaches the files
    GeometryNames names;
    ASSERT_TRUE(BuildGeometryNames((folder / (std::string(c.name) + " solid.obj")).c_str(), &names));
    ASSERT_EQ(WriteGeometryFiles(solid.mesh, &names), 0);
    // The corners the OBJ names: assimp keeps one vertex per distinct
    // position, texture point and normal (by value).
    std::vector<std::vector<float>> v, vt, vn;
    std::set<std::vector<float>> corners;
    for (const std::string& line : SplitLines(ReadWholeFile(names.obj))) {
      std::istringstream in(line);
      std::string word;
      in >> word;
      std::vector<float> values;
      if (word == "v" || word == "vt" || word == "vn") {
        float x;
        while (in >> x) values.push_back(x + 0.0f);  // -0 as 0
        (word == "v" ? v : word == "vt" ? vt : vn).push_back(values);
      } else if (word == "f") {
        std::string corner;
        while (in >> corner) {
          int a = 0, b = 0, n = 0;
          ASSERT_EQ(std::sscanf(corner.c_str(), "%d/%d/%d", &a, &b, &n), 3) << corner;
          std::vector<float> key = v.at(a - 1);
          key.insert(key.end(), vt.at(b - 1).begin(), vt.at(b - 1).end());
          key.insert(key.end(), vn.at(n - 1).begin(), vn.at(n - 1).end());
          corners.insert(key);
        }
      }
    }
    const std::string full = RunTool("cd '" + folder.path.string() + "' && assimp info '" + names.obj + "' 2>&1");
    const auto info = Report(full);
    ASSERT_NE(full.find("Importing file ..."), std::string::npos) << full;
    ASSERT_TRUE(info.count("Faces") && info.count("Vertices")) << full;
    EXPECT_EQ(info.at("Meshes"), "1");
    EXPECT_EQ(info.at("Faces"), std::to_string(c.faces));
    EXPECT_EQ(info.at("Vertices"), std::to_string(corners.size()));
    EXPECT_EQ(info.at("Primitive Types"), "triangles");
    std::smatch minimum;
    ASSERT_TRUE(std::regex_search(full, minimum, std::regex("Minimum point +(\\([^)]*\\))"))) << full;
    EXPECT_EQ(minimum[1].str(), c.minimum);
    EXPECT_NE(full.find("'" + std::string(c.name) + "_solid_material'"), std::string::npos) << full;
    EXPECT_NE(full.find("'" + std::string(c.name) + "_solid.jpg'"), std::string::npos) << "the MTL's texture";

    const auto mesh = Report(RunTool("admesh '" + std::string(names.stl) + "' 2>&1"));
    ASSERT_TRUE(mesh.count("File type") && mesh.count("Number of parts") && mesh.count("Backwards edges") &&
                mesh.count("Total disconnected facets"))
        << names.stl;
    EXPECT_EQ(mesh.at("File type"), "Binary STL file");
    EXPECT_EQ(mesh.at("Backwards edges"), "0");
    EXPECT_EQ(mesh.at("Normals fixed"), "0");
    EXPECT_EQ(mesh.at("Facets reversed"), "0");
    EXPECT_EQ(mesh.at("Edges fixed"), "0");
    EXPECT_EQ(mesh.at("Total disconnected facets").substr(0, 1), "0");
    const std::string parts = mesh.at("Number of parts");
    EXPECT_EQ(parts.substr(0, parts.find(' ')), "1");
    const size_t volumeAt = parts.find("Volume");
    ASSERT_NE(volumeAt, std::string::npos);
    EXPECT_NEAR(std::stod(parts.substr(parts.find(':', volumeAt) + 1)), c.volume, 1e-5);
  }
}

}  // namespace
