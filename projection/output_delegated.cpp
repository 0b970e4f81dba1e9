// The outputs whose inverse lives with the lookup grids, the quincuncial and
// conformal-square family and the shaped outputs: the call made for each,
// with its constants, and the small steps around it.
#include <cmath>

#include "geometry/rotation.h"
#include "nets/poly_mesh.h"
#include "projection/lookup_grid.h"
#include "projection/mapping_context.h"
#include "projection/output_families.h"
#include "projection/output_pixel.h"
#include "projection/output_shapes.h"
#include "projection/quincuncial.h"

namespace {

Vec3f ToVec3f(const Vec3& v) { return Vec3f{float(v.x), float(v.y), float(v.z)}; }

struct NCunxConstants {
  int32_t output;
  double k;
  int32_t n;
  double angle;
  double scale;
  double offsetX;
  double offsetY;
};

constexpr NCunxConstants kNCunx[] = {
    {92, 0.5, 2, 1.5707963267948966, 0.5, 0, 0},
    {93, 0.75, 3, 0.5235987755, 0.727802037845706, 0, -0.21398305084745764},
    {95, 1.25, 5, -0.3141592653, 0.7955812101910829, 0, -0.101},
    {96, 1.5, 6, 0.5235987755, 0.7911392405063291, 0, 0},
};

void MapNCunx(int32_t output, const OutputPoint& p, ImageRecord* grid, const OutputResult& r) {
  for (const NCunxConstants& c : kNCunx) {
    if (c.output != output) continue;
    InverseNCunx(p.planeX, p.planeY, r.outside, r.d, grid, c.k, c.n, c.angle, c.scale, c.offsetX, c.offsetY);
    return;
  }
}

void MapAdams(int32_t variant, const OutputPoint& p, ImageRecord* grid, const OutputResult& r) {
  Vec3 v{0, 0, 1};
  InverseAdamsSquare(p.planeX, p.planeY, r.outside, &v, grid, variant, nullptr);
  if (!*r.outside) *r.d = ToVec3f(v);
}

// "square fish 1" (a mirror ball) and "square fish 2" (an orthographic globe)
// drawn on the disc point of the Adams square.
void MapSquareFish(int32_t output, const OutputPoint& p, ImageRecord* grid, const OutputResult& r) {
  Vec3 v{0, 0, 1};
  Complex disc{0, 0};
  InverseAdamsSquare(double(p.planeX) / 2, double(p.planeY) / 2, r.outside, &v, grid, 2, &disc);
  if (*r.outside) return;
  if (output == 141) {
    MirrorBallDirection(float(disc.re), float(disc.im), r.d, r.outside);
    return;
  }
  const float a = -float(disc.re);
  const float b = -float(disc.im);
  const float q = 1 - a * a - b * b;
  if (q < 0) {
    *r.outside = 1;
    return;
  }
  *r.d = Vec3f{a, b, std::sqrt(q)};
  r.mapping->viewNormal = *r.d;
}

void MapDoubleGuyou(const OutputPoint& p, ImageRecord* grid, const OutputResult& r) {
  const bool right = p.planeX >= 0;
  Vec3f v{0, 0, 1};
  InverseGuyou(right ? double(p.planeX) - 1 : double(p.planeX) + 1, p.planeY, r.outside, &v, grid, nullptr);
  if (*r.outside) return;
  uint8_t scratch = 0;
  MapSpherePowerF(&v, 2.0, &scratch);
  *r.d = right ? Vec3f{-v.z, v.y, v.x} : Vec3f{v.z, v.y, -v.x};
}

Complex ShapePlanePoint(const OutputPoint& p, const MappingContext* context) {
  Complex q;
  NormalizedToPlane(p.nx, p.ny, &q, &context->planeBox);
  return q;
}

void MapMalta(const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  PolyMesh* mesh = context->outputMesh;
  Vec3 v{0, 0, 1};
  MapShapedOutputPoint(ShapePlanePoint(p, context), r.outside, &v, context->lookupGrid, mesh->owner,
                       &context->outputShape, mesh, r.faceList);
  if (*r.outside) return;
  uint8_t scratch = 0;
  MapSpherePower(&v, 0.5, &scratch, 0.0);
  *r.d = ToVec3f(v);
}

void MapSquareLayout(const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  PolyMesh* mesh = context->outputMesh;
  MapSquareLayoutPoint(ShapePlanePoint(p, context), r.outside, r.d, context->lookupGrid, mesh->owner,
                       &context->outputShape, mesh, r.faceList);
  context->shapeFaceCode = r.faceList->shapePiece;
}

}  // namespace

void MapDelegatedOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  ImageRecord* grid = context->lookupGrid;
  switch (output) {
    case 90: MapAdams(1, p, grid, r); break;
    case 91: MapAdams(2, p, grid, r); break;
    case 141: case 142: MapSquareFish(output, p, grid, r); break;
    case 92: case 93: case 95: case 96: MapNCunx(output, p, grid, r); break;
    case 94: InversePeirceQuincuncial(p.planeX, p.planeY, r.outside, r.d, grid, 1.0, 0.0); break;
    case 128: InverseChevron(p.planeX, p.planeY, r.outside, r.d, grid, 0.0, -0.35355339059327373); break;
    case 99: InverseGuyou(p.planeX, p.planeY, r.outside, r.d, grid, nullptr); break;
    case 118: MapDoubleGuyou(p, grid, r); break;
    case 119: {
      Vec3 v{0, 0, 1};
      InverseWideRect(p.planeX, p.planeY, r.outside, &v, grid);
      if (!*r.outside) *r.d = ToVec3f(v);
      break;
    }
    case 121: {
      Vec3 v{0, 0, 1};
      InverseEllipse(p.planeX, p.planeY, r.outside, &v, grid);
      if (!*r.outside) *r.d = ToVec3f(v);
      break;
    }
    case 140: {
      float v[3] = {0, 0, 1};
      InverseEqualSquarea(p.planeX, p.planeY, r.outside, v, grid);
      if (!*r.outside) *r.d = Vec3f{v[0], v[1], v[2]};
      break;
    }
    case 83: case 87:
      MapThornPoint(p.planeX, p.planeY, context->viewColumns, context->viewRows, r.d, r.outside, grid,
                    output == 87 ? 1 : 0, 1);
      break;
    case 130: case 131: case 132: case 133: MapMalta(p, context, r); break;
    case 51: case 108: case 109: case 110: case 111: case 112: case 146: case 147: case 148: case 149: case 164:
    case 165: case 251: case 252: case 1037: case 1038: case 1039: case 1040:
      MapSquareLayout(p, context, r);
      break;
    default: break;
  }
}
