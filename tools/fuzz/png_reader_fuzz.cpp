// libFuzzer target of the orbalix program's PNG reader.
#include "tools/fuzz/image_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzImageReader(data, size, "\x89PNG\r\n\x1a\n", 8);
}
