// Stand-in for the generated nets: no generator is built yet.
#include "nets/net_catalogue.h"

bool BuildGeneratedNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs, bool fullQuality) {
  (void)mesh;
  (void)net;
  (void)bufferProcs;
  (void)fullQuality;
  return false;
}

void MergeNestedNet(PolyMesh* mesh, const PolyMesh* nested) {
  (void)mesh;
  (void)nested;
}
