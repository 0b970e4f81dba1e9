// Stand-in for the per-face maps of the flat layouts: no layout is built yet,
// so the map leaves the direction as it is.
#include "nets/nets_services_stub.h"

void MapLayoutFace(PolyMesh* mesh, float b0, float b1, float b2, int32_t triangle, float u, float v,
                   GlobalsRecord* globals, Vec3f* d, uint8_t* outside, NetFaceList* list) {
  (void)mesh;
  (void)b0;
  (void)b1;
  (void)b2;
  (void)triangle;
  (void)u;
  (void)v;
  (void)globals;
  (void)d;
  (void)outside;
  (void)list;
}
