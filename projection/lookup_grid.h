// The lookup grid: one precomputed projection table at a time, copied into a
// 50 x 50 (or 51 x 51, 30 x 30) image of four floats per cell and read with
// bilinear or triangle interpolation. The grid is an ImageRecord (the
// globals' image 1); its gridId names the table now loaded, 0 when none, and a
// table is copied in again only when a lookup asks for another id.
//
// Tables (ids 1..15, no 11): 1 the conformal square-to-disc map, 2 the
// conformal cube face to sphere map, 10 the inverse Winkel Tripel term, 12 an
// octahedral equal-area map, the others the per-face maps of nets. A table is
// stored cell after cell (pairs, or triples for 12) in the order that
// FillLookupGrid reads them; cells outside its filled region stay 0.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "image/image_record.h"

// Which cells of an n x n grid a table fills, and in which order they are stored.
enum LookupTableLayout : int32_t {
  kTableFull = 0,              // all cells, rows y = 0..n-1
  kTableMirrored = 1,          // x <= y, rows y = 0..n-1; cell (y, x) gets the pair swapped
  kTableToAntidiagonal = 2,    // x + y <= n: x = 0..min(n-1, n-y)
  kTableBelowAntidiagonal = 3, // x + y <= n-1: x = 0..n-1-y
  kTableBelowReversed = 4,     // as 3, rows from y = n-1 down to 0
};

// The interpolation a table is read with.
enum LookupSampler : int32_t {
  kSampleBilinear = 0,
  kSampleTriangles = 1,
};

struct LookupTableInfo {
  int32_t id;
  int32_t size;           // n of the n x n grid
  int32_t valuesPerCell;  // 2, or 3 for table 12
  int32_t layout;         // LookupTableLayout
  int32_t sampler;        // LookupSampler
  const float* values;    // null while the table's data is not part of the build
  int32_t valueCount;
};

constexpr int32_t kLookupGridSize = 50;

// The description of table id, or null for an id without a table.
const LookupTableInfo* FindLookupTable(int32_t id);

// Copies table id into the grid unless gridId already equals id. The grid is
// re-created at the table's size; when that fails (or the table has no data)
// gridId is left at 0 and the grid holds no table.
void FillLookupGrid(ImageRecord* grid, int32_t id);
// The copy step of a load: re-creates the grid at the table's size, zeroes
// every cell and fills the table's region in storage order. False when the
// creation fails (gridId 0) or the values do not match the region's size.
bool CopyLookupTable(ImageRecord* grid, const LookupTableInfo* table);

// Bilinear interpolation of the R and G channels of a level at (X, Y) in cell
// units; reads outside the level are clamped to its border cells.
void SampleGridBilinear(float X, float Y, const ImageRecord* grid, int32_t level, float* r, float* g);
// Interpolation on the two triangles of a cell, split along the diagonal from
// (x0 + 1, y0) to (x0, y0 + 1); a point on that diagonal takes the first.
void SampleGridTriangles(float X, float Y, const ImageRecord* grid, int32_t level, float* r, float* g);
void SampleGridTriangles3(float X, float Y, const ImageRecord* grid, int32_t level, float* r, float* g, float* b);

// The grid lookup of a pair table (ids 1, 3..10, 13, 14, 15) at a point in
// 0..1 on both axes, scaled to the table's cells; (0, 0) when the grid has no
// pixels or the table cannot be loaded.
Complex LookupGridPair(const Complex* point, ImageRecord* grid, int32_t id);
// The grid lookup of table 12: three values, (0, 0, 0) when there is no table.
Vec3 LookupGridTriple(const Complex* point, ImageRecord* grid);

// Conformal cube-face map through table 2: v becomes the direction of face
// point p (face centred on +z, mirrored in x and y) and the result is its
// gnomonic point (-v.x/v.z, -v.y/v.z), which equals p at the face's corners
// and edge midpoints.
Complex PlaneToSphereByGrid(const Complex* point, Vec3f* v, ImageRecord* grid);

// Barycentric weights of a point in a triangle face warped through table 2:
// (re, im) = PlaneToSphereByGrid((1 - a, c)); a = 1 - re, c = im, b = 1 - a - c.
void WarpBarycentricByGrid(float* a, float* b, float* c, ImageRecord* grid);

// The thorn layout: six cube faces in a 4 x 4 grid of unit cells, each mapped
// conformally through table 2. levo picks the mirrored variant; shifted moves
// the point first (the thorn outputs); outside is 1 for points off the faces.
void MapThornPoint(float x, float y, int32_t columns, int32_t rows, Vec3f* direction, uint8_t* outside,
                   ImageRecord* grid, uint8_t levo, uint8_t shifted);
