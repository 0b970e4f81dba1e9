// Reference points made once with PROJ's `proj` command and committed beside
// the tests: one row per point, "lon0 lon lat x y", '#' starts a comment.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct ProjRow {
  double lon0, lon, lat, x, y;
};

// Reads tests/<folder>/data/<name> of the source tree.
inline std::vector<ProjRow> ReadProjFixture(const std::string& folder, const std::string& name) {
  std::ifstream in(std::string(ORBALIX_SOURCE_DIR) + "/tests/" + folder + "/data/" + name);
  EXPECT_TRUE(in.good()) << name;
  std::vector<ProjRow> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ls(line);
    ProjRow r{};
    ls >> r.lon0 >> r.lon >> r.lat >> r.x >> r.y;
    rows.push_back(r);
  }
  return rows;
}
