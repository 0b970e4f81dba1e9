// Float-to-integer conversions that are defined for every input. A plain
// cast of a NaN or of a value outside the integer's range is undefined; these
// answer what the processor's truncating conversion answers there.
#pragma once

#include <cstdint>
#include <cstring>

// Truncation toward zero; NaN and values outside the int32 range give INT32_MIN.
inline int32_t TruncToInt32(float value) {
  if (value > -2147483648.0f && value < 2147483648.0f) return static_cast<int32_t>(value);
  return INT32_MIN;
}

inline int32_t TruncToInt32(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
  return INT32_MIN;
}

inline uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline float BitsToFloat(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
