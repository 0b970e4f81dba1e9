// View outputs: the rectilinear view and its blends (shift lens, swoop,
// oculus, Wetch, triptych, tetraptych, unFish, Panini), "zenith & nadir" and
// the multi-view sheets. Most work on the normalised point directly.
#include <cmath>

#include "geometry/plane_geometry.h"
#include "projection/formula_helpers.h"
#include "projection/mapping_context.h"
#include "projection/output_families.h"
#include "projection/output_pixel.h"

namespace {

void MapSwoop(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float t = ViewFovTan(context);
  const Vec3f e1 = HyperbolicDirection(p.planeX, p.planeY, t);
  const Vec3f e2 = RectilinearDirection(p.nx, p.ny, context->outputAspect, t, 0);
  const float centred = 2 * (p.nx - 0.5f);
  const float w = centred * centred;
  Vec3f d{e2.x + (e1.x - e2.x) * w, e2.y + (e1.y - e2.y) * w, e2.z + (e1.z - e2.z) * w};
  NormalizeVec3f(&d);
  *r.d = d;
}

void MapOculus(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float t = ViewFovTan(context);
  const float a = context->outputAspect;
  const float x = 2 * p.planeX;
  const float y = 2 * p.planeY;
  const float radius = std::sqrt(x * x + y * y);
  const float th = Ang(p.planeX, p.planeY);
  Vec3f e2 = a > 1 ? Vec3f{-(p.nx - 0.5f) * t, 1, (p.ny - 0.5f) * a * t}
                   : Vec3f{-(p.nx - 0.5f) * t / a, 1, (p.ny - 0.5f) * t};
  NormalizeVec3f(&e2);
  const float c = FastAcos(e2.y) / kPiF;
  const float m = std::sqrt((p.ny - 0.5f) * (p.ny - 0.5f) + (p.nx - 0.5f) * (p.nx - 0.5f));
  const float v = c + ((1 - 1 / (radius * t + 1)) - c) * m;
  *r.d = PoleTurn(Equi(-th / kTwoPiF, v));
}

void MapWetch(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float t = ViewFovTan(context);
  const float a = context->outputAspect;
  float x = 2 * (p.nx - 0.5f);
  const float sign = x > 0 ? 1.0f : (x < 0 ? -1.0f : 0.0f);
  x = std::fabs(x);
  const float y = (p.ny - 0.5f) * p.scale * a * t;
  if (!(y >= -0.5f && y <= 0.5f)) {
    *r.outside = 1;
    return;
  }
  *r.d = Equi(0.5f - ((1 - 1 / (t * x + 1)) * sign / a) / 3, y + 0.5f);
}

// Three or four flat panels side by side, each a rectilinear view of its own
// longitude: panel k of the row shows the view turned by k/count of a turn.
void MapPanels(const OutputPoint& p, const MappingContext* context, bool four, const OutputResult& r) {
  const float t = ViewFovTan(context);
  const float f = (p.nx - 0.5f) * t + 0.5f;
  float k;
  float centre;
  float gain;
  float turn;
  if (four) {
    k = f > 0.75f ? 3.0f : (f > 0.5f ? 2.0f : (f > 0.25f ? 1.0f : 0.0f));
    centre = 0.25f * k + 0.125f;
    gain = 8;
    turn = 0.25f * k;
  } else {
    k = f < 1.0f / 3 ? -1.0f : (f > 2.0f / 3 ? 1.0f : 0.0f);
    centre = k / 3 + 0.5f;
    gain = 10.392304f;
    turn = k / 3;
  }
  Vec3f d{-(f - centre) * gain, -((p.ny - 0.5f) * t) * context->outputAspect * gain, 1};
  NormalizeVec3f(&d);
  if (k != 0) {
    float u;
    float v;
    Vec3fToEquirect(&d, &u, &v);
    d = Equi(u - turn, v);
  }
  *r.d = d;
}

void MapUnfish(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float h = ViewHalfFovTan(context);
  const float a = 0.5f * 1.039501f * h * (p.nx - 0.5f);
  const float b = 2.0204332f * h * context->outputAspect *
                  (0.5f * (p.ny - 0.5f) * context->outputHeight / context->sourceHeight);
  float x;
  float y;
  UnfishWarp(a, b, &x, &y, r.outside);
  if (*r.outside) return;
  float d[3];
  EquirectPlaneToDirection(x, y, d, r.outside);
  if (*r.outside) return;
  *r.d = Vec3f{d[0], d[1], d[2]};
}

void MapPanini(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const double t = ViewFovTan(context);
  const Vec3 origin{0, -1, 0};
  const Vec3 direction{-double(p.planeX) * t / 2, 1, double(p.planeY) * t / 2};
  Ray3d ray;
  MakeRay3d(&ray, &origin, &direction);
  const Vec3 centre{0, 0, 0};
  Ray3d nearHit;
  Ray3d farHit;
  // The ray starts on the cylinder; the crossing ahead of it is the far one.
  if (!IntersectRayQuadric(&ray, &centre, 1.0, &nearHit, &farHit, kQuadricCylinder)) {
    *r.outside = 1;
    return;
  }
  Vec3 h = farHit.origin;
  NormalizeVec3d(&h);
  *r.d = Vec3f{float(h.x), float(-h.z), float(h.y)};
}

void MapZenithNadir(const OutputPoint& p, const OutputResult& r) {
  const float x = p.planeX;
  const float y = p.planeY;
  if (!(y >= -0.25f && y <= 0.25f && x >= -0.5f && x <= 0.5f)) {
    *r.outside = 1;
    return;
  }
  if (x <= 0) {
    Vec3f e{-(x + 0.25f) * 4, -4 * y, 1};
    NormalizeVec3f(&e);
    *r.d = Vec3f{e.x, e.z, -e.y};
    *r.region = 1;
  } else {
    Vec3f e{-(x - 0.25f) * 4, -4 * y, 1};
    NormalizeVec3f(&e);
    *r.d = PoleTurn(e);
    *r.region = 2;
  }
}

void MapViewSheet(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  MapViewsGridPoint(p.planeX, p.planeY, context, r.d, r.outside, &r.mapping->viewIndex);
  if (!*r.outside) *r.region = r.mapping->viewIndex;
}

}  // namespace

Vec3f RectilinearDirection(float nx, float ny, float aspect, float fovTan, float shift) {
  const float x = nx - 0.5f;
  const float y = (ny - 0.5f) - shift;
  Vec3f d = aspect > 1 ? Vec3f{-x * fovTan, -y * aspect * fovTan, 1} : Vec3f{-x * fovTan / aspect, -y * fovTan, 1};
  NormalizeVec3fDouble(&d);
  return d;
}

void MapViewOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  switch (output) {
    case 14:
      if (r.directionUnused) break;
      *r.d = RectilinearDirection(p.nx, p.ny, context->outputAspect, ViewFovTan(context), 0);
      break;
    case 60:
      if (r.directionUnused) break;
      *r.d = RectilinearDirection(p.nx, p.ny, context->outputAspect, ViewFovTan(context), context->lensShift);
      break;
    case 52: MapSwoop(p, context, r); break;
    case 56: MapOculus(p, context, r); break;
    case 18: MapWetch(p, context, r); break;
    case 57: MapPanels(p, context, false, r); break;
    case 58: MapPanels(p, context, true, r); break;
    case 88: MapUnfish(p, context, r); break;
    case 255: MapPanini(p, context, r); break;
    case 171: MapZenithNadir(p, r); break;
    case 75: case 76: case 77: case 78: case 79: MapViewSheet(p, context, r); break;
    default: break;
  }
}
