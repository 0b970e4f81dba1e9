#include "projection/lookup_grid.h"

#include <cmath>
#include <cstring>

#include "geometry/rotation.h"
#include "image/pixel_access.h"
#include "projection/tables/lookup_tables.h"

namespace {

// Tables 3..9, 13, 14 and 15 belong to the per-face maps of the nets; those
// whose data is not part of the build carry no values and do not load.
const LookupTableInfo kLookupTables[] = {
    {1, 50, 2, kTableMirrored, kSampleBilinear, kLookupTable1, 2550},
    {2, 50, 2, kTableMirrored, kSampleBilinear, kLookupTable2, 2550},
    {3, 50, 2, kTableFull, kSampleTriangles, kLookupTable3, 5000},
    {4, 50, 2, kTableFull, kSampleTriangles, kLookupTable4, 5000},
    {5, 50, 2, kTableFull, kSampleTriangles, kLookupTable5, 5000},
    {6, 50, 2, kTableToAntidiagonal, kSampleTriangles, kLookupTable6, 2648},
    {7, 51, 2, kTableToAntidiagonal, kSampleTriangles, kLookupTable7, 2752},
    {8, 51, 2, kTableToAntidiagonal, kSampleTriangles, kLookupTable8, 2752},
    {9, 50, 2, kTableFull, kSampleTriangles, kLookupTable9, 5000},
    {10, 50, 2, kTableFull, kSampleTriangles, kLookupTable10, 5000},
    {12, 50, 3, kTableFull, kSampleTriangles, kLookupTable12, 7500},
    {13, 50, 2, kTableBelowAntidiagonal, kSampleTriangles, nullptr, 2550},
    {14, 50, 2, kTableBelowAntidiagonal, kSampleTriangles, nullptr, 2550},
    {15, 30, 2, kTableBelowReversed, kSampleTriangles, nullptr, 930},
};

// Last filled column of row y, -1 when the row is empty.
int32_t LastFilledColumn(const LookupTableInfo* table, int32_t y) {
  const int32_t n = table->size;
  switch (table->layout) {
    case kTableMirrored:
      return y;
    case kTableToAntidiagonal:
      return n - y < n - 1 ? n - y : n - 1;
    case kTableBelowAntidiagonal:
    case kTableBelowReversed:
      return n - 1 - y;
    default:
      return n - 1;
  }
}

uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float BitsFloat(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The four channels of a cell as floats (coordinates clamped by the read).
void ReadCell(const ImageRecord* grid, int32_t level, int32_t x, int32_t y, float cell[4]) {
  uint32_t r, g, b, a;
  GetPixelRgba(x, y, grid, level, &r, &g, &b, &a);
  cell[0] = BitsFloat(r);
  cell[1] = BitsFloat(g);
  cell[2] = BitsFloat(b);
  cell[3] = BitsFloat(a);
}

// Whole part of a coordinate: truncation of the value, or of the value minus
// one when it is negative.
int32_t CellIndex(float value) {
  return value < 0.0f ? static_cast<int32_t>(value - 1.0f) : static_cast<int32_t>(value);
}

struct CellQuad {
  float v00[4], v10[4], v01[4], v11[4];
  float fx, fy;
};

void ReadQuad(float X, float Y, const ImageRecord* grid, int32_t level, CellQuad* quad) {
  const int32_t x0 = CellIndex(X);
  const int32_t y0 = CellIndex(Y);
  quad->fx = X - static_cast<float>(x0);
  quad->fy = Y - static_cast<float>(y0);
  // A quad inside the level and inside one tile: the four cells straight
  // from the tile (the clamped reads would give the same bits).
  if (grid->pixelMode == PixelRgbaFloat && grid->bytesPerPixel == 16 && ImageHasLevel(grid, level) && x0 >= 0 &&
      y0 >= 0 && x0 < grid->levelMaxX[level] && y0 < grid->levelMaxY[level] && (x0 & kTileMask) != kTileMask &&
      (y0 & kTileMask) != kTileMask) {
    const uint8_t* top = PixelAddress(grid, level, x0, y0);
    const uint8_t* bottom = PixelAddress(grid, level, x0, y0 + 1);
    std::memcpy(quad->v00, top, 16);
    std::memcpy(quad->v10, top + 16, 16);
    std::memcpy(quad->v01, bottom, 16);
    std::memcpy(quad->v11, bottom + 16, 16);
    return;
  }
  ReadCell(grid, level, x0, y0, quad->v00);
  ReadCell(grid, level, x0 + 1, y0, quad->v10);
  ReadCell(grid, level, x0, y0 + 1, quad->v01);
  ReadCell(grid, level, x0 + 1, y0 + 1, quad->v11);
}

float TriangleValue(const CellQuad* quad, int32_t channel) {
  const double fx = quad->fx;
  const double fy = quad->fy;
  if (quad->fx + quad->fy <= 1.0f) {
    const double w = 1.0 - fx - fy;
    return static_cast<float>(quad->v00[channel] * w + quad->v10[channel] * fx + quad->v01[channel] * fy);
  }
  return static_cast<float>(quad->v11[channel] * (fx + fy - 1.0) + quad->v10[channel] * (1.0 - fy) +
                            quad->v01[channel] * (1.0 - fx));
}

bool GridHasPixels(const ImageRecord* grid) { return grid->tiles != nullptr && grid->tileCount > 0; }

// Loads the table and places the point on its cells; false when the table is
// not in the grid afterwards.
bool PrepareLookup(const Complex* point, ImageRecord* grid, int32_t id, float* X, float* Y) {
  FillLookupGrid(grid, id);
  if (grid->gridId != id) return false;
  const double s = grid->levelMaxXf[0];
  *X = static_cast<float>(s * point->re);
  *Y = static_cast<float>(s * point->im);
  return true;
}

// The thorn's cells: which variant shows a cell (1 both, 2 levo, 3 dextro),
// the cube axis of its face and the turn about that axis.
struct ThornCell {
  int32_t code;
  float axis[3];
  float angle;
};

constexpr float kPi = 3.14159265358979323846f;

const ThornCell kThornCells[16] = {
    {0, {0, 0, 1}, 0},           {0, {0, 0, 1}, 0},
    {2, {-1, 0, 0}, -kPi},       {0, {0, 0, 1}, 0},
    {0, {0, 0, 1}, 0},           {0, {0, 0, 1}, 0},
    {1, {0, 1, 0}, -kPi / 2},    {3, {0, 0, 1}, -kPi / 2},
    {3, {-1, 0, 0}, 0},          {1, {0, 0, -1}, kPi},
    {1, {1, 0, 0}, 0},           {2, {0, 0, 1}, 0},
    {0, {0, 0, 1}, 0},           {2, {0, -1, 0}, kPi},
    {3, {0, -1, 0}, kPi / 2},    {0, {0, 0, 1}, 0},
};

}  // namespace

const LookupTableInfo* FindLookupTable(int32_t id) {
  for (const LookupTableInfo& table : kLookupTables) {
    if (table.id == id) return &table;
  }
  return nullptr;
}

void FillLookupGrid(ImageRecord* grid, int32_t id) {
  if (grid->gridId == id) return;
  const LookupTableInfo* table = FindLookupTable(id);
  if (table == nullptr || table->values == nullptr) {
    // Nothing to load: the grid no longer holds the table it is asked for.
    grid->gridId = 0;
    return;
  }
  CopyLookupTable(grid, table);
}

bool CopyLookupTable(ImageRecord* grid, const LookupTableInfo* table) {
  const int32_t n = table->size;
  if (!CreateImageRecord(grid, n, n, PixelRgbaFloat, FetchClamp, 0)) {
    grid->gridId = 0;
    return false;
  }
  const float* next = table->values;
  const float* const end = table->values + table->valueCount;
  const uint32_t zero = FloatBits(0.0f);
  bool complete = true;
  for (int32_t row = 0; row < n; ++row) {
    const int32_t y = table->layout == kTableBelowReversed ? n - 1 - row : row;
    const int32_t last = LastFilledColumn(table, y);
    for (int32_t x = 0; x < n; ++x) {
      PutPixelRgba(x, y, grid, 0, zero, zero, zero, zero);
      if (x > last) continue;
      if (next + table->valuesPerCell > end) {
        complete = false;  // a short table leaves the rest of its region 0
        continue;
      }
      const uint32_t first = FloatBits(next[0]);
      const uint32_t second = FloatBits(next[1]);
      const uint32_t third = table->valuesPerCell == 3 ? FloatBits(next[2]) : zero;
      next += table->valuesPerCell;
      PutPixelRgba(x, y, grid, 0, first, second, third, zero);
      if (table->layout == kTableMirrored) PutPixelRgba(y, x, grid, 0, second, first, zero, zero);
    }
  }
  grid->gridId = table->id;
  return complete && next == end;
}

void SampleGridBilinear(float X, float Y, const ImageRecord* grid, int32_t level, float* r, float* g) {
  CellQuad quad;
  ReadQuad(X, Y, grid, level, &quad);
  float result[2];
  for (int32_t c = 0; c < 2; ++c) {
    const float top = quad.v00[c] + (quad.v10[c] - quad.v00[c]) * quad.fx;
    const float bottom = quad.v01[c] + (quad.v11[c] - quad.v01[c]) * quad.fx;
    result[c] = top + (bottom - top) * quad.fy;
  }
  *r = result[0];
  *g = result[1];
}

void SampleGridTriangles(float X, float Y, const ImageRecord* grid, int32_t level, float* r, float* g) {
  CellQuad quad;
  ReadQuad(X, Y, grid, level, &quad);
  *r = TriangleValue(&quad, 0);
  *g = TriangleValue(&quad, 1);
}

void SampleGridTriangles3(float X, float Y, const ImageRecord* grid, int32_t level, float* r, float* g, float* b) {
  CellQuad quad;
  ReadQuad(X, Y, grid, level, &quad);
  *r = TriangleValue(&quad, 0);
  *g = TriangleValue(&quad, 1);
  *b = TriangleValue(&quad, 2);
}

Complex LookupGridPair(const Complex* point, ImageRecord* grid, int32_t id) {
  Complex result{0.0, 0.0};
  const LookupTableInfo* table = FindLookupTable(id);
  if (table == nullptr || table->valuesPerCell != 2 || !GridHasPixels(grid)) return result;
  float X, Y;
  if (!PrepareLookup(point, grid, id, &X, &Y)) return result;
  float r, g;
  if (table->sampler == kSampleBilinear) {
    SampleGridBilinear(X, Y, grid, 0, &r, &g);
  } else {
    SampleGridTriangles(X, Y, grid, 0, &r, &g);
  }
  result.re = r;
  result.im = g;
  return result;
}

Vec3 LookupGridTriple(const Complex* point, ImageRecord* grid) {
  Vec3 result{0.0, 0.0, 0.0};
  if (!GridHasPixels(grid)) return result;
  float X, Y;
  if (!PrepareLookup(point, grid, 12, &X, &Y)) return result;
  float r, g, b;
  SampleGridTriangles3(X, Y, grid, 0, &r, &g, &b);
  result = Vec3{r, g, b};
  return result;
}

Complex PlaneToSphereByGrid(const Complex* point, Vec3f* v, ImageRecord* grid) {
  *v = Vec3f{0.0f, 0.0f, 1.0f};
  if (grid == nullptr) return Complex{0.0, 0.0};
  // This lookup does not test for pixels first: a load re-creates the grid.
  if (grid->gridId != 2) FillLookupGrid(grid, 2);
  if (grid->gridId != 2) return Complex{0.0, 0.0};
  Complex q = *point;
  uint32_t bits;
  FoldToOctant(&q, &bits);
  const float s = grid->levelMaxXf[0];
  float r, g;
  SampleGridBilinear(static_cast<float>(s * q.re), static_cast<float>(s * q.im), grid, 0, &r, &g);
  Complex folded{r, g};
  UnfoldFromOctant(&folded, bits);
  const float vx = static_cast<float>(folded.re);
  const float vy = static_cast<float>(folded.im);
  const double zz = 1.0 - static_cast<double>(vx) * vx - static_cast<double>(vy) * vy;
  *v = Vec3f{vx, vy, static_cast<float>(std::sqrt(zz))};
  return Complex{-static_cast<double>(v->x) / v->z, -static_cast<double>(v->y) / v->z};
}

void WarpBarycentricByGrid(float* a, float* b, float* c, ImageRecord* grid) {
  const Complex p{1.0 - static_cast<double>(*a), static_cast<double>(*c)};
  Vec3f v;
  const Complex warped = PlaneToSphereByGrid(&p, &v, grid);
  *a = static_cast<float>(1.0 - warped.re);
  *c = static_cast<float>(warped.im);
  *b = static_cast<float>(1.0 - static_cast<double>(*a) - static_cast<double>(*c));
}

void MapThornPoint(float x, float y, int32_t columns, int32_t rows, Vec3f* direction, uint8_t* outside,
                   ImageRecord* grid, uint8_t levo, uint8_t shifted) {
  if (shifted) {
    if (levo) {
      x += 0.195f;
      y += 0.14f;
    } else {
      x -= 0.24f;
      y -= 0.145f;
    }
  }
  Complex p{0.929182231426239 * x + 0.30190959572792053 * y, 0.30190959572792053 * x - 0.929182231426239 * y};
  ComplexScale(&p, 1.365234375, &p);
  ComplexPow(&p, &p, 0.75);
  const float xs = static_cast<float>(0.7071067690849304 * (p.re + p.im));
  const float ys = static_cast<float>(0.7071067690849304 * (p.re - p.im));

  *outside = 1;
  const float X = static_cast<float>(columns * 0.5 + xs);
  const float Y = static_cast<float>(rows * 0.5 + ys);
  if (!(X > 0.0f && X < static_cast<float>(columns) && Y > 0.0f && Y < static_cast<float>(rows))) return;
  const int32_t cx = static_cast<int32_t>(X);
  const int32_t cy = static_cast<int32_t>(Y);
  const ThornCell& cell = kThornCells[(cy * rows + cx) & 15];
  const bool shown = cell.code == 1 || (cell.code == 2 && levo) || (cell.code == 3 && !levo);
  if (!shown) return;

  *outside = 0;
  const Complex face{(static_cast<double>(X) - cx - 0.5) * 2.0, (static_cast<double>(Y) - cy - 0.5) * 2.0};
  Vec3f v;
  PlaneToSphereByGrid(&face, &v, grid);
  const Vec3f axis{cell.axis[0], cell.axis[1], cell.axis[2]};
  if (axis.x == 0.0f && axis.y == 0.0f && axis.z == -1.0f) {
    *direction = Vec3f{v.x, -v.y, -v.z};
  } else {
    Matrix4f onto{};
    const Vec3f forward{0.0f, 0.0f, 1.0f};
    RotationOntoVector4f(&forward, &axis, &onto);
    TransformVec3fByMatrix(&v, &onto, direction);
  }
  if (cell.angle != 0.0f) {
    Matrix4f turn{};
    SetRotationMatrix4f(&axis, cell.angle, &turn);
    const Vec3f d = *direction;
    TransformVec3fByMatrix(&d, &turn, direction);
  }
}
