// Stand-in for the curve nets and the tetrahedral subdivisions: none is
// built yet, and no net merges its small pieces.
#include "nets/net_catalogue.h"

bool BuildCurveNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs, bool fullQuality) {
  (void)mesh;
  (void)net;
  (void)bufferProcs;
  (void)fullQuality;
  return false;
}

void MergeSmallPieces(PolyMesh* mesh) { (void)mesh; }
