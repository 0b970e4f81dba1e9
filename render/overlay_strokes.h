// Line overlays of the row renderer: the graticule, the outlines of the
// indicatrix dots and face-centre markers, and the edges between regions.
// Each is the iso-line of a value known at every pixel corner (longitude,
// latitude, a dot value, a region id), found per cell of four corners by
// marching squares and splatted, weighted by its length, into the coverage
// words of the column records. Also the two colour blends that apply the
// coverage to a pixel.
//
// Cell corners: D (left, row above) = (0, 0), C (right, row above) = (1, 0),
// B (left, this row) = (0, 1), A (right, this row) = (1, 1). For the cell of
// output column c a splat at x = 0 goes to record c, at x = 1 to record c + 1.
#pragma once

#include <cstdint>

struct ColumnRecord;
struct CornerSet;
struct MappingContext;

// Coverage words of a column record, by parity: graticule 0/1, region edges
// 2/3, marks 4/5.
constexpr int32_t kGridCoverWord = 0;
constexpr int32_t kEdgeCoverWord = 2;
constexpr int32_t kMarkCoverWord = 4;

// Latitude/longitude fractions below 0 are the mapping's "not on the map".
constexpr float kMissingFraction = -2.0f;

// The column records the strokes splat into (a band's own), and the
// graticule setting of the run.
struct StrokeColumns {
  ColumnRecord* records = nullptr;
  int32_t count = 0;  // records that may be written
  int32_t grid2 = 1;
};

// Coverage word `word` (0..5) of a record.
float& ColumnCoverWord(ColumnRecord& record, int32_t word);

// Graticule divisions of the half turn for a grid2 setting: 2 -> 36 (5
// degrees), 3 -> 30, 4 -> 18, 5 -> 12, 6 -> 6, 7 -> 4; 0 draws nothing.
int32_t GraticuleDivisions(int32_t grid2);

void AddSegmentCoverage(float x0, float y0, float x1, float y1, StrokeColumns* strokes, int32_t column,
                        int32_t wordAbove, int32_t wordBelow, float weight);
// Marching squares on the corner values D, C, B, A at `level`.
void DrawAntialiasedSegment(float d, float c, float b, float a, float level, StrokeColumns* strokes, int32_t column,
                            int32_t wordAbove, int32_t wordBelow, float weight);

// The graticule pass over corner row `row` of a target `width` wide; parity
// is the context parity of that row.
void DrawGridColumns(StrokeColumns* strokes, int32_t row, int32_t width, int32_t parity);
void DrawGridStrokesColumn(float uD, float vD, float uC, float vC, float uB, float vB, float uA, float vA, int32_t row,
                           int32_t column, int32_t width, int32_t wordAbove, int32_t wordBelow, StrokeColumns* strokes);

// Kind 0: the outlines of the indicatrix dots; kind 1: the face-centre marks.
void DrawMarkStrokesColumn(int32_t parity, int32_t row, int32_t column, int32_t width, int32_t wordAbove,
                           int32_t wordBelow, StrokeColumns* strokes, MappingContext* context, int32_t kind);

// The region edges of one pixel, from the corner set the pixel renderer left.
void DrawRegionEdges(const CornerSet* corners, StrokeColumns* strokes, int32_t column, int32_t wordAbove,
                     int32_t wordBelow, bool customNet);

// s over d, into d (inline: every pixel of a flattened render takes one).
inline void CompositeOver(const float s[4], float d[4]) {
  if (!(s[3] > 0.0f)) return;
  const float k = s[3] / (d[3] + s[3] - d[3] * s[3]);
  for (int32_t c = 0; c < 3; ++c) d[c] += (s[c] - d[c]) * k;
  d[3] = (1.0f - d[3]) * s[3] + d[3];
}

// s onto d keeping d's alpha.
inline void BlendColourKeepAlpha(const float s[4], float d[4]) {
  if (!(s[3] > 0.0f)) return;
  for (int32_t c = 0; c < 3; ++c) d[c] += (s[c] - d[c]) * s[3];
}
