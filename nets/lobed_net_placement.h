// The nets that the lobed outputs look up in the square layout (the rinds,
// the tattoo and the icosahedron nets of the shark and sunburst shapes): the
// square-layout flag, and where each net lies in the square -1..1 that the
// lobe construction reads.
#pragma once

#include <cstdint>

#include "nets/poly_mesh.h"

// True for the nets placed here.
bool IsPlacedLobedNet(int32_t net);
// Sets the square-layout flag of a net placed here (after the model is built).
void MarkLobedNet(PolyMesh* mesh, int32_t net);
// Mirrors and turns the render points of a net placed here about the point
// that goes to the square's middle, and stores the box that the fit maps onto
// the square. Runs once the render points hold the net's own positions.
void PlaceLobedNet(PolyMesh* mesh);
