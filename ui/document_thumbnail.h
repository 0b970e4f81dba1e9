// The picture of the document that a settings file or memory dot carries:
// the largest centred square of the filter area, read from the host and
// scaled into the globals' 128 x 128 thumbnail image.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "settings/jpeg_memory.h"

struct GlobalsRecord;

// The host's input buffer over `rect` (relative to the delivered input) into
// `image` (8-bit red, green, blue, alpha; at least rect's size) at 0, 0 with
// alpha 255. 16-bit samples (0..32768) become min(((v + 1) >> 7) & 511, 255),
// floats their square-root byte; fewer than 3 planes give grey.
void ConvertHostImageToRgb8(const GlobalsRecord* globals, const Rect& rect, PixelRaster* image);

// Makes the thumbnail from the host's image; nothing without a thumbnail
// image or advanceState. The host's rectangles (and so a preview's input)
// are asked for again as they were.
void MakeDocumentThumbnail(GlobalsRecord* globals);
