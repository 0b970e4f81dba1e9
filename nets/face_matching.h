// Pairs the faces of a ready-made net with the faces of its solid. The two
// come as independent lists: their orders need not agree, and a net face's
// first corner need not be its solid face's first corner. The pairing uses
// only the shapes (corner counts, corner angles, how many faces share each
// point) and the adjacency on both sides: one start pair is found, and the
// rest follows across shared edges. Everything later (render-point
// directions, tabs, exports) reads the `piece` and `rotation` written here.
#pragma once

#include <cstdint>

#include "nets/poly_mesh.h"

// Pairs every net face it can reach from a start pair. False when no start
// pair is found (the faces keep piece -1). Generated nets carry their pairing
// from their own unfolding and are left alone (true).
bool UnfoldMesh(PolyMesh* mesh);

// The corner counts agree and, going round from the two given corners, every
// net corner angle is within 0.0025 of the solid's. A count of 0 matches.
bool AnglesMatch(int32_t netFace, int32_t netCorner, int32_t solidFace, int32_t solidCorner, const PolyMesh* mesh);
// Net face -> solid face with rotation 0; matchFailed when the shapes differ.
void AssignPiece(int32_t netFace, int32_t solidFace, PolyMesh* mesh);
// Net face -> solid face so that net corner netCorner is solid corner
// solidCorner; matchFailed when the shapes differ.
void PairNetFace(int32_t netFace, int32_t netCorner, int32_t solidFace, int32_t solidCorner, PolyMesh* mesh);
// From a paired net face, depth first: each net neighbour not yet paired gets
// the solid face across the matching solid edge.
void PropagatePieces(int32_t netFace, PolyMesh* mesh);
// The solid neighbour of solidFace across the first of its edges that can
// carry net edge netCorner of netFace (whose net neighbour is netNeighbour at
// neighbourCorner), with *solidCorner the edge; -1 when none can. Strict: the
// points' use counts agree exactly; loose: both net counts lie on the same
// side of the solid counts.
int32_t FindSolidPair(int32_t solidFace, int32_t netFace, int32_t netCorner, int32_t netNeighbour,
                      int32_t neighbourCorner, int32_t* solidCorner, const PolyMesh* mesh, bool strict);
// Nets whose faces are paired by a fixed rule instead of the search: the
// spikeball (net 13), ten pieces from their base solid faces; the dodo (net
// 20), face 6q to solid face 6q; GID (net 21), face 11q + 5 to the q-th
// regular pentagon of the solid; false for every other net.
bool PairFixedNet(PolyMesh* mesh);

// The spikeball's ten net pieces: the solid face that is each piece's base
// (net face 6q + 5), in net order.
inline constexpr int32_t kSpikeballBaseFaces[10] = {0, 6, 37, 11, 14, 2, 5, 51, 39, 56};
