// Random view angles for the dialog's "&Dice" and "C&onstrained" buttons,
// drawn from a 15-bit generator with a rejection rule.
#pragma once

#include <cstdint>

struct GlobalsRecord;
struct ParameterBlock;

// Seeds the generator with the current time in seconds.
void SeedRandomFromTime();
// Seeds the generator with a given value (a repeatable sequence).
void SeedRandomGenerator(uint32_t seed);
// The generator's next value, 0..32767.
int32_t NextRandomValue();

// A uniform integer between a and b inclusive, in either order. The draw
// keeps bits 4 and up of a generator value under a mask of all ones and
// redraws values beyond the range.
int32_t RandomInt(int32_t a, int32_t b);

// "&Dice": latitude -90..90; longitude and spin -180..180, each the sum of
// two draws (a triangular spread about 0). Integer twins take the same value.
void RandomiseViewAngles(ParameterBlock* block);
void RandomiseViewAngles(GlobalsRecord* globals);
// "C&onstrained": latitude -90, 0 or 90; longitude and spin -180, -90, 0 or 90.
void RandomiseViewAnglesSquare(ParameterBlock* block);
void RandomiseViewAnglesSquare(GlobalsRecord* globals);

constexpr const char* kRandomSettingsName = "random settings.q2q";
void SetRandomSettingsName(ParameterBlock* block);
void SetRandomSettingsName(GlobalsRecord* globals);
