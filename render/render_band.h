// A band of the render: the state one thread needs to render consecutive
// output rows on its own. The settings of the run and the prepared mapping
// context are read once, on the thread that called the plug-in, into a
// RenderShare that the bands only read; each band keeps its own copy of the
// context, its own column records (the rolling window of two corner rows
// and the stroke coverage), its own face lists and dot cursor, its own
// lookup grid and projection caches. A band never touches the globals
// record, the settings block or the host: both may move between the host's
// calls while bands run. Net outputs keep their per-band state here too.
#pragma once

#include <cstdint>
#include <vector>

#include "host/globals_record.h"
#include "projection/mapping_context.h"
#include "render/band_scheduler.h"
#include "render/column_record.h"
#include "render/overlay_strokes.h"

// The settings a row's road reads, taken once per run.
struct RenderSettings {
  int32_t width = 0;   // output columns
  int32_t height = 0;  // output rows of the run
  int32_t zoom = 1;    // sampling scale and pan of the mapping
  int32_t panX = 0;
  int32_t panY = 0;
  float sharpness = 0;
  int32_t quality = 3;     // quality mode of the pixel renderer
  float strokeScale = 1;   // divides the stroke opacities (at least 1)
  int32_t grid2 = 1;
  bool grid = false;       // graticule
  bool marks = false;      // dots or face-centre markers
  bool faceCentres = false;
  bool edges = false;      // region edges
  bool customNet = false;  // output 355
  bool flatten = true;     // pixels are flattened onto the backdrop
  float backdrop[3] = {0, 0, 0};
};

// What every band of a run reads: the settings, the prepared context and
// copies of the image records it samples (the records themselves live in
// the globals, which may move; their pixels do not).
struct RenderShare {
  RenderSettings settings;
  MappingContext context;
  ImageRecord images[kSessionImageCount];  // 0 the source, 3..8 the cube faces
  ImageRecord target;                      // the run's target: its size is the output geometry
  int32_t warmRows = 0;                    // rows a band renders before its first row (see BeginBandRows)
};

// The carried state of the rows before a band: the level of detail the
// last footprint left and the nearest-dot cursor.
struct BandEntryState {
  float levelHint = 0;
  int32_t dotCursor = 0;
};

// The band's state at a point of its rows; unknown parts are those the band
// had not fixed yet (they are still what the rows before it left).
struct BandStateSnapshot {
  float levelHint = 0;
  int32_t dotCursor = 0;
  bool hintKnown = false;
  bool cursorKnown = false;
};

struct RenderBand {
  RenderShare* share = nullptr;
  MappingContext context;
  BandRecord band;  // face lists, dot cursor, span and row of the band's jobs
  std::vector<ColumnRecord> columns;
  StrokeColumns strokes;
  ImageRecord lookupGrid;
  float outputCache[401];
  float mollweideCache[400];
  DotCursorWatch dotWatch;
  // Taken at the start of row snapshotRow (when it is rendered).
  int32_t snapshotRow = -1;
  BandStateSnapshot snapshot;
};

// Rows rendered before a band's first row: what the first row reads of the
// rows above it (the stroke coverage of the overlays, the dot cursor).
int32_t BandWarmRows(const RenderSettings& settings, const MappingContext& context);

// A band for the share's run. Made and freed on the calling thread (its
// lookup grid and caches are filled here).
RenderBand* NewRenderBand(RenderShare* share);
void FreeRenderBand(RenderBand* band);

// Readies the band to render rows from firstRow on: maps corner row
// firstRow - warm - 1, then renders the `warm` rows before firstRow without
// keeping them. With an entry state the carried state is set after that
// first corner row; without one it is unknown and watched (the level hint
// and the dot cursor), so that the caller can check the rows afterwards.
void BeginBandRows(RenderBand* band, int32_t firstRow, int32_t warm, const BandEntryState* entry);
// Renders output row `row` (the row after the last one rendered) into
// `out` (4 floats a pixel), or into the column records' pixel words when
// out is null.
void RenderBandRow(RenderBand* band, int32_t row, float* out);

// Jobs 0 and 1 of the band scheduler on a render band: the corners of the
// band's row; its pixels into `out`, or the column records' pixel words.
void MapRowCorners(RenderBand* band);
void RenderRowPixels(RenderBand* band, float* out);
