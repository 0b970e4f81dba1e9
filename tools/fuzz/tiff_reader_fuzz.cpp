// libFuzzer target of the orbalix program's TIFF reader (little- and
// big-endian files, classic and BigTIFF).
#include "tools/fuzz/image_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= 2 && data[0] == 'M' && data[1] == 'M') return FuzzImageReader(data, size, "MM", 2);
  return FuzzImageReader(data, size, "II", 2);
}
