// Laying the pieces of a net unfolded group by group side by side: each piece
// (one layer of net points) is moved to start at the origin, the pieces are
// placed left to right with small gaps and centred on a common middle line;
// sphericon pieces are first turned to their narrowest orientation and the
// tattoo nets are joined again along their seams.
#pragma once

#include <cstdint>

#include "nets/poly_mesh.h"

constexpr int32_t kMaxHullPoints = kMaxNetPoints + 1;

void PostProcessNetPoints(PolyMesh* mesh);
// Bounds of the used net points of one layer; all -2.22 when it has none.
void LayerBounds(const PolyMesh* mesh, float* xmin, float* xmax, float* ymin, float* ymax, int32_t layer);
void TurnLayersToNarrowest(PolyMesh* mesh, int32_t firstLayer, int32_t lastLayer);
// The convex hull (counter-clockwise) of the outline of one net group.
bool LayerHull(const PolyMesh* mesh, int32_t group, int32_t* list, int32_t* count);
// Rotating calipers over a counter-clockwise hull of net points: the angle
// (caliper direction less pi/2) at which the hull is narrowest.
double NarrowestHullAngle(const PolyMesh* mesh, const int32_t* list, int32_t count);
// The same over plain points.
double NarrowestHullAngleOfPoints(const double (*points)[2], int32_t count);
void RotateLayers(PolyMesh* mesh);
int32_t NetPointOfVertexInGroup(const PolyMesh* mesh, int32_t vertex, int32_t group);
void TransformLayer(PolyMesh* mesh, int32_t a, int32_t b, int32_t c, int32_t d, int32_t layer);
void JoinSeamAtMidpoints(PolyMesh* mesh, int32_t i, int32_t j, int32_t layerA, int32_t layerB);
void JoinSeamAtEnd(PolyMesh* mesh, int32_t i, int32_t j, int32_t layerA, int32_t layerB);
