// The brick sphere's voxel model: a grid of cells whose filled ones form a
// hollow spherical shell, each visible cell coloured with the nearest allowed
// brick colour to the panorama seen through it. The brick preview marches
// rays through it, the plan draws it layer by layer, and the statistics page
// and the LDraw model read it.
//
// The grid is built once, before anything reads it; afterwards it is only
// read, so any number of threads may march rays through it at once.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "host/host_records.h"
#include "nets/brick_palette.h"

struct GlobalsRecord;
struct RotationRecord;

// The layers a grid may have; other requests are clamped into this range.
constexpr int32_t kBrickLayersMin = 3;
constexpr int32_t kBrickLayersMax = 150;
constexpr int32_t kBrickViewCount = 4;
constexpr int32_t kPlateCellHeight = 8;   // LDraw units
constexpr int32_t kBrickCellHeight = 24;

// Byte 0 of a cell.
constexpr uint8_t kBrickColourBits = 0x1F;  // 0 empty, 1..12 palette colour
constexpr uint8_t kBrickQuantised = 0x20;   // the diffusion pass has fixed the colour
constexpr uint8_t kBrickNearShell = 0x40;   // within the 3 x 3 x 3 block of a filled cell
constexpr uint8_t kBrickVisible = 0x80;     // filled, with an empty face neighbour in the solid ball
constexpr uint8_t kBrickFlagBits = kBrickQuantised | kBrickNearShell | kBrickVisible;

struct BrickCell {
  uint8_t bits;      // colour and flags, above
  uint8_t exposure;  // empty face neighbours in the solid ball (0 when empty); diffusion only
  int16_t error[3];  // diffusion accumulators R, G, B
};
static_assert(sizeof(BrickCell) == 8);

// Cells run x fastest, then y, then z (the layers, bottom first).
struct BrickGrid {
  BrickCell* cells;  // null when absent
  BufferId cellsSlot;
  int32_t layers;
  int32_t sizeX;
  int32_t sizeY;
  int32_t sizeZ;
  float centre[3];
  Vec3f viewEye[kBrickViewCount];
  Vec3f viewRight[kBrickViewCount];  // scaled
  Vec3f viewUp[kBrickViewCount];     // scaled
  uint8_t diffuse;  // 1 colours by error diffusion, 0 by majority vote
  uint8_t plates;   // 1 plates, 0 bricks
  int32_t sample[4];  // build scratch: R, G, B, A of the last sample, then a cell's average
  uint32_t colourMask;  // bit k allows palette colour k + 1
  int32_t cellHeight;
};

// Cell counts per colour index (index 0 counts empty cells): all cells, and
// those with the visible bit.
struct BrickStatistics {
  uint32_t total[kBrickPaletteSize];
  uint32_t visible[kBrickPaletteSize];
};

int32_t ClampBrickLayers(int32_t layers);
// Cells across: trunc(layers x 0.4) for plates, trunc(layers x 1.2) for bricks.
int32_t BrickGridSide(int32_t layers, bool plates);
// X x Y x Z of the grid, and the bytes of the cell array of a grid of the
// given settings (layers clamped), in 64 bits.
int64_t BrickGridCellCount(const BrickGrid* grid);
int64_t BrickGridBytes(int32_t layers, bool plates);

// Sets the grid up for the settings (layers clamped to 3..150) and allocates
// its cells, zero-filled, through the host's buffers. A cell array the grid
// still held is given back first. On failure the cells stay null.
void InitBrickGrid(BrickGrid* grid, GlobalsRecord* globals, int32_t layers, uint8_t plates, uint8_t diffuse,
                   uint32_t colourMask);
// True when the grid needs cells but could not have them.
bool BrickGridRefused(const BrickGrid* grid);
void SetBrickViewFrame(BrickGrid* grid, int32_t view, float x, float y, float z);
// Fills colours and flags from the run's source seen through the rotation.
void BuildBrickGrid(BrickGrid* grid, GlobalsRecord* globals, const RotationRecord* rotation);
void FreeBrickGrid(BrickGrid* grid, GlobalsRecord* globals);

// Counts the grid's cells into the work record's statistics.
void CountBrickStatistics(const BrickGrid* grid, GlobalsRecord* globals);
void CountBrickCells(const BrickGrid* grid, BrickStatistics* statistics);

// The majority colour of 27 samples of the cell; the average colour of the
// samples is left in the grid's sample field.
int32_t ColourBrickCell(BrickGrid* grid, GlobalsRecord* globals, int32_t x, int32_t y, int32_t z,
                        const RotationRecord* rotation);
// One source sample at a point relative to the grid centre (unit grid
// coordinates, pz along the layers): its RGBA goes to the sample field and
// the nearest allowed colour is returned; 7 without source or alpha.
int32_t SampleBrickColour(BrickGrid* grid, GlobalsRecord* globals, float px, float py, float pz,
                          const RotationRecord* rotation);
void DitherBrickCell(BrickGrid* grid, GlobalsRecord* globals, int32_t x, int32_t y, int32_t z,
                     const RotationRecord* rotation);
int32_t VoteHiddenCellColour(const BrickGrid* grid, int32_t x, int32_t y, int32_t z);

// Cell reads. A cell outside the grid reads as empty; with no cell array
// every colour read gives 7.
int32_t GetBrickCellColour(const BrickGrid* grid, int32_t x, int32_t y, int32_t z);
uint8_t GetBrickCellFlags(const BrickGrid* grid, int32_t x, int32_t y, int32_t z);  // bits 5-7 in place
bool IsBrickCellEnclosed(const BrickGrid* grid, int32_t x, int32_t y, int32_t z);  // all six face neighbours filled
// The cell, or null outside the grid or without cells.
const BrickCell* BrickCellAt(const BrickGrid* grid, int32_t x, int32_t y, int32_t z);
