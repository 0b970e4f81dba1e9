#include "app/memory_budget.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

int64_t MachineMemoryBytes() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return int64_t(4) << 30;
  return int64_t(pages) * int64_t(pageSize);
}

int64_t DefaultMemoryBudget() { return MachineMemoryBytes() / 2; }

bool ParseByteSize(const std::string& text, int64_t* bytes) {
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.')) return false;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == text.c_str() || !std::isfinite(value) || value <= 0) return false;
  double scale = 1024.0 * 1024.0;
  const std::string unit = end;
  if (unit == "K" || unit == "k") {
    scale = 1024.0;
  } else if (unit == "G" || unit == "g") {
    scale = 1024.0 * 1024.0 * 1024.0;
  } else if (unit == "T" || unit == "t") {
    scale = 1024.0 * 1024.0 * 1024.0 * 1024.0;
  } else if (!(unit.empty() || unit == "M" || unit == "m")) {
    return false;
  }
  const double result = value * scale;
  if (result < 1.0 || result > 9.0e18) return false;
  *bytes = int64_t(result);
  return true;
}

RunMemory EstimateRunMemory(const ImageHeader& source, int64_t documentWidth, int64_t documentHeight) {
  const int64_t sampleBytes = source.bitsPerChannel / 8;
  const int64_t decoded = DecodedBytes(source);
  RunMemory need{decoded, "decoding"};
  auto consider = [&](int64_t bytes, const char* phase) {
    if (bytes > need.bytes) need = RunMemory{bytes, phase};
  };
  if (documentWidth != source.width || documentHeight != source.height)
    consider(ResampleWorkingBytes(source.width, source.height, documentWidth, documentHeight, source.channels,
                                  source.bitsPerChannel),
             "resampling");
  // The filter holds the document and its own copy of the source, four
  // samples a pixel with a third more for the smaller levels, besides
  // tables and row buffers.
  const double pixels = double(documentWidth) * double(documentHeight);
  const double document = pixels * double(source.channels * sampleBytes);
  const double levels = pixels * double(4 * sampleBytes) * 4.0 / 3.0;
  const double filter = document + levels + double(int64_t(64) << 20);
  consider(int64_t(std::min(filter, 9.0e18)), "the filter");
  return need;
}
