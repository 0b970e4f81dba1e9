// Two ways of showing the brick sphere: the preview (output 45), four small
// views of the shaded voxel ball found by marching a ray through the grid for
// every output pixel, and the plan, one brick layer as a grid of 10 x 10
// pixel squares for the layered plan document.
#pragma once

#include <cstdint>

#include "nets/brick_grid.h"

struct GlobalsRecord;
struct ImageRecord;
struct PixelMapping;

// A preview ray: the view 0..3 and a point (px, py) in -1..1 of that view.
struct BrickRay {
  int32_t view;
  float px;
  float py;
};

// Sets the mapping's status: colour x 6 + the side crossed (0..5) on a hit,
// -5 otherwise. Answers false on a hit, true otherwise (also without a grid
// or cells). Reads the grid only.
bool RayMarchBrickGrid(const BrickGrid* grid, BrickRay ray, PixelMapping* mapping);

// For status >= 0 writes the shaded display colour; a negative status
// writes nothing.
void BrickDisplayColour(int32_t status, float rgba[4]);

// Draws cell (x, y) of layer z into level 0 of the image: on the empty pass
// every cell as empty, on the filled pass only the filled cells.
void DrawBrickPlanCell(const BrickGrid* grid, ImageRecord* image, int32_t x, int32_t y, int32_t layer,
                       bool filledPass);
// Renders plan layer k (from 1) into the image. Layer 1 sets up and builds
// the grid held at `holder`; the last layer counts the statistics and frees
// it. An abort sets *cancelled to 1 (and gives the grid back).
void RenderBrickPlanLayer(GlobalsRecord* globals, ImageRecord* image, int32_t layer, uint8_t* cancelled,
                          BrickGrid* holder);
