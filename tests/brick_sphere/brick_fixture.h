// A globals record with a source image and settings, as a run holds them,
// for building brick grids in process; and small hand-made grids.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "geometry/rotation.h"
#include "host/globals_record.h"
#include "host/host_records.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "nets/brick_grid.h"
#include "nets/brick_palette.h"

// One source pixel as 0..255 values (alpha too).
struct Rgba8 {
  int32_t r, g, b, a;
};

struct BrickRig {
  std::unique_ptr<GlobalsRecord> globals = std::make_unique<GlobalsRecord>();
  std::unique_ptr<WorkRecord> work = std::make_unique<WorkRecord>();
  FilterRecord record{};
  ParameterBlock block{};
  char* master = nullptr;
  BrickGrid grid{};
  RotationRecord rotation{};

  BrickRig() {
    master = reinterpret_cast<char*>(&block);
    record.parameters = &master;
    globals->filterRecord = &record;
    ResetBufferSlots(globals.get());
    globals->workRecord = work.get();
    block.inputProjection = 1;
    block.outputProjection = 45;
    block.brickLayers = 20;
    block.brickColorset = int32_t(kBrickAllColours);
    SetRotationFromAngles(0, 0, 0, &rotation);
  }
  ~BrickRig() {
    FreeBrickGrid(&grid, globals.get());
    FreeImageRecord(&globals->images[0]);
  }

  // A source of the given size and pixel mode whose pixel (x, y) is colour(x, y).
  void Source(int32_t width, int32_t height, int32_t pixelMode, const std::function<Rgba8(int32_t, int32_t)>& colour) {
    ImageRecord* image = &globals->images[0];
    FreeImageRecord(image);
    InitImageRecord(image, &globals->imageOwner, nullptr);
    ASSERT_TRUE(CreateImageRecord(image, width, height, pixelMode, FetchWrapX, 0));
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const Rgba8 c = colour(x, y);
        if (pixelMode == PixelRgba16) {
          auto wide = [](int32_t v) { return uint32_t(std::lround(v * 32768.0 / 255.0)); };
          PutPixelRgba(x, y, image, 0, wide(c.r), wide(c.g), wide(c.b), wide(c.a));
        } else if (pixelMode == PixelRgbaFloat) {
          PutPixelRgbaFloat(x, y, image, 0, c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, c.a / 255.0f);
        } else {
          PutPixelRgba(x, y, image, 0, uint32_t(c.r), uint32_t(c.g), uint32_t(c.b), uint32_t(c.a));
        }
      }
    }
  }
  void UniformSource(Rgba8 colour, int32_t pixelMode = PixelRgba8) {
    Source(16, 8, pixelMode, [&](int32_t, int32_t) { return colour; });
  }

  // Sets the grid up and builds it from the source (no source: every colour 7).
  void Build(int32_t layers, bool plates, bool diffuse, uint32_t mask, bool withSource = true) {
    InitBrickGrid(&grid, globals.get(), layers, plates ? 1 : 0, diffuse ? 1 : 0, mask);
    ASSERT_NE(grid.cells, nullptr);
    BuildBrickGrid(&grid, withSource ? globals.get() : nullptr, &rotation);
  }
};

// A grid of any size over cells the test owns, with the four view frames.
struct HandGrid {
  std::vector<BrickCell> cells;
  BrickGrid grid{};

  HandGrid(int32_t sizeX, int32_t sizeY, int32_t sizeZ) {
    cells.assign(size_t(sizeX) * size_t(sizeY) * size_t(sizeZ), BrickCell{});
    grid.cells = cells.empty() ? nullptr : cells.data();
    grid.sizeX = sizeX;
    grid.sizeY = sizeY;
    grid.sizeZ = sizeZ;
    grid.layers = sizeZ;
    grid.colourMask = kBrickAllColours;
    const float eyes[4][3] = {{1, 1, 1}, {-1, -1, 1}, {1, -1, -1}, {-1, 1, -1}};
    for (int32_t v = 0; v < 4; ++v) SetBrickViewFrame(&grid, v, eyes[v][0], eyes[v][1], eyes[v][2]);
  }
  BrickCell& At(int32_t x, int32_t y, int32_t z) {
    return cells[(size_t(z) * size_t(grid.sizeY) + size_t(y)) * size_t(grid.sizeX) + size_t(x)];
  }
  // A filled cell of the colour, visible or hidden.
  void Fill(int32_t x, int32_t y, int32_t z, int32_t colour, bool visible) {
    At(x, y, z).bits = uint8_t((At(x, y, z).bits & kBrickNearShell) | colour | (visible ? kBrickVisible : 0));
  }
  // Marks the 3 x 3 x 3 block around a cell as near the shell.
  void MarkNear(int32_t x, int32_t y, int32_t z) {
    for (int32_t dz = -1; dz <= 1; ++dz) {
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          const int32_t a = x + dx, b = y + dy, c = z + dz;
          if (a >= 0 && b >= 0 && c >= 0 && a < grid.sizeX && b < grid.sizeY && c < grid.sizeZ) {
            At(a, b, c).bits |= kBrickNearShell;
          }
        }
      }
    }
  }
};
