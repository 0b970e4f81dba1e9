#include "settings/random_settings.h"

#include <cstdio>
#include <ctime>

#include "host/parameter_block.h"

namespace {

// The linear congruential generator whose 15-bit outputs the draws were
// designed around; the same on every platform.
uint32_t gRandomState = 1;

void SetAngle(int32_t value, float* angle, int32_t* integer) {
  *angle = float(value);
  *integer = value;
}

}  // namespace

void SeedRandomGenerator(uint32_t seed) { gRandomState = seed; }

void SeedRandomFromTime() { SeedRandomGenerator(uint32_t(std::time(nullptr))); }

int32_t NextRandomValue() {
  gRandomState = gRandomState * 214013u + 2531011u;
  return int32_t((gRandomState >> 16) & 0x7fffu);
}

int32_t RandomInt(int32_t a, int32_t b) {
  const int64_t lo = a < b ? a : b;
  const int64_t hi = a < b ? b : a;
  const int64_t span = hi - lo;
  int64_t mask = 1;
  if (span >= 2) {
    mask = 3;
    while (mask < span && mask < 2147483647) mask = mask * 2 + 1;
  }
  for (;;) {
    const int64_t r = ((int64_t(int16_t(NextRandomValue())) >> 4) & mask) + lo;
    if (r <= hi) return int32_t(r);
  }
}

void RandomiseViewAngles(ParameterBlock* block) {
  if (block == nullptr) return;
  SetAngle(RandomInt(0, 180) - 90, &block->latitude, &block->latitudeInteger);
  int32_t first = RandomInt(0, 180);
  int32_t second = RandomInt(0, 180);
  SetAngle(first + second - 180, &block->longitude, &block->longitudeInteger);
  first = RandomInt(0, 180);
  second = RandomInt(0, 180);
  SetAngle(first + second - 180, &block->spin, &block->spinInteger);
}

void RandomiseViewAnglesSquare(ParameterBlock* block) {
  if (block == nullptr) return;
  SetAngle(90 * RandomInt(0, 2) - 90, &block->latitude, &block->latitudeInteger);
  SetAngle(90 * (RandomInt(0, 3) - 2), &block->longitude, &block->longitudeInteger);
  SetAngle(90 * (RandomInt(0, 3) - 2), &block->spin, &block->spinInteger);
}

void SetRandomSettingsName(ParameterBlock* block) {
  if (block == nullptr) return;
  std::snprintf(block->settingsName, sizeof block->settingsName, "%s", kRandomSettingsName);
}

namespace {

ParameterBlock* BlockOf(GlobalsRecord* globals) { return globals != nullptr ? GetParameterBlock(globals) : nullptr; }

}  // namespace

void RandomiseViewAngles(GlobalsRecord* globals) { RandomiseViewAngles(BlockOf(globals)); }
void RandomiseViewAnglesSquare(GlobalsRecord* globals) { RandomiseViewAnglesSquare(BlockOf(globals)); }
void SetRandomSettingsName(GlobalsRecord* globals) { SetRandomSettingsName(BlockOf(globals)); }
