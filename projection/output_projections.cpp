// The dispatch of the output inverses by output number.
#include "projection/output_projections.h"

#include "nets/poly_mesh.h"
#include "projection/mapping_context.h"
#include "projection/output_families.h"

void TiltDirectionForSemicircle(Vec3f* d) {
  d->x = -d->x;
  d->y = -d->y;
  const Complex zy{d->z, d->y};
  Complex turn;
  ComplexFromAngle(&turn, -0.78539816325);
  Complex r;
  ComplexMul(&r, &zy, &turn);
  d->z = float(r.re);
  d->y = float(r.im);
}

void PlaneToSphereForOutput(float nx, float ny, MappingContext* context, PixelMapping* out, NetFaceList* faceList,
                            Vec3f* d, uint8_t* outside, int32_t* region, bool directionUnused) {
  const PolyMesh* mesh = context->outputMesh;
  const float s = mesh->layoutScale;
  const OutputPoint p{nx, ny, (nx - mesh->centreX) * s, (ny - 0.5f) * s * context->outputAspect, s};
  const OutputResult r{d, outside, region, out, faceList, directionUnused};
  const int32_t output = context->outputProjection;
  switch (output) {
    case 1: case 11: case 13: case 17: case 20: case 35: case 46: case 62: case 80: case 81: case 138:
      MapCylindricalOutput(output, p, context, r);
      return;
    case 2: case 3: case 4: case 5: case 12: case 15: case 16: case 19: case 22: case 23: case 24: case 39:
    case 40: case 43: case 50: case 59: case 82: case 85: case 134: case 139: case 143: case 10054:
      MapAzimuthalOutput(output, p, context, r);
      return;
    case 48: case 49:
      MapStarOutput(output, p, context, r);
      return;
    case 14: case 18: case 52: case 56: case 57: case 58: case 60: case 75: case 76: case 77: case 78: case 79:
    case 88: case 171: case 255:
      MapViewOutput(output, p, context, r);
      return;
    case 65: case 66: case 67: case 68: case 69: case 84: case 89: case 120: case 135: case 136: case 159:
    case 160:
      MapComplexPlaneOutput(output, p, context, r);
      return;
    case 36: case 37: case 38: case 53: case 61: case 63: case 73: case 74: case 1054:
      MapGoreOutput(output, p, context, r);
      return;
    case 51: case 83: case 87: case 90: case 91: case 92: case 93: case 94: case 95: case 96: case 99:
    case 108: case 109: case 110: case 111: case 112: case 118: case 119: case 121: case 128: case 130:
    case 131: case 132: case 133: case 140: case 141: case 142: case 146: case 147: case 148: case 149:
    case 164: case 165: case 251: case 252: case 1037: case 1038: case 1039: case 1040:
      MapDelegatedOutput(output, p, context, r);
      return;
    default:
      // Nets, flat layouts and the brick preview: no closed form here.
      return;
  }
}
