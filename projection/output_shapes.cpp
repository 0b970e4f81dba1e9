// Output shapes, plane extents and the lobed-output construction.
#include "projection/output_shapes.h"

#include <cmath>
#include <utility>

#include "nets/nets_services_stub.h"
#include "projection/lookup_grid.h"
#include "projection/quincuncial.h"
#include "projection/mapping_context.h"
#include "geometry/rotation.h"
#include "projection/output_pixel.h"

namespace {

constexpr double kPi = 3.141592653589793;

struct ShapeRow {
  int32_t output;
  int32_t kind;
  int32_t lobes;
  double sphereTilt;
  double shapeScale;
  double finalTurnZ;
  double finalTurnY;
  double preRotationAngle;
  double boxMinX, boxMinY, boxMaxX, boxMaxY;  // thousandths
};

// One row per shaped output; angles in radians.
constexpr ShapeRow kShapeRows[] = {
    {51, 5, 6, 0, 9, 0.15707963267948966, 0, -2.0943951023931953, 39, 11, 961, 989},          // sprocket-6
    {108, 0, 2, 0, 1, -1.5707963267948966, 0, 0, -500, 0, 1500, 1000},                         // 2-clover
    {109, 0, 3, -0.12, 3, -1.0471975511965976, 0, -0.5235987755982988, 57, 18, 942, 838},     // 3-clover
    {110, 0, 4, -0.15, 4, 0, 0, -1.5707963267948966, 0, 0, 1000, 1000},                       // 4-clover
    {111, 0, 5, -0.165, 6, 0.6283185307179586, 0, -2.199114857512855, 28, 11, 973, 925},      // 5-clover
    {112, 0, 6, -0.165, 6, -1.5707963267948966, 0, 0, 0, 0, 1000, 1000},                      // 6-clover
    {130, 0, 3, -0.12, 2, -1.0471975511965976, 0, -0.5235987755982988, 68, 151, 931, 898},    // 3-malta
    {131, 0, 4, -0.15, 4, 0, 0, -1.5707963267948966, 202, 202, 798, 798},                     // 4-malta
    {132, 0, 5, -0.165, 3, 0.6283185307179586, 0, -2.199114857512855, 58, 97, 941, 940},      // 5-malta
    {133, 0, 6, -0.165, 6, -1.5707963267948966, 0, 0, 144, 116, 856, 884},                    // 6-malta
    {145, 10, 5, 0, 2.5, -0.6283185307179586, 0, 0.3141592653589793, 41, 18, 959, 890},       // shuriken star
    {146, 1, 3, 0.12, 4.5, -1.0471975511965976, 0, 0.5235987755982988, 59, 146, 941, 972},    // calyx 3
    {147, 1, 4, 0.06, 6, 0.7853981633974483, 0, -1.5707963267948966, 5, 5, 995, 995},        // calyx 4
    {148, 1, 5, 0, 8.5, 1.2566370614359172, 0, -2.199114857512855, 20, 5, 980, 934},          // calyx 5
    {149, 1, 6, -0.06, 12, -1.0471975511965976, 0, 0, 3, 47, 997, 953},                       // calyx 6
    {151, 11, 3, 0, 1.75, 0, 3.141592653589793, 1.5707963267948966, 28, 118, 972, 975},       // trident
    {152, 12, 5, 0, 1.9, 0, 0, 0.3141592653589793, 59, 36, 941, 876},                         // astercurve 5
    {153, 12, 7, 0, 2.3, 0, 0, -0.2243994752564138, 22, 9, 978, 942},                         // astercurve 7
    {154, 12, 8, 0, 2.6, -0.39269908169872414, 0, 0, 11, 11, 989, 989},                       // astercurve 8
    {155, 13, 3, 0, 2.9, -0.9424777960769379, 0, -0.5235987755982988, 96, 6, 950, 837},       // trizag
    {156, 14, 3, 0, 2.9, 0, 0, -0.5410520681182421, 31, 6, 919, 869},                         // shark 3
    {157, 14, 4, -0.15, 3.2, 0, 0, -0.8115781021773633, 22, 22, 978, 978},                    // shark 4
    {158, 15, 8, -0.1, 3.3, 0, 0, -1.5707963267948966, 10, 10, 990, 990},                     // sunburst
    {161, 6, 3, -0.12, 3, -1.6231562043547265, 0, -0.6235987755982988, 63, 14, 943, 816},     // Isle of Man
    {162, 16, 3, -0.1, 3, -0.6981317007977318, 0, -0.5235987755, 40, 15, 882, 897},           // shard
    {163, 15, 5, 0, 2.2, 0, 0, -1.5707963267948966, 82, 51, 986, 975},                        // starburst
    {164, 3, 3, 0, 3.3, 0, 0, -0.5235987755982988, 24, 36, 976, 860},                         // 3-incurvate
    {165, 3, 4, 0, 4.6, -0.7853981633974483, 0, 0, 18, 18, 982, 982},                         // 4-incurvate
    {166, 18, 4, 0, 2.7, 3.141592653589793, 0, 0, 25, 25, 975, 975},                          // phenyl cross
    {247, 19, 4, -0.15, 2.6, -3.270747018237374, 0, 1.41371669385, 1, 1, 999, 999},           // quatretat
    {251, 5, 4, 0, 5, 0, 0, -2.1205750411731104, 18, 18, 982, 982},                           // sprocket-4
    {252, 5, 5, 0, 8, -1.6929693744344996, 0, -0.3141592653589793, 43, 46, 918, 915},         // sprocket-5
    // The florets: n petals for the n-floret, each petal the whole ellipse map
    // squeezed into its lobe. The scale of the 4-, 5- and 6-floret, 0.8686710 (the
    // far end of the ellipse) times (4/0.8686710) to the power n/3, makes their
    // petals reach as far from the centre as the 3-floret's.
    {1037, 2, 3, -0.15, 4, 0, 0, -1.5707963267948966, 0, 0, 1000, 1000},                      // 3-floret
    {1038, 2, 4, -0.15, 6.654696, 0, 0, -1.5707963267948966, 0, 0, 1000, 1000},               // 4-floret
    {1039, 2, 5, -0.15, 11.071245, 0, 0, -1.5707963267948966, 0, 0, 1000, 1000},              // 5-floret
    {1040, 2, 6, -0.15, 18.418942, 0, 0, -1.5707963267948966, 0, 0, 1000, 1000},              // 6-floret
    {1042, 7, 5, 0, 1.005, 0, 0, 0, 0, 0, 1000, 1000},                                        // (internal)
};

// The net fields that each shape kind brings.
void ApplyKindFields(OutputShape* out) {
  switch (out->shapeKind) {
    case 6:
    case 7:
    case 8:
      out->netNumber = 48 + (out->shapeKind - 6);
      out->netOption = 2;
      break;
    case 9: out->netNumber = 51; break;
    case 10:
      out->netNumber = 61;
      out->powerDivisor = 2;
      break;
    case 11:
      out->netNumber = 62;
      out->lobeTwist = 2;
      out->powerDivisor = 2;
      break;
    case 12:
      out->netNumber = 63;
      out->powerDivisor = 3;
      break;
    case 13: out->netNumber = 64; break;
    case 14:
      out->netNumber = 65;
      out->netOption = 6;
      break;
    case 15:
      out->netNumber = 66;
      out->netOption = 6;
      out->powerDivisor = 2.5;
      out->lobeTwist = 1;
      break;
    case 16:
      out->netNumber = 67;
      out->netOption = 6;
      break;
    case 18:
      out->netNumber = 68;
      out->powerDivisor = 1.5;
      break;
    case 19:
      out->netNumber = 150;
      out->netOption = 6;
      out->powerDivisor = 1;
      break;
    case 5: out->powerDivisor = 1.5; break;
    default: break;
  }
}

struct FixedBox {
  int32_t output;
  float xmin, ymin, xmax, ymax;
};

// Fixed plane boxes; every output not named keeps (-0.5, -0.5, 0.5, 0.5).
constexpr FixedBox kFixedBoxes[] = {
    {83, -2, -2, 2, 2},
    {87, -2, -2, 2, 2},
    {4, -0.5f, -0.25f, 0.5f, 0.25f},
    {11, -0.5f, -0.25f, 0.5f, 0.25f},
    {13, -0.5f, -0.25f, 0.5f, 0.25f},
    {20, -0.5f, -0.25f, 0.5f, 0.25f},
    {40, -0.5f, -0.25f, 0.5f, 0.25f},
    {46, -0.5f, -0.25f, 0.5f, 0.25f},
    {81, -0.5f, -0.25f, 0.5f, 0.25f},
    {138, -0.5f, -0.25f, 0.5f, 0.25f},
    {171, -0.5f, -0.25f, 0.5f, 0.25f},
    {43, -0.5f, -0.5f, 0.5f, 0.23f},
    {10054, -0.5f, -0.5f, 0.5f, 0.23f},
    {69, -1, -1, 1, 1},
    {89, -1, -1, 1, 1},
    {94, -1, -1, 1, 1},
    {140, -1, -1, 1, 1},
    {141, -1, -1, 1, 1},
    {142, -1, -1, 1, 1},
    {120, -1, -0.5f, 1, 0.5f},
    {92, -1, -0.5f, 1, 0.5f},
    {99, -1, -0.5f, 1, 0.5f},
    {80, -1, -0.5f, 1, 0.5f},
    {93, -1, -0.944f, 1, 0.944f},
    {95, -1, -0.95f, 1, 0.95f},
    {96, -1, -0.867f, 1, 0.867f},
    {128, -1.4142135f, -1.4142135f, 1.4142135f, 0.70710677f},
    {90, 0, 0, 1, 1},
    {91, 0, 0, 1, 1},
    {118, -2, -0.5f, 2, 0.5f},
    {119, 0, 0, 1, 0.5f},
    {121, 0, 0, 1.324609f, 0.86867094f},
    {35, -2.5707963f, -1.5707964f, 2.5707963f, 1.5707964f},
    {84, -2.416f, -1.416f, 2.416f, 1.416f},
    {1, 0, 0, 1, 0.5f},
    {22, -0.391f, -0.298f, 0.391f, 0.298f},
    {23, -0.4625f, -0.1855f, 0.4625f, 0.1855f},
    {48, -0.434f, -0.5f, 0.434f, 0.308f},
    {49, -0.477f, -0.5f, 0.477f, 0.405f},
    {159, -2.2214415f, -2.2214415f, 2.2214415f, 2.2214415f},
};

bool IsGoreOutput(int32_t output) {
  switch (output) {
    case 36:
    case 1054:
    case 37:
    case 38:
    case 53:
    case 61:
    case 63:
    case 73:
    case 74: return true;
    default: return false;
  }
}

float GoreCountFor(int32_t output, float fov) {
  switch (output) {
    case 36: return 12;
    case 1054: return 18;
    case 37: return 24;
    case 38: return float(std::max(3, int32_t(fov / 5)));
    case 63: return 8;
    default: return 12;  // 53, 61, 73, 74
  }
}

void ApplyTurns(Vec3* v, const OutputShape* shape, int32_t k, int32_t c) {
  RotateVec3dAboutY(v, shape->lobeTwist * (-2.0 * kPi) * double(k) / double(c));
  *v = Vec3{v->x, -v->z, v->y};
  if (shape->finalTurnZ != 0) RotateVec3dAboutZ(v, shape->finalTurnZ);
  if (shape->finalTurnY != 0) RotateVec3dAboutY(v, shape->finalTurnY);
}

// The net lookup of the net-based shape kinds, at plane point u.
void NetLookup(const Complex& u, Vec3* t, uint8_t* outside, GlobalsRecord* globals, PolyMesh* mesh,
               NetFaceList* list) {
  Vec3f tf{1, 0, 0};
  MapNetPoint(&tf, mesh, globals, float(u.re), float(u.im), outside, list);
  *t = Vec3{tf.x, tf.y, tf.z};
}

}  // namespace

void GetOutputShape(int32_t output, OutputShape* out) {
  out->shapeKind = -1;
  out->sphereTilt = 0;
  out->shapeScale = 1.0;
  out->finalTurnZ = 0;
  out->finalTurnY = 0;
  out->preRotation = Complex{1, 0};
  out->boxMin = Complex{0, 0};
  out->boxMax = Complex{1000, 1000};
  out->lobeTwist = 1.0;
  out->powerDivisor = 1.0;
  out->netNumber = -1;
  out->netOption = 0;
  for (const ShapeRow& row : kShapeRows) {
    if (row.output != output) continue;
    out->shapeKind = row.kind;
    out->lobeCount = row.lobes;
    out->sphereTilt = row.sphereTilt;
    out->shapeScale = row.shapeScale;
    out->finalTurnZ = row.finalTurnZ;
    out->finalTurnY = row.finalTurnY;
    out->preRotation = Complex{std::cos(row.preRotationAngle), std::sin(row.preRotationAngle)};
    out->boxMin = Complex{row.boxMinX, row.boxMinY};
    out->boxMax = Complex{row.boxMaxX, row.boxMaxY};
    break;
  }
  ApplyKindFields(out);
}

bool HasOutputShape(int32_t output) {
  OutputShape shape;
  GetOutputShape(output, &shape);
  return shape.shapeKind != -1;
}

bool OutputShapeHasNet(int32_t output) {
  OutputShape shape;
  GetOutputShape(output, &shape);
  return shape.netNumber != -1;
}

void MapShapedOutputPoint(Complex planePoint, uint8_t* outside, Vec3* out, ImageRecord* grid, GlobalsRecord* globals,
                          const OutputShape* shape, PolyMesh* mesh, NetFaceList* list) {
  const int32_t c = shape->lobeCount;
  double h = double(c) / 2.0;
  list->shapeLobe = -1;
  Complex w;
  ComplexMul(&w, &planePoint, &shape->preRotation);

  // Which lobe the point lies in, counted from the reference lobe.
  const double v = (std::atan2(w.re, w.im) - kPi / 2) * double(c) / (2 * kPi) + double(c) + 0.5;
  int32_t k = v < 0 ? int32_t(v - 1) : int32_t(v);
  if (k >= c) k -= c;

  // Fold the point onto the reference lobe and open the lobe onto a half plane.
  Complex turn;
  ComplexFromAngle(&turn, 2 * kPi * double(k) / double(c));
  Complex folded;
  ComplexMul(&folded, &w, &turn);
  *outside = 1;
  list->shapeLobe = 0;
  Complex powered;
  ComplexPow(&powered, &folded, h / shape->powerDivisor);
  Complex u;
  ComplexScale(&u, shape->shapeScale, &powered);

  Vec3 t{1, 0, 0};
  switch (shape->shapeKind) {
    case 0: {
      *outside = 0;
      Complex p{2 * u.re - 1, 2 * u.im - 1};
      Vec3 s;
      StereographicToSphere(&p, &s);
      if (s.z >= 0) {
        *out = Vec3{-s.y, s.x, s.z};
      } else {
        *outside = 1;
      }
      break;
    }
    case 1: {
      *outside = 0;
      Complex p{u.re * 2 / 1.2070313, u.im * 2 / 1.2070313};
      Vec3 s;
      StereographicToSpherePowered(&p, 4.0 / 3.0, outside, &s, 1);
      *out = Vec3{s.x, s.z, -s.y};
      break;
    }
    case 2:
      *outside = 0;
      InverseEllipse(-u.im, u.re - 0.4343354807430048, outside, out, grid);
      h *= 2;
      break;
    case 3: {
      *outside = 0;
      Vec3f g{1, 0, 0};
      InverseGuyou(u.re, u.im, outside, &g, grid, nullptr);
      *out = Vec3{g.x, g.z, -g.y};
      break;
    }
    case 4: {
      *outside = 0;
      Vec3 e{1, 0, 0};
      InverseEllipse(u.re, u.im, outside, &e, grid);
      *out = Vec3{e.x, e.z, -e.y};
      break;
    }
    case 5: {
      Vec3f g{1, 0, 0};
      MapThornPoint(float(u.re), float(u.im), 4, 4, &g, outside, grid, 0, 0);
      *out = Vec3{g.x, g.y, g.z};
      if (*outside) return;
      RotateVec3dAboutZ(out, 0.78539816325);
      RotateVec3dAboutX(out, -0.6154797086703873);
      break;
    }
    case 6:
    case 7:
    case 8:
    case 12:
      NetLookup(u, &t, outside, globals, mesh, list);
      *out = Vec3{t.x, t.z, -t.y};
      list->shapeLobe = k;
      break;
    case 9: {
      Complex u2{1.2 * u.re, 1.2 * u.im};
      NetLookup(u2, &t, outside, globals, mesh, list);
      *out = Vec3{t.x, t.z, -t.y};
      list->shapeLobe = k;
      break;
    }
    case 10:
    case 13:
    case 14:
    case 16:
      NetLookup(u, &t, outside, globals, mesh, list);
      if (shape->shapeKind == 10) {
        *out = Vec3{t.x, t.z, -t.y};
      } else if (shape->shapeKind == 13) {
        *out = Vec3{-t.y, t.z, -t.x};
      } else if (shape->shapeKind == 14) {
        RotateVec3dAboutY(&t, kPi / 10);
        *out = Vec3{t.x, t.z, -t.y};
      } else {
        RotateVec3dAboutZ(&t, kPi / 4);
        *out = t;
      }
      list->shapeLobe = k;
      break;
    case 11: {
      Complex r;
      ComplexFromAngle(&r, -kPi / 4);
      Complex u2;
      ComplexMul(&u2, &u, &r);
      NetLookup(u2, &t, outside, globals, mesh, list);
      *out = Vec3{-t.z, t.y, t.x};
      list->shapeLobe = k;
      break;
    }
    case 15: {
      Complex u2;
      ComplexPow(&u2, &u, 0.8333333333333334);
      if (mesh != nullptr && mesh->renderPointCount > 0) {
        u2.re += mesh->renderPoints[0].x;
        u2.im += mesh->renderPoints[0].y;
      }
      NetLookup(u2, &t, outside, globals, mesh, list);
      *out = t;
      list->shapeLobe = k;
      break;
    }
    case 18:
    case 19: {
      Complex r;
      ComplexFromAngle(&r, 3.6651914285982987);
      Complex u2;
      ComplexMul(&u2, &u, &r);
      NetLookup(u2, &t, outside, globals, mesh, list);
      *out = shape->shapeKind == 18 ? Vec3{t.x, t.z, -t.y} : Vec3{t.y, t.z, t.x};
      list->shapeLobe = k;
      break;
    }
    default:
      return;  // kind 17 and unknown kinds stay outside
  }
  if (*outside) return;
  uint8_t scratch = 0;
  MapSpherePower(out, h / shape->powerDivisor, &scratch, shape->sphereTilt);
  ApplyTurns(out, shape, k, c);
}

void MapSquareLayoutPoint(Complex planePoint, uint8_t* outside, Vec3f* out, ImageRecord* grid, GlobalsRecord* globals,
                          const OutputShape* shape, PolyMesh* mesh, NetFaceList* list) {
  Vec3 d{out->x, out->y, out->z};
  MapShapedOutputPoint(planePoint, outside, &d, grid, globals, shape, mesh, list);
  *out = Vec3f{float(d.x), float(d.y), float(d.z)};
}

void SetPlaneBox(PlaneBox* box, double aspect, double xmin, double ymin, double xmax, double ymax) {
  box->x0 = 0;
  box->x1 = 1;
  box->y0 = 0;
  box->y1 = aspect;
  box->xmin = xmin;
  box->xmax = xmax;
  box->ymin = ymin;
  box->ymax = ymax;
  box->centreX = (xmin + xmax) / 2;
  box->centreY = (ymin + ymax) / 2;
  const double byHeight = aspect / (ymax - ymin);
  const double byWidth = 1 / (xmax - xmin);
  box->scale = byHeight <= byWidth ? byHeight : byWidth;
  box->inverseScale = 1 / box->scale;
}

void NormalizedToPlane(float nx, float ny, Complex* out, const PlaneBox* box) {
  out->re = (double(nx) - 0.5) * box->inverseScale + box->centreX;
  out->im = (double(ny) - 0.5) * box->y1 * box->inverseScale + box->centreY;
}

void SetOutputExtents(PolyMesh* mesh, PlaneBox* box, float aspect, MappingContext* context, int32_t anamorphosis,
                      float fov, float tabs) {
  const int32_t output = context->outputProjection;
  FitNetToOutput(mesh, aspect, 0);
  SetMeshBounds(mesh, -0.5f, -0.5f, 0.5f, 0.5f);

  if (IsMultiViewOutput(output)) {
    const int32_t n = mesh->faceCount;
    if (output == 78) {
      context->viewColumns = 10;
      context->viewRows = 6;
    } else if (n < 1) {
      // No views net: one empty cell rather than a division by zero.
      context->viewColumns = 1;
      context->viewRows = 1;
    } else {
      context->viewRows = int32_t(std::sqrt(double(n)));
      context->viewColumns = n / context->viewRows + (n % context->viewRows != 0 ? 1 : 0);
    }
    const float halfC = float(context->viewColumns) / 2;
    const float halfR = float(context->viewRows) / 2;
    SetMeshBounds(mesh, -halfC, -halfR, halfC, halfR);
  } else {
    for (const FixedBox& fixed : kFixedBoxes) {
      if (fixed.output != output) continue;
      SetMeshBounds(mesh, fixed.xmin, fixed.ymin, fixed.xmax, fixed.ymax);
      if (output == 83 || output == 87) {
        context->viewColumns = 4;
        context->viewRows = 4;
      }
      break;
    }
  }

  if (HasOutputShape(output)) {
    GetOutputShape(output, &context->outputShape);
    const OutputShape& s = context->outputShape;
    SetPlaneBox(box, aspect, s.boxMin.re * 0.001 - 0.5, s.boxMin.im * 0.001 - 0.5, s.boxMax.re * 0.001 - 0.5,
                s.boxMax.im * 0.001 - 0.5);
  }

  if (IsGoreOutput(output)) {
    if (anamorphosis != 0) context->halfAngleOrder = 2;
    context->tunableShape = std::pow(2.0f, fov / 90 - 1);
    context->goreCount = GoreCountFor(output, fov);
    const float shift = tabs * 0.01f * 0.05f * 12 / context->goreCount;
    context->goreShift = shift;
    if (output == 53 || output == 63) {
      SetMeshBounds(mesh, -0.5f - shift, -0.5f, 0.5f - shift, 0.5f);
    } else if (output == 61) {
      SetMeshBounds(mesh, -0.5f - shift, -1, 0.5f - shift, 1);
    } else {
      SetMeshBounds(mesh, -0.5f - shift, -0.25f, 0.5f - shift, 0.25f);
    }
  }

  if (output == 160) {
    SetPlaneBox(box, aspect, -3.141592653, -1.5707963265, 3.92699081625, 1.5707963265);
  }

  mesh->layoutScale = 1 / mesh->layoutScale;
}

void FitSizeToLongest(int32_t* width, int32_t* height, int32_t n) {
  if (n <= 0) return;
  const int32_t w = *width;
  const int32_t h = *height;
  const int32_t m = w > h ? w : h;
  if (m <= 0) return;  // nothing to scale
  *width = std::max(1, int32_t(int64_t(w) * n / m));
  *height = std::max(1, int32_t(int64_t(h) * n / m));
}

void KeepAspectRatio(int32_t refWidth, int32_t refHeight, int32_t* width, int32_t* height, uint8_t fromWidth) {
  if (fromWidth == 0) {
    if (refHeight != 0) *width = int32_t(int64_t(*height) * refWidth / refHeight);
  } else {
    if (refWidth != 0) *height = int32_t(int64_t(*width) * refHeight / refWidth);
  }
}

void QuickSortFloatKeys(float* keys, uint64_t* payload, int32_t first, int32_t last) {
  while (first < last) {
    if (last - first == 1) {
      if (keys[last] < keys[first]) {
        std::swap(keys[first], keys[last]);
        std::swap(payload[first], payload[last]);
      }
      return;
    }
    const int32_t middle = first + (last - first) / 2;
    std::swap(keys[middle], keys[last]);
    std::swap(payload[middle], payload[last]);
    const float pivot = keys[last];
    // Keys not above the pivot go left, keys not below it right; equal keys
    // stop both scans, so a run of equal keys splits in the middle.
    int32_t i = first;
    int32_t j = last - 1;
    for (;;) {
      while (i <= j && keys[i] < pivot) ++i;
      while (j >= i && keys[j] > pivot) --j;
      if (i >= j) break;
      std::swap(keys[i], keys[j]);
      std::swap(payload[i], payload[j]);
      ++i;
      --j;
    }
    const int32_t store = i;
    std::swap(keys[store], keys[last]);
    std::swap(payload[store], payload[last]);
    // The smaller part by recursion and the larger by iteration keeps the
    // recursion depth logarithmic whatever the keys.
    if (store - first < last - store) {
      QuickSortFloatKeys(keys, payload, first, store - 1);
      first = store + 1;
    } else {
      QuickSortFloatKeys(keys, payload, store + 1, last);
      last = store - 1;
    }
  }
}
