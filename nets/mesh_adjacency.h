// The passes that tie a model's faces together: which net face and which
// solid face lies across each edge, the cut edges of the curve nets, the
// corner angles of the net faces, and the normals, corner angles and planes
// of the solid faces.
#pragma once

#include <cstdint>

#include "nets/poly_mesh.h"

// Net-neighbour slots of faces 0..n-1 from shared net edges run in opposite
// directions; recounts every corner's net point in netPointUseCount.
void BuildNetAdjacency(PolyMesh* mesh, int32_t n);
// The same for one face f against the other net faces.
void LinkNetFace(PolyMesh* mesh, int32_t f);
// Solid-neighbour slots of every face from shared vertex edges run in
// opposite directions, recounts the vertex uses, then the cut edges of the
// curve-net style.
void LayoutNetFaces(PolyMesh* mesh);
void MarkCurveCutEdges(PolyMesh* mesh);
// Dot product of the unit normals of the planes through the first three
// vertices of face f and of its neighbour across edge k; 2.0 (above any
// cosine) when the edge has no neighbour.
double DihedralCosine(const PolyMesh* mesh, int32_t f, int32_t k);
// Interior angle at each net corner and the angle of each net edge against +y.
void ComputeNetFaceAngles(PolyMesh* mesh);
// Corner angles, unit normal (by the right-hand rule of the vertex order),
// facing and plane of every solid face.
void ComputeFaceGeometry(PolyMesh* mesh);
