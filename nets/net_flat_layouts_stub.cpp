// Stand-in for the flat layouts of the catalogue: none is built yet.
#include "nets/net_catalogue.h"

bool BuildFlatLayoutModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs) {
  (void)mesh;
  (void)net;
  (void)bufferProcs;
  return false;
}
