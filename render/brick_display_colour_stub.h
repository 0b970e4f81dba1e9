// Stand-in for the brick preview's display colour until the brick sphere
// model lands: the face shades are applied to a neutral grey, since the
// brick palette lives with the model. Delete this file when the real
// BrickDisplayColour is built.
#pragma once

#include <cstdint>

// For status >= 0 (colour * 6 + face) writes the shaded display colour;
// a negative status writes nothing.
void BrickDisplayColour(int32_t status, float rgba[4]);
