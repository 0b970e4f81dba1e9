// JPEG streams of image records: the thumbnails' codec for the images of the
// exports and of the dialog.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "settings/file_primitives.h"
#include "settings/jpeg_memory.h"

struct ImageRecord;

// Level 0 of `image` over the size of `rect` (from pixel 0, 0) as a stream of
// at least 16 x 16 pixels; red, green and blue are clamped to 0..1, times 255,
// truncated. Coordinates past the image repeat its edge.
int16_t EncodeJpegToBlock(const ImageRecord* image, const Rect* rect, uint8_t* block, int32_t capacity,
                          int32_t quality, bool standardTables, int32_t* byteCountOut, uint32_t iccSize,
                          const uint8_t* iccData, const JpegMarkerBlock* iptc, const JpegMarkerBlock* exif);
// A stream into level 0 of `image`; streams larger than `rect` are refused.
int16_t DecodeJpegBlock(ImageRecord* image, const Rect* rect, const uint8_t* block, int32_t size);

// Writes `image` as a JPEG at `quality` with an optional profile and
// metadata, preceded by the block header (flag 1, stream width and height,
// byte count) when `writeHeader`. 1: no image; 2: an image without pixels.
// When there is no memory for the stream or it cannot be made, the header
// variant writes the flag 0 and answers 0.
int16_t WriteJpegBlock(const ImageRecord* image, FileHandle handle, bool writeHeader, int32_t quality,
                       uint32_t iccSize, const uint8_t* iccData, const JpegMarkerBlock* iptc,
                       const JpegMarkerBlock* exif);
