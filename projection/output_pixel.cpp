// The road of one output pixel.
#include "projection/output_pixel.h"

#include <cmath>

#include "nets/brick_preview.h"
#include "nets/nets_services_stub.h"
#include "projection/mapping_context.h"
#include "projection/output_projections.h"
#include "projection/output_shapes.h"
#include "geometry/fast_math.h"
#include "image/image_record.h"
#include "geometry/rotation.h"
#include "projection/formula_helpers.h"
#include "projection/input_projections.h"
#include "projection/lookup_grid.h"
#include "projection/quincuncial.h"

namespace {

constexpr float kDotChordSquared = 0.0225f;  // a chord of 0.15
constexpr float kNoFaceCentre = 99999.0f;
constexpr int32_t kEquirectInput = 1;

// The region a net face gives the pixel, by the mesh's region rules, each
// later rule overwriting an earlier one.
int32_t NetFaceStatus(const PolyMesh* mesh, int32_t face, const NetFaceList* list) {
  int32_t status = face;
  if (mesh->regionFromTriangle == 1) status = list->region;
  // A corner triangle has no face to read the face rules from.
  const bool hasFace = face >= 0 && face < mesh->faceCount && face < kMaxMeshFaces;
  if (mesh->regionFromNetGroup && hasFace) status = mesh->faces[face].netGroup;
  if (mesh->regionFromGroup && hasFace) {
    const int32_t piece = mesh->faces[face].piece;
    if (piece >= 0 && piece < mesh->faceCount) status = int32_t(mesh->faces[piece].group) + 1;
  }
  if (mesh->regionFromTable) status = FaceRegion(face, mesh);
  return status;
}

void MapBrickPreviewPoint(float nx, float ny, MappingContext* context, PixelMapping* out) {
  const PolyMesh* mesh = context->outputMesh;
  const float s = mesh->layoutScale;
  const float x = 2 * s * (nx - mesh->centreX);
  const float y = 2 * s * (ny - 0.5f) * context->outputAspect;
  const int32_t quadrant = (x > 0 ? 1 : 0) + (y > 0 ? 2 : 0);
  const float a = x > 0 ? x : x + 1;
  const float b = y > 0 ? y : y + 1;
  RayMarchBrickGrid(context->brickGrid, BrickRay{quadrant, 2 * a - 1, 2 * b - 1}, out);
}

bool HasClosedFormNumber(int32_t output) {
  return (output >= 1 && output <= 255) || (output >= 1037 && output <= 1040) || output == 1054 || output == 10054;
}

}  // namespace

bool IsMultiViewOutput(int32_t output) { return output >= 75 && output <= 79; }

void PixelToNormalizedCentre(float px, float py, float zoom, float offX, float offY, const ImageRecord* image,
                             float* nx, float* ny, float* cx, float* cy, const float* origin) {
  PixelToNormalized(float(double(px) + 0.5), float(double(py) + 0.5), zoom, offX, offY, image, nx, ny, cx, cy,
                    origin);
}

void PixelCentreToUnit(int32_t x, int32_t y, float* u, float* v, float w, float h) {
  *u = float(2 * x + 1) / (2 * w);
  *v = float(2 * y + 1) / (2 * h);
}

void MapViewsGridPoint(float planeX, float planeY, const MappingContext* context, Vec3f* d, uint8_t* outside,
                       int32_t* viewIndex) {
  const int32_t columns = context->viewColumns;
  const int32_t rows = context->viewRows;
  const double gx = double(planeX) + double(columns) / 2;
  const double gy = double(planeY) + double(rows) / 2;
  if (!(gx > 0 && gx < columns && gy > 0 && gy < rows)) {
    *outside = 1;
    return;
  }
  const int32_t column = int32_t(std::floor(gx));
  const int32_t row = int32_t(std::floor(gy));
  const int32_t k = column * rows + row;  // column-major: all rows of column 0 first
  const PolyMesh* mesh = context->outputMesh;
  if (mesh == nullptr || k >= mesh->faceCount) {
    *outside = 1;
    return;
  }
  const Vec3& face = mesh->faces[k].centre;
  const Vec3f forward{0, 0, 1};
  const Vec3f target{float(face.x), float(face.y), float(face.z)};
  Matrix4f view{};
  view.m[15] = 1;
  RotationOntoVector4f(&forward, &target, &view);
  const float t = context->fovTan;
  Vec3f local{-float(gx - column - 0.5) * t, -float(gy - row - 0.5) * t, 1};
  NormalizeVec3fDouble(&local);
  TransformVec3fByMatrix(&local, &view, d);
  *viewIndex = k;
}

int32_t FirstDotFromCursor(const DotCursorWatch* watch, int32_t cursor, int32_t dotCount) {
  if (cursor < 0 || cursor >= dotCount) cursor = 0;
  int32_t best = -1;
  int32_t bestStep = dotCount;
  for (int32_t i = 0; i < watch->candidateCount; ++i) {
    int32_t step = watch->candidates[i] - cursor;
    if (step < 0) step += dotCount;
    if (step < bestStep) {
      bestStep = step;
      best = watch->candidates[i];
    }
  }
  return best;
}

namespace {

// The search of a band whose cursor is not known: every dot within the
// radius is a candidate; one candidate fixes the cursor whatever it was,
// several are recorded and the first in index order (a search from 0) taken.
void FindNearestDotWatched(const MappingContext* context, const Vec3f* dir, PixelMapping* out, int32_t* cursor) {
  DotCursorWatch* watch = context->dotWatch;
  int32_t found = 0;
  int32_t first = -1;
  float firstDistance = kDotChordSquared;
  for (int32_t k = 0; k < context->dotCount; ++k) {
    const Vec3f& dot = context->dots[k];
    const float dx = dir->x - dot.x;
    const float dy = dir->y - dot.y;
    const float dz = dir->z - dot.z;
    const float distance = dx * dx + dy * dy + dz * dz;
    if (!(distance < kDotChordSquared)) continue;
    if (found < 4) watch->candidates[found] = k;
    if (first < 0) {
      first = k;
      firstDistance = distance;
    }
    ++found;
  }
  if (found == 0) return;
  watch->unknown = 0;
  watch->candidateCount = found < 4 ? found : 4;
  watch->assumed = found > 4 ? 2 : (found > 1 ? 1 : 0);  // 2: too many to check
  watch->chosen = first;
  out->dotDist = firstDistance;
  *cursor = first;
}

}  // namespace

void FindNearestDotFromCursor(const MappingContext* context, const Vec3f* dir, PixelMapping* out, int32_t* cursor) {
  out->dotDist = kDotChordSquared;
  if (context->dotWatch != nullptr && context->dotWatch->unknown) {
    FindNearestDotWatched(context, dir, out, cursor);
    return;
  }
  const int32_t count = context->dotCount;
  if (*cursor < 0 || *cursor >= count) *cursor = 0;
  for (int32_t i = 0; i < count; ++i) {
    int32_t k = *cursor + i;
    if (k >= count) k -= count;
    const Vec3f& dot = context->dots[k];
    const float dx = dir->x - dot.x;
    const float dy = dir->y - dot.y;
    const float dz = dir->z - dot.z;
    const float distance = dx * dx + dy * dy + dz * dz;
    if (distance < kDotChordSquared) {
      out->dotDist = distance;
      *cursor = k;
      return;
    }
  }
}

void FindNearestFaceCentre(MappingContext* context, const Vec3* point, PixelMapping* out) {
  const PolyMesh* mesh = context->outputMesh;
  if (mesh == nullptr || mesh->foldStepCount <= 0) return;
  out->faceCentreDist = kNoFaceCentre;
  out->faceCentreInside = 1;
  if (out->face < 0 || out->face >= mesh->faceCount) return;
  const int32_t mark = mesh->faces[out->face].netGroup;
  double best = kNoFaceCentre;
  const FoldStep* winner = nullptr;
  const int32_t count = mesh->foldStepCount < kMaxFoldSteps ? mesh->foldStepCount : kMaxFoldSteps;
  for (int32_t i = 0; i < count; ++i) {
    const FoldStep& centre = mesh->foldSteps[i];
    if (centre.markId != mark) continue;
    const double dx = point->x - centre.direction.x;
    const double dy = point->y - centre.direction.y;
    const double dz = point->z - centre.direction.z;
    const double distance = dx * dx + dy * dy + dz * dz;
    if (distance < best) {
      best = distance;
      winner = &centre;
    }
  }
  if (winner == nullptr) return;
  out->faceCentreDist = float(best - winner->radius * winner->radius);
  const Plane3d& plane = winner->plane;
  const double side = plane.unitNormal.x * point->x + plane.unitNormal.y * point->y + plane.unitNormal.z * point->z -
                      plane.offset;
  out->faceCentreInside = side > 1e-5 ? 0 : 1;
}

namespace {

// The output's direction turned into the source's: the rotation, with the
// half-angle step before or after it where the output asks for one.
void RotateToSource(const MappingContext* context, Vec3f* d) {
  if (context->halfAngleOrder == 1) HalveAngleFromForward(d);
  ApplyRotation(&context->rotation, uint32_t(context->outputProjection), d);
  if (context->halfAngleOrder == 2) HalveAngleFromForward(d);
}

// The last step of every mapped point: a position that came out NaN reads
// the corner of the source.
void KeepSourcePoint(PixelMapping* out, const Vec3f& d) {
  if (std::isnan(out->srcX)) out->srcX = 0;
  if (std::isnan(out->srcY)) out->srcY = 0;
  out->direction = d;
}

// The source position of the direction d, and the no-source status. The
// commonest source, the equirectangular one, is mapped inline (on both roads
// of MapOutputPointWithLists).
[[gnu::always_inline]] inline void MapSourcePoint(const MappingContext* context, Vec3f* d, PixelMapping* out,
                                                  NetFaceList* inputFaces) {
  if (context->inputProjection == kEquirectInput) {
    MapEquirectSource(d, context->flip, &out->srcX, &out->srcY);
    out->inputFace = -1;
    out->subImage = kWholeSourceSubImage;
    return;
  }
  uint8_t noSource = 0;
  MapDirectionToSource(context->inputProjection, context->flip, context->sourceAspect, d, &out->srcX, &out->srcY,
                       &noSource, context->mollweideCache, &out->inputFace, &out->subImage, &out->edgeWeight,
                       context->inputMesh, inputFaces);
  if (noSource) out->status = kPixelNoSource;
}

// An ordinary output: not a net, the brick preview or the map of faces, no
// face colouring, no latitude-longitude output and no overlay that reads
// the direction. With a closed-form inverse, most renders take this road.
bool IsPlainOutput(const MappingContext* context) {
  return context->contextMode == 0 && !context->isNet && !context->faceColouring && !context->latLongOut &&
         !context->dotOverlay && !context->faceCentreOverlay;
}

// The rest of MapOutputPointWithLists after the closed-form inverse of a
// plain output: the same steps in the same order, without the tests whose
// outcome the output kind fixes.
void FinishPlainPoint(MappingContext* context, PixelMapping* out, NetFaceList* outputFaces,
                      NetFaceList* inputFaces, Vec3f d, bool outside, int32_t region, bool statusRoad) {
  if (outside) {
    out->status = outputFaces->onTab ? kPixelOffMapTab : kPixelOffMap;
    return;
  }
  // A shaped output may report a hit on its pieces.
  if (outputFaces->found == 0 || (out->status >= 0 && !context->keepRegions)) out->status = kPixelMapped;
  if (region != -1) out->status = region;
  out->face = -1;
  if (statusRoad) {
    if (region == -1) out->status = kPixelMapped;
    out->subImage = kWholeSourceSubImage;
    return;
  }
  RotateToSource(context, &d);
  if (region == -1) out->status = kPixelMapped;
  MapSourcePoint(context, &d, out, inputFaces);
  KeepSourcePoint(out, d);
}

}  // namespace

void MapOutputPointWithLists(float nx, float ny, MappingContext* context, PixelMapping* out,
                             NetFaceList* outputFaces, NetFaceList* inputFaces, int32_t* dotCursor,
                             bool statusOnly) {
  out->status = kPixelOffMap;
  out->srcX = out->srcY = -1.0f;
  out->latU = out->latV = -1.0f;
  out->dotDist = out->faceCentreDist = 1.0f;
  out->viewNormal = Vec3f{0, 0, 1};
  outputFaces->shapePiece = -1;
  outputFaces->shapeLobe = 0;
  // A hit belongs to this point only: a stale one from an earlier point
  // must not give a non-net output a region.
  outputFaces->found = 0;
  uint8_t outside = 0;
  int32_t region = -1;

  if (context->contextMode == 1) {
    MapBrickPreviewPoint(nx, ny, context, out);
    return;
  }

  outputFaces->onTab = 0;
  PolyMesh* mesh = context->outputMesh;
  GlobalsRecord* globals = mesh != nullptr ? mesh->owner : nullptr;
  Vec3f d{0, 0, 1};
  // The centre's test below returns before the direction is read.
  const bool statusRoad = statusOnly && InputKeepsStatus(context->inputProjection) && !context->dotOverlay &&
                          !context->faceCentreOverlay;
  if (HasClosedFormNumber(context->outputProjection)) {
    const bool directionUnused = statusRoad && !context->isNet && context->contextMode == 0;
    PlaneToSphereForOutput(nx, ny, context, out, outputFaces, &d, &outside, &region, directionUnused);
    if (IsPlainOutput(context)) {
      FinishPlainPoint(context, out, outputFaces, inputFaces, d, outside != 0, region, statusRoad);
      return;
    }
  }
  if (context->contextMode == 0 && context->isNet && mesh != nullptr) {
    if (!mesh->squareLayout) {
      MapNetPoint(&d, mesh, globals, nx, ny * context->outputAspect, &outside, outputFaces);
    } else {
      Complex p;
      NormalizedToPlane(nx, ny, &p, &context->planeBox);
      MapSquareLayoutPoint(p, &outside, &d, context->lookupGrid, globals, &context->outputShape, mesh, outputFaces);
    }
  }
  if (context->contextMode == 2) {
    EquirectToVec3f(nx, ny, &d);
    ApplyRotation(&context->rotation, uint32_t(-1), &d);
    const Vec3 dd{d.x, d.y, d.z};
    FindFaceAtPoint(&dd, mesh, globals, &outside, outputFaces);
  }

  if (outside) {
    out->status = outputFaces->onTab ? kPixelOffMapTab : kPixelOffMap;
    return;
  }

  bool sample = true;
  int32_t face = -1;
  const bool hit = outputFaces->found != 0;
  const int32_t triangle = outputFaces->hitTriangle;
  const bool netHit = context->isNet && hit && mesh != nullptr && triangle >= 0 && triangle < mesh->renderTriangleCount;
  if (netHit) {
    face = mesh->renderTriangles[triangle].netFace;
    out->status = NetFaceStatus(mesh, face, outputFaces);
  }
  if (context->faceColouring && hit) {
    sample = context->dotOverlay || context->faceCentreOverlay;
    if (netHit) out->status = NetFaceStatus(mesh, face, outputFaces);
  }
  if (!hit) {
    out->status = kPixelMapped;
  } else if (out->status >= 0 && !context->faceColouring && !context->keepRegions) {
    out->status = kPixelMapped;
  }
  if (region != -1) out->status = region;
  out->face = face;

  // The dot search moves the band's cursor and the face-centre search
  // belongs to the point: both keep the full road.
  if (statusRoad) {
    if (sample) {
      if (!context->isNet && region == -1) out->status = kPixelMapped;
      out->subImage = kWholeSourceSubImage;
    }
    return;
  }

  if (sample || context->latLongOut) {
    RotateToSource(context, &d);
    if (sample) {
      if (!context->isNet && region == -1) out->status = kPixelMapped;
      MapSourcePoint(context, &d, out, inputFaces);
    }
  }
  if (context->latLongOut) {
    Vec3fToEquirect(&d, &out->latU, &out->latV);
    out->latU = 1 - out->latU;
    if (context->flip) out->latU = 1 - out->latU;
  }
  if (sample || context->latLongOut) {
    if (context->dotOverlay) FindNearestDotFromCursor(context, &d, out, dotCursor);
    if (context->faceCentreOverlay) {
      const Vec3 hitPoint{outputFaces->hitPoint[0], outputFaces->hitPoint[1], outputFaces->hitPoint[2]};
      FindNearestFaceCentre(context, &hitPoint, out);
    }
  }
  KeepSourcePoint(out, d);
}

void WarmLookupGridsFor(MappingContext* context, NetFaceList* outputFaces) {
  PolyMesh* mesh = context->outputMesh;
  GlobalsRecord* globals = mesh != nullptr ? mesh->owner : nullptr;
  if (context->isNet && mesh != nullptr && mesh->renderTriangleCount > 0) {
    Vec3f d{0, 0, 1};
    uint8_t outside = 0;
    MapNetFace(mesh, 0.3f, 0.3f, 0.4f, 0, 0, 0, globals, &d, &outside, outputFaces);
  }
  ImageRecord* grid = context->lookupGrid;
  const Complex origin{0, 0};
  uint8_t outside = 0;
  Vec3f vf{0, 0, 1};
  float v3[3] = {0, 0, 1};
  switch (context->outputProjection) {
    case 35: {
      if (grid == nullptr) break;
      Complex p = origin;
      InverseWinkelTripel(&p, grid, v3, &outside);
      break;
    }
    case 51:
    case 83:
    case 87:
    case 251:
    case 252:
      if (grid != nullptr) PlaneToSphereByGrid(&origin, &vf, grid);
      break;
    case 73:
    case 74:
      TunableProfileInverse(0, context->outputCache, context->tunableShape, context->outputProjection - 73);
      break;
    case 80: RobinsonLatitudeFromY(0, context->outputCache); break;
    case 90:
    case 91:
    case 92:
    case 93:
    case 94:
    case 95:
    case 96:
    case 99:
    case 118:
    case 119:
    case 121:
    case 128:
    case 141:
    case 142:
    case 164:
    case 165:
    case 1037:
    case 1038:
    case 1039:
    case 1040:
      if (grid != nullptr) ConformalSquareLookup(&origin, grid);
      break;
    case 140:
      if (grid != nullptr) InverseEqualSquarea(0, 0, &outside, v3, grid);
      break;
    default: break;
  }
  if (context->inputProjection == 7) MollweideAuxAngle(0, context->mollweideCache);
}
