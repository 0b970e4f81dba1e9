// The inverses of the output projections: a normalised output point becomes a
// unit direction on the sphere, or the point is declared outside.
#pragma once

#include <cstdint>

#include "geometry/vector.h"

struct MappingContext;
struct NetFaceList;
struct PixelMapping;

// Inverts the output projection of the context at the normalised point
// (nx, ny). Sets d, or the outside flag; the multi-view sheets and "zenith &
// nadir" also set the region (left at -1 otherwise); the globe outputs write
// the mapping's viewNormal; the shaped outputs use and fill the face list.
// Numbers without a closed form leave d and the flag alone. With
// directionUnused some inverses leave d alone too: the caller reads only the
// flag and the region.
void PlaneToSphereForOutput(float nx, float ny, MappingContext* context, PixelMapping* out, NetFaceList* faceList,
                            Vec3f* d, uint8_t* outside, int32_t* region, bool directionUnused = false);

// The last step of "semicircle": negates d.x and d.y, then turns (z, y), read
// as the complex number z + i*y, by -45 degrees.
void TiltDirectionForSemicircle(Vec3f* d);
