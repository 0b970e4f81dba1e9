#include "nets/brick_palette.h"

namespace {

struct PaletteEntry {
  const char* name;
  BrickRgb match;
  BrickRgb display;
  int32_t ldraw;
};

constexpr PaletteEntry kPalette[kBrickPaletteSize] = {
    {"", {0, 0, 0}, {255, 255, 255}, 16},
    {"black", {0, 0, 0}, {50, 50, 50}, 0},
    {"blue", {52, 77, 153}, {0, 0, 255}, 1},
    {"green", {0, 143, 81}, {0, 150, 80}, 2},
    {"red", {242, 0, 42}, {255, 0, 0}, 4},
    {"white", {255, 255, 255}, {250, 250, 250}, 15},
    {"yellow", {251, 225, 11}, {255, 223, 0}, 14},
    {"light grey", {193, 193, 193}, {210, 210, 210}, 7},
    {"dark grey", {85, 85, 85}, {128, 128, 128}, 8},
    {"brown", {81, 43, 32}, {102, 51, 0}, 6},
    {"sand red", {203, 149, 197}, {203, 149, 137}, 12},
    {"tan", {240, 194, 129}, {204, 170, 102}, 13},
    {"green-gray", {139, 172, 150}, {139, 172, 150}, 10},
};

const PaletteEntry& Entry(int32_t colour) {
  if (colour < 0) colour = 0;
  if (colour > kBrickColourCount) colour = kBrickColourCount;
  return kPalette[colour];
}

}  // namespace

BrickRgb BrickMatchRgb(int32_t colour) { return Entry(colour).match; }
BrickRgb BrickDisplayRgb(int32_t colour) { return Entry(colour).display; }
int32_t BrickLDrawCode(int32_t colour) { return Entry(colour).ldraw; }
const char* BrickColourName(int32_t colour) { return Entry(colour).name; }

int32_t NearestBrickColour(int32_t r, int32_t g, int32_t b, uint32_t colourMask) {
  int32_t nearest = kBrickFallbackColour;
  float best = 2000000000.0f;
  for (int32_t k = 1; k <= kBrickColourCount; ++k) {
    if ((colourMask & (1u << (k - 1))) == 0) continue;
    const BrickRgb& m = kPalette[k].match;
    const int64_t dr = int64_t(r) - m.r;
    const int64_t dg = int64_t(g) - m.g;
    const int64_t db = int64_t(b) - m.b;
    const float distance = float(dr * dr + dg * dg + db * db);
    if (distance < best) {
      best = distance;
      nearest = k;
    }
  }
  return nearest;
}
