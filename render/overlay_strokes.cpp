#include "render/overlay_strokes.h"

#include <algorithm>
#include <cmath>

#include "geometry/fast_math.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "render/column_record.h"
#include "render/pixel_renderer.h"

namespace {

// Corner slots in the order the marching squares weigh them.
constexpr int32_t kD = 0;
constexpr int32_t kC = 1;
constexpr int32_t kB = 2;
constexpr int32_t kA = 3;

constexpr float kDotLevel = 0.005f;
constexpr float kDotWeight = 1.0f;
constexpr float kFaceCentreLevel = 0.0f;
constexpr float kFaceCentreWeight = 0.3f;
constexpr int32_t kBrickPreviewMode = 1;

struct Point {
  float x, y;
};

ColumnRecord* Columns(const StrokeColumns* strokes) { return strokes != nullptr ? strokes->records : nullptr; }

int32_t ColumnCapacity(const StrokeColumns* strokes) {
  if (Columns(strokes) == nullptr || strokes->count <= 0) return 0;
  return strokes->count;
}

// Where the iso-line at `level` crosses the edge from a value a to a value b,
// as the fraction from a; taken from the end nearer the level, so that the
// fraction stays accurate when a and b are close. A non-finite corner gives
// the edge's middle rather than a point off the cell.
float CrossingFraction(float a, float b, float level) {
  float t;
  if (std::fabs(a - level) <= std::fabs(b - level)) {
    t = (a - level) / (a - b);
  } else {
    t = 1.0f - (b - level) / (b - a);
  }
  if (!(t == t)) return 0.5f;
  return std::clamp(t, 0.0f, 1.0f);
}

int32_t MinOf(const int32_t v[4]) { return std::min(std::min(v[0], v[1]), std::min(v[2], v[3])); }
int32_t MaxOf(const int32_t v[4]) { return std::max(std::max(v[0], v[1]), std::max(v[2], v[3])); }

// Cell index floor(value * scale); values far outside any map are kept in
// range of an int so that the comparisons below stay defined.
int32_t CellIndex(float value, int32_t scale) {
  const double x = std::floor(double(value) * scale);
  if (!(x > -1e6)) return -1000000;
  return x > 1e6 ? 1000000 : int32_t(x);
}

// floor((lo + hi) / 2) for integers of either sign.
int32_t FloorHalf(int32_t lo, int32_t hi) {
  const int32_t s = lo + hi;
  return s >= 0 ? s / 2 : -((1 - s) / 2);
}

// A border cell copies values across the image's edge, so that no line runs
// along the edge itself.
void ApplyBorderCorners(float v[4], int32_t row, int32_t column, int32_t width) {
  if (column == 0) {
    v[kD] = v[kC];
    v[kB] = v[kA];
  }
  if (column == width - 1) {
    v[kC] = v[kD];
    v[kA] = v[kB];
  }
  if (row == 0) {
    v[kD] = v[kB];
    v[kC] = v[kA];
  }
}

bool AnyMissing(const float v[4]) {
  for (int32_t k = 0; k < 4; ++k) {
    if (!(v[k] >= 0.0f)) return true;
  }
  return false;
}

void DrawMeridians(float u[4], float vD, int32_t n, int32_t column, int32_t wordAbove, int32_t wordBelow,
                   StrokeColumns* strokes) {
  int32_t k = n;
  const int32_t band = CellIndex(vD, n);
  if (!(vD >= 0.0f) || band < 1 || band >= n - 1) k = 2;
  // A corner off the map has no longitude: the cell has no meridian.
  if (AnyMissing(u)) return;
  int32_t index[4];
  for (int32_t q = 0; q < 4; ++q) index[q] = CellIndex(u[q], 2 * k);
  const int32_t lo = MinOf(index);
  if (lo < 0) return;
  if (MaxOf(index) - lo > k) {
    // The cell straddles the seam of u: bring the far side below 0.
    for (int32_t q = 0; q < 4; ++q) {
      if (index[q] > lo + k) {
        u[q] -= 1.0f;
        index[q] -= 2 * k;
      }
    }
  }
  const int32_t low = MinOf(index);
  const int32_t high = MaxOf(index);
  if (low == high) return;
  const float level = (0.5f / float(k)) * float(FloorHalf(low, high) + 1);
  DrawAntialiasedSegment(u[kD], u[kC], u[kB], u[kA], level, strokes, column, wordAbove, wordBelow, 1.0f);
}

void DrawParallels(const float v[4], int32_t n, int32_t column, int32_t wordAbove, int32_t wordBelow,
                   StrokeColumns* strokes) {
  if (AnyMissing(v)) return;
  int32_t index[4];
  for (int32_t q = 0; q < 4; ++q) index[q] = CellIndex(v[q], n);
  const int32_t low = MinOf(index);
  const int32_t high = MaxOf(index);
  if (low < 0 || low == high) return;
  const float level = (1.0f / float(n)) * float(FloorHalf(low, high) + 1);
  DrawAntialiasedSegment(v[kD], v[kC], v[kB], v[kA], level, strokes, column, wordAbove, wordBelow, 1.0f);
}

// The four corner mappings of the cell of `column`: D, C from the row above
// (parity 1 - p), B, A from this row (parity p).
void CellMappings(ColumnRecord* columns, int32_t column, int32_t parity, const PixelMapping* m[4]) {
  const int32_t p = parity & 1;
  m[kD] = &columns[column].mapping[1 - p];
  m[kC] = &columns[column + 1].mapping[1 - p];
  m[kB] = &columns[column].mapping[p];
  m[kA] = &columns[column + 1].mapping[p];
}

void AddSegment(Point p0, Point p1, StrokeColumns* strokes, int32_t column, int32_t wordAbove, int32_t wordBelow,
                float weight) {
  AddSegmentCoverage(p0.x, p0.y, p1.x, p1.y, strokes, column, wordAbove, wordBelow, weight);
}

}  // namespace

float& ColumnCoverWord(ColumnRecord& record, int32_t word) {
  const int32_t parity = word & 1;
  switch (word >> 1) {
    case 0: return record.gridCover[parity];
    case 1: return record.edgeCover[parity];
    default: return record.markCover[parity];
  }
}

int32_t GraticuleDivisions(int32_t grid2) {
  switch (grid2) {
    case 2: return 36;
    case 3: return 30;
    case 4: return 18;
    case 5: return 12;
    case 6: return 6;
    case 7: return 4;
    default: return 0;
  }
}

void AddSegmentCoverage(float x0, float y0, float x1, float y1, StrokeColumns* strokes, int32_t column,
                        int32_t wordAbove, int32_t wordBelow, float weight) {
  ColumnRecord* columns = Columns(strokes);
  if (columns == nullptr || column < 0 || column + 1 >= ColumnCapacity(strokes)) return;
  const float dx = x0 - x1;
  const float dy = y0 - y1;
  const float w = FastSqrtf(dx * dx + dy * dy) * weight;
  if (!(w > 0.0f)) return;
  const float mx = (x0 + x1) * 0.5f;
  const float my = (y0 + y1) * 0.5f;
  ColumnCoverWord(columns[column], wordAbove) += (1.0f - mx) * (1.0f - my) * w;
  ColumnCoverWord(columns[column + 1], wordAbove) += mx * (1.0f - my) * w;
  ColumnCoverWord(columns[column], wordBelow) += (1.0f - mx) * my * w;
  ColumnCoverWord(columns[column + 1], wordBelow) += mx * my * w;
}

void DrawAntialiasedSegment(float d, float c, float b, float a, float level, StrokeColumns* strokes, int32_t column,
                            int32_t wordAbove, int32_t wordBelow, float weight) {
  const float fill = a + 0.00001f;
  if (d == kMissingFraction) d = fill;
  if (c == kMissingFraction) c = fill;
  if (b == kMissingFraction) b = fill;
  int32_t index = (d >= level ? 1 : 0) + (c >= level ? 2 : 0) + (b >= level ? 4 : 0) + (a >= level ? 8 : 0);
  if (index == 15) index = (d > level ? 1 : 0) + (c > level ? 2 : 0) + (b > level ? 4 : 0) + (a > level ? 8 : 0);
  if (index == 0 || index == 15) return;
  const Point dc{CrossingFraction(d, c, level), 0.0f};
  const Point ba{CrossingFraction(b, a, level), 1.0f};
  const Point db{0.0f, CrossingFraction(d, b, level)};
  const Point ca{1.0f, CrossingFraction(c, a, level)};
  auto add = [&](Point p0, Point p1) { AddSegment(p0, p1, strokes, column, wordAbove, wordBelow, weight); };
  switch (index) {
    case 1: case 14: add(dc, db); break;
    case 2: case 13: add(dc, ca); break;
    case 3: case 12: add(db, ca); break;
    case 4: case 11: add(db, ba); break;
    case 5: case 10: add(dc, ba); break;
    case 7: case 8: add(ca, ba); break;
    case 6:
      add(dc, ca);
      add(db, ba);
      break;
    case 9:
      add(dc, db);
      add(ba, ca);
      break;
    default: break;
  }
}

void DrawGridStrokesColumn(float uD, float vD, float uC, float vC, float uB, float vB, float uA, float vA, int32_t row,
                           int32_t column, int32_t width, int32_t wordAbove, int32_t wordBelow,
                           StrokeColumns* strokes) {
  if (strokes == nullptr) return;
  const int32_t n = GraticuleDivisions(strokes->grid2);
  if (n == 0) return;
  float u[4] = {uD, uC, uB, uA};
  float v[4] = {vD, vC, vB, vA};
  ApplyBorderCorners(u, row, column, width);
  ApplyBorderCorners(v, row, column, width);
  // After the border rule corner D of the first column holds C's value.
  DrawMeridians(u, v[kD], n, column, wordAbove, wordBelow, strokes);
  DrawParallels(v, n, column, wordAbove, wordBelow, strokes);
}

void DrawGridColumns(StrokeColumns* strokes, int32_t row, int32_t width, int32_t parity) {
  ColumnRecord* columns = Columns(strokes);
  if (columns == nullptr || width < 1 || width + 1 > ColumnCapacity(strokes)) return;
  const int32_t wordAbove = kGridCoverWord + (row & 1);
  const int32_t wordBelow = kGridCoverWord + ((row - 1) & 1);
  for (int32_t c = 0; c < width; ++c) {
    const PixelMapping* m[4];
    CellMappings(columns, c, parity, m);
    DrawGridStrokesColumn(m[kD]->latU, m[kD]->latV, m[kC]->latU, m[kC]->latV, m[kB]->latU, m[kB]->latV, m[kA]->latU,
                          m[kA]->latV, row, c, width, wordAbove, wordBelow, strokes);
  }
}

void DrawMarkStrokesColumn(int32_t parity, int32_t /*row*/, int32_t column, int32_t /*width*/, int32_t wordAbove,
                           int32_t wordBelow, StrokeColumns* strokes, MappingContext* context, int32_t kind) {
  ColumnRecord* columns = Columns(strokes);
  if (columns == nullptr || context == nullptr || column < 0 || column + 1 >= ColumnCapacity(strokes)) return;
  const PixelMapping* m[4];
  CellMappings(columns, column, parity, m);
  if (kind == 1 && m[kA]->faceCentreInside == 0) return;
  const float level = kind == 0 ? kDotLevel : kFaceCentreLevel;
  const float weight = kind == 0 ? kDotWeight : kFaceCentreWeight;
  float value[4];
  bool empty[4];
  for (int32_t q = 0; q < 4; ++q) {
    value[q] = kind == 0 ? m[q]->dotDist : m[q]->faceCentreDist;
    const int32_t s = m[q]->status;
    empty[q] = context->contextMode == kBrickPreviewMode || s == kPixelOffMap || s == kPixelOffMapTab;
  }
  // An empty corner takes a neighbour's value; a corner filled earlier
  // counts with its new value.
  static constexpr int32_t kNeighbours[4][3] = {
      {kC, kB, kA},  // D
      {kD, kA, kB},  // C
      {kA, kD, kC},  // B
      {kB, kC, kD},  // A
  };
  for (int32_t q = 0; q < 4; ++q) {
    if (!empty[q]) continue;
    for (int32_t from : kNeighbours[q]) {
      if (!empty[from]) {
        value[q] = value[from];
        empty[q] = false;
        break;
      }
    }
  }
  if (empty[kD]) return;  // every corner is off the map
  const bool inside = value[kD] > level;
  bool differ = false;
  for (int32_t q = 1; q < 4; ++q) differ = differ || (value[q] > level) != inside;
  if (!differ) return;
  DrawAntialiasedSegment(value[kD], value[kC], value[kB], value[kA], level, strokes, column, wordAbove, wordBelow,
                         weight);
}

void DrawRegionEdges(const CornerSet* corners, StrokeColumns* strokes, int32_t column, int32_t wordAbove,
                     int32_t wordBelow, bool customNet) {
  if (corners == nullptr) return;
  int32_t sa = corners->status[CornerA];
  int32_t sb = corners->status[CornerB];
  int32_t sc = corners->status[CornerC];
  int32_t sd = corners->status[CornerD];
  if (customNet) {
    // Off the custom net counts as region 0.
    sa = std::max(sa, 0);
    sb = std::max(sb, 0);
    sc = std::max(sc, 0);
    sd = std::max(sd, 0);
  }
  const float t = corners->edgeTop;
  const float bo = corners->edgeBottom;
  const float l = corners->edgeLeft;
  const float r = corners->edgeRight;
  auto add = [&](Point p0, Point p1) { AddSegment(p0, p1, strokes, column, wordAbove, wordBelow, 1.0f); };
  const int32_t index = (sd != sa ? 1 : 0) + (sc != sa ? 2 : 0) + (sb != sa ? 4 : 0);
  switch (index) {
    case 1: add({0, l}, {t, 0}); break;
    case 2: add({t, 0}, {1, r}); break;
    case 3:
      add({0, l}, {1, r});
      if (sd != sc) add({t, (l + r) * 0.5f}, {t, 0});
      break;
    case 4: add({0, l}, {bo, 1}); break;
    case 5:
      add({t, 0}, {bo, 1});
      if (sd != sb) add({0, l}, {(t + bo) * 0.5f, l});
      break;
    case 6:
      add({0, l}, {bo, 1});
      add({t, 0}, {1, r});
      break;
    case 7:
      if (sd == sc && sc == sb) {
        add({bo, 1}, {1, r});
      } else if (sb == sc) {
        add({0, l}, {t, 0});
        add({bo, 1}, {1, r});
      } else if (sd == sc) {
        add({0, l}, {1, r});
        add({bo, (l + r) * 0.5f}, {bo, 1});
      } else if (sd == sb) {
        add({t, 0}, {bo, 1});
        add({(t + bo) * 0.5f, r}, {1, r});
      } else {
        add({t, 0}, {bo, 1});
        add({0, l}, {1, r});
      }
      break;
    default: break;
  }
}

