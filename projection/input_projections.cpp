// Dispatch of the input projections and the helpers their families share.
#include "projection/input_projections.h"

#include "geometry/fast_math.h"
#include "projection/input_families.h"

EquirectPosition InputEquirect(const Vec3f* d) {
  EquirectPosition p{0.0f, 0.0f};
  Vec3fToEquirect(d, &p.u, &p.v);
  return p;
}

void MarkNoSource(InputSample* s) {
  s->srcX = -1.0f;
  s->srcY = -1.0f;
  s->noSource = 1;
}

bool OutsideUnit(float value) { return 0.0f > value || value > 1.0f; }

void MapDirectionToSource(int32_t inputProjection, int32_t flip, float sourceAspect, Vec3f* direction,
                          float* srcX, float* srcY, uint8_t* noSource, float* mollweideCache,
                          int32_t* inputFace, int32_t* subImage, float* edgeWeight, PolyMesh* inputMesh,
                          NetFaceList* inputFaces) {
  InputSample s{-1.0f, -1.0f, 0, kWholeSourceSubImage, -1, *edgeWeight};
  switch (inputProjection) {
    case 2: case 3: case 4: case 6: case 8: case 9: case 15: case 18:
      MapDiscInput(inputProjection, direction, sourceAspect, &s);
      break;
    case 1: case 5: case 13: case 16: case 20: case 24:
      MapStripInput(inputProjection, direction, sourceAspect, &s);
      break;
    case 7: case 14: case 17: case 21: case 22: case 23:
      MapWorldMapInput(inputProjection, direction, mollweideCache, &s);
      break;
    case 12: case 19: case 25:
      MapGoreInput(inputProjection, direction, &s);
      break;
    case 10: case 11: case 26: case 27: case 28:
      MapCubeInput(inputProjection, direction, &s);
      break;
    case 29:
      MapSoccerInput(direction, inputMesh, inputFaces, &s);
      break;
    default:
      // Any other number has no layout.
      MarkNoSource(&s);
      break;
  }
  if (flip != 0) s.srcX = 1.0f - s.srcX;
  *inputFace = s.inputFace;
  *subImage = s.subImage;
  *edgeWeight = s.edgeWeight;
  *srcX = s.srcX;
  *srcY = s.srcY;
  *noSource = s.noSource;
}
