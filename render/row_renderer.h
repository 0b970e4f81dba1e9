// The row renderer: one output row per call. The rows themselves are
// rendered by bands (render_band.h) through the row pipeline
// (row_pipeline.h): on worker threads ahead of the caller, or on the
// calling thread when the render uses one thread. Each band keeps a rolling
// window of two rows of pixel corners in its column records, so that every
// corner is mapped through the projection once; from the four corners of a
// pixel it renders the pixel, lays the overlay strokes over it and flattens
// it onto the backdrop. This file hands the finished row to the compositor
// on the calling thread.
#pragma once

#include <cstdint>

struct GlobalsRecord;

// Renders output row `currentRow` of the run's target and hands its pixels
// to the compositor; -108 in the result word when the host's inData or
// outData is missing. Row 0 starts the run's pipeline, the last row stops it.
void RenderOutputRow(GlobalsRecord* globals);
