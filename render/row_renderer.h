// The row renderer: one output row per call. It keeps a rolling window of two
// rows of pixel corners in the column records, so that every corner is
// mapped through the projection once; from the four corners of a pixel it
// renders the pixel, lays the overlay strokes over it, flattens it onto the
// backdrop and hands it to the compositor.
#pragma once

#include <cstdint>

struct BandRecord;
struct GlobalsRecord;
struct ImageRecord;
struct MappingContext;

// Contexts the renderer keeps; a render uses the first.
constexpr int32_t kRenderContextCount = 1;

// Renders output row `currentRow` of the run's target and hands its pixels
// to the compositor; -108 in the result word when the host's inData or
// outData is missing.
void RenderOutputRow(GlobalsRecord* globals);
// Job 0 of the band scheduler: maps the corners of the band's row.
void MapRowCorners(BandRecord* band);
// Job 1 of the band scheduler: renders the pixels of the band's row.
void RenderRowPixels(BandRecord* band);

// At row 0: prepares the contexts and maps corner row -1.
void PrepareRenderContexts(GlobalsRecord* globals, MappingContext* contexts, int32_t count, ImageRecord* target);
// Maps corner row `row` (mode 0).
void MapAndRunRow(GlobalsRecord* globals, MappingContext* context, int32_t row, ImageRecord* target, int32_t mode);
// The renderer's contexts.
MappingContext* RenderContexts();
