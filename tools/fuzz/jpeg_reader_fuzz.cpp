// libFuzzer target of the orbalix program's JPEG reader.
#include "tools/fuzz/image_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzImageReader(data, size, "\xFF\xD8\xFF", 3);
}
