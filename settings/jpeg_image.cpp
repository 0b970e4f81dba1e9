#include "settings/jpeg_image.h"

#include <memory>
#include <new>

#include "image/image_record.h"
#include "image/pixel_access.h"

namespace {

int32_t RectWidth(const Rect* rect) { return int32_t(rect->right) - int32_t(rect->left); }
int32_t RectHeight(const Rect* rect) { return int32_t(rect->bottom) - int32_t(rect->top); }

int32_t ClampInt(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

void ReadImageRow(const void* source, int32_t y, int32_t width, uint8_t* rgb) {
  const ImageRecord* image = static_cast<const ImageRecord*>(source);
  int32_t maxX = image->levelWidth[0] - 1;
  int32_t sy = ClampInt(y, 0, image->levelHeight[0] - 1);
  for (int32_t x = 0; x < width; ++x) {
    float pixel[4];
    GetPixelFloatRgba(ClampInt(x, 0, maxX), sy, image, 0, pixel);
    for (int c = 0; c < 3; ++c) {
      float v = pixel[c];
      if (!(v >= 0.0f)) v = 0.0f;  // NaN too
      if (v > 1.0f) v = 1.0f;
      rgb[x * 3 + c] = uint8_t(v * 255.0f);
    }
  }
}

void WriteImageRow(void* target, int32_t y, const uint8_t* row, int32_t width, int32_t components) {
  ImageRecord* image = static_cast<ImageRecord*>(target);
  if (y >= image->levelHeight[0]) return;
  int32_t n = width < image->levelWidth[0] ? width : image->levelWidth[0];
  for (int32_t x = 0; x < n; ++x) {
    const uint8_t* p = row + x * components;
    uint8_t r = p[0], g = components == 3 ? p[1] : p[0], b = components == 3 ? p[2] : p[0];
    switch (image->pixelMode) {
      case PixelRgba8:
        PutPixelRgba8(x, y, image, 0, r, g, b, 255);
        break;
      case PixelGray8:
        PutPixelGray8(x, y, image, 0, components == 3 ? uint8_t((77 * r + 150 * g + 28 * b) >> 8) : r);
        break;
      default: {
        const float pixel[4] = {float(r) / 255.0f, float(g) / 255.0f, float(b) / 255.0f, 1.0f};
        PutPixelFloatRgba(x, y, image, 0, pixel);
        break;
      }
    }
  }
}

}  // namespace

int16_t EncodeJpegToBlock(const ImageRecord* image, const Rect* rect, uint8_t* block, int32_t capacity,
                          int32_t quality, bool standardTables, int32_t* byteCountOut, uint32_t iccSize,
                          const uint8_t* iccData, const JpegMarkerBlock* iptc, const JpegMarkerBlock* exif) {
  if (image == nullptr || !ImageHasLevel(image, 0) || rect == nullptr) return kJpegBadImage;
  JpegRowReader reader = {ReadImageRow, image};
  return EncodeJpegRows(&reader, RectWidth(rect), RectHeight(rect), block, capacity, quality, standardTables,
                        byteCountOut, iccSize, iccData, iptc, exif);
}

int16_t DecodeJpegBlock(ImageRecord* image, const Rect* rect, const uint8_t* block, int32_t size) {
  if (image == nullptr || !ImageHasLevel(image, 0) || rect == nullptr) return kJpegBadImage;
  JpegRowWriter writer = {WriteImageRow, image, RectWidth(rect), RectHeight(rect)};
  return DecodeJpegRows(&writer, block, size);
}

int16_t WriteJpegBlock(const ImageRecord* image, FileHandle handle, bool writeHeader, int32_t quality,
                       uint32_t iccSize, const uint8_t* iccData, const JpegMarkerBlock* iptc,
                       const JpegMarkerBlock* exif) {
  if (image == nullptr) return 1;
  if (!ImageHasLevel(image, 0)) return 2;
  int32_t width = image->levelWidth[0];
  int32_t height = image->levelHeight[0];
  int32_t streamWidth = width < 16 ? 16 : width;
  int32_t streamHeight = height < 16 ? 16 : height;
  // Room for the pixels and for every segment that may go along.
  int64_t capacity = int64_t(streamWidth) * streamHeight * 6 + (iccData != nullptr ? iccSize : 0) + 2 * 65536;
  int32_t count = 0;
  int16_t encoded = kJpegBadImage;
  std::unique_ptr<uint8_t[]> work;
  if (capacity <= INT32_MAX) work.reset(new (std::nothrow) uint8_t[size_t(capacity)]);
  if (work != nullptr) {
    Rect rect = {0, 0, int16_t(height), int16_t(width)};
    encoded = EncodeJpegToBlock(image, &rect, work.get(), int32_t(capacity), quality, false, &count, iccSize,
                                iccData, iptc, exif);
  }
  if (encoded != kJpegOk) return writeHeader ? WriteInt32BE(0, handle) : kFileOk;
  if (writeHeader) {
    WriteInt32BE(1, handle);
    WriteInt32BE(streamWidth, handle);
    WriteInt32BE(streamHeight, handle);
    WriteInt32BE(count, handle);
  }
  return WriteBlock(handle, &count, work.get());
}
