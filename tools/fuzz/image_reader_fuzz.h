// The body of the image-file fuzz targets: any bytes as a file of one format,
// read with a small memory budget and a stop test that is asked but never
// stops. Besides crashes and sanitizer reports it checks that a read answers
// an image of the size its header announced, or a message.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/image_files.h"

// Decoded images up to 16 MiB (larger ones only slow the search down); the
// decoders' own memory as much again.
constexpr int64_t kFuzzBudget = int64_t(16) << 20;

inline int FuzzImageReader(const uint8_t* data, size_t size, const char* signature, size_t signatureBytes) {
  // Each target keeps to its own format; the others have their own targets.
  if (size < signatureBytes || std::memcmp(data, signature, signatureBytes) != 0) return 0;
  ImageHeader announced;
  bool headerSeen = false;
  ReadOptions options;
  options.acceptHeader = [&](const ImageHeader& header, std::string* error) {
    announced = header;
    headerSeen = true;
    if (DecodedBytes(header) <= kFuzzBudget) return true;
    *error = "over the budget";
    return false;
  };
  options.decoderMemory = kFuzzBudget;
  long rows = 0;
  options.stop = [&] {
    ++rows;
    return false;
  };
  ImageFile image;
  std::string error;
  const IoResult result = ReadImageFromMemory(data, size, "fuzz", options, &image, &error);
  if (result == IoResult::Stopped) std::abort();
  if (result == IoResult::Failed) {
    if (error.empty() || !image.pixels.empty()) std::abort();
    return 0;
  }
  if (!headerSeen || image.width != announced.width || image.height != announced.height ||
      image.channels != announced.channels || image.bitsPerChannel != announced.bitsPerChannel)
    std::abort();
  if (image.pixels.size() != size_t(RowBytes(image)) * size_t(image.height)) std::abort();
  if (rows == 0) std::abort();
  return 0;
}
