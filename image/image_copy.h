// Whole-image and rectangle operations: tile copies between twin records,
// level and rectangle copies through the float accessors, scaled copies,
// and the test pattern.
#pragma once

#include <cstdint>

#include "image/image_record.h"

// Copies every level's pixels when the two records have the same geometry;
// otherwise does nothing.
void CopyImageTiles(const ImageRecord* source, ImageRecord* destination);
// Copies the overlap of two levels of records in the same pixel mode.
void CopyImageLevel(const ImageRecord* source, ImageRecord* destination, int32_t sourceLevel,
                    int32_t destinationLevel);
// Copies `rect` of the source's level to (dx, dy) of the destination's level.
void CopyImageRect(const ImageRecord* source, const Rect* rect, ImageRecord* destination, int32_t dx, int32_t dy,
                   int32_t level);
// Makes the destination a picture of the source at its own size, then builds its levels.
void CopyImageScaled(const ImageRecord* source, ImageRecord* destination);
// Fills destinationRect of the destination's level 0 (a PixelRgba8 record)
// with filtered, opaque samples of sourceRect, then builds its levels.
void DownsampleImageTrilinear(const ImageRecord* source, ImageRecord* destination, const Rect* sourceRect,
                              const Rect* destinationRect, float bias);
void FillTestPattern(ImageRecord* image);
