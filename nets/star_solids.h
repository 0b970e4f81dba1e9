// Star solids (compounds and self-intersecting polyhedra) and their outer
// surfaces: the part of the faces that can be seen from outside, as a closed
// solid of ordinary simple polygons. A point is outside when the faces wind
// round it zero times; a piece of a face belongs to the outer surface when
// one of its sides is outside and the other is not, and it is turned toward
// the outside.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "nets/catalogue_solids.h"

constexpr int32_t kMaxStarFaces = 32;
constexpr int32_t kMaxStarCorners = 5;

// Faces as closed paths, a star polygon as its star path (the pentagram
// through every second corner), counter-clockwise seen from outside.
struct StarSolid {
  int32_t faceCount;
  int32_t cornerCounts[kMaxStarFaces];
  Vec3 corners[kMaxStarFaces][kMaxStarCorners];
};

// How many times the faces wind round the point (the sum of the signed solid
// angles of the faces over 4 pi, rounded).
int32_t StarWindingNumber(const StarSolid& star, const Vec3& point);

// The outer surface: every face's plane cut along the other faces' planes,
// the pieces seen from outside joined again face by face (each connected part
// of a face is one polygon), and corners that only two polygons share (where
// an edge runs straight on) dropped. Vertices and faces come in no particular
// order; every face runs counter-clockwise seen from outside. False when a
// table is too small or the pieces do not close into simple polygons.
bool OuterSurface(const StarSolid& star, CatalogueSolid* surface);

// The compound of five tetrahedra: the catalogue's tetrahedron (alternate
// corners of the cube, (1, 1, 1) among them) and its turns by the rotations of
// the dodecahedron whose corners are (+-1, +-1, +-1) and the cyclic
// permutations of (0, +-1/phi, +-phi).
void FiveTetrahedra(StarSolid* star);

// The great icosidodecahedron on the icosidodecahedron's corners (the cyclic
// permutations of (0, 0, +-phi) and (+-1/2, +-phi/2, +-phi^2/2)): 20
// triangles and 12 pentagrams, each edge shared by a triangle and a
// pentagram.
void GreatIcosidodecahedron(StarSolid* star);
