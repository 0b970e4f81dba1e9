// The road of one output pixel: the pixel convention, the status codes, the
// identity map of the equirectangular panorama, the view rotation, the views
// grid, the dot list, the face centres and the field-of-view terms.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/fast_math.h"
#include "image/image_record.h"
#include "mapping_fixture.h"
#include "projection/output_pixel.h"

ImageRecord* NewTargetImage(int32_t width, int32_t height) {
  ImageRecord* image = new ImageRecord;
  image->levelWidth[0] = width;
  image->levelHeight[0] = height;
  return image;
}

void DeleteTargetImage(ImageRecord* image) { delete image; }

namespace {

constexpr double kPi = std::numbers::pi;
// FastAcos is within 7e-5 radians, so a latitude read back through it is
// within 7e-5 / pi of the true v.
constexpr float kFastAcosV = 7e-5f / 3.1415927f;

PixelMapping MapPoint(MappingFixture& f, float nx, float ny) {
  PixelMapping out{};
  out.inputFace = -1;
  MapOutputPointWithLists(nx, ny, f.context.get(), &out, f.outputFaces.get(), f.inputFaces.get(), &f.dotCursor);
  return out;
}

ImageRecord TargetOfSize(int32_t width, int32_t height) {
  ImageRecord image;
  image.levelWidth[0] = width;
  image.levelHeight[0] = height;
  image.aspectX = width > height ? float(width) / float(height) : 1.0f;
  image.aspectY = height > width ? float(height) / float(width) : 1.0f;
  return image;
}

// Output pixel -> normalised point -> plane point. A position p of the pixel
// grid maps to (p + 1) / size: p = -1 is the left edge, p = size - 1 the right
// edge, and the centre of column c is p = c - 0.5.
TEST(PixelConvention, PixelToNormalisedToPlane) {
  struct Case {
    float px, py, zoom, offX, offY;
    float nx, ny;
  };
  const int32_t w = 200, h = 100;
  const Case cases[] = {
      {-1, -1, 1, 0, 0, 0, 0},
      {float(w - 1), float(h - 1), 1, 0, 0, 1, 1},
      {-0.5f, -0.5f, 1, 0, 0, 0.5f / w, 0.5f / h},        // centre of the first pixel
      {99.5f, 49.5f, 1, 0, 0, 100.5f / w, 50.5f / h},     // the middle
      {9.5f, 4.5f, 2, 0, 0, 20.0f / w, 10.0f / h},        // preview scale 2: (p zoom + 1) / size
      {9.5f, 4.5f, 2, 30, 10, 50.0f / w, 20.0f / h},      // panned preview: (p zoom + pan + 1) / size
  };
  const ImageRecord target = TargetOfSize(w, h);
  MappingFixture f(1, 1, 0.5f);
  f.Extents();
  for (const Case& c : cases) {
    float nx, ny, cx, cy;
    PixelToNormalized(c.px, c.py, c.zoom, c.offX, c.offY, &target, &nx, &ny, &cx, &cy, nullptr);
    EXPECT_FLOAT_EQ(nx, c.nx) << c.px;
    EXPECT_FLOAT_EQ(ny, c.ny) << c.py;
    EXPECT_FLOAT_EQ(cx, (nx - 0.5f) * target.aspectX);
    EXPECT_FLOAT_EQ(cy, (ny - 0.5f) * target.aspectY);
    // The plane point of the equirectangular output: X across [-0.5, 0.5].
    const float planeX = (nx - f.mesh->centreX) * f.mesh->layoutScale;
    EXPECT_NEAR(planeX, c.nx - 0.5f, 1e-6f);
  }
  float nx, ny, cx, cy;
  PixelToNormalizedCentre(-1, -1, 1, 0, 0, &target, &nx, &ny, &cx, &cy, nullptr);
  EXPECT_FLOAT_EQ(nx, 0.5f / w);
  const float origin[5] = {0, 0, 0, 0.25f, 0.1f};
  PixelToNormalized(99, 49, 1, 0, 0, &target, &nx, &ny, &cx, &cy, origin);
  EXPECT_FLOAT_EQ(nx, 0.5f);  // the origin shifts only the centred values
  EXPECT_FLOAT_EQ(cx, (0.5f - 0.25f - 0.5f) * 2);
  EXPECT_FLOAT_EQ(cy, (0.5f - 0.1f - 0.5f) * 1);

  float u, v;
  PixelCentreToUnit(0, 0, &u, &v, 4, 2);
  EXPECT_FLOAT_EQ(u, 0.125f);
  EXPECT_FLOAT_EQ(v, 0.25f);
  PixelCentreToUnit(3, 1, &u, &v, 4, 2);
  EXPECT_FLOAT_EQ(u, 0.875f);
  EXPECT_FLOAT_EQ(v, 0.75f);
}

// Output 1 from input 1 with no rotation is the identity: every pixel centre
// reads the source at its own position.
TEST(PixelRoad, EquirectangularToItselfMapsEveryPixelCentreToItself) {
  const int32_t w = 256, h = 128;
  MappingFixture f(1, 1, float(h) / float(w));
  f.Extents();
  float worstU = 0, worstV = 0;
  for (int32_t r = 0; r < h; ++r) {
    for (int32_t c = 0; c < w; ++c) {
      float nx, ny;
      PixelCentreToUnit(c, r, &nx, &ny, float(w), float(h));
      const PixelMapping out = MapPoint(f, nx, ny);
      ASSERT_EQ(out.status, kPixelMapped) << c << ", " << r;
      worstU = std::max(worstU, std::abs(out.srcX - nx));
      worstV = std::max(worstV, std::abs(out.srcY - ny));
    }
  }
  EXPECT_LT(worstU, 2e-6f);
  EXPECT_LT(worstV, kFastAcosV + 1e-6f);
}

// Latitude tilts the view up, longitude turns it left or right and spin turns
// the picture about the view centre; the table names which source position
// then shows at an output point.
TEST(PixelRoad, LatitudeLongitudeAndSpinMoveAMarkedDirection) {
  struct Case {
    const char* what;
    float latitude, longitude, spin;
    float nx, ny;          // output point of the equirectangular output
    float srcX, srcY;      // expected source position (input 1)
    bool checkX;
  };
  const float tenDegrees = 10.0f / 180.0f;
  const Case cases[] = {
      {"no turn", 0, 0, 0, 0.5f, 0.5f, 0.5f, 0.5f, 1},
      {"longitude 90", 0, 90, 0, 0.5f, 0.5f, 0.75f, 0.5f, 1},
      {"longitude -90", 0, -90, 0, 0.5f, 0.5f, 0.25f, 0.5f, 1},
      {"latitude 45", 45, 0, 0, 0.5f, 0.5f, 0.5f, 0.25f, 1},
      {"latitude 90", 90, 0, 0, 0.5f, 0.5f, 0, 0, 0},
      {"latitude -90", -90, 0, 0, 0.5f, 0.5f, 0, 1, 0},
      {"spin 90", 0, 0, 90, 0.5f, 0.5f - tenDegrees, 0.5f - 1.0f / 36, 0.5f, 1},
      {"spin -90", 0, 0, -90, 0.5f, 0.5f - tenDegrees, 0.5f + 1.0f / 36, 0.5f, 1},
      // Under latitude 90 the spin axis is the vertical: spin then turns like longitude.
      {"spin 90 under latitude 90", 90, 0, 90, 0.5f, 0.5f + tenDegrees, 0.75f, tenDegrees, 1},
  };
  for (const Case& c : cases) {
    MappingFixture f(1, 1, 0.5f);
    f.Extents();
    f.Turn(c.latitude, c.longitude, c.spin);
    const PixelMapping out = MapPoint(f, c.nx, c.ny);
    EXPECT_EQ(out.status, kPixelMapped) << c.what;
    if (c.checkX) {
      EXPECT_NEAR(out.srcX, c.srcX, 1e-5f) << c.what;
    }
    EXPECT_NEAR(out.srcY, c.srcY, kFastAcosV + 1e-5f) << c.what;
  }
}

// Builds a two-triangle net in the unit window: a face triangle and a tab.
void BuildTinyNet(MappingFixture& f) {
  PolyMesh* m = f.mesh.get();
  FitNetToOutput(m, 1.0f, 0);
  const RenderPoint points[] = {{0.1f, 0.1f, 0, 0, 0}, {0.5f, 0.1f, 0, 0, 0}, {0.1f, 0.5f, 0, 0, 0},
                                 {0.9f, 0.1f, 0, 0, 0}, {0.5f, 0.5f, 0, 0, 0}};
  for (int32_t i = 0; i < 5; ++i) {
    m->renderPoints[i] = points[i];
    m->netPointUsed[i] = 1;
  }
  m->renderPointCount = 5;
  m->renderTriangleCount = 2;
  RenderTriangle& face = m->renderTriangles[0];
  face = TinyNetTriangle(0, 1, 2, 0);
  face.corners[0] = Vec3{0, 0, 1};
  face.corners[1] = Vec3{-0.2, 0, 1};
  face.corners[2] = Vec3{0, -0.2, 1};
  m->renderTriangles[1] = TinyNetTriangle(1, 3, 4, 1);
  m->faceCount = 1;
  m->netFaceCount = 1;
  m->faces[0].netGroup = 5;
  f.context->isNet = 1;
  f.context->outputAspect = 1;
  BuildRowFaceList(m, 0.3f, -1, 0.01f, f.outputFaces.get(), 0, 1, 0);
}

// The status of a position: off the map, off the map on a tab, mapped, no
// source, or a region index.
TEST(PixelRoad, StatusCodes) {
  struct Case {
    const char* what;
    void (*setUp)(MappingFixture&);
    int32_t output, input;
    float aspect, nx, ny;
    int32_t status;
    int32_t sampled;  // 1 source position written, 0 left at -1, -1 as the input left it
  };
  const Case cases[] = {
      {"inside the equirectangular map", nullptr, 1, 1, 0.5f, 0.3f, 0.6f, kPixelMapped, 1},
      {"above the equirectangular band", nullptr, 1, 1, 1.0f, 0.5f, 0.2f, kPixelOffMap, 0},
      {"outside the mirror ball", nullptr, 2, 1, 1.0f, 0.02f, 0.02f, kPixelOffMap, 0},
      {"input has no source behind", [](MappingFixture& f) { f.Turn(0, 180, 0); }, 1, 4, 0.5f, 0.5f, 0.5f,
       kPixelNoSource, -1},
      {"on a net face", BuildTinyNet, 200, 1, 1.0f, 0.2f, 0.2f, kPixelMapped, 1},
      {"on a glue tab", BuildTinyNet, 200, 1, 1.0f, 0.7f, 0.15f, kPixelOffMapTab, 0},
      {"off every triangle", BuildTinyNet, 200, 1, 1.0f, 0.3f, 0.45f, kPixelOffMap, 0},
      {"region kept for the edges",
       [](MappingFixture& f) {
         BuildTinyNet(f);
         f.context->keepRegions = 1;
       },
       200, 1, 1.0f, 0.2f, 0.2f, 0, 1},
      {"region by mark id",
       [](MappingFixture& f) {
         BuildTinyNet(f);
         f.context->keepRegions = 1;
         f.mesh->regionFromNetGroup = 1;
       },
       200, 1, 1.0f, 0.2f, 0.2f, 5, 1},
      {"face colouring paints without sampling",
       [](MappingFixture& f) {
         BuildTinyNet(f);
         f.context->faceColouring = 1;
         f.mesh->regionFromNetGroup = 1;
       },
       200, 1, 1.0f, 0.2f, 0.2f, 5, 0},
      {"hidden triangle",
       [](MappingFixture& f) {
         BuildTinyNet(f);
         f.mesh->renderTriangles[0].skip = 1;
       },
       200, 1, 1.0f, 0.2f, 0.2f, kPixelOffMap, 0},
  };
  for (const Case& c : cases) {
    MappingFixture f(c.output, c.input, c.aspect);
    f.Extents();
    if (c.setUp != nullptr) c.setUp(f);
    const PixelMapping out = MapPoint(f, c.nx, c.ny);
    EXPECT_EQ(out.status, c.status) << c.what;
    if (c.sampled == 1) {
      EXPECT_GE(out.srcX, 0.0f) << c.what;
      EXPECT_GE(out.srcY, 0.0f) << c.what;
    } else if (c.sampled == 0) {
      EXPECT_EQ(out.srcX, -1.0f) << c.what;
      EXPECT_EQ(out.srcY, -1.0f) << c.what;
    }
  }
}

TEST(PixelRoad, GraticulePositionFollowsTheFlip) {
  for (int32_t flip : {0, 1}) {
    MappingFixture f(1, 1, 0.5f);
    f.Extents();
    f.context->latLongOut = 1;
    f.context->flip = flip;
    const PixelMapping out = MapPoint(f, 0.3f, 0.6f);
    EXPECT_NEAR(out.latU, flip ? 0.7f : 0.3f, 2e-6f);
    EXPECT_NEAR(out.latV, 0.6f, kFastAcosV + 1e-6f);
    EXPECT_NEAR(out.srcX, flip ? 0.7f : 0.3f, 2e-6f);
  }
}

// A sheet of views: column-major cells, each looking at one face direction
// of the views net.
TEST(ViewsGrid, CellIndexingAndViewDirections) {
  const Vec3 faces[] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
  struct Case {
    int32_t faceCount;
    float nx, ny;
    int32_t status;
  };
  const Case cases[] = {
      {4, 0.25f, 0.25f, 0},  // upper left
      {4, 0.25f, 0.75f, 1},  // lower left
      {4, 0.75f, 0.25f, 2},  // upper right
      {4, 0.75f, 0.75f, 3},  // lower right
      {3, 0.75f, 0.75f, kPixelOffMap},  // the index reaches the face count
  };
  for (const Case& c : cases) {
    MappingFixture f(75, 1, 1.0f);
    f.mesh->faceCount = 4;
    for (int32_t k = 0; k < 4; ++k) f.mesh->faces[k].centre = faces[k];
    f.Extents();
    f.mesh->faceCount = c.faceCount;
    ASSERT_EQ(f.context->viewColumns, 2);
    ASSERT_EQ(f.context->viewRows, 2);
    const PixelMapping out = MapPoint(f, c.nx, c.ny);
    EXPECT_EQ(out.status, c.status) << c.nx << ", " << c.ny;
    if (c.status < 0) continue;
    EXPECT_EQ(out.viewIndex, c.status);
    // The cell centre looks straight at its face.
    const Vec3& face = faces[c.status];
    EXPECT_NEAR(out.direction.x, face.x, 1e-6);
    EXPECT_NEAR(out.direction.y, face.y, 1e-6);
    EXPECT_NEAR(out.direction.z, face.z, 1e-6);
  }
}

TEST(ViewsGrid, CellSpansTheFieldOfView) {
  MappingFixture f(75, 1, 1.0f);
  f.context->fov = 90;  // fovTan 2: the cell edge is 45 degrees off its centre
  ComputeFovTangents(90, &f.context->fovTan, &f.context->halfFovTan);
  f.mesh->faceCount = 4;
  for (int32_t k = 0; k < 4; ++k) f.mesh->faces[k].centre = Vec3{0, 0, 1};
  f.Extents();
  const PixelMapping out = MapPoint(f, 0.0001f, 0.25f);  // left edge of the upper left cell
  const double angle = std::acos(out.direction.z) * 180 / kPi;
  EXPECT_NEAR(angle, 45.0, 0.05);
  EXPECT_GT(out.direction.x, 0.0f);  // the left of the picture is +x
}

TEST(DotList, RowsColumnsAndPoles) {
  MappingFixture f(1, 1, 0.5f);
  EXPECT_EQ(BuildDotList(f.context.get()), 128);
  EXPECT_EQ(f.context->dotCount, 128);
  struct Case {
    int32_t index;
    double latitude, longitude;
  };
  const Case cases[] = {
      {0, 70, -180},  {1, 70, -140}, {8, 70, 140},   {9, 50, -180},  {10, 50, -160},
      {26, 50, 160},  {27, 30, -180}, {116, -50, 160}, {117, -70, -180}, {118, -70, -140}, {125, -70, 140},
  };
  for (const Case& c : cases) {
    const Vec3f& d = f.context->dots[c.index];
    EXPECT_NEAR(std::asin(d.y) * 180 / kPi, c.latitude, 1e-3) << c.index;
    const double longitude = std::atan2(d.x, d.z) * 180 / kPi;
    EXPECT_NEAR(std::remainder(longitude - c.longitude, 360.0), 0.0, 1e-3) << c.index;
  }
  EXPECT_NEAR(f.context->dots[126].y, 1.0f, 1e-6f);
  EXPECT_NEAR(f.context->dots[127].y, -1.0f, 1e-6f);
  for (int32_t i = 0; i < 128; ++i) {
    const Vec3f& d = f.context->dots[i];
    EXPECT_NEAR(d.x * d.x + d.y * d.y + d.z * d.z, 1.0f, 1e-6f);
  }
}

TEST(DotList, NearestDotSearchFromTheCursor) {
  MappingFixture f(1, 1, 0.5f);
  BuildDotList(f.context.get());
  const Vec3f* dots = f.context->dots;
  Vec3f between;
  EquirectToVec3f(0.5f, 0.5f, &between);  // the equator at longitude 0 is 10 degrees from every dot
  struct Case {
    int32_t cursor;
    Vec3f direction;
    float dotDist;
    int32_t cursorAfter;
  };
  const Case cases[] = {
      {0, dots[40], 0, 40},       {100, dots[5], 0, 5},      {-4, dots[7], 0, 7},
      {500, dots[127], 0, 127},   {3, between, 0.0225f, 3},  {-1, between, 0.0225f, 0},
  };
  for (const Case& c : cases) {
    PixelMapping out{};
    int32_t cursor = c.cursor;
    FindNearestDotFromCursor(f.context.get(), &c.direction, &out, &cursor);
    EXPECT_NEAR(out.dotDist, c.dotDist, 1e-6f) << c.cursor;
    EXPECT_EQ(cursor, c.cursorAfter) << c.cursor;
  }
}

TEST(FaceCentres, NearestCentreOfTheFaceMark) {
  MappingFixture f(200, 1, 1.0f);
  PolyMesh* m = f.mesh.get();
  m->faceCount = 3;
  m->faces[0].netGroup = 2;
  m->faces[1].netGroup = 3;
  m->faces[2].netGroup = 7;
  const Vec3 zAxis{0, 0, 1};
  const Vec3 xAxis{1, 0, 0};
  m->foldStepCount = 3;
  m->foldSteps[0].direction = zAxis;
  m->foldSteps[0].markId = 2;
  m->foldSteps[0].radius = 0.1;
  MakePlaneFromPointNormal(&zAxis, &zAxis, &m->foldSteps[0].plane);
  m->foldSteps[1].direction = xAxis;
  m->foldSteps[1].markId = 2;
  m->foldSteps[1].radius = 0.2;
  MakePlaneFromPointNormal(&xAxis, &xAxis, &m->foldSteps[1].plane);
  m->foldSteps[2].direction = Vec3{0, 0, 0.9};
  m->foldSteps[2].markId = 3;
  m->foldSteps[2].radius = 0;
  MakePlaneFromPointNormal(&zAxis, &zAxis, &m->foldSteps[2].plane);
  struct Case {
    int32_t face;
    Vec3 point;
    float dist;
    int32_t inside;
  };
  const Case cases[] = {
      {0, {0, 0.1, 0.99}, 0.0101f - 0.01f, 1},   // mark 2: the z centre is nearer than the x one
      {0, {0, 0, 1.1}, 0.01f - 0.01f, 0},        // beyond the centre's plane
      {0, {0.9, 0, 0}, 0.01f - 0.04f, 1},        // mark 2: the x centre
      {1, {0, 0, 1}, 0.01f, 1},                  // mark 3 ignores the mark-2 centres
      {2, {0, 0, 1}, 99999.0f, 1},               // no centre of mark 7
      {-1, {0, 0, 1}, 99999.0f, 1},              // no face
  };
  for (const Case& c : cases) {
    PixelMapping out{};
    out.faceCentreDist = 1;
    out.face = c.face;
    FindNearestFaceCentre(f.context.get(), &c.point, &out);
    EXPECT_NEAR(out.faceCentreDist, c.dist, 1e-6f) << c.face;
    EXPECT_EQ(out.faceCentreInside, c.inside) << c.face;
  }
  m->foldStepCount = 0;
  PixelMapping untouched{};
  untouched.faceCentreDist = 1;
  untouched.faceCentreInside = 4;
  untouched.face = 0;
  FindNearestFaceCentre(f.context.get(), &zAxis, &untouched);
  EXPECT_EQ(untouched.faceCentreDist, 1.0f);
  EXPECT_EQ(untouched.faceCentreInside, 4);
}

TEST(FieldOfView, TangentsAndTheirClamps) {
  struct Case {
    float fov;
    double fovTan;
    double halfFovTan;
  };
  const double clamp = 2 * std::tan(0.999 * kPi / 2);
  const Case cases[] = {
      {90, 2.0, 2 * std::tan(kPi / 8)},
      {180, clamp, 2 * std::tan(kPi / 4)},
      {360, clamp, clamp},       // both clamped, never infinite
      {0, 0, 0},
      {-30, -2 * std::tan(kPi / 12), -2 * std::tan(kPi / 24)},  // no lower clamp
      {120, 2 * std::tan(kPi / 3), 2 * std::tan(kPi / 6)},
  };
  for (const Case& c : cases) {
    float fovTan, halfFovTan;
    ComputeFovTangents(c.fov, &fovTan, &halfFovTan);
    // Single precision: near the clamp the tangent is steep.
    EXPECT_NEAR(fovTan, c.fovTan, 2e-5 * std::max(1.0, std::abs(c.fovTan))) << c.fov;
    EXPECT_NEAR(halfFovTan, c.halfFovTan, 2e-5 * std::max(1.0, std::abs(c.halfFovTan))) << c.fov;
    EXPECT_TRUE(std::isfinite(fovTan));
  }
}

TEST(DirectSampleRecord, HeadIsReset) {
  MappingFixture f(1, 1, 0.5f);
  NetFaceList* list = f.inputFaces.get();
  list->outputNumber = 9;
  list->halfAngleOrder = 3;
  list->tabCursor = list->hitTriangle = list->faceCursor = 4;
  InitDirectSampleRecord(list);
  EXPECT_EQ(list->outputNumber, 0);
  EXPECT_FLOAT_EQ(list->tileScale, std::pow(2.0f, 2.5f));
  EXPECT_EQ(list->halfAngleOrder, 0);
  EXPECT_EQ(list->tabCursor, 0);
  EXPECT_EQ(list->hitTriangle, 0);
  EXPECT_EQ(list->faceCursor, 0);
}

}  // namespace

namespace {

// The indicatrix dots are fixed on the sphere: under the identity map the dot
// at (c/18, r/9) shows at the output point (1 - c/18, r/9), and a longitude
// turn moves it across the output.
TEST(DotList, DotsStayOnTheSphereThroughTheRoad) {
  struct Case {
    float longitude;
    float nx, ny;
    bool onDot;
  };
  const Case cases[] = {
      {0, 1 - 4.0f / 18, 3.0f / 9, true},          // dot (4/18, 3/9)
      {0, 1 - 4.0f / 18, 3.5f / 9, false},  // half way to the next row
      {90, 1 - 4.0f / 18 - 0.25f, 3.0f / 9, true},  // the same dot after a quarter turn
      {90, 1 - 4.0f / 18, 3.0f / 9 + 0.5f / 9, false},
  };
  for (const Case& c : cases) {
    MappingFixture f(1, 1, 0.5f);
    f.Extents();
    f.Turn(0, c.longitude, 0);
    f.context->dotOverlay = 1;
    BuildDotList(f.context.get());
    const PixelMapping out = MapPoint(f, c.nx, c.ny);
    if (c.onDot) {
      EXPECT_LT(out.dotDist, 1e-6f) << c.longitude << " " << c.nx;
    } else {
      EXPECT_EQ(out.dotDist, 0.0225f) << c.longitude << " " << c.nx;
    }
  }
}

// The region a net pixel takes under each rule of the mesh, the later rules
// overriding the earlier ones.
TEST(PixelRoad, NetRegionRules) {
  struct Case {
    const char* what;
    int32_t regionFromTriangle;
    uint8_t mark, piece, table;
    int32_t status;
  };
  const Case cases[] = {
      {"the face itself", 0, 0, 0, 0, 0},
      {"mark id", 0, 1, 0, 0, 5},
      {"group of the piece plus one", 0, 0, 1, 0, 12},
      {"region table", 0, 0, 0, 1, 42},
      {"piece overrides mark", 0, 1, 1, 0, 12},
      {"table overrides every other", 0, 1, 1, 1, 42},
  };
  static const uint16_t regions[1] = {42};
  for (const Case& c : cases) {
    MappingFixture f(200, 1, 1.0f);
    f.Extents();
    BuildTinyNet(f);
    f.context->keepRegions = 1;
    PolyMesh* m = f.mesh.get();
    m->faces[0].piece = 0;
    m->faces[0].group = 11;
    m->regionTable = regions;
    m->regionFromTriangle = c.regionFromTriangle;
    m->regionFromNetGroup = c.mark;
    m->regionFromGroup = c.piece;
    m->regionFromTable = c.table;
    const PixelMapping out = MapPoint(f, 0.2f, 0.2f);
    EXPECT_EQ(out.status, c.status) << c.what;
    EXPECT_EQ(out.face, 0) << c.what;
  }
}

TEST(PixelRoad, OtherContextModes) {
  // The brick preview: the ray of a grid without cells misses.
  MappingFixture brick(45, 1, 1.0f);
  brick.Extents();
  brick.context->contextMode = 1;
  BrickGrid empty{};
  brick.context->brickGrid = &empty;
  PixelMapping out = MapPoint(brick, 0.25f, 0.75f);
  EXPECT_EQ(out.status, kPixelOffMap);
  EXPECT_EQ(out.srcX, -1.0f);
  // The map of faces without a net finds no face.
  MappingFixture faces(355, 1, 0.5f);
  faces.Extents();
  faces.context->contextMode = 2;
  out = MapPoint(faces, 0.5f, 0.5f);
  EXPECT_EQ(out.status, kPixelOffMap);
}

}  // namespace
