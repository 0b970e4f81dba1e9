// Stand-in (see the header).
#include "render/brick_display_colour_stub.h"

void BrickDisplayColour(int32_t status, float rgba[4]) {
  if (status < 0) return;
  static constexpr float kFaceShade[6] = {1.0f, 0.85f, 0.7f, 0.25f, 0.4f, 0.55f};
  const float shade = kFaceShade[status % 6];
  const float grey = float(int32_t(160.0f * shade)) / 255.0f;
  rgba[0] = rgba[1] = rgba[2] = grey;
  rgba[3] = 1.0f;
}
