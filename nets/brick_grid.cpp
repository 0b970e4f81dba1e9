#include "nets/brick_grid.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "geometry/rotation.h"
#include "host/globals_record.h"
#include "host/host_memory.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "projection/formula_helpers.h"
#include "projection/input_projections.h"
#include "projection/mapping_context.h"

namespace {

constexpr int32_t kBrickPreviewOutput = 45;
constexpr int32_t kCubeFaceImageFirst = 3;  // the globals' images 3..8 hold the cube faces
constexpr float kPlatesPerLayer = 0.4f;
constexpr float kBricksPerLayer = 1.2f;
constexpr int32_t kNoVoteColour = kBrickFallbackColour;
constexpr int32_t kEmptyAverage = 193;  // the light grey of a cell without any sample
constexpr uint8_t kDeepInterior = 2;    // colour that marks deep-interior cells during the build

// The eye direction of each preview view.
constexpr float kViewEyes[kBrickViewCount][3] = {{1, 1, 1}, {-1, -1, 1}, {1, -1, -1}, {-1, 1, -1}};

bool InsideGrid(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  return uint32_t(x) < uint32_t(grid->sizeX) && uint32_t(y) < uint32_t(grid->sizeY) &&
         uint32_t(z) < uint32_t(grid->sizeZ);
}

int64_t CellIndex(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  return (int64_t(z) * grid->sizeY + y) * grid->sizeX + x;
}

BrickCell* MutableCell(BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  if (grid->cells == nullptr || !InsideGrid(grid, x, y, z)) return nullptr;
  return &grid->cells[CellIndex(grid, x, y, z)];
}

// Byte 0 of a cell; cells outside the grid are empty.
uint8_t CellBits(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  const BrickCell* cell = BrickCellAt(grid, x, y, z);
  return cell != nullptr ? cell->bits : 0;
}

bool Filled(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  return (CellBits(grid, x, y, z) & kBrickColourBits) != 0;
}

void SetColour(BrickCell* cell, int32_t colour) {
  cell->bits = uint8_t((cell->bits & kBrickFlagBits) | (uint32_t(colour) & kBrickColourBits));
}

constexpr int32_t kFaceNeighbours[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};

int32_t EmptyFaceNeighbours(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  int32_t empty = 0;
  for (const auto& d : kFaceNeighbours) {
    if (!Filled(grid, x + d[0], y + d[1], z + d[2])) ++empty;
  }
  return empty;
}

bool AllNeighboursFilled(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  for (int32_t dz = -1; dz <= 1; ++dz) {
    for (int32_t dy = -1; dy <= 1; ++dy) {
      for (int32_t dx = -1; dx <= 1; ++dx) {
        if ((dx | dy | dz) != 0 && !Filled(grid, x + dx, y + dy, z + dz)) return false;
      }
    }
  }
  return true;
}

// Strictly inside the ball of radius 0.5 about the grid centre, decided in
// exact integers: with d = 2i + 1 - n on each axis the cell centre lies at
// d / 2n, so the test dx²/nx² + dy²/ny² + dz²/nz² < 1 needs no rounding.
bool CellCentreInsideBall(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  const int64_t nx = grid->sizeX;
  const int64_t ny = grid->sizeY;
  const int64_t nz = grid->sizeZ;
  const int64_t dx = 2 * int64_t(x) + 1 - nx;
  const int64_t dy = 2 * int64_t(y) + 1 - ny;
  const int64_t dz = 2 * int64_t(z) + 1 - nz;
  return dx * dx * ny * ny * nz * nz + dy * dy * nx * nx * nz * nz + dz * dz * nx * nx * ny * ny <
         nx * nx * ny * ny * nz * nz;
}

int32_t Clamp255(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

int16_t SaturatingAdd16(int16_t a, int32_t b) {
  const int32_t sum = int32_t(a) + b;
  if (sum > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
  if (sum < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
  return int16_t(sum);
}

// The colour with the most votes, the lowest index winning ties.
int32_t MajorityColour(const int32_t votes[kBrickPaletteSize], int32_t none) {
  int32_t best = none;
  int32_t most = 0;
  for (int32_t c = 0; c < kBrickPaletteSize; ++c) {
    if (votes[c] > most) {
      most = votes[c];
      best = c;
    }
  }
  return best;
}

// What one build needs to sample the source; kept for the whole build so
// that the input mapping's scratch is set up once.
struct BrickSampler {
  GlobalsRecord* globals = nullptr;
  const ParameterBlock* settings = nullptr;
  float mollweideCache[kMollweideCacheSize];
  NetFaceList inputFaces;
};

void OpenSampler(BrickSampler* sampler, GlobalsRecord* globals) {
  sampler->globals = globals;
  sampler->settings = GetParameterBlock(globals);
  sampler->mollweideCache[0] = kCacheNotBuilt;
  std::memset(&sampler->inputFaces, 0, sizeof sampler->inputFaces);
  InitDirectSampleRecord(&sampler->inputFaces);
}

// A source sample as 0..255 values. 16-bit samples (full scale 32768) take
// the rounded top bits; float samples are clamped to 0..1 and rounded.
uint32_t ToByte(uint32_t v, int32_t pixelMode) {
  switch (pixelMode) {
    case PixelGray16:
    case PixelRgba16: {
      const uint32_t byte = ((v + 1) >> 7) & 511;
      return byte < 255 ? byte : 255;
    }
    case PixelGrayFloat:
    case PixelRgbaFloat: {
      float f;
      std::memcpy(&f, &v, sizeof f);
      if (!(f > 0.0f)) return 0;  // NaN too
      if (f >= 1.0f) return 255;
      return uint32_t(std::lround(f * 255.0f));
    }
    default:
      return v;
  }
}

// The source image a mapped point lies in: the cube face that the input
// mapping chose for the cross inputs, else the whole source.
const ImageRecord* SourceImageFor(const GlobalsRecord* globals, int32_t inputFace) {
  if (inputFace >= 0) {
    const ImageRecord* face = &globals->images[kCubeFaceImageFirst + (inputFace > 5 ? 5 : inputFace)];
    if (ImageHasPixels(face)) return face;
  }
  return &globals->images[0];
}

int32_t PixelIndex(float s, int32_t size) {
  if (!(s > 0.0f)) return 0;  // NaN too
  if (s > 1.0f) s = 1.0f;
  return int32_t(s * float(size - 1));
}

struct BrickSample {
  int32_t colour;
  bool hadSource;
};

BrickSample SampleWith(BrickSampler* sampler, BrickGrid* grid, float px, float py, float pz,
                       const RotationRecord* rotation) {
  GlobalsRecord* globals = sampler->globals;
  const ParameterBlock* settings = sampler->settings;
  if (globals == nullptr || settings == nullptr || !ImageHasPixels(&globals->images[0])) {
    return BrickSample{kBrickFallbackColour, false};
  }
  // Grid y becomes the direction's first component, the layers' axis the
  // second (up), grid x the third.
  Vec3f d{py, pz, px};
  NormalizeVec3fDouble(&d);
  InitDirectSampleRecord(&sampler->inputFaces);
  if (settings->anamorphosis == 1) HalveAngleFromForward(&d);
  if (rotation != nullptr) ApplyRotation(rotation, kBrickPreviewOutput, &d);

  const ImageRecord* source = &globals->images[0];
  const float sourceAspect = float(source->levelHeight[0]) / float(source->levelWidth[0]);
  float sx = 0, sy = 0, edgeWeight = 1;
  uint8_t noSource = 0;
  int32_t inputFace = -1, subImage = 0;
  MapDirectionToSource(settings->inputProjection, settings->flip, sourceAspect, &d, &sx, &sy, &noSource,
                       sampler->mollweideCache, &inputFace, &subImage, &edgeWeight, globals->inputMesh,
                       &sampler->inputFaces);
  if (noSource) return BrickSample{kBrickFallbackColour, false};

  const ImageRecord* image = SourceImageFor(globals, inputFace);
  const int32_t x = PixelIndex(sx, image->levelWidth[0]);
  const int32_t y = PixelIndex(sy, image->levelHeight[0]);
  uint32_t rgba[4];
  GetPixelRgba(x, y, image, 0, &rgba[0], &rgba[1], &rgba[2], &rgba[3]);
  for (int32_t i = 0; i < 4; ++i) grid->sample[i] = int32_t(ToByte(rgba[i], image->pixelMode));
  if (grid->sample[3] == 0) return BrickSample{kBrickFallbackColour, true};
  return BrickSample{NearestBrickColour(grid->sample[0], grid->sample[1], grid->sample[2], grid->colourMask), true};
}

int32_t ColourCellWith(BrickSampler* sampler, BrickGrid* grid, int32_t x, int32_t y, int32_t z,
                       const RotationRecord* rotation) {
  int32_t votes[kBrickPaletteSize] = {};
  int32_t sum[3] = {0, 0, 0};
  int32_t count = 0;
  // Offsets 1/6, 2/6 and 3/6 of the cell on each axis, z innermost.
  for (int32_t a = 0; a < 3; ++a) {
    for (int32_t b = 0; b < 3; ++b) {
      for (int32_t c = 0; c < 3; ++c) {
        const float px = (float(x) + float(a + 1) / 6.0f) / float(grid->sizeX) - 0.5f;
        const float py = (float(y) + float(b + 1) / 6.0f) / float(grid->sizeY) - 0.5f;
        const float pz = (float(z) + float(c + 1) / 6.0f) / float(grid->sizeZ) - 0.5f;
        const BrickSample s = SampleWith(sampler, grid, px, py, pz, rotation);
        votes[s.colour < 0 ? 0 : (s.colour > kBrickColourCount ? kBrickColourCount : s.colour)] += 1;
        // A sample without source has no colour of its own to average.
        if (s.hadSource && grid->sample[3] != 0) {
          for (int32_t i = 0; i < 3; ++i) sum[i] += grid->sample[i];
          ++count;
        }
      }
    }
  }
  if (count == 0) {
    for (int32_t i = 0; i < 3; ++i) grid->sample[i] = kEmptyAverage;
    return kBrickFallbackColour;
  }
  for (int32_t i = 0; i < 3; ++i) grid->sample[i] = sum[i] / count;
  return MajorityColour(votes, kNoVoteColour);
}

void DitherCellWith(BrickSampler* sampler, BrickGrid* grid, int32_t x, int32_t y, int32_t z,
                    const RotationRecord* rotation) {
  BrickCell* cell = MutableCell(grid, x, y, z);
  if (cell == nullptr || (cell->bits & kBrickColourBits) == 0 || IsBrickCellEnclosed(grid, x, y, z)) return;
  ColourCellWith(sampler, grid, x, y, z, rotation);
  int32_t corrected[3];
  for (int32_t i = 0; i < 3; ++i) corrected[i] = Clamp255(grid->sample[i] + cell->error[i]);
  const int32_t colour = NearestBrickColour(corrected[0], corrected[1], corrected[2], grid->colourMask);
  SetColour(cell, colour);
  cell->bits |= kBrickQuantised;
  const BrickRgb match = BrickMatchRgb(colour);
  const int32_t error[3] = {corrected[0] - match.r, corrected[1] - match.g, corrected[2] - match.b};

  // The error goes to the neighbours not yet fixed, by their exposure; the
  // whole spread is this cell's own exposure times the error.
  int32_t total = 0;
  for (int32_t pass = 0; pass < 2; ++pass) {
    for (int32_t dz = -1; dz <= 1; ++dz) {
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          if ((dx | dy | dz) == 0) continue;
          BrickCell* n = MutableCell(grid, x + dx, y + dy, z + dz);
          if (n == nullptr || (n->bits & kBrickQuantised) != 0) continue;
          if (pass == 0) {
            total += n->exposure;
          } else if (n->exposure > 0) {
            for (int32_t i = 0; i < 3; ++i) {
              n->error[i] = SaturatingAdd16(n->error[i], int32_t(n->exposure) * cell->exposure * error[i] / total);
            }
          }
        }
      }
    }
    if (total == 0) return;
  }
}

// Visits every cell, z outermost, x innermost.
template <typename Visit>
void ForEachCell(const BrickGrid* grid, Visit visit) {
  for (int32_t z = 0; z < grid->sizeZ; ++z) {
    for (int32_t y = 0; y < grid->sizeY; ++y) {
      for (int32_t x = 0; x < grid->sizeX; ++x) visit(x, y, z);
    }
  }
}

// The diffusion's serpentine scan of layer z, its orientation turning with
// z mod 4.
void DitherLayer(BrickSampler* sampler, BrickGrid* grid, int32_t z, const RotationRecord* rotation) {
  const int32_t nx = grid->sizeX;
  const int32_t ny = grid->sizeY;
  for (int32_t r = 0; r < ny; ++r) {
    for (int32_t c = 0; c < nx; ++c) {
      const int32_t cc = (r & 1) == 0 ? c : nx - 1 - c;
      int32_t x = cc, y = r;
      switch (z & 3) {
        case 1:
          x = r;
          y = cc;
          break;
        case 2:
          x = nx - 1 - cc;
          y = ny - 1 - r;
          break;
        case 3:
          x = nx - 1 - r;
          y = ny - 1 - cc;
          break;
        default:
          break;
      }
      DitherCellWith(sampler, grid, x, y, z, rotation);
    }
  }
}

}  // namespace

int32_t ClampBrickLayers(int32_t layers) {
  return layers < kBrickLayersMin ? kBrickLayersMin : (layers > kBrickLayersMax ? kBrickLayersMax : layers);
}

int32_t BrickGridSide(int32_t layers, bool plates) {
  if (layers <= 0) return 0;
  return int32_t(float(layers) * (plates ? kPlatesPerLayer : kBricksPerLayer));
}

int64_t BrickGridCellCount(const BrickGrid* grid) {
  if (grid == nullptr || grid->sizeX <= 0 || grid->sizeY <= 0 || grid->sizeZ <= 0) return 0;
  return int64_t(grid->sizeX) * int64_t(grid->sizeY) * int64_t(grid->sizeZ);
}

int64_t BrickGridBytes(int32_t layers, bool plates) {
  layers = ClampBrickLayers(layers);
  const int64_t side = BrickGridSide(layers, plates);
  return side * side * int64_t(layers) * int64_t(sizeof(BrickCell));
}

void InitBrickGrid(BrickGrid* grid, GlobalsRecord* globals, int32_t layers, uint8_t plates, uint8_t diffuse,
                   uint32_t colourMask) {
  if (grid == nullptr) return;
  // A grid left by a run that did not finish goes back before the new one.
  FreeBrickGrid(grid, globals);
  layers = ClampBrickLayers(layers);
  grid->plates = plates;
  grid->layers = layers;
  grid->sizeZ = layers;
  grid->cellHeight = plates ? kPlateCellHeight : kBrickCellHeight;
  grid->sizeX = grid->sizeY = BrickGridSide(layers, plates != 0);
  grid->diffuse = diffuse;
  grid->colourMask = colourMask;
  grid->cells = nullptr;
  grid->cellsSlot = 0;
  const int64_t bytes = BrickGridCellCount(grid) * int64_t(sizeof(BrickCell));
  if (bytes > 0) {
    void* cells = AllocBuffer(bytes, &grid->cellsSlot, globals != nullptr ? RunBufferProcs(globals) : nullptr);
    // The host's buffers come unfilled.
    if (cells != nullptr) std::memset(cells, 0, size_t(bytes));
    grid->cells = static_cast<BrickCell*>(cells);
  }
  for (int32_t i = 0; i < 3; ++i) grid->centre[i] = float(grid->sizeZ) * 0.5f / float(grid->sizeZ);
  for (int32_t v = 0; v < kBrickViewCount; ++v) {
    SetBrickViewFrame(grid, v, kViewEyes[v][0], kViewEyes[v][1], kViewEyes[v][2]);
  }
}

bool BrickGridRefused(const BrickGrid* grid) {
  return grid != nullptr && grid->cells == nullptr && BrickGridCellCount(grid) > 0;
}

void SetBrickViewFrame(BrickGrid* grid, int32_t view, float x, float y, float z) {
  if (grid == nullptr) return;
  view = view < 0 ? 0 : (view > kBrickViewCount - 1 ? kBrickViewCount - 1 : view);
  const Vec3f e{x, y, z};
  Vec3f r{y, -x, 0.0f};  // e x (0, 0, 1)
  NormalizeVec3f(&r);
  Vec3f u{r.y * e.z - r.z * e.y, r.z * e.x - r.x * e.z, r.x * e.y - r.y * e.x};  // r x e
  NormalizeVec3f(&u);
  const float s = grid->sizeZ < 5 ? 1.6f : (grid->sizeZ < 8 ? 1.25f : 1.1f);
  grid->viewEye[view] = e;
  grid->viewRight[view] = Vec3f{r.x * s, r.y * s, r.z * s};
  grid->viewUp[view] = Vec3f{u.x * s, u.y * s, u.z * s};
}

void BuildBrickGrid(BrickGrid* grid, GlobalsRecord* globals, const RotationRecord* rotation) {
  if (grid == nullptr || grid->cells == nullptr) return;
  BrickCell* cells = grid->cells;
  const bool diffuse = grid->diffuse != 0;

  // 1. The solid ball (colour 1); flags are kept.
  ForEachCell(grid, [&](int32_t x, int32_t y, int32_t z) {
    SetColour(&cells[CellIndex(grid, x, y, z)], CellCentreInsideBall(grid, x, y, z) ? 1 : 0);
  });
  // 2. Exposure of the solid ball, fresh accumulators.
  if (diffuse) {
    ForEachCell(grid, [&](int32_t x, int32_t y, int32_t z) {
      BrickCell& cell = cells[CellIndex(grid, x, y, z)];
      cell.exposure = (cell.bits & kBrickColourBits) != 0 ? uint8_t(EmptyFaceNeighbours(grid, x, y, z)) : 0;
      cell.error[0] = cell.error[1] = cell.error[2] = 0;
      cell.bits &= uint8_t(~kBrickQuantised);
    });
  }
  // 3. Deep interior: all 26 neighbours filled.
  ForEachCell(grid, [&](int32_t x, int32_t y, int32_t z) {
    if (Filled(grid, x, y, z) && AllNeighboursFilled(grid, x, y, z)) {
      SetColour(&cells[CellIndex(grid, x, y, z)], kDeepInterior);
    }
  });
  // 4. Visible: filled with an empty face neighbour, still in the solid ball.
  ForEachCell(grid, [&](int32_t x, int32_t y, int32_t z) {
    BrickCell& cell = cells[CellIndex(grid, x, y, z)];
    if (Filled(grid, x, y, z) && !IsBrickCellEnclosed(grid, x, y, z)) {
      cell.bits |= kBrickVisible;
    } else {
      cell.bits &= uint8_t(~kBrickVisible);
    }
  });
  // 5. Hollowing.
  ForEachCell(grid, [&](int32_t x, int32_t y, int32_t z) {
    BrickCell& cell = cells[CellIndex(grid, x, y, z)];
    if ((cell.bits & kBrickColourBits) == kDeepInterior) SetColour(&cell, 0);
  });
  // 6. Near-shell: the 3 x 3 x 3 block around every filled cell.
  ForEachCell(grid, [&](int32_t x, int32_t y, int32_t z) {
    if (!Filled(grid, x, y, z)) return;
    for (int32_t dz = -1; dz <= 1; ++dz) {
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          if (BrickCell* n = MutableCell(grid, x + dx, y + dy, z + dz)) n->bits |= kBrickNearShell;
        }
      }
    }
  });

  BrickSampler sampler;
  OpenSampler(&sampler, globals);
  if (!diffuse) {
    // 7. Majority vote of every visible cell.
    ForEachCell(grid, [&](int32_t x, int32_t y, int32_t z) {
      BrickCell& cell = cells[CellIndex(grid, x, y, z)];
      if ((cell.bits & kBrickVisible) != 0) SetColour(&cell, ColourCellWith(&sampler, grid, x, y, z, rotation));
    });
  } else {
    // 8. Error diffusion, layer by layer.
    for (int32_t z = 0; z < grid->sizeZ; ++z) DitherLayer(&sampler, grid, z, rotation);
  }
  // 9. Hidden cells take the colour of the visible cells around them.
  ForEachCell(grid, [&](int32_t x, int32_t y, int32_t z) {
    BrickCell& cell = cells[CellIndex(grid, x, y, z)];
    if ((cell.bits & kBrickColourBits) != 0 && (cell.bits & kBrickVisible) == 0) {
      SetColour(&cell, VoteHiddenCellColour(grid, x, y, z));
    }
  });
}

void FreeBrickGrid(BrickGrid* grid, GlobalsRecord* globals) {
  if (grid == nullptr) return;
  void* cells = grid->cells;
  FreeBuffer(&cells, &grid->cellsSlot, globals != nullptr ? RunBufferProcs(globals) : nullptr);
  grid->cells = nullptr;
  grid->cellsSlot = 0;
}

void CountBrickCells(const BrickGrid* grid, BrickStatistics* statistics) {
  if (statistics == nullptr) return;
  std::memset(statistics, 0, sizeof *statistics);
  if (grid == nullptr || grid->cells == nullptr) return;
  const int64_t count = BrickGridCellCount(grid);
  for (int64_t i = 0; i < count; ++i) {
    const uint8_t bits = grid->cells[i].bits;
    const int32_t colour = bits & kBrickColourBits;
    const int32_t index = colour > kBrickColourCount ? kBrickColourCount : colour;
    statistics->total[index] += 1;
    if ((bits & kBrickVisible) != 0) statistics->visible[index] += 1;
  }
}

void CountBrickStatistics(const BrickGrid* grid, GlobalsRecord* globals) {
  if (globals == nullptr || globals->workRecord == nullptr) return;
  CountBrickCells(grid, &globals->workRecord->brickStatistics);
}

int32_t ColourBrickCell(BrickGrid* grid, GlobalsRecord* globals, int32_t x, int32_t y, int32_t z,
                        const RotationRecord* rotation) {
  if (grid == nullptr) return kBrickFallbackColour;
  BrickSampler sampler;
  OpenSampler(&sampler, globals);
  return ColourCellWith(&sampler, grid, x, y, z, rotation);
}

int32_t SampleBrickColour(BrickGrid* grid, GlobalsRecord* globals, float px, float py, float pz,
                          const RotationRecord* rotation) {
  if (grid == nullptr) return kBrickFallbackColour;
  BrickSampler sampler;
  OpenSampler(&sampler, globals);
  return SampleWith(&sampler, grid, px, py, pz, rotation).colour;
}

void DitherBrickCell(BrickGrid* grid, GlobalsRecord* globals, int32_t x, int32_t y, int32_t z,
                     const RotationRecord* rotation) {
  if (grid == nullptr) return;
  BrickSampler sampler;
  OpenSampler(&sampler, globals);
  DitherCellWith(&sampler, grid, x, y, z, rotation);
}

int32_t VoteHiddenCellColour(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  static constexpr int32_t kProbes[14][3] = {{1, 0, 0},  {-1, 0, 0}, {2, 0, 0},  {-2, 0, 0}, {3, 0, 0},
                                             {-3, 0, 0}, {0, 1, 0},  {0, -1, 0}, {0, 2, 0},  {0, -2, 0},
                                             {0, 3, 0},  {0, -3, 0}, {0, 0, 1},  {0, 0, -1}};
  int32_t votes[kBrickPaletteSize] = {};
  for (const auto& p : kProbes) {
    const uint8_t bits = CellBits(grid, x + p[0], y + p[1], z + p[2]);
    const int32_t colour = bits & kBrickColourBits;
    if (colour != 0 && (bits & kBrickVisible) != 0) votes[colour > kBrickColourCount ? kBrickColourCount : colour] += 1;
  }
  return MajorityColour(votes, kNoVoteColour);
}

const BrickCell* BrickCellAt(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  if (grid == nullptr || grid->cells == nullptr || !InsideGrid(grid, x, y, z)) return nullptr;
  return &grid->cells[CellIndex(grid, x, y, z)];
}

int32_t GetBrickCellColour(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  if (grid == nullptr || grid->cells == nullptr) return kBrickFallbackColour;
  return CellBits(grid, x, y, z) & kBrickColourBits;
}

uint8_t GetBrickCellFlags(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  return CellBits(grid, x, y, z) & kBrickFlagBits;
}

bool IsBrickCellEnclosed(const BrickGrid* grid, int32_t x, int32_t y, int32_t z) {
  return EmptyFaceNeighbours(grid, x, y, z) == 0;
}
