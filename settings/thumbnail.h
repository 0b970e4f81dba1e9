// The 128 x 128 picture that every settings file carries, and its two blocks
// in the file: the JPEG thumbnail block and the legacy block of raw pixels
// that older files hold.
#pragma once

#include <cstdint>

#include "settings/file_primitives.h"
#include "settings/jpeg_memory.h"

constexpr int32_t kThumbnailSide = 128;
// The largest JPEG stream a thumbnail block may hold.
constexpr int32_t kThumbnailBlockBytes = 49152;
constexpr int32_t kThumbnailQuality = 80;

// Results of the block readers beyond the file primitives' codes: the block
// cannot be a thumbnail block (negative sizes or flag, a legacy side whose
// pixels no file could hold), so the bytes after it cannot be found.
constexpr int16_t kThumbnailCorrupt = 97;

// The thumbnail picture (8-bit red, green, blue, alpha bytes) with the size
// of the last picture read from a file (0..128 each).
struct SettingsThumbnail {
  bool exists;  // false: there is no thumbnail picture to fill or write
  uint8_t rgba[kThumbnailSide * kThumbnailSide * 4];
  int32_t pictureWidth;
  int32_t pictureHeight;
  uint32_t iccSize;  // the host's colour profile, when it offers one
  const uint8_t* iccData;
};

void InitSettingsThumbnail(SettingsThumbnail* thumbnail);
// Row y (0 at the top) becomes grey 255 - y with full alpha.
void PaintThumbnailBackground(SettingsThumbnail* thumbnail);
// The thumbnail into `image` / `image` into the thumbnail, scaled to fit.
void CopyThumbnailToImage(const SettingsThumbnail* thumbnail, PixelRaster* image);
void CopyImageToThumbnail(SettingsThumbnail* thumbnail, const PixelRaster* image);

// Writes `image` as a JPEG, with the block header (flag 1, stream width and
// height, byte count) when `writeHeader`. When the image cannot be encoded
// into `limit` bytes (or there is no codec) the header variant writes the
// flag 0 instead, so the file stays readable. A limit of 0 means the work
// block's own size.
int16_t WriteJpegBlock(const PixelRaster* image, FileHandle handle, bool writeHeader, int32_t quality,
                       uint32_t iccSize, const uint8_t* iccData, const JpegMarkerBlock* iptc,
                       const JpegMarkerBlock* exif, int32_t limit = 0);
// The thumbnail at width x height through WriteJpegBlock; the header variant
// (the settings file's) caps the stream at kThumbnailBlockBytes and carries
// no colour profile. Without a thumbnail writes the flag 0 (with a header).
int16_t WriteSettingsThumbnail(const SettingsThumbnail* thumbnail, FileHandle handle, bool writeHeader,
                               int32_t width, int32_t height, int32_t quality, const JpegMarkerBlock* iptc,
                               const JpegMarkerBlock* exif);
int16_t WriteNoThumbnail(FileHandle handle);

// Reads a thumbnail block into `thumbnail` (which may be null: the block is
// then read through). Answers 0, a read failure (-19, the file ended) or
// kThumbnailCorrupt; *hasPicture is 1 when a picture was decoded. A stream
// that does not decode into its picture is passed over (answer 0, no
// picture, the thumbnail as it was): the file's settings do not depend on it.
int16_t ReadSettingsThumbnail(SettingsThumbnail* thumbnail, FileHandle handle, uint8_t* hasPicture);
// The legacy block of raw pixels, with the same answers. A side above 128
// is stored as 128 and its pixels are passed over without a picture.
int16_t ReadLegacyThumbnail(SettingsThumbnail* thumbnail, FileHandle handle, uint8_t* hasPicture);
