#include "settings/thumbnail.h"

#include "image/filter_tables.h"
#include "image/image_copy.h"
#include "image/image_record.h"
#include "image/level_building.h"
#include "image/pixel_access.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

PixelRaster ThumbnailRaster(SettingsThumbnail* thumbnail) {
  return {kThumbnailSide, kThumbnailSide, 4, thumbnail->rgba};
}

// The Lanczos tables of the thumbnail's image records, built once.
const FilterTables* ThumbnailFilterTables() {
  static const FilterTables* tables = [] {
    static FilterTables built;
    BuildLanczosFilterTable(&built);
    return &built;
  }();
  return tables;
}

// An 8-bit RGBA image record holding a raster (grey rasters as grey RGB).
bool RasterToImage(const PixelRaster* raster, ImageRecord* image) {
  InitImageRecord(image, nullptr, ThumbnailFilterTables());
  if (!CreateImage(image, raster->width, raster->height, PixelRgba8, FetchClamp)) return false;
  for (int32_t y = 0; y < raster->height; ++y) {
    for (int32_t x = 0; x < raster->width; ++x) {
      const uint8_t* s = raster->pixels + (size_t(y) * size_t(raster->width) + size_t(x)) * size_t(raster->channels);
      if (raster->channels == 4) {
        PutPixelRgba8(x, y, image, 0, s[0], s[1], s[2], s[3]);
      } else {
        PutPixelRgba8(x, y, image, 0, s[0], s[0], s[0], 255);
      }
    }
  }
  BuildAllLevels(image);
  return true;
}

// A filtered scaled copy of one raster into another (CopyImageScaled of the
// image module); an exact copy at equal sizes. Grey targets take the
// luminance.
void ScaleRaster(const PixelRaster* from, PixelRaster* to) {
  ImageRecord source;
  ImageRecord target;
  const bool made = RasterToImage(from, &source);
  InitImageRecord(&target, nullptr, ThumbnailFilterTables());
  if (made && CreateImage(&target, to->width, to->height, PixelRgba8, FetchClamp)) {
    CopyImageScaled(&source, &target);
    for (int32_t y = 0; y < to->height; ++y) {
      for (int32_t x = 0; x < to->width; ++x) {
        uint32_t r = 0, g = 0, b = 0, a = 0;
        GetPixelRgba(x, y, &target, 0, &r, &g, &b, &a);
        uint8_t* d = to->pixels + (size_t(y) * size_t(to->width) + size_t(x)) * size_t(to->channels);
        if (to->channels == 4) {
          d[0] = uint8_t(r);
          d[1] = uint8_t(g);
          d[2] = uint8_t(b);
          d[3] = uint8_t(a);
        } else {
          d[0] = uint8_t((77 * r + 150 * g + 28 * b) >> 8);
        }
      }
    }
  }
  FreeImageRecord(&target);
  if (made) FreeImageRecord(&source);
}

bool RasterHasPixels(const PixelRaster* image) {
  return image != nullptr && image->pixels != nullptr && image->width > 0 && image->height > 0;
}

}  // namespace

void InitSettingsThumbnail(SettingsThumbnail* thumbnail) {
  std::memset(thumbnail, 0, sizeof *thumbnail);
  thumbnail->exists = true;
  PaintThumbnailBackground(thumbnail);
}

void PaintThumbnailBackground(SettingsThumbnail* thumbnail) {
  if (thumbnail == nullptr || !thumbnail->exists) return;
  for (int32_t y = 0; y < kThumbnailSide; ++y) {
    uint8_t grey = uint8_t(255 - y);
    for (int32_t x = 0; x < kThumbnailSide; ++x) {
      uint8_t* p = &thumbnail->rgba[size_t(y * kThumbnailSide + x) * 4];
      p[0] = p[1] = p[2] = grey;
      p[3] = 255;
    }
  }
}

void CopyThumbnailToImage(const SettingsThumbnail* thumbnail, PixelRaster* image) {
  if (thumbnail == nullptr || !thumbnail->exists || !RasterHasPixels(image)) return;
  PixelRaster from = {kThumbnailSide, kThumbnailSide, 4, const_cast<uint8_t*>(thumbnail->rgba)};
  ScaleRaster(&from, image);
}

void CopyImageToThumbnail(SettingsThumbnail* thumbnail, const PixelRaster* image) {
  if (thumbnail == nullptr || !thumbnail->exists || !RasterHasPixels(image)) return;
  PixelRaster to = ThumbnailRaster(thumbnail);
  ScaleRaster(image, &to);
}

int16_t WriteJpegBlock(const PixelRaster* image, FileHandle handle, bool writeHeader, int32_t quality,
                       uint32_t iccSize, const uint8_t* iccData, const JpegMarkerBlock* iptc,
                       const JpegMarkerBlock* exif, int32_t limit) {
  if (image == nullptr) return 1;
  if (image->pixels == nullptr) return 2;
  int32_t streamWidth = image->width < 16 ? 16 : image->width;
  int32_t streamHeight = image->height < 16 ? 16 : image->height;
  int64_t workBytes = int64_t(streamWidth) * streamHeight * 6 + (iccData != nullptr ? iccSize : 0) + 2 * 65536;
  if (limit > 0 && workBytes > limit) workBytes = limit;
  std::vector<uint8_t> block;
  int32_t count = 0;
  int16_t encoded = kJpegNoCodec;
  if (workBytes <= INT32_MAX) {
    block.resize(size_t(workBytes));
    encoded = EncodeJpegToBlock(image, block.data(), int32_t(workBytes), quality, false, &count, iccSize, iccData,
                                iptc, exif);
  }
  if (encoded != kJpegOk) {
    // Nothing usable to store: the block says "no picture".
    return writeHeader ? WriteInt32BE(0, handle) : kFileWriteFailed;
  }
  if (writeHeader) {
    WriteInt32BE(1, handle);
    WriteInt32BE(streamWidth, handle);
    WriteInt32BE(streamHeight, handle);
    WriteInt32BE(count, handle);
  }
  return WriteBlock(handle, &count, block.data());
}

int16_t WriteSettingsThumbnail(const SettingsThumbnail* thumbnail, FileHandle handle, bool writeHeader,
                               int32_t width, int32_t height, int32_t quality, const JpegMarkerBlock* iptc,
                               const JpegMarkerBlock* exif) {
  if (thumbnail == nullptr || !thumbnail->exists || width < 1 || height < 1 || width > 4096 || height > 4096) {
    return writeHeader ? WriteInt32BE(0, handle) : kFileOk;
  }
  std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
  PixelRaster image = {width, height, 4, pixels.data()};
  CopyThumbnailToImage(thumbnail, &image);
  if (writeHeader) {
    return WriteJpegBlock(&image, handle, true, quality, 0, nullptr, iptc, exif, kThumbnailBlockBytes);
  }
  return WriteJpegBlock(&image, handle, false, quality, thumbnail->iccSize, thumbnail->iccData, iptc, exif);
}

int16_t WriteNoThumbnail(FileHandle handle) { return WriteInt32BE(0, handle); }

int16_t ReadSettingsThumbnail(SettingsThumbnail* thumbnail, FileHandle handle, uint8_t* hasPicture) {
  *hasPicture = 0;
  if (thumbnail != nullptr) thumbnail->pictureWidth = thumbnail->pictureHeight = 0;
  int32_t flag = 0, width = 0, height = 0, count = 0;
  int16_t status = ReadInt32BE(&flag, handle);
  if (status != kFileOk || flag == 0) return status;
  if (flag < 0) return kThumbnailCorrupt;
  if ((status = ReadInt32BE(&width, handle)) != kFileOk) return status;
  if ((status = ReadInt32BE(&height, handle)) != kFileOk) return status;
  if ((status = ReadInt32BE(&count, handle)) != kFileOk) return status;
  if (count < 0) return kThumbnailCorrupt;
  width = Clamp(width, 0, kThumbnailSide);
  height = Clamp(height, 0, kThumbnailSide);
  if (thumbnail != nullptr) {
    thumbnail->pictureWidth = width;
    thumbnail->pictureHeight = height;
  }
  bool decodable = flag == 1 && thumbnail != nullptr && thumbnail->exists && width > 0 && height > 0 &&
                   count <= kThumbnailBlockBytes && JpegCodecAvailable();
  if (!decodable) return SkipBytes(count, handle);

  std::vector<uint8_t> block(static_cast<size_t>(count));
  int32_t moved = count;
  if (count > 0 && (status = ReadBlock(handle, &moved, block.data())) != kFileOk) return status;
  std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4, 0);
  PixelRaster picture = {width, height, 4, pixels.data()};
  // A stream that does not decode into its picture (damaged, or wider than
  // the block says) costs only the picture: the block has been read through
  // and the settings after it are read as usual.
  if (DecodeJpegBlock(&picture, block.data(), count) != kJpegOk) return kFileOk;
  CopyImageToThumbnail(thumbnail, &picture);
  *hasPicture = 1;
  return kFileOk;
}

int16_t ReadLegacyThumbnail(SettingsThumbnail* thumbnail, FileHandle handle, uint8_t* hasPicture) {
  *hasPicture = 0;
  if (thumbnail != nullptr) thumbnail->pictureWidth = thumbnail->pictureHeight = 0;
  int32_t flag = 0, side = 0, count = 0;
  int16_t status = ReadInt32BE(&flag, handle);
  if (status != kFileOk || flag == 0) return status;
  if ((status = ReadInt32BE(&side, handle)) != kFileOk) return status;
  if ((status = ReadInt32BE(&count, handle)) != kFileOk) return status;
  // The pixels follow at the side given. A side above 128 is more than the
  // picture holds: its pixels are passed over and only the picture is lost.
  const int32_t clamped = Clamp(side, 0, kThumbnailSide);
  if (thumbnail != nullptr) thumbnail->pictureWidth = thumbnail->pictureHeight = clamped;
  if (side > kThumbnailSide) {
    const int64_t written = int64_t(side) * side * 3;
    if (written > INT32_MAX) return kThumbnailCorrupt;  // no file holds such a block
    return SkipBytes(int32_t(written), handle);
  }
  side = clamped;
  int32_t bytes = side * side * 3;
  if (thumbnail == nullptr || !thumbnail->exists || side == 0) return SkipBytes(bytes, handle);
  std::vector<uint8_t> triples(static_cast<size_t>(bytes));
  int32_t moved = bytes;
  if ((status = ReadBlock(handle, &moved, triples.data())) != kFileOk) return status;
  std::vector<uint8_t> pixels(size_t(bytes / 3) * 4);
  for (int32_t k = 0; k < side * side; ++k) {
    pixels[size_t(k) * 4 + 0] = triples[size_t(k) * 3 + 0];
    pixels[size_t(k) * 4 + 1] = triples[size_t(k) * 3 + 1];
    pixels[size_t(k) * 4 + 2] = triples[size_t(k) * 3 + 2];
    pixels[size_t(k) * 4 + 3] = 255;
  }
  PaintThumbnailBackground(thumbnail);
  PixelRaster picture = {side, side, 4, pixels.data()};
  CopyImageToThumbnail(thumbnail, &picture);
  *hasPicture = 1;
  return kFileOk;
}
