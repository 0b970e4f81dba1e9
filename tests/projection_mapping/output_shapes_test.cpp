// Plane extents of every output, the shape table, the lobe construction and
// the size utilities.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "image/image_record.h"
#include "mapping_fixture.h"
#include "projection/output_pixel.h"

namespace {

std::vector<int32_t> AllOutputNumbers() {
  std::vector<int32_t> outputs;
  for (int32_t n = 1; n <= 262; ++n) outputs.push_back(n);
  for (int32_t n : {355, 1037, 1038, 1039, 1040, 1042, 1054, 10053, 10054}) outputs.push_back(n);
  return outputs;
}

bool Finite(const PlaneBox& b) {
  const double values[] = {b.x0, b.x1, b.y0, b.y1, b.xmin, b.xmax, b.ymin, b.ymax, b.centreX, b.centreY,
                           b.scale, b.inverseScale};
  return std::all_of(std::begin(values), std::end(values), [](double v) { return std::isfinite(v); });
}

TEST(OutputExtents, EveryOutputHasAFinitePlaneExtent) {
  for (float aspect : {0.5f, 1.0f, 1.75f}) {
    for (int32_t output : AllOutputNumbers()) {
      for (int32_t views : {0, 4, 72}) {
        if (views != 0 && !IsMultiViewOutput(output)) continue;
        MappingFixture f(output, 1, aspect);
        f.mesh->faceCount = views;
        f.Extents();
        SCOPED_TRACE(::testing::Message() << "output " << output << " aspect " << aspect << " views " << views);
        EXPECT_TRUE(std::isfinite(f.mesh->layoutScale));
        EXPECT_GT(f.mesh->layoutScale, 0.0f);
        EXPECT_FLOAT_EQ(f.mesh->centreX, 0.5f);
        EXPECT_TRUE(std::isfinite(f.context->goreCount));
        EXPECT_TRUE(std::isfinite(f.context->goreShift));
        EXPECT_TRUE(std::isfinite(f.context->tunableShape));
        if (HasOutputShape(output) || output == 160) {
          EXPECT_TRUE(Finite(f.context->planeBox));
          EXPECT_GT(f.context->planeBox.scale, 0.0);
        }
        if (IsMultiViewOutput(output)) {
          EXPECT_GE(f.context->viewColumns, 1);
          EXPECT_GE(f.context->viewRows, 1);
        }
      }
    }
  }
}

// The plane scale s (plane units per normalised unit) is the larger of the
// box width and the box height over the aspect: the box fills the image
// across or down, whichever it meets first.
TEST(OutputExtents, ScaleFitsTheBoxOfEachFamily) {
  struct Case {
    int32_t output;
    float aspect;
    double boxWidth;
    double boxHeight;
  };
  const double goreShiftWidth = 1.0;  // the gore shift moves the box, not its size
  const Case cases[] = {
      {1, 0.5f, 1, 0.5},          {1, 1.0f, 1, 0.5},          {2, 1.0f, 1, 1},
      {35, 0.5f, 5.1415926, 3.1415928}, {83, 1.0f, 4, 4},     {87, 2.0f, 4, 4},
      {121, 0.7f, 1.324609, 0.86867094}, {43, 1.0f, 1, 0.73}, {128, 1.0f, 2.828427, 2.1213203},
      {4, 0.5f, 1, 0.5},          {118, 0.25f, 4, 1},         {159, 1.0f, 4.442883, 4.442883},
      {36, 0.5f, goreShiftWidth, 0.5}, {53, 1.0f, goreShiftWidth, 1}, {61, 2.0f, goreShiftWidth, 2},
      {160, 0.5f, 1, 1},          {109, 1.0f, 1, 1},          {10054, 1.0f, 1, 0.73},
  };
  for (const Case& c : cases) {
    MappingFixture f(c.output, 1, c.aspect);
    f.Extents();
    const double expected = std::max(c.boxWidth, c.boxHeight / c.aspect);
    EXPECT_NEAR(f.mesh->layoutScale, expected, 2e-6 * expected) << "output " << c.output;
  }
}

TEST(OutputExtents, EquirectangularBoxRunsAcrossTheWindow) {
  MappingFixture f(1, 1, 0.5f);
  f.Extents();
  // The box corners are the mesh's two render points, fitted into the window.
  ASSERT_EQ(f.mesh->renderPointCount, 2);
  EXPECT_FLOAT_EQ(f.mesh->renderPoints[0].x, 0.0f);
  EXPECT_FLOAT_EQ(f.mesh->renderPoints[0].y, 0.0f);
  EXPECT_FLOAT_EQ(f.mesh->renderPoints[1].x, 1.0f);
  EXPECT_FLOAT_EQ(f.mesh->renderPoints[1].y, 0.5f);
  EXPECT_EQ(f.mesh->tabWidth, 0.0f);
}

TEST(OutputExtents, ViewsGridOfEachSheet) {
  struct Case {
    int32_t output;
    int32_t faces;
    int32_t columns;
    int32_t rows;
  };
  const Case cases[] = {
      {75, 4, 2, 2}, {76, 12, 4, 3}, {77, 24, 6, 4}, {78, 60, 10, 6}, {79, 72, 9, 8},
      {76, 0, 1, 1},  // no views net: one empty cell instead of a division by zero
  };
  for (const Case& c : cases) {
    MappingFixture f(c.output, 1, 1.0f);
    f.mesh->faceCount = c.faces;
    f.Extents();
    EXPECT_EQ(f.context->viewColumns, c.columns) << c.output << " with " << c.faces;
    EXPECT_EQ(f.context->viewRows, c.rows) << c.output << " with " << c.faces;
    // The plane runs over the whole grid: C wide, R high.
    EXPECT_NEAR(f.mesh->layoutScale, std::max<double>(c.columns, c.rows), 1e-6);
  }
}

TEST(OutputExtents, GoreCountShiftAndShape) {
  struct Case {
    int32_t output;
    float fov;
    float gores;
  };
  const Case cases[] = {{36, 120, 12}, {1054, 120, 18}, {37, 120, 24}, {38, 10, 3},   {38, 120, 24},
                        {53, 120, 12}, {61, 120, 12},   {63, 120, 8},  {73, 90, 12}, {74, 180, 12}};
  for (const Case& c : cases) {
    MappingFixture f(c.output, 1, 0.5f);
    f.context->fov = c.fov;
    f.Extents();
    EXPECT_EQ(f.context->goreCount, c.gores) << c.output;
    EXPECT_FLOAT_EQ(f.context->goreShift, 33 * 0.01f * 0.05f * 12 / c.gores) << c.output;
    EXPECT_FLOAT_EQ(f.context->tunableShape, std::pow(2.0f, c.fov / 90 - 1)) << c.output;
  }
  MappingFixture anamorphic(36, 1, 0.5f);
  SetOutputExtents(anamorphic.mesh.get(), &anamorphic.context->planeBox, 0.5f, anamorphic.context.get(), 1, 120, 33);
  EXPECT_EQ(anamorphic.context->halfAngleOrder, 2);
}

TEST(OutputShapes, TableRowsAndKindNets) {
  struct Case {
    int32_t output;
    int32_t kind;
    int32_t lobes;
    int32_t net;
    int32_t option;
    double divisor;
    double twist;
  };
  const Case cases[] = {
      {51, 5, 6, -1, 0, 1.5, 1},    {108, 0, 2, -1, 0, 1, 1},     {146, 1, 3, -1, 0, 1, 1},
      {161, 6, 3, 48, 2, 1, 1},     {1042, 7, 5, 49, 2, 1, 1},    {145, 10, 5, 61, 0, 2, 1},
      {151, 11, 3, 62, 0, 2, 2},    {153, 12, 7, 63, 0, 3, 1},    {155, 13, 3, 64, 0, 1, 1},
      {157, 14, 4, 65, 6, 1, 1},    {158, 15, 8, 66, 6, 2.5, 1},  {162, 16, 3, 67, 6, 1, 1},
      {166, 18, 4, 68, 0, 1.5, 1},  {247, 19, 4, 150, 6, 1, 1},   {1039, 2, 5, -1, 0, 1, 1},
      {1037, 2, 3, -1, 0, 1, 1},    {1038, 2, 4, -1, 0, 1, 1},    {1040, 2, 6, -1, 0, 1, 1},
  };
  for (const Case& c : cases) {
    OutputShape s;
    GetOutputShape(c.output, &s);
    EXPECT_EQ(s.shapeKind, c.kind) << c.output;
    EXPECT_EQ(s.lobeCount, c.lobes) << c.output;
    EXPECT_EQ(s.netNumber, c.net) << c.output;
    EXPECT_EQ(s.netOption, c.option) << c.output;
    EXPECT_EQ(s.powerDivisor, c.divisor) << c.output;
    EXPECT_EQ(s.lobeTwist, c.twist) << c.output;
    EXPECT_TRUE(HasOutputShape(c.output));
    EXPECT_EQ(OutputShapeHasNet(c.output), c.net != -1);
    EXPECT_NEAR(std::hypot(s.preRotation.re, s.preRotation.im), 1.0, 1e-15);
  }
  for (int32_t plain : {1, 2, 75, 160, 355, 10054}) {
    OutputShape s;
    GetOutputShape(plain, &s);
    EXPECT_EQ(s.shapeKind, -1);
    EXPECT_EQ(s.netNumber, -1);
    EXPECT_EQ(s.shapeScale, 1.0);
    EXPECT_EQ(s.boxMax.re, 1000.0);
    EXPECT_FALSE(HasOutputShape(plain));
    EXPECT_FALSE(OutputShapeHasNet(plain));
  }
}

TEST(OutputShapes, PlaneBoxOfAShapeAndItsNormalisedCorners) {
  MappingFixture f(109, 1, 1.0f);  // "3-clover": box (57, 18) .. (942, 838)
  f.Extents();
  const PlaneBox& box = f.context->planeBox;
  EXPECT_DOUBLE_EQ(box.xmin, 57 * 0.001 - 0.5);
  EXPECT_DOUBLE_EQ(box.ymax, 838 * 0.001 - 0.5);
  EXPECT_DOUBLE_EQ(box.centreX, (box.xmin + box.xmax) / 2);
  EXPECT_DOUBLE_EQ(box.scale, std::min(1.0 / (box.ymax - box.ymin), 1.0 / (box.xmax - box.xmin)));
  // The wider side of the box spans the image; the other is centred.
  Complex left, right, centre;
  NormalizedToPlane(0, 0.5f, &left, &box);
  NormalizedToPlane(1, 0.5f, &right, &box);
  NormalizedToPlane(0.5f, 0.5f, &centre, &box);
  EXPECT_NEAR(right.re - left.re, box.xmax - box.xmin, 1e-12);
  EXPECT_NEAR(centre.re, box.centreX, 1e-12);
  EXPECT_NEAR(centre.im, box.centreY, 1e-12);
}

TEST(OutputShapes, EqualRatiosTakeTheHeightRatio) {
  PlaneBox box;
  SetPlaneBox(&box, 0.5, -1, -0.5, 1, 0.5);
  EXPECT_DOUBLE_EQ(box.scale, 0.5);
  EXPECT_DOUBLE_EQ(box.inverseScale, 2.0);
  EXPECT_DOUBLE_EQ(box.y1, 0.5);
}

// Lobe k of a shaped output is the sector centred on the direction turned by
// -2 pi k / c from the reference lobe, in the plane turned by the shape's
// pre-rotation.
TEST(OutputShapes, ShapedOutputsFindTheirLobes) {
  auto list = std::make_unique<NetFaceList>();
  for (int32_t output : {161, 145, 151, 153, 154, 155, 157, 158, 162, 163, 166, 247, 1042}) {
    OutputShape s;
    GetOutputShape(output, &s);
    const int32_t c = s.lobeCount;
    for (int32_t k = 0; k < c; ++k) {
      for (double offset : {-0.4, 0.0, 0.4}) {  // within the sector of width 2 pi / c
        const double angle = -2 * std::numbers::pi * (k + offset) / c;
        // p = w / preRotation, with |preRotation| = 1.
        const Complex w{0.3 * std::cos(angle), 0.3 * std::sin(angle)};
        const Complex p{w.re * s.preRotation.re + w.im * s.preRotation.im,
                        w.im * s.preRotation.re - w.re * s.preRotation.im};
        uint8_t outside = 0;
        Vec3 d{0, 0, 1};
        MapShapedOutputPoint(p, &outside, &d, nullptr, nullptr, &s, nullptr, list.get());
        EXPECT_EQ(list->shapeLobe, k) << "output " << output << " offset " << offset;
      }
    }
  }
}

// The lobes of the clovers, maltas and calyces are copies of one another
// turned about the view axis: a point turned by one lobe in the plane gives
// the direction turned by one lobe about z.
TEST(OutputShapes, LobesAreTurnedCopies) {
  auto list = std::make_unique<NetFaceList>();
  ImageRecord grid;
  InitImageRecord(&grid, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&grid, 50, 50, PixelRgbaFloat, 0, 0));  // as the run's grid image
  for (int32_t output : {108, 109, 110, 111, 112, 130, 131, 132, 133, 146, 147, 148, 149, 164, 165, 1037, 1038, 1039, 1040, 51, 251, 252}) {
    OutputShape s;
    GetOutputShape(output, &s);
    const double step = 2 * std::numbers::pi / s.lobeCount;
    int32_t compared = 0;
    // Off-grid samples keep clear of the seams between lobes, where both
    // neighbours give the same edge direction.
    for (double x = -0.4537; x <= 0.45; x += 0.0913) {
      for (double y = -0.4571; y <= 0.45; y += 0.0917) {
        const Complex p{x, y};
        const Complex q{x * std::cos(step) - y * std::sin(step), x * std::sin(step) + y * std::cos(step)};
        uint8_t outP = 0, outQ = 0;
        Vec3 dp{0, 0, 1}, dq{0, 0, 1};
        MapShapedOutputPoint(p, &outP, &dp, &grid, nullptr, &s, nullptr, list.get());
        MapShapedOutputPoint(q, &outQ, &dq, &grid, nullptr, &s, nullptr, list.get());
        ASSERT_EQ(outP, outQ) << output << " at " << x << ", " << y;
        if (outP) continue;
        ++compared;
        EXPECT_NEAR(std::sqrt(dp.x * dp.x + dp.y * dp.y + dp.z * dp.z), 1.0, 1e-9);
        EXPECT_NEAR(dp.z, dq.z, 1e-6);  // the grid-based kinds work in single precision
        double turn = std::atan2(dq.y, dq.x) - std::atan2(dp.y, dp.x);
        turn = std::remainder(turn, 2 * std::numbers::pi);
        if (std::hypot(dp.x, dp.y) > 1e-6) {
          EXPECT_NEAR(std::abs(turn), step, 1e-5) << output;
        }
      }
    }
    EXPECT_GT(compared, 10) << output;
  }
  FreeImageRecord(&grid);
}

// The n-floret: n petals around the centre, each the whole ellipse map
// squeezed into its lobe and the n of them together showing the sphere once,
// without changing the shape of small figures.
TEST(OutputShapes, FloretsShowTheWholeSphereInTheirPetals) {
  auto list = std::make_unique<NetFaceList>();
  ImageRecord grid;
  InitImageRecord(&grid, nullptr, nullptr);
  ASSERT_TRUE(CreateImageRecord(&grid, 50, 50, PixelRgbaFloat, 0, 0));
  for (int32_t output : {1037, 1038, 1039, 1040}) {
    OutputShape s;
    GetOutputShape(output, &s);
    const int32_t petals = output - 1034;
    auto map = [&](double x, double y, Vec3* d) {
      uint8_t outside = 0;
      *d = Vec3{0, 0, 1};
      MapShapedOutputPoint(Complex{x, y}, &outside, d, &grid, nullptr, &s, nullptr, list.get());
      return outside == 0;
    };
    // Petals: the runs of mapped points on a circle about the centre.
    int32_t runs = 0;
    bool previous = false, first = false;
    for (int32_t i = 0; i < 720; ++i) {
      const double a = 2 * std::numbers::pi * (i + 0.25) / 720;
      Vec3 d;
      const bool in = map(0.3 * std::cos(a), 0.3 * std::sin(a), &d);
      if (i == 0) first = in;
      if (in && !previous && i > 0) ++runs;
      previous = in;
    }
    if (first && !previous) ++runs;
    EXPECT_EQ(runs, petals) << output;
    // The petal that points down (plane y grows downwards) ends 0.362 from the
    // centre, the same reach for every floret.
    Vec3 d;
    EXPECT_TRUE(map(0.001, 0.355, &d)) << output;
    EXPECT_FALSE(map(0.001, 0.37, &d)) << output;
    // The centre, where the petals meet, is a pole of the view: every petal
    // takes it to the same direction on the view axis.
    Vec3 centre;
    for (int32_t k = 0; k < petals; ++k) {
      const double a = std::numbers::pi / 2 + 2 * std::numbers::pi * k / petals;
      ASSERT_TRUE(map(1e-5 * std::cos(a), 1e-5 * std::sin(a), &d)) << output << " petal " << k;
      EXPECT_NEAR(std::abs(d.z), 1.0, 5e-3) << output << " petal " << k;
      if (k == 0) centre = d;
      EXPECT_NEAR(d.z, centre.z, 1e-9) << output << " petal " << k;
    }
    // Every part of the sphere is shown: 12 bands of equal area by 24 sectors.
    std::vector<int32_t> cells(12 * 24, 0);
    for (double x = -0.5; x <= 0.5; x += 0.0013) {
      for (double y = -0.5; y <= 0.5; y += 0.0013) {
        if (!map(x, y, &d)) continue;
        const int32_t band = std::clamp(int32_t((d.z + 1) / 2 * 12), 0, 11);
        const int32_t sector = std::clamp(int32_t((std::atan2(d.y, d.x) + std::numbers::pi) / (2 * std::numbers::pi) * 24), 0, 23);
        ++cells[band * 24 + sector];
      }
    }
    EXPECT_EQ(std::count(cells.begin(), cells.end(), 0), 0) << output;
    // Conformal: at points inside the petals the two partial derivatives of
    // the direction are orthogonal and of one length (to the accuracy of the
    // interpolated conformal-square table).
    int32_t checked = 0;
    for (double x = -0.31; x <= 0.31; x += 0.0437) {
      for (double y = -0.31; y <= 0.31; y += 0.0411) {
        const double h = 1e-4;
        Vec3 c, dx, dy;
        if (!map(x, y, &c) || !map(x + h, y, &dx) || !map(x, y + h, &dy)) continue;
        const Vec3 ex{dx.x - c.x, dx.y - c.y, dx.z - c.z}, ey{dy.x - c.x, dy.y - c.y, dy.z - c.z};
        const double lx = std::sqrt(ex.x * ex.x + ex.y * ex.y + ex.z * ex.z);
        const double ly = std::sqrt(ey.x * ey.x + ey.y * ey.y + ey.z * ey.z);
        if (lx < 1e-7) continue;  // too close to the centre to measure
        ++checked;
        EXPECT_NEAR(ly / lx, 1.0, 0.08) << output << " at " << x << ", " << y;
        EXPECT_NEAR((ex.x * ey.x + ex.y * ey.y + ex.z * ey.z) / (lx * ly), 0.0, 0.08) << output << " at " << x << ", " << y;
      }
    }
    EXPECT_GT(checked, 20) << output;
  }
  FreeImageRecord(&grid);
}

TEST(SizeUtilities, FitSizeToLongest) {
  struct Case {
    int32_t w, h, n, ew, eh;
  };
  const Case cases[] = {
      {1000, 10, 100, 100, 1}, {10, 1000, 100, 1, 100}, {300, 200, 600, 600, 400},
      {300, 200, 0, 300, 200}, {300, 200, -5, 300, 200}, {1, 30000, 30000, 1, 30000},
      {0, 0, 100, 0, 0},  // nothing to scale rather than a division by zero
  };
  for (const Case& c : cases) {
    int32_t w = c.w, h = c.h;
    FitSizeToLongest(&w, &h, c.n);
    EXPECT_EQ(w, c.ew) << c.w << "x" << c.h << " to " << c.n;
    EXPECT_EQ(h, c.eh) << c.w << "x" << c.h << " to " << c.n;
  }
}

TEST(SizeUtilities, KeepAspectRatio) {
  struct Case {
    int32_t rw, rh, w, h;
    uint8_t fromWidth;
    int32_t ew, eh;
  };
  const Case cases[] = {
      {400, 200, 100, 7, 1, 100, 50}, {400, 200, 7, 100, 0, 200, 100},
      {0, 200, 100, 7, 1, 100, 7},    {400, 0, 7, 100, 0, 7, 100},
      {3, 2, 5, 9, 1, 5, 3},  // integer division
  };
  for (const Case& c : cases) {
    int32_t w = c.w, h = c.h;
    KeepAspectRatio(c.rw, c.rh, &w, &h, c.fromWidth);
    EXPECT_EQ(w, c.ew);
    EXPECT_EQ(h, c.eh);
  }
}

TEST(SizeUtilities, QuickSortCarriesThePayload) {
  std::mt19937 random(7);
  for (int32_t size : {1, 2, 3, 10, 1000}) {
    for (bool fewKeys : {false, true}) {
      std::vector<float> keys(size);
      std::vector<uint64_t> payload(size);
      for (int32_t i = 0; i < size; ++i) {
        keys[i] = fewKeys ? float(random() % 3) : float(random() % 100000) * 0.01f;
        payload[i] = uint64_t(i);
      }
      const std::vector<float> original = keys;
      QuickSortFloatKeys(keys.data(), payload.data(), 0, size - 1);
      EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
      for (int32_t i = 0; i < size; ++i) EXPECT_EQ(original[payload[i]], keys[i]);
    }
  }
  // Many equal keys must not recurse once per key.
  std::vector<float> keys(200000, 1.0f);
  std::vector<uint64_t> payload(keys.size(), 0);
  QuickSortFloatKeys(keys.data(), payload.data(), 0, int32_t(keys.size()) - 1);
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

}  // namespace
