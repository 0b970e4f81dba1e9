#include "settings/thumbnail.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

PixelRaster ThumbnailRaster(SettingsThumbnail* thumbnail) {
  return {kThumbnailSide, kThumbnailSide, 4, thumbnail->rgba};
}

// Nearest-pixel scaling between two rasters; an exact copy at equal sizes.
// TODO(settings): use the image module's filtered CopyImageScaled once the
// thumbnail is an image record.
void ScaleRaster(const PixelRaster* from, PixelRaster* to) {
  for (int32_t y = 0; y < to->height; ++y) {
    int32_t sy = int32_t(int64_t(y) * from->height / to->height);
    for (int32_t x = 0; x < to->width; ++x) {
      int32_t sx = int32_t(int64_t(x) * from->width / to->width);
      const uint8_t* s = from->pixels + (size_t(sy) * size_t(from->width) + size_t(sx)) * size_t(from->channels);
      uint8_t* d = to->pixels + (size_t(y) * size_t(to->width) + size_t(x)) * size_t(to->channels);
      if (to->channels == 4) {
        d[0] = s[0];
        d[1] = from->channels == 4 ? s[1] : s[0];
        d[2] = from->channels == 4 ? s[2] : s[0];
        d[3] = from->channels == 4 ? s[3] : 255;
      } else {
        d[0] = from->channels == 4 ? uint8_t((77 * s[0] + 150 * s[1] + 28 * s[2]) >> 8) : s[0];
      }
    }
  }
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
