// Input 29 ("soccer"): the source is a flat net of the soccer ball, held as
// the input mesh. The direction (reversed) is searched among the net's
// triangles on the sphere; the point where it crosses the hit triangle is
// carried to the same weights of that triangle in the net plane.
#include "geometry/face_search.h"
#include "nets/nets_services_stub.h"
#include "projection/input_families.h"
#include "projection/mapping_context.h"

void MapSoccerInput(const Vec3f* d, PolyMesh* mesh, NetFaceList* list, InputSample* s) {
  if (mesh == nullptr || list == nullptr) {
    MarkNoSource(s);
    return;
  }
  const Vec3 ray{-double(d->x), -double(d->y), -double(d->z)};
  uint8_t miss = 1;
  double w0 = 0, w1 = 0, w2 = 0;
  FindFaceHitByRay(&ray, mesh, &miss, list, &w0, &w1, &w2);
  if (miss) {
    MarkNoSource(s);
    return;
  }
  double p[3];
  InterpolateTrianglePoint(list->hitTriangle, float(w0), float(w1), float(w2), p, mesh);
  s->srcX = float((p[0] - double(mesh->layoutMinX)) * double(mesh->unitFactorX));
  s->srcY = float((p[1] - double(mesh->layoutMinY)) * double(mesh->unitFactorY));
  s->subImage = list->hitTriangle + 3;
}
