// The outer surfaces of the star solids behind the spikeball and GID: sound
// closed solids with the counts and face shapes their nets need, every face
// on the outside (nothing of the star solid just beyond it, the star solid
// just behind it), numbered as their fixed pairings take them, and found
// closed, outward and of the same volume by admesh from an STL file.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "nets/catalogue_solids.h"
#include "nets/face_matching.h"
#include "nets/solid_vectors.h"
#include "nets/star_solids.h"
#include "tests/nets/net_fixtures.h"

namespace {

const double kPhi = (1 + std::sqrt(5.0)) / 2;

using solid_vectors::Cross;
using solid_vectors::Dot;
using solid_vectors::Length;
using solid_vectors::Sub;

// The face cut into triangles as a fan from one of its corners (the
// spikeball's pentagons have a reflex corner): the first corner whose fan
// has only triangles turned as the face, none holding another corner.
std::vector<std::array<int32_t, 3>> Triangles(const CatalogueSolid& s, int32_t f, const Vec3& normal) {
  const int32_t n = s.cornerCounts[f];
  const int32_t* c = s.corners[f];
  auto turn = [&](int32_t a, int32_t b, int32_t d) {
    return Dot(Cross(Sub(s.vertices[b], s.vertices[a]), Sub(s.vertices[d], s.vertices[a])), normal);
  };
  for (int32_t start = 0; start < n; ++start) {
    std::vector<std::array<int32_t, 3>> fan;
    for (int32_t i = 1; i + 1 < n; ++i) {
      const int32_t a = c[start], b = c[(start + i) % n], d = c[(start + i + 1) % n];
      if (turn(a, b, d) <= 1e-9) break;
      bool empty = true;
      for (int32_t k = 0; k < n; ++k) {
        const int32_t v = c[k];
        if (v != a && v != b && v != d && turn(a, b, v) > 0 && turn(b, d, v) > 0 && turn(d, a, v) > 0) empty = false;
      }
      if (!empty) break;
      fan.push_back({a, b, d});
    }
    if (int32_t(fan.size()) == n - 2) return fan;
  }
  return {};
}

// A point well inside the face: the centre of its largest triangle.
Vec3 InsidePoint(const CatalogueSolid& s, int32_t f, const Vec3& normal) {
  Vec3 best{0, 0, 0};
  double bestArea = -1;
  for (const auto& t : Triangles(s, f, normal)) {
    const Vec3 &a = s.vertices[t[0]], &b = s.vertices[t[1]], &c = s.vertices[t[2]];
    const double area = Length(Cross(Sub(b, a), Sub(c, a)));
    if (area > bestArea) {
      bestArea = area;
      best = Vec3{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
    }
  }
  return best;
}

// "Key: value" lines of admesh's report.
std::map<std::string, std::string> AdmeshReport(const std::string& path) {
  std::map<std::string, std::string> pairs;
  FILE* pipe = popen(("admesh '" + path + "' 2>&1").c_str(), "r");
  if (pipe == nullptr) return pairs;
  char line[512];
  while (std::fgets(line, sizeof(line), pipe) != nullptr) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    // Lines may hold two "key : value" fields side by side.
    size_t at;
    while ((at = text.find(':')) != std::string::npos) {
      std::string key = text.substr(0, at);
      while (!key.empty() && key.back() == ' ') key.pop_back();
      while (!key.empty() && key.front() == ' ') key.erase(key.begin());
      std::string rest = text.substr(at + 1);
      size_t start = rest.find_first_not_of(' ');
      rest = start == std::string::npos ? "" : rest.substr(start);
      const size_t end = rest.find_first_of(' ');
      pairs[key] = rest.substr(0, end);
      text = end == std::string::npos ? "" : rest.substr(end);
    }
  }
  pclose(pipe);
  return pairs;
}

// The solid through the pools, checked sound (closed, every edge shared by
// two faces running it opposite ways, flat faces), written as STL and read
// back by admesh: one part, nothing to mend, the same volume.
void ExpectSoundAndClosedForAdmesh(const CatalogueSolid& solid, const std::string& name, double* volume) {
  MeshHolder h;
  ASSERT_EQ(AddCatalogueSolid(h.mesh, &solid), kMeshNoError);
  EXPECT_EQ(h.mesh->vertexCount, solid.vertexCount);
  SolidCheckOptions options;
  options.planarTolerance = 1e-9;
  options.checkNeighbours = true;
  const SolidReport report = CheckSolid(h.mesh, options);
  EXPECT_TRUE(report.Sound()) << report.Describe();
  EXPECT_EQ(report.Euler(), 2);
  EXPECT_GT(report.volume, 0);
  *volume = report.volume;

  const std::string path = ::testing::TempDir() + name + ".stl";
  {
    std::ofstream out(path);
    out.precision(17);
    out << "solid " << name << "\n";
    for (int32_t f = 0; f < solid.faceCount; ++f) {
      const Vec3 n = h.mesh->faces[f].normal;
      const auto triangles = Triangles(solid, f, n);
      ASSERT_EQ(int32_t(triangles.size()), solid.cornerCounts[f] - 2) << "face " << f;
      for (const auto& t : triangles) {
        const Vec3 c = Cross(Sub(solid.vertices[t[1]], solid.vertices[t[0]]), Sub(solid.vertices[t[2]], solid.vertices[t[0]]));
        EXPECT_GT(Dot(c, n), 0) << "face " << f << ": a triangle turned against the face";
        out << "facet normal " << c.x / Length(c) << ' ' << c.y / Length(c) << ' ' << c.z / Length(c) << "\nouter loop\n";
        for (int32_t v : t) out << "vertex " << solid.vertices[v].x << ' ' << solid.vertices[v].y << ' ' << solid.vertices[v].z << '\n';
        out << "endloop\nendfacet\n";
      }
    }
    out << "endsolid " << name << "\n";
  }
  const auto r = AdmeshReport(path);
  ASSERT_TRUE(r.count("Number of parts") && r.count("Backwards edges") && r.count("Volume")) << "admesh on " << path;
  EXPECT_EQ(r.at("Number of parts"), "1");
  EXPECT_EQ(r.at("Backwards edges"), "0");
  EXPECT_EQ(r.at("Edges fixed"), "0");
  EXPECT_EQ(r.at("Facets reversed"), "0");
  EXPECT_EQ(r.at("Normals fixed"), "0");
  EXPECT_EQ(r.at("Total disconnected facets"), "0");
  EXPECT_NEAR(std::stod(r.at("Volume")), report.volume, 1e-4 * report.volume);
  std::remove(path.c_str());
}

// The five tetrahedra as half-spaces: a point is inside the compound when
// it is inside one of them.
struct Tetrahedra {
  std::vector<std::array<Vec3, 4>> corners;
  bool Contains(const Vec3& p, double margin) const {
    for (const auto& c : corners) {
      bool inside = true;
      for (int32_t skip = 0; skip < 4 && inside; ++skip) {
        const Vec3 &a = c[(skip + 1) % 4], &b = c[(skip + 2) % 4], &d = c[(skip + 3) % 4];
        Vec3 n = Cross(Sub(b, a), Sub(d, a));
        if (Dot(n, Sub(c[skip], a)) > 0) n = Vec3{-n.x, -n.y, -n.z};  // outward
        inside = Dot(n, Sub(p, a)) / Length(n) < -margin;
      }
      if (inside) return true;
    }
    return false;
  }
};

// The compound built independently: the cube's tetrahedron and its turns by
// a fifth of a turn round the dodecahedron's face axis (1, 0, phi), scaled
// to corners on the unit sphere.
Tetrahedra FiveTetrahedraByHalfSpaces() {
  Tetrahedra t;
  const double axisLength = std::sqrt(1 + kPhi * kPhi);
  const Vec3 u{1 / axisLength, 0, kPhi / axisLength};
  for (int32_t i = 0; i < 5; ++i) {
    const double angle = 2 * M_PI * i / 5, c = std::cos(angle), s = std::sin(angle);
    std::array<Vec3, 4> corners;
    const Vec3 base[4] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
    for (int32_t k = 0; k < 4; ++k) {
      const Vec3& p = base[k];
      const Vec3 x = Cross(u, p);
      const double d = Dot(u, p) * (1 - c);
      corners[k] = Vec3{(p.x * c + x.x * s + u.x * d) / std::sqrt(3.0), (p.y * c + x.y * s + u.y * d) / std::sqrt(3.0),
                        (p.z * c + x.z * s + u.z * d) / std::sqrt(3.0)};
    }
    t.corners.push_back(corners);
  }
  return t;
}

TEST(StarSolids, SpikeballIsTheOuterSurfaceOfFiveTetrahedra) {
  CatalogueSolid solid;
  ASSERT_TRUE(MakeCatalogueSolid("spikeball", &solid));
  EXPECT_EQ(solid.vertexCount, 92);
  ASSERT_EQ(solid.faceCount, 60);
  double volume = 0;
  ExpectSoundAndClosedForAdmesh(solid, "spikeball", &volume);
  MeshHolder h;
  ASSERT_EQ(AddCatalogueSolid(h.mesh, &solid), kMeshNoError);
  const PolyMesh* m = h.mesh;
  const Tetrahedra compound = FiveTetrahedraByHalfSpaces();
  // Corners: 20 tips (the dodecahedron's corners), 60 where a tetrahedron's
  // edge enters another tetrahedron, 12 on the five-fold axes.
  std::map<long, int32_t> radii;
  for (int32_t v = 0; v < solid.vertexCount; ++v) radii[std::lround(Length(solid.vertices[v]) * 1e9)]++;
  ASSERT_EQ(radii.size(), 3u);
  EXPECT_EQ(radii.begin()->second, 12);
  EXPECT_EQ(std::next(radii.begin())->second, 60);
  EXPECT_EQ(radii.rbegin()->first, 1000000000);
  EXPECT_EQ(radii.rbegin()->second, 20);
  for (int32_t f = 0; f < solid.faceCount; ++f) {
    ASSERT_EQ(solid.cornerCounts[f], 5);
    // Corner 4 is the spike's tip; edges 3 and 4 run down the spike's edges
    // to its other two faces, which share the tip.
    EXPECT_NEAR(Length(solid.vertices[solid.corners[f][4]]), 1.0, 1e-12) << "face " << f;
    for (int32_t e : {3, 4}) {
      const int32_t g = m->faces[f].neighbour[e];
      EXPECT_EQ(solid.corners[g][4], solid.corners[f][4]) << "face " << f << " edge " << e;
    }
    for (int32_t e : {0, 1, 2}) EXPECT_NE(solid.corners[m->faces[f].neighbour[e]][4], solid.corners[f][4]);
    // On the outside: just beyond the face no tetrahedron, just behind it one.
    const Vec3 n = m->faces[f].normal;
    const Vec3 p = InsidePoint(solid, f, n);
    const Vec3 out{p.x + 1e-6 * n.x, p.y + 1e-6 * n.y, p.z + 1e-6 * n.z};
    const Vec3 in{p.x - 1e-6 * n.x, p.y - 1e-6 * n.y, p.z - 1e-6 * n.z};
    EXPECT_FALSE(compound.Contains(out, 0)) << "face " << f;
    EXPECT_TRUE(compound.Contains(in, 0)) << "face " << f;
  }
  // All faces congruent (one set of corner angles).
  std::set<std::vector<long>> shapes;
  for (int32_t f = 0; f < solid.faceCount; ++f) {
    std::vector<long> angles;
    for (int32_t k = 0; k < 5; ++k) angles.push_back(std::lround(m->faces[f].cornerAngle[k] * 1e5));
    shapes.insert(angles);
  }
  EXPECT_EQ(shapes.size(), 1u);
  // Its volume is the compound's, sampled at a million quasi-random points
  // (Halton's sequence) of the cube round the unit sphere.
  auto halton = [](int64_t i, int32_t base) {
    double f = 1, r = 0;
    for (; i > 0; i /= base) {
      f /= base;
      r += f * double(i % base);
    }
    return r;
  };
  constexpr int64_t kSamples = 1000000;
  int64_t inside = 0;
  for (int64_t i = 1; i <= kSamples; ++i)
    if (compound.Contains(Vec3{2 * halton(i, 2) - 1, 2 * halton(i, 3) - 1, 2 * halton(i, 5) - 1}, 0)) ++inside;
  EXPECT_NEAR(volume, 8.0 * double(inside) / double(kSamples), 0.002 * volume);
  // The fixed pairing's base faces each meet their neighbour across edge 0
  // on another spike, and the ten pieces of six hold every face once.
  std::set<int32_t> all;
  for (int32_t s : kSpikeballBaseFaces) {
    const int32_t n = m->faces[s].neighbour[0];
    for (int32_t f : {s, n, m->faces[s].neighbour[3], m->faces[s].neighbour[4], m->faces[n].neighbour[3],
                      m->faces[n].neighbour[4]})
      EXPECT_TRUE(all.insert(f).second) << "face " << f << " in two pieces";
  }
  EXPECT_EQ(all.size(), 60u);
}

TEST(StarSolids, GidIsTheOuterSurfaceOfTheGreatIcosidodecahedron) {
  CatalogueSolid solid;
  ASSERT_TRUE(MakeCatalogueSolid("GID", &solid));
  EXPECT_EQ(solid.vertexCount, 170);
  ASSERT_EQ(solid.faceCount, 132);
  double volume = 0;
  ExpectSoundAndClosedForAdmesh(solid, "gid", &volume);
  MeshHolder h;
  ASSERT_EQ(AddCatalogueSolid(h.mesh, &solid), kMeshNoError);
  const PolyMesh* m = h.mesh;
  StarSolid star;
  GreatIcosidodecahedron(&star);
  // The star solid: 20 triangles and 12 pentagrams on the
  // icosidodecahedron's 30 corners (at phi here), each corner in two of each.
  ASSERT_EQ(star.faceCount, 32);
  std::map<int32_t, int32_t> kinds;
  for (int32_t f = 0; f < star.faceCount; ++f) kinds[star.cornerCounts[f]]++;
  EXPECT_EQ(kinds, (std::map<int32_t, int32_t>{{3, 20}, {5, 12}}));
  EXPECT_EQ(StarWindingNumber(star, Vec3{0, 0, 0}), 7);
  EXPECT_EQ(StarWindingNumber(star, Vec3{0, 0, 2}), 0);
  // The surface: the 30 corners on the unit sphere, 72 pentagons, 60 quads.
  int32_t onSphere = 0;
  for (int32_t v = 0; v < solid.vertexCount; ++v) onSphere += std::fabs(Length(solid.vertices[v]) - 1) < 1e-12;
  EXPECT_EQ(onSphere, 30);
  for (int32_t q = 0; q < 12; ++q) {
    const int32_t r = 11 * q + 5;
    ASSERT_EQ(solid.cornerCounts[r], 5);
    for (int32_t k = 0; k < 5; ++k) {
      EXPECT_NEAR(m->faces[r].cornerAngle[k], 0.6 * M_PI, 1e-6) << "face " << r;
      // Triangle piece 11q + k on edge k, with a 60 degree tip, carrying
      // the quad 11q + 6 + k (a 36 degree tip) across the edge from its tip.
      const int32_t t = 11 * q + k, quad = 11 * q + 6 + k;
      EXPECT_EQ(m->faces[r].neighbour[k], t);
      ASSERT_EQ(solid.cornerCounts[t], 5);
      ASSERT_EQ(solid.cornerCounts[quad], 4);
      int32_t tip = 0;
      for (int32_t j = 1; j < 5; ++j)
        if (m->faces[t].cornerAngle[j] < m->faces[t].cornerAngle[tip]) tip = j;
      EXPECT_NEAR(m->faces[t].cornerAngle[tip], M_PI / 3, 1e-6);
      EXPECT_EQ(m->faces[t].neighbour[tip], quad);
      float sharpest = 10;
      for (int32_t j = 0; j < 4; ++j) sharpest = std::min(sharpest, m->faces[quad].cornerAngle[j]);
      EXPECT_NEAR(sharpest, M_PI / 5, 1e-6);
    }
  }
  for (int32_t f = 0; f < solid.faceCount; ++f) {
    const Vec3 n = m->faces[f].normal;
    const Vec3 p = InsidePoint(solid, f, n);
    const Vec3 out{p.x + 1e-6 * n.x, p.y + 1e-6 * n.y, p.z + 1e-6 * n.z};
    const Vec3 in{p.x - 1e-6 * n.x, p.y - 1e-6 * n.y, p.z - 1e-6 * n.z};
    // The star solid is at the surface's scale times phi.
    const Vec3 outStar{out.x * kPhi, out.y * kPhi, out.z * kPhi}, inStar{in.x * kPhi, in.y * kPhi, in.z * kPhi};
    EXPECT_EQ(StarWindingNumber(star, outStar), 0) << "face " << f;
    EXPECT_NE(StarWindingNumber(star, inStar), 0) << "face " << f;
  }
}

}  // namespace
