// libFuzzer target of the in-memory JPEG decoder: any bytes as the stream of
// a thumbnail block, decoded into a thumbnail-sized picture and a grey one.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "settings/jpeg_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 49152) return 0;  // the largest stream a thumbnail block holds
  static std::vector<uint8_t> rgba(128 * 128 * 4);
  static std::vector<uint8_t> grey(40 * 24);
  PixelRaster colour = {128, 128, 4, rgba.data()};
  PixelRaster small = {40, 24, 1, grey.data()};
  int32_t codecError = 0;
  int16_t result = DecodeJpegBlock(&colour, data, int32_t(size), &codecError);
  if (result != kJpegOk && result != kJpegCodecError && result != kJpegRefused) std::abort();
  result = DecodeJpegBlock(&small, data, int32_t(size), &codecError);
  if (result != kJpegOk && result != kJpegCodecError && result != kJpegRefused) std::abort();
  return 0;
}
