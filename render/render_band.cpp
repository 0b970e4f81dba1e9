#include "render/render_band.h"

#include <cstring>

#include "image/image_record.h"
#include "projection/input_projections.h"
#include "projection/lookup_grid.h"
#include "projection/output_pixel.h"
#include "render/globe_shading.h"
#include "render/pixel_renderer.h"

namespace {

constexpr float kEmptyCacheKey = 999.0f;
constexpr int32_t kRenderContextCount = 1;

float Clamp01(float v) {
  if (!(v > 0.0f)) return 0.0f;
  return v > 1.0f ? 1.0f : v;
}

// Coverage word `word` (0..5) of records 0..width.
void ClearCoverage(RenderBand* band, int32_t word) {
  const int32_t width = band->share->settings.width;
  for (int32_t k = 0; k <= width; ++k) ColumnCoverWord(band->columns[size_t(k)], word) = 0.0f;
}

// Both row parities of every corner record start off the map.
void ResetColumns(RenderBand* band) {
  for (ColumnRecord& record : band->columns) {
    for (PixelMapping& mapping : record.mapping) {
      std::memset(&mapping, 0, sizeof mapping);
      mapping.status = kPixelOffMap;
      mapping.inputFace = -1;
    }
  }
}

// The band's copy of the prepared context, pointed at the band's own
// records and at the share's images.
void CopyContext(RenderBand* band) {
  RenderShare* share = band->share;
  band->context = share->context;
  MappingContext& context = band->context;
  context.sourceImage = &share->images[0];
  context.lookupGrid = &band->lookupGrid;
  context.columnRecords = band->columns.data();
  context.outputCache = band->outputCache;
  context.mollweideCache = band->mollweideCache;
  context.contextIndex = 0;
  context.rowSlot = 0;
  context.levelHint = 0;
  context.levelHintPending = 0;
  context.levelHintUnknown = 0;
  context.levelHintReadUnknown = 0;
  context.dotWatch = nullptr;
}

void ResetLists(RenderBand* band) {
  BandRecord& jobs = band->band;
  jobs.outputFaceList = &jobs.outputFaces;
  jobs.inputFaceList = &jobs.inputFaces;
  const BandLists lists{&jobs.outputFaces, &jobs.inputFaces, &jobs.nearestDot};
  ResetBandLists(&band->context, &lists);
  jobs.bandCount = 1;
  jobs.bandIndex = 0;
  jobs.owner = nullptr;  // a band never reaches the globals
  jobs.target = &band->share->target;
  jobs.jobArgs = &band->context;
  jobs.renderBand = band;
}

// Maps corner row `row` into the parity the toggle gives it.
void MapCornerRow(RenderBand* band, int32_t row) {
  const RenderSettings& s = band->share->settings;
  BandRecord& jobs = band->band;
  jobs.firstColumn = -1;
  jobs.lastColumn = s.width - 1;
  jobs.rangeFirst = -1;
  jobs.rangeLast = s.width - 1;
  jobs.jobCode = JobMapCorners;
  jobs.row = row;
  band->context.rowSlot ^= 1;
  PrepareRowFaceListsForBands(&band->context, row, s.zoom, s.panX, s.panY, &jobs, 1);
  WarmLookupGridsFor(&band->context, &jobs.outputFaces);
  jobs.status = -1;
  MapRowCorners(band);
}

void TakeSnapshot(RenderBand* band) {
  BandStateSnapshot& snap = band->snapshot;
  snap.levelHint = SettledLevelHint(&band->context);
  snap.hintKnown = band->context.levelHintUnknown == 0;
  snap.dotCursor = band->band.nearestDot;
  snap.cursorKnown = band->context.dotWatch == nullptr || band->dotWatch.unknown == 0;
}

}  // namespace

int32_t BandWarmRows(const RenderSettings& settings, const MappingContext& context) {
  // The dot cursor of corner row first - 2 is carried by pixel row first - 2.
  if (settings.marks && context.dotOverlay) return 2;
  if (settings.grid || settings.marks || settings.edges) return 1;
  // Inputs with several sub-images or places without source split pixels
  // in every row, and a split pixel's samples may read the level hint: a
  // row rendered first leaves it known.
  if (!InputKeepsStatus(context.inputProjection)) return 1;
  return 0;
}

RenderBand* NewRenderBand(RenderShare* share) {
  auto* band = new RenderBand();
  band->share = share;
  band->columns.assign(size_t(share->settings.width) + 2, ColumnRecord{});
  band->strokes = StrokeColumns{band->columns.data(), int32_t(band->columns.size()), share->settings.grid2};
  // The band's own lookup grid, on the global heap (never the host's
  // buffers: a band may load a table on a worker thread).
  InitImageRecord(&band->lookupGrid, nullptr, nullptr);
  CreateImageRecord(&band->lookupGrid, kLookupGridSize, kLookupGridSize, PixelRgbaFloat, 0, 0);
  band->outputCache[0] = kEmptyCacheKey;
  band->mollweideCache[0] = kEmptyCacheKey;
  std::memset(&band->dotWatch, 0, sizeof band->dotWatch);
  CopyContext(band);
  ResetLists(band);
  // Tables and caches the output reads are loaded here, on the calling
  // thread, before the band renders anything.
  WarmLookupGridsFor(&band->context, &band->band.outputFaces);
  return band;
}

void FreeRenderBand(RenderBand* band) {
  if (band == nullptr) return;
  FreeImageRecord(&band->lookupGrid);
  delete band;
}

void BeginBandRows(RenderBand* band, int32_t firstRow, int32_t warm, const BandEntryState* entry) {
  if (warm > firstRow) warm = firstRow;
  const int32_t start = firstRow - warm;
  CopyContext(band);
  ResetLists(band);
  ResetColumns(band);
  band->snapshotRow = -1;
  // Corner row start - 1 takes parity (start - 1) & 1 after the toggle.
  band->context.rowSlot = start & 1;
  for (int32_t word = 0; word < 6; ++word) ClearCoverage(band, word);
  MapCornerRow(band, start - 1);
  if (entry != nullptr) {
    band->context.levelHint = entry->levelHint;
    band->context.levelHintPending = 0;
    band->band.nearestDot = entry->dotCursor;
  } else {
    band->context.levelHint = 0;
    band->context.levelHintPending = 0;
    band->context.levelHintUnknown = 1;
    if (band->context.dotOverlay) {
      std::memset(&band->dotWatch, 0, sizeof band->dotWatch);
      band->dotWatch.unknown = 1;
      band->context.dotWatch = &band->dotWatch;
    }
  }
  for (int32_t row = start; row < firstRow; ++row) RenderBandRow(band, row, nullptr);
  // What the rows kept read of an unknown level hint counts from here.
  band->context.levelHintReadUnknown = 0;
}

void RenderBandRow(RenderBand* band, int32_t row, float* out) {
  if (row == band->snapshotRow) TakeSnapshot(band);
  const RenderSettings& s = band->share->settings;
  MappingContext& context = band->context;
  MapCornerRow(band, row);
  const int32_t width = s.width;
  const int32_t above = (row - 1) & 1;
  const int32_t parity = context.rowSlot & 1;
  if (s.grid) {
    ClearCoverage(band, kGridCoverWord + above);
    DrawGridColumns(&band->strokes, row, width, parity);
  }
  if (context.keepRegions) ClearCoverage(band, kEdgeCoverWord + above);
  if (context.dotOverlay || context.faceCentreOverlay) {
    ClearCoverage(band, kMarkCoverWord + above);
    for (int32_t c = 0; c < width; ++c) {
      DrawMarkStrokesColumn(parity, row, c, width, kMarkCoverWord + (row & 1), kMarkCoverWord + above, &band->strokes,
                            &context, 0);
      if (s.faceCentres) {
        DrawMarkStrokesColumn(parity, row, c, width, kMarkCoverWord + (row & 1), kMarkCoverWord + above,
                              &band->strokes, &context, 1);
      }
    }
  }
  band->band.firstColumn = 0;
  band->band.lastColumn = width - 1;
  band->band.rangeFirst = 0;
  band->band.rangeLast = width - 1;
  band->band.jobCode = JobRenderPixels;
  band->band.row = row;
  band->band.status = -1;
  RenderRowPixels(band, out);
}

void MapRowCorners(RenderBand* band) {
  BandRecord& jobs = band->band;
  const RenderSettings& s = band->share->settings;
  MappingContext* context = &band->context;
  const int32_t p = context->rowSlot & 1;
  const float row = float(jobs.row);
  for (int32_t c = jobs.firstColumn; c <= jobs.lastColumn; ++c) {
    ColumnRecord& record = band->columns[size_t(c + 1)];
    record.cornerX[p] = float(c);
    record.cornerY[p] = row;
    PixelMapping& mapping = record.mapping[p];
    MapOutputPixel(float(c), row, s.zoom, s.panX, s.panY, jobs.target, context, &mapping, &jobs);
    const bool outside = mapping.srcX < 0.0f || mapping.srcX > 1.0f || mapping.srcY < 0.0f || mapping.srcY > 1.0f;
    record.outside[p] = outside ? 1.0f : 0.0f;
  }
}

void RenderRowPixels(RenderBand* band, float* out) {
  const RenderSettings& s = band->share->settings;
  BandRecord& jobs = band->band;
  ColumnRecord* columns = band->columns.data();
  MappingContext* contexts = &band->context;
  const MappingContext& context = band->context;
  const int32_t row = jobs.row;
  const int32_t p = row & 1;
  const int32_t above = (row - 1) & 1;
  const bool marks = context.dotOverlay != 0 || context.faceCentreOverlay != 0;
  const bool edges = context.keepRegions != 0;
  CornerSet corners{};
  for (int32_t c = jobs.firstColumn; c <= jobs.lastColumn; ++c) {
    float pixel[4];
    RenderPixelFromCorners(pixel, s.sharpness, jobs.target, columns, c, row, p, contexts, s.quality,
                           kRenderContextCount, &corners, band);
    if (s.grid) {
      const float k = Clamp01(columns[c + 1].gridCover[p]);
      const float ink[4] = {0, 0, 0, k * 0.5f / s.strokeScale};
      BlendColourKeepAlpha(ink, pixel);
    }
    if (marks) {
      const float ink[4] = {0, 0, 0, Clamp01(columns[c + 1].markCover[p])};
      BlendColourKeepAlpha(ink, pixel);
    }
    if (edges) {
      DrawRegionEdges(&corners, &band->strokes, c, kEdgeCoverWord + p, kEdgeCoverWord + above, s.customNet);
      const float ink[4] = {0, 0, 0, Clamp01(columns[c].edgeCover[p]) / s.strokeScale};
      CompositeOver(ink, pixel);
    }
    if (s.flatten) {
      float backdrop[4] = {s.backdrop[0], s.backdrop[1], s.backdrop[2], 1.0f};
      CompositeOver(pixel, backdrop);
      for (int32_t q = 0; q < 4; ++q) pixel[q] = backdrop[q];
    }
    float* o = out != nullptr ? out + 4 * int64_t(c) : columns[c].pixel;
    for (int32_t q = 0; q < 4; ++q) o[q] = pixel[q];
  }
}
