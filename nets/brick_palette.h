// The brick palette: twelve brick colours behind index 0 (no colour), each
// with the colour that source colours are matched against, the colour the
// preview and the plan draw, its LDraw code and the name the statistics page
// shows. Allowed colours are a 12-bit mask: bit k allows colour k + 1.
#pragma once

#include <cstdint>

constexpr int32_t kBrickPaletteSize = 13;     // index 0 and the colours 1..12
constexpr int32_t kBrickColourCount = 12;
constexpr int32_t kBrickFallbackColour = 7;   // light grey, wherever no colour can be decided
constexpr uint32_t kBrickAllColours = 0xFFF;  // the mask that allows every colour

struct BrickRgb {
  uint8_t r;
  uint8_t g;
  uint8_t b;
};

// The four tables, by index; an index below 0 reads entry 0, above 12 entry 12.
BrickRgb BrickMatchRgb(int32_t colour);
BrickRgb BrickDisplayRgb(int32_t colour);
int32_t BrickLDrawCode(int32_t colour);
const char* BrickColourName(int32_t colour);  // "" for index 0

// The allowed colour nearest to (r, g, b) by squared distance to the match
// colours, the lower index winning a tie; 7 when the mask allows none.
int32_t NearestBrickColour(int32_t r, int32_t g, int32_t b, uint32_t colourMask);
