// Image files of the orbalix program: PNG, JPEG and TIFF read into and written
// from one interleaved in-memory layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ImageFormat { Unknown, Png, Jpeg, Tiff };

struct ImageFile {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;        // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
  int32_t bitsPerChannel = 0;  // 8, 16 (unsigned integers) or 32 (float)
  std::vector<uint8_t> pixels; // rows top to bottom, channels interleaved, native byte order
};

inline int64_t BytesPerPixel(const ImageFile& image) {
  return int64_t(image.channels) * (image.bitsPerChannel / 8);
}
inline int64_t RowBytes(const ImageFile& image) { return BytesPerPixel(image) * image.width; }

ImageFormat FormatFromPath(const std::string& path);
const char* FormatName(ImageFormat format);

// Reads any of the three formats, chosen by the file's own signature.
bool ReadImageFile(const std::string& path, ImageFile* out, std::string* error);

// The width and height from the file's header, without decoding the pixels.
bool ReadImageSize(const std::string& path, int64_t* width, int64_t* height, std::string* error);

// Writes in the format the path's extension names, at the image's depth where
// the format allows it (JPEG is 8-bit without alpha; PNG has no float). The file
// is written beside the target under a temporary name and renamed over it, so a
// failure never leaves a partial file behind.
bool WriteImageFile(const std::string& path, const ImageFile& image, std::string* error);

// Converts the samples to another depth (8, 16 or 32), keeping channels.
ImageFile ConvertDepth(const ImageFile& image, int32_t bitsPerChannel);

// Resamples to a new size with a separable triangle filter widened to the scale
// when shrinking (an area-like average), as an image editor's resize would.
ImageFile ResampleImage(const ImageFile& image, int32_t width, int32_t height);
