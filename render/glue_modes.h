// Glue modes: how a rendered pixel n is blended with the pixel o already in
// the document, for the 8-bit kind (0..255) and the 16-bit kind (0..32768).
// The compositor calls GlueBlend8 or GlueBlend16 with the `GlueMode` number;
// the per-mode formulas below them are exposed for tests and reuse.
#pragma once

#include <cstdint>

constexpr int32_t kGlueNormal = 1;
constexpr int32_t kGlueModeCount = 62;
constexpr int32_t kGlueFull8 = 255;
constexpr int32_t kGlueFull16 = 32768;

// The compositor's entry points. Glue 1 and any value outside 2..62 leave n as
// it is. Both pixels are first held in the kind's range (a document sample
// above full scale would overflow the 32-bit products of some formulas), and
// the result is clamped into 0..full before it is stored: a few 16-bit
// formulas (or, xor, the upper half of soft light) reach past full scale.
// tent is the run's tent table (256 entries), read by glue 2 only.
void GlueBlend8(int32_t glue, int32_t n[3], const int32_t o[3], const int32_t* tent);
void GlueBlend16(int32_t glue, int32_t n[3], const int32_t o[3]);

// The mode formulas as they stand, without holding the inputs or clamping the
// result; n and o must be in the kind's range. Glue 1 and values outside 2..62
// leave n unchanged.
void ApplyGlueMode8(int32_t glue, int32_t n[3], const int32_t o[3], const int32_t* tent);
void ApplyGlueMode16(int32_t glue, int32_t n[3], const int32_t o[3]);

// True for the modes that work on each channel by itself (the others look at
// the whole pixel).
bool IsPerChannelGlue(int32_t glue);

// One channel of a per-channel mode; other modes return n.
int32_t GlueChannel8(int32_t glue, int32_t n, int32_t o, const int32_t* tent);
int32_t GlueChannel16(int32_t glue, int32_t n, int32_t o);

// Hard light of a over b, and pin light of a over b, at each kind's scale.
int32_t HardLight8(int32_t a, int32_t b);
int32_t HardLight16(int32_t a, int32_t b);
int32_t PinLight8(int32_t a, int32_t b);
int32_t PinLight16(int32_t a, int32_t b);

// 77 red + 150 green + 28 blue.
int32_t GlueLum(const int32_t p[3]);
