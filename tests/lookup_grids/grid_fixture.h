// A lookup grid as a run has it: an image record created 50 x 50 in floats,
// holding no table yet.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "image/image_record.h"
#include "image/pixel_access.h"

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitImageRecord(&grid, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&grid, 50, 50, PixelRgbaFloat, FetchClamp, 0));
  }
  void TearDown() override { FreeImageRecord(&grid); }

  // The four channels of a cell as floats.
  static void Cell(const ImageRecord* image, int32_t x, int32_t y, float out[4]) {
    uint32_t bits[4];
    GetPixelRgba(x, y, image, 0, &bits[0], &bits[1], &bits[2], &bits[3]);
    std::memcpy(out, bits, sizeof bits);
  }
  static void PutCell(ImageRecord* image, int32_t x, int32_t y, float r, float g, float b, float a) {
    const float values[4] = {r, g, b, a};
    uint32_t bits[4];
    std::memcpy(bits, values, sizeof bits);
    PutPixelRgba(x, y, image, 0, bits[0], bits[1], bits[2], bits[3]);
  }

  ImageRecord grid;
};
