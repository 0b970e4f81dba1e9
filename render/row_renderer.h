// The row renderer's entries that the render run and the band scheduler call.
#pragma once

struct BandRecord;
struct GlobalsRecord;

// Renders output row `currentRow` of the run's target and hands its pixels
// to the compositor; -108 in the result word when the host's inData or
// outData is missing.
void RenderOutputRow(GlobalsRecord* globals);
// Job 0 of the band scheduler: maps the corners of the band's row.
void MapRowCorners(BandRecord* band);
// Job 1 of the band scheduler: renders the pixels of the band's row.
void RenderRowPixels(BandRecord* band);
