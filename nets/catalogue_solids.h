// The solids behind the catalogue's ready-made nets, computed from their
// closed-form coordinates: the five regular solids in the orientation the
// catalogue gives them, the Archimedean and Catalan solids of the catalogue
// nets, and two kin (the triangular bipyramid and the dodecahedron with every
// face cut into ten triangles). The catalogue generator unfolds them; the
// geodesic generators subdivide the regular ones.
//
// Faces run counter-clockwise seen from outside. Vertices and faces come in a
// fixed order (from the top down, then round the pole), and every face starts
// at its topmost corner, so the same name always gives the same solid.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "nets/poly_mesh.h"

constexpr int32_t kMaxSolidVertices = 192;
constexpr int32_t kMaxSolidFaces = 144;

struct CatalogueSolid {
  int32_t vertexCount;
  Vec3 vertices[kMaxSolidVertices];
  int32_t faceCount;
  int32_t cornerCounts[kMaxSolidFaces];
  int32_t corners[kMaxSolidFaces][kMaxFaceCorners];  // vertex indices, 0-based
};

// The names MakeCatalogueSolid knows, in a fixed order.
int32_t CatalogueSolidCount();
const char* CatalogueSolidName(int32_t i);

// The solid of that name; false (and an empty solid) for an unknown name.
//   "tetrahedron"   alternate corners of (+-1, +-1, +-1), (1, 1, 1) among them
//   "cube"          (+-0.5, +-0.5, +-0.5)
//   "octahedron"    +-sqrt(1/2) on the three axes
//   "dodecahedron"  edge 1, corners at (0, 0, +-1.40126), y = 0 a mirror plane
//   "icosahedron"   edge 1, corners at (0, +-0.95106, 0), x = 0 a mirror plane
// The Archimedean solids have edge 1 and their symmetry axes on the
// coordinate axes; the Catalan solids are their duals, scaled to a shortest
// edge of 1. "subdivided dodecahedron" holds the dodecahedron's corners, face
// centres and edge midpoints with ten triangles per face, face k's triangles
// at 10k..10k+9. "dodo" is the outer surface of the dodecadodecahedron: 12
// star-shaped decagons (its pentagrams) round the icosahedron's corners and 60
// kites (the visible parts of its pentagons), star q at face 6q followed by
// the five kites of its net piece; the stars' tips lie on the unit sphere.
// "spikeball" is the outer surface of the compound of five tetrahedra (60
// pentagons, each starting at the corner after its spike's tip, the faces
// numbered for the spikeball's fixed pairing) and "GID" that of the great
// icosidodecahedron (12 regular pentagons at faces 11q + 5, each with its
// five triangle pieces and their five quads); both have their outermost
// corners on the unit sphere.
bool MakeCatalogueSolid(const char* name, CatalogueSolid* solid);

// Adds the solid's vertices and faces through the pools (deferred), then the
// face geometry and the solid adjacency. The record's errorCode afterwards.
int32_t AddCatalogueSolid(PolyMesh* mesh, const CatalogueSolid* solid);
