// Per-face maps of the flat layouts. The angle tables give each face's turn
// in the stereographic plane of its hemisphere; faces of a mirrored pair share
// an angle and differ in the sign of the table's second value.
#include "projection/net_face_maps.h"

#include <cmath>

#include "geometry/fast_math.h"
#include "geometry/rotation.h"
#include "host/globals_record.h"
#include "nets/nets_services_stub.h"
#include "projection/lookup_grid.h"
#include "projection/mapping_context.h"

namespace {

constexpr double kPi = 3.141592653589793;

int32_t FaceOf(const FaceMapPoint& p) { return p.mesh->renderTriangles[p.triangle].netFace; }

Complex WeightLookup(int32_t table, float first, float second, ImageRecord* grid) {
  const Complex point{first, second};
  return LookupGridPair(&point, grid, table);
}

// (cos a, sin a) * (re, im) in single precision.
Complex TurnBy(float a, const Complex& w) {
  const float c = std::cos(a);
  const float s = std::sin(a);
  return Complex{float(c * w.re - s * w.im), float(s * w.re + c * w.im)};
}

float AngleOf(const float* table, int32_t count, int32_t g) {
  return float(double(table[g < 0 ? 0 : (g >= count ? count - 1 : g)]) * kPi);
}

Vec3f ToFloat(const Vec3& v) { return Vec3f{float(v.x), float(v.y), float(v.z)}; }

// Turn angles (multiples of pi) of the mirrored-half maps and of net 59.
constexpr float kAnglesNet40[20] = {1.08f, 1.08f, 1.48f, 1.48f, 1.88f, 1.88f, 2.28f, 2.28f, 2.68f, 2.68f,
                                    -0.08f, -0.08f, 0.32f, 0.32f, 0.72f, 0.72f, 1.12f, 1.12f, 1.52f, 1.52f};
constexpr float kAnglesNet58[16] = {0.5f, 1, 1, 1.5f, 1.5f, 2, 2, 0.5f, 1.5f, 2, 2, 0.5f, 0.5f, 1, 1, 1.5f};
constexpr float kThird = 1.0f / 3, kTwoThirds = 2.0f / 3, kFourThirds = 4.0f / 3, kFiveThirds = 5.0f / 3;
constexpr float kAnglesNet41[24] = {0, kThird, kThird, kTwoThirds, kTwoThirds, 1, 1, kFourThirds,
                                    kFourThirds, kFiveThirds, kFiveThirds, 2, kTwoThirds, 1, 1, kFourThirds,
                                    kFourThirds, kFiveThirds, kFiveThirds, 2, 0, kThird, kThird, kTwoThirds};
constexpr float kAnglesNet59[24] = {0, kThird, 0, kThird, kThird, kTwoThirds, kThird, kTwoThirds,
                                    kTwoThirds, 1, kTwoThirds, 1, 1, kFourThirds, 1, kFourThirds,
                                    kFourThirds, kFiveThirds, kFourThirds, kFiveThirds, kFiveThirds, 2,
                                    kFiveThirds, 2};
constexpr float kSixth = 1.0f / 6;
constexpr float kAnglesNet42[36] = {
    5 * kSixth,  7 * kSixth,  7 * kSixth,  1.5f,        1.5f,        11 * kSixth, 11 * kSixth, 13 * kSixth,
    13 * kSixth, 2.5f,        2.5f,        17 * kSixth, 11 * kSixth, 13 * kSixth, 13 * kSixth, 2.5f,
    2.5f,        17 * kSixth, 17 * kSixth, 19 * kSixth, 7 * kSixth,  1.5f,        1.5f,        11 * kSixth,
    -kSixth,     kSixth,      kSixth,      0.5f,        0.5f,        5 * kSixth,  5 * kSixth,  7 * kSixth,
    7 * kSixth,  1.5f,        1.5f,        11 * kSixth};
constexpr float kAnglesNet69[36] = {
    0.5f,        5 * kSixth,  5 * kSixth,  7 * kSixth,  7 * kSixth,  1.5f,        1.5f,        11 * kSixth,
    11 * kSixth, 13 * kSixth, 13 * kSixth, 2.5f,        7 * kSixth,  1.5f,        1.5f,        11 * kSixth,
    11 * kSixth, 13 * kSixth, 13 * kSixth, 2.5f,        0.5f,        5 * kSixth,  5 * kSixth,  7 * kSixth,
    7 * kSixth,  1.5f,        1.5f,        11 * kSixth, 11 * kSixth, 13 * kSixth, 13 * kSixth, 2.5f,
    2.5f,        17 * kSixth, 17 * kSixth, 19 * kSixth};

// Steps 1..4 of the two-hemisphere maps: the table point, turned, lifted.
Vec3f TwoHemispherePoint(const FaceMapPoint& p, int32_t table, float alpha, int32_t variant) {
  const int32_t g = FaceOf(p);
  Complex w = WeightLookup(table, p.b0, p.b2, p.grid);
  w.im = float(w.im * FaceSign(g));
  const Complex r = TurnBy(alpha, w);
  Vec3f d{0, 0, 1};
  if (variant == 0) {
    PlaneToSphereFromSouthPole(float(2 * r.re), float(2 * r.im), &d);
  } else {
    uint8_t flag = 0;
    PlaneToSpherePoweredF(r.re, r.im, 2.0, &flag, &d, 0);
  }
  return d;
}

void MirroredHalf(const FaceMapPoint& p, int32_t table, const float* angles, int32_t count, int32_t split) {
  const int32_t g = FaceOf(p);
  p.list->region = g;
  Complex w = WeightLookup(table, p.b0, p.b2, p.grid);
  w.im = float(w.im * FaceSign(g));
  Complex r = TurnBy(AngleOf(angles, count, g), w);
  if (g > split) r.re = -r.re;
  Vec3f d{0, 0, 1};
  PlaneToSphereFromSouthPole(float(2 * r.re), float(2 * r.im), &d);
  *p.d = g > split ? Vec3f{d.z, d.x, -d.y} : Vec3f{-d.z, d.x, -d.y};
}

// Stereographic lift with power 1.5 (the hexagon chains): the table point of
// the face, turned by its angle.
Vec3 StereographicPowered(const FaceMapPoint& p, const float* angles, int32_t count) {
  const int32_t g = FaceOf(p);
  p.list->region = g;
  Complex w = WeightLookup(5, p.b0, p.b2, p.grid);
  w.im = float(w.im * FaceSign(g));
  const Complex r = TurnBy(AngleOf(angles, count, g), w);
  Vec3 v;
  StereographicToSphere(&r, &v);
  uint8_t flag = 0;
  MapSpherePowerNoTilt(&v, 1.5, &flag);
  return v;
}

// The plane point of the triangle's corners blended by the weights, lifted
// stereographically with x negated.
Vec3 TetraSpherePoint(int32_t triangle, float b0, float b1, float b2, const PolyMesh* mesh) {
  Vec3f plane{0, 0, 0};
  InterpolateFaceCornersF(triangle, b0, b1, b2, &plane, mesh);
  const Complex w{plane.x, plane.y};
  Vec3 v;
  StereographicToSphere(&w, &v);
  v.x = -v.x;
  return v;
}

void MarkOutsideSector(const FaceMapPoint& p) {
  p.list->region = -5;
  *p.outside = 1;
  *p.d = Vec3f{0, 0, 1};
}

// Sector placement shared by nets 55 and 56: quarter turns about y, the
// upper four sectors mirrored.
Vec3f PlaceSector(const Vec3& q, int32_t k) {
  Vec3 t;
  switch (k % 4) {
    case 0: t = Vec3{q.z, q.y, -q.x}; break;
    case 1: t = q; break;
    case 2: t = Vec3{-q.z, q.y, q.x}; break;
    default: t = Vec3{-q.x, q.y, -q.z}; break;
  }
  if (k > 3) t = Vec3{-t.z, -t.y, -t.x};
  return ToFloat(t);
}

constexpr float kSectorAngles[6] = {0, 4.0f / 3, 4.0f / 3, 2.0f / 3, 2.0f / 3, 0};

// The table point of a Reuleaux sector face (nets 52, 53 and 55), turned into
// its place: the face's own sector angle and then `thirds` thirds of a turn
// more. False, with the point marked outside, when the plane point lies beyond
// the group's region.
bool TetraSectorPoint(const FaceMapPoint& p, int32_t table, int32_t thirds, Complex* r) {
  const int32_t g = FaceOf(p);
  const Vec3 w = TetraSpherePoint(p.triangle, p.b0, p.b1, p.b2, p.mesh);
  if (ChooseTetraVertex(w) != 3) {
    MarkOutsideSector(p);
    return false;
  }
  p.list->region = g / 6;
  Complex t = WeightLookup(table, p.b2, p.b0, p.grid);
  t.im = float(t.im * -FaceSign(g));
  float alpha = float(double(kSectorAngles[g % 6]) * kPi);
  for (int32_t i = 0; i < thirds; ++i) alpha = float(double(alpha) + 2.0943952);
  *r = TurnBy(alpha, t);
  return true;
}

void WeightsThroughTable(int32_t table, float* a, float* b, float* c, ImageRecord* grid) {
  const Complex w = WeightLookup(table, *c, *a, grid);
  *c = float(w.re);
  *a = float(w.im);
  *b = float(1.0 - w.re - w.im);
}

}  // namespace

void FaceMapNet30(const FaceMapPoint& p, int32_t variant) {
  const int32_t g = FaceOf(p);
  p.list->region = g;
  float alpha = float(0.4 * kPi * std::floor((g % 10) / 2));
  if (variant == 0 || variant == 1) alpha = float(double(alpha) + 3.4557519183);
  Vec3f d = TwoHemispherePoint(p, 3, alpha, variant);
  if (g > 9) d.z = -d.z;
  *p.d = d;
}

void FaceMapNet36(const FaceMapPoint& p, int32_t variant) {
  const int32_t g = FaceOf(p);
  p.list->region = g;
  float alpha = float(kPi / 3 * std::floor(((g % 12) + 1) / 2));
  if (variant == 0) alpha = float(double(alpha) + 0.5235987755);
  Vec3f d = TwoHemispherePoint(p, 5, alpha, variant);
  if (g > 11) d.z = -d.z;
  *p.d = d;
}

void FaceMapNet59(const FaceMapPoint& p) {
  const int32_t g = FaceOf(p);
  p.list->region = g;
  const float alpha = float(double(AngleOf(kAnglesNet59, 24, g)) + 0.5235987755);
  const Vec3f e = TwoHemispherePoint(p, 5, alpha, 0);
  Vec3 v{e.x, e.z, -e.y};
  if (g & 2) v.y = -v.y;
  uint8_t flag = 0;
  MapSpherePower(&v, 0.333333333, &flag, 0);
  RotateVec3dAboutX(&v, -0.5235987755982988);
  *p.d = ToFloat(v);
}

void FaceMapNet40(const FaceMapPoint& p) { MirroredHalf(p, 3, kAnglesNet40, 20, 9); }
void FaceMapNet58(const FaceMapPoint& p) { MirroredHalf(p, 9, kAnglesNet58, 16, 7); }
void FaceMapNet41(const FaceMapPoint& p) { MirroredHalf(p, 5, kAnglesNet41, 24, 11); }

void FaceMapNet42(const FaceMapPoint& p) {
  const int32_t g = FaceOf(p);
  Vec3 v = StereographicPowered(p, kAnglesNet42, 36);
  RotateVec3dAboutY(&v, (g / 12) * 6.283185307179586 / 3);
  *p.d = Vec3f{float(v.x), float(-v.z), float(v.y)};
}

void FaceMapNet69(const FaceMapPoint& p) {
  const int32_t g = FaceOf(p);
  Vec3 v = StereographicPowered(p, kAnglesNet69, 36);
  const int32_t m = g / 12 + 2;
  if (m != 3) RotateVec3dAboutY(&v, m * 6.283185307179586 / (-3));
  *p.d = ToFloat(v);
}

void FaceMapNet32(const FaceMapPoint& p, int32_t variant) {
  const int32_t g = FaceOf(p);
  p.list->region = g;
  float b2 = p.b2;
  if (p.b0 + b2 > 1) b2 = 1 - p.b0;
  Complex w = WeightLookup(4, p.b0, b2, p.grid);
  w.im = float(w.im * -FaceSign(g));
  constexpr double kThirds[12] = {0, 0, -2.0 / 3, -2.0 / 3, -4.0 / 3, -4.0 / 3,
                                  0, 0, -2.0 / 3, -2.0 / 3, -4.0 / 3, -4.0 / 3};
  const float a = float(kThirds[g < 0 ? 0 : (g > 11 ? 11 : g)] * kPi);
  float alpha;
  if (variant == 0) alpha = float(double(a) + 4.1887903);
  else if (variant == 1) alpha = float(double(a) + 4.712389);
  else alpha = float(double(a) - 1.5707964);
  const Complex r = TurnBy(alpha, w);
  Vec3f d{0, 0, 1};
  if (variant == 1) {
    uint8_t flag = 0;
    PlaneToSpherePoweredF(r.re, r.im, 2.0, &flag, &d, 0);
  } else {
    PlaneToSphereFromSouthPole(float(2 * r.re), float(2 * r.im), &d);
  }
  if (variant != 2) {
    if (g > 5) d.z = -d.z;
  } else {
    if (g > 5) d = Vec3f{-d.x, d.y, -d.z};
    d = Vec3f{-d.z, d.y, d.x};
  }
  *p.d = d;
}

void FaceMapNet34(const FaceMapPoint& p) {
  const int32_t g = FaceOf(p);
  p.list->region = g;
  float b2 = p.b2;
  if (p.b0 + b2 > 1) b2 = 1 - p.b0;
  Complex w = WeightLookup(4, p.b0, b2, p.grid);
  constexpr float kSigns[4] = {-1, 1, 1, -1};
  constexpr double kThirds[4] = {-4.0 / 3, -4.0 / 3, -2.0 / 3, -2.0 / 3};
  const int32_t i = g < 0 ? 0 : (g > 3 ? 3 : g);
  w.im = float(w.im * kSigns[i]);
  const float alpha = float(double(float(kThirds[i] * kPi)) - 1.5707964);
  Complex r = TurnBy(alpha, w);
  Complex cubed;
  ComplexPow(&cubed, &r, 3.0);
  Vec3 v;
  PlaneToSphereFromSouthPoleD(2 * cubed.re, 2 * cubed.im, &v);
  const double z = g <= 1 ? -v.z : v.z;
  *p.d = Vec3f{float(v.x), float(z), float(v.y)};
}

void FaceMapNet43(const FaceMapPoint& p) {
  float a = p.b0, b = p.b1, c = p.b2;
  WarpBarycentricByGrid(&a, &b, &c, p.grid);
  InterpolateFaceCornersF(p.triangle, a, b, c, p.d, p.mesh);
  p.list->region = p.triangle;
}

void FaceMapNet60(const FaceMapPoint& p) {
  float a = p.b0, b = p.b1, c = p.b2;
  WarpBarycentricByGrid(&a, &b, &c, p.grid);
  Vec3f e{0, 0, 1};
  InterpolateFaceCornersF(p.triangle, a, b, c, &e, p.mesh);
  p.list->region = FaceOf(p);
  Vec3 v{e.x, e.y, e.z};
  NormalizeVec3d(&v);
  RotateVec3dAboutX(&v, 0.7853981633974483);
  MapSpherePower(&v, 2.0, p.outside, 0);
  const RenderPoint& p22 = p.mesh->renderPoints[22];
  const RenderPoint& p50 = p.mesh->renderPoints[50];
  if (p.v > (p50.y + p22.y) * 0.5f) {
    const bool wantLeft = p.u <= p22.x;  // d.x <= 0 left of point 22, d.x > 0 elsewhere
    const bool isLeft = v.x <= 0;
    if (wantLeft != isLeft) v = Vec3{-v.x, v.y, -v.z};
  }
  *p.d = ToFloat(v);
}

int32_t ChooseTetraVertex(const Vec3& d) {
  static const Vec3 kVertices[4] = {{0.9428090453147888, 0, -1.0 / 3},
                                    {-0.4714045226573944, 0.8164966106414795, -1.0 / 3},
                                    {-0.4714045226573944, -0.8164966106414795, -1.0 / 3},
                                    {0, 0, 1}};
  int32_t best = 0;
  double bestDot = d.x * kVertices[0].x + d.y * kVertices[0].y + d.z * kVertices[0].z;
  for (int32_t i = 1; i < 4; ++i) {
    const double dot = d.x * kVertices[i].x + d.y * kVertices[i].y + d.z * kVertices[i].z;
    if (dot > bestDot) {
      bestDot = dot;
      best = i;
    }
  }
  return best;
}

int32_t InTetraFaceRegion(int32_t triangle, float b0, float b1, float b2, Vec3* w, const PolyMesh* mesh,
                          int32_t mode) {
  Vec3f plane{0, 0, 0};
  InterpolateFaceCornersF(triangle, b0, b1, b2, &plane, mesh);
  const Complex pw{plane.x, plane.y};
  StereographicToSphere(&pw, w);
  w->x = -w->x;
  if (mode == 1) return ChooseTetraVertex(*w) == 3 ? 0 : 1;
  if (mode == 2) {
    static const double kCentres[3][2] = {{-1.4142135623730951, 0},
                                          {0.7071067811865476, 1.224744871},
                                          {0.7071067811865476, -1.224744871}};
    for (const auto& c : kCentres) {
      if (std::hypot(plane.x - c[0], plane.y - c[1]) > 1.7320508075688772) return 1;
    }
    return 0;
  }
  return 0;
}

void FaceMapNet54(const FaceMapPoint& p) {
  const int32_t g = FaceOf(p);
  Vec3 w = TetraSpherePoint(p.triangle, p.b0, p.b1, p.b2, p.mesh);
  if (ChooseTetraVertex(w) != 3) {
    MarkOutsideSector(p);
    return;
  }
  const int32_t k = g / 6;
  p.list->region = k;
  *p.outside = 0;
  RotateVec3dAboutZ(&w, 0.5235987755982989);
  RotateVec3dAboutX(&w, 0.3398369094541219);
  if (k == 2) {
    w.x = -w.x;
    RotateVec3dAboutY(&w, 2.0943951023931953);
  } else if (k == 3) {
    w.x = -w.x;
    RotateVec3dAboutY(&w, -2.0943951023931953);
  } else if (k == 1) {
    RotateVec3dAboutX(&w, 1.2309594173407747);
    w.y = -w.y;
  }
  RotateVec3dAboutX(&w, 1.2309594173407747);
  RotateVec3dAboutY(&w, 1.0471975511965979);
  *p.d = Vec3f{float(w.x), float(-w.z), float(w.y)};
}

void FaceMapNet55(const FaceMapPoint& p) {
  Complex r;
  if (!TetraSectorPoint(p, 7, 0, &r)) return;
  const double zz = 1 - r.re * r.re - r.im * r.im;
  Vec3 q{r.re, r.im, std::sqrt(zz > 0 ? zz : 0)};
  RotateVec3dAboutZ(&q, 0.5235987755982989);
  RotateVec3dAboutX(&q, -0.6154797086703874);
  *p.d = PlaceSector(q, FaceOf(p) / 6);
}

void FaceMapNet56(const FaceMapPoint& p) {
  const int32_t g = FaceOf(p);
  Vec3 w;
  if (InTetraFaceRegion(p.triangle, p.b0, p.b1, p.b2, &w, p.mesh, 2) != 0) {
    MarkOutsideSector(p);
    return;
  }
  const int32_t k = g / 6;
  p.list->region = k;
  RotateVec3dAboutZ(&w, 1.5707963267948966);
  RotateVec3dAboutX(&w, -0.6154797086703874);
  *p.d = PlaceSector(w, k);
}

void FaceMapNet52(const FaceMapPoint& p, int32_t variant) {
  const int32_t k = FaceOf(p) / 6;
  // Variant 2 turns by a third more, its second hemisphere by two thirds.
  const int32_t thirds = variant == 2 ? (k == 1 ? 2 : 1) : 0;
  Complex r;
  if (!TetraSectorPoint(p, 8, thirds, &r)) return;
  Vec3 q;
  StereographicToSphere(&r, &q);
  RotateVec3dAboutZ(&q, 0.5235987755982989);
  if (variant == 1) {
    MapSpherePower(&q, 0.5, p.outside, 0);
    *p.d = ToFloat(q);
  } else if (k == 1) {
    *p.d = Vec3f{float(-q.x), float(-q.z), float(-q.y)};
  } else {
    *p.d = Vec3f{float(q.x), float(q.z), float(-q.y)};
  }
}

void WeightMapNet38(float* a, float* b, float* c, ImageRecord* grid) { WeightsThroughTable(6, a, b, c, grid); }
void WeightMapNet67(float* a, float* b, float* c, ImageRecord* grid) { WeightsThroughTable(14, a, b, c, grid); }
void WeightMapNet65(float* a, float* b, float* c, ImageRecord* grid) { WeightsThroughTable(13, a, b, c, grid); }

void WeightMapNet70(float* a, float* b, float* c, ImageRecord* grid) {
  const Complex w = WeightLookup(15, *b, *c, grid);
  *a = float(1.0 - w.re - w.im);
  *b = float(w.im);
  *c = float(w.re);
}

void FlipDirectionNet38(Vec3f* d) { *d = Vec3f{-d->y, -d->x, -d->z}; }

bool NetHasFaceMap(int32_t net) { return FaceMapTableOfNet(net) != 0; }

int32_t FaceMapTableOfNet(int32_t net) {
  switch (net) {
    case 30: case 31: case 40: return 3;
    case 32: case 33: case 34: case 35: return 4;
    case 36: case 37: case 41: case 42: case 59: case 63: case 68: case 69: return 5;
    case 38: case 39: return 6;
    case 55: return 7;
    case 52: case 53: return 8;
    case 58: return 9;
    case 65: case 66: return 13;
    case 67: return 14;
    case 70: return 15;
    case 43: case 46: case 47: case 51: case 57: case 60: case 61: case 62: case 64: return 2;
    case 54: case 56: return -1;  // maps of their own without a table
    default: return 0;
  }
}

bool MapFaceByNetNumber(const FaceMapPoint& p) {
  const int32_t net = p.mesh->netNumber;
  // A map whose table is not part of the build would draw every face in one
  // colour; the caller blends the corners instead.
  const int32_t table = FaceMapTableOfNet(net);
  if (table > 0) {
    const LookupTableInfo* info = FindLookupTable(table);
    if (info == nullptr || info->values == nullptr) return false;
  }
  p.list->region = 0;
  float a = p.b0, b = p.b1, c = p.b2;
  switch (net) {
    case 30: case 31: FaceMapNet30(p, net == 30 ? 0 : 1); return true;
    case 32: case 33: FaceMapNet32(p, net == 32 ? 0 : 1); return true;
    case 35: FaceMapNet32(p, 2); return true;
    case 34: FaceMapNet34(p); return true;
    case 36: case 63: FaceMapNet36(p, 0); return true;
    case 37: FaceMapNet36(p, 1); return true;
    case 40: FaceMapNet40(p); return true;
    case 41: FaceMapNet41(p); return true;
    case 42: case 68: FaceMapNet42(p); return true;
    case 69: FaceMapNet69(p); return true;
    case 58: FaceMapNet58(p); return true;
    case 59: FaceMapNet59(p); return true;
    case 52: case 53: FaceMapNet52(p, net == 52 ? 1 : 2); return true;
    case 54: FaceMapNet54(p); return true;
    case 55: FaceMapNet55(p); return true;
    case 56: FaceMapNet56(p); return true;
    case 43: case 61: FaceMapNet43(p); return true;
    case 60: case 62: FaceMapNet60(p); return true;
    case 65: case 66: WeightMapNet65(&a, &b, &c, p.grid); break;
    case 67: WeightMapNet67(&a, &b, &c, p.grid); break;
    case 70: WeightMapNet70(&a, &b, &c, p.grid); break;
    case 38: case 39: WeightMapNet38(&a, &b, &c, p.grid); break;
    case 57: case 46: case 64: case 47: case 51: WarpBarycentricByGrid(&a, &b, &c, p.grid); break;
    default: return false;
  }
  InterpolateFaceCornersF(p.triangle, a, b, c, p.d, p.mesh);
  p.list->region = net == 70 ? p.triangle / 10 : p.triangle;
  if (net == 38 || net == 39) FlipDirectionNet38(p.d);
  if (net == 46 || net == 64) TurnDirectionForNetFace35(p.d);
  if (net == 47 || net == 51) TurnDirectionForNetFace30(p.d);
  return true;
}

void MapLayoutFace(PolyMesh* mesh, float b0, float b1, float b2, int32_t triangle, float u, float v,
                   GlobalsRecord* globals, Vec3f* d, uint8_t* outside, NetFaceList* list) {
  ImageRecord* grid = globals != nullptr ? &globals->images[1] : nullptr;
  const FaceMapPoint point{triangle, b0, b1, b2, u, v, d, outside, list, mesh, grid};
  // A layout without a map of its own (or a run without its lookup grid)
  // blends the triangle's corner directions.
  if (grid == nullptr || !MapFaceByNetNumber(point)) {
    InterpolateFaceCornersF(triangle, b0, b1, b2, d, mesh);
    list->region = triangle;
  }
  FinishNetDirection(mesh, list->halfAngleOrder, d);
}
