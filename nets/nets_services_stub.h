// The net services the mapping code calls, gathered in one header, and the
// stand-in that is still left: the per-face maps of the flat layouts (layout
// style 1), which come with those layouts.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "host/host_records.h"
#include "nets/net_build.h"
#include "nets/net_faces.h"
#include "nets/net_layout.h"
#include "nets/net_pixel.h"
#include "nets/poly_mesh.h"

struct GlobalsRecord;
struct NetFaceList;

// The per-face map of a net drawn with layout style 1, chosen by net number;
// writes the direction and the list's region. The stand-in maps nothing.
void MapLayoutFace(PolyMesh* mesh, float b0, float b1, float b2, int32_t triangle, float u, float v,
                   GlobalsRecord* globals, Vec3f* d, uint8_t* outside, NetFaceList* list);
