#include "nets/brick_preview.h"

#include "geometry/rotation.h"
#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "nets/brick_palette.h"
#include "projection/output_pixel.h"
#include "ui/dialog_services.h"

namespace {

constexpr float kStartDistance = 1.2f;  // the eye sits this far out along its direction
constexpr float kFineStep = 0.25f;
constexpr float kFaceShades[6] = {1.0f, 0.85f, 0.7f, 0.25f, 0.4f, 0.55f};
constexpr int32_t kPlanCellPitch = 9;  // neighbouring squares share their outline
constexpr BrickRgb kOutlineFilled = {0, 0, 0};
constexpr BrickRgb kOutlineEmpty = {230, 230, 230};
constexpr BrickRgb kHiddenDot = {0, 0, 0};

// The cell index of a grid-space coordinate (-1..1 across the grid); the
// floor lowers a negative value by one and truncates.
int32_t CellIndexOf(float p, int32_t size) {
  const float v = (p + 1.0f) * 0.5f * float(size);
  return v < 0.0f ? int32_t(v - 1.0f) : int32_t(v);
}

struct CellPos {
  int32_t x, y, z;
};

CellPos CellOf(const BrickGrid* grid, const Vec3f& p) {
  return CellPos{CellIndexOf(p.x, grid->sizeX), CellIndexOf(p.y, grid->sizeY), CellIndexOf(p.z, grid->sizeZ)};
}

bool Inside(const BrickGrid* grid, const CellPos& c) {
  return uint32_t(c.x) < uint32_t(grid->sizeX) && uint32_t(c.y) < uint32_t(grid->sizeY) &&
         uint32_t(c.z) < uint32_t(grid->sizeZ);
}

// Byte 0 of a cell inside the grid.
uint8_t BitsInside(const BrickGrid* grid, const CellPos& c) {
  return grid->cells[(int64_t(c.z) * grid->sizeY + c.y) * grid->sizeX + c.x].bits;
}

// Fine steps near the shell and on the border layer around the grid.
bool NeedsFineStep(const BrickGrid* grid, const CellPos& c, bool inside) {
  if (inside) return (BitsInside(grid, c) & kBrickNearShell) != 0;
  // Outside the grid: fine on the border layer one cell around it.
  return c.x >= -1 && c.x <= grid->sizeX && c.y >= -1 && c.y <= grid->sizeY && c.z >= -1 && c.z <= grid->sizeZ;
}

// The side of the hit cell that the ray crossed coming from the previous cell.
int32_t CrossedSide(const CellPos& from, const CellPos& to) {
  if (to.x > from.x) return 0;
  if (to.y < from.y) return 1;
  if (to.z < from.z) return 2;
  if (to.x < from.x) return 3;
  if (to.y > from.y) return 4;
  if (to.z > from.z) return 5;
  return 0;
}

uint32_t Wide16(uint8_t v) { return v < 255 ? (uint32_t(v) << 7) | (uint32_t(v) >> 1) : 32768u; }

float UnitFloat(uint8_t v) { return float(double(v) * 0.003921568627451); }

// One plan pixel in the image's pixel mode.
void PutPlanPixel(ImageRecord* image, int32_t x, int32_t y, BrickRgb c) {
  switch (image->pixelMode) {
    case PixelGray16:
    case PixelRgba16:
      PutPixelRgba(x, y, image, 0, Wide16(c.r), Wide16(c.g), Wide16(c.b), 32768u);
      break;
    case PixelGrayFloat:
    case PixelRgbaFloat:
      PutPixelRgbaFloat(x, y, image, 0, UnitFloat(c.r), UnitFloat(c.g), UnitFloat(c.b), 1.0f);
      break;
    default:
      PutPixelRgba(x, y, image, 0, c.r, c.g, c.b, 255u);
      break;
  }
}

}  // namespace

bool RayMarchBrickGrid(const BrickGrid* grid, BrickRay ray, PixelMapping* mapping) {
  mapping->status = kPixelOffMap;
  if (grid == nullptr || grid->cells == nullptr) return true;
  const int32_t k = ray.view < 0 ? 0 : (ray.view > kBrickViewCount - 1 ? kBrickViewCount - 1 : ray.view);
  const Vec3f& e = grid->viewEye[k];
  const Vec3f& r = grid->viewRight[k];
  const Vec3f& u = grid->viewUp[k];
  Vec3f p{kStartDistance * e.x + ray.px * r.x + ray.py * u.x, kStartDistance * e.y + ray.px * r.y + ray.py * u.y,
          kStartDistance * e.z + ray.px * r.z + ray.py * u.z};
  int32_t largest = grid->sizeX;
  if (grid->sizeY > largest) largest = grid->sizeY;
  if (grid->sizeZ > largest) largest = grid->sizeZ;
  const float n = float(largest);
  const Vec3f coarse{-e.x / n, -e.y / n, -e.z / n};
  const Vec3f fine{coarse.x * kFineStep, coarse.y * kFineStep, coarse.z * kFineStep};
  const float limit = n * 1.3f + 4.0f;

  CellPos cell = CellOf(grid, p);
  bool inside = Inside(grid, cell);
  bool fineStep = true;
  float t = 0.0f;
  for (;;) {
    const CellPos previous = cell;
    const bool wasInside = inside;
    const Vec3f& step = fineStep ? fine : coarse;
    p = Vec3f{p.x + step.x, p.y + step.y, p.z + step.z};
    t += fineStep ? kFineStep : 1.0f;
    cell = CellOf(grid, p);
    inside = Inside(grid, cell);
    fineStep = NeedsFineStep(grid, cell, inside);
    if (wasInside && !inside) return true;  // through the grid without a hit
    const int32_t colour = inside ? BitsInside(grid, cell) & kBrickColourBits : 0;
    if (colour != 0) {
      mapping->status = colour * 6 + CrossedSide(previous, cell);
      return false;
    }
    if (t >= limit) return true;
  }
}

void BrickDisplayColour(int32_t status, float rgba[4]) {
  if (status < 0) return;
  const int32_t colour = status / 6 > kBrickColourCount ? kBrickColourCount : status / 6;
  const int32_t face = status - 6 * (status / 6);
  const float shade = face >= 0 && face < 6 ? kFaceShades[face] : 1.0f;
  const BrickRgb c = BrickDisplayRgb(colour);
  rgba[0] = float(int32_t(float(c.r) * shade)) / 255.0f;
  rgba[1] = float(int32_t(float(c.g) * shade)) / 255.0f;
  rgba[2] = float(int32_t(float(c.b) * shade)) / 255.0f;
  rgba[3] = 1.0f;
}

void DrawBrickPlanCell(const BrickGrid* grid, ImageRecord* image, int32_t x, int32_t y, int32_t layer,
                       bool filledPass) {
  if (image == nullptr) return;
  const int32_t colour = filledPass ? GetBrickCellColour(grid, x, y, layer) : 0;
  if (filledPass && colour == 0) return;
  const bool hidden = colour != 0 && (GetBrickCellFlags(grid, x, y, layer) & kBrickVisible) == 0;
  const BrickRgb fill = BrickDisplayRgb(colour);
  for (int32_t i = 0; i <= kPlanCellPitch; ++i) {
    for (int32_t j = 0; j <= kPlanCellPitch; ++j) {
      BrickRgb c = fill;
      if (i == 0 || j == 0 || i == kPlanCellPitch || j == kPlanCellPitch) {
        c = colour != 0 ? kOutlineFilled : kOutlineEmpty;
      } else if (hidden && (i == 4 || i == 5) && (j == 4 || j == 5)) {
        c = kHiddenDot;  // marks a cell hidden inside the shell
      }
      PutPlanPixel(image, kPlanCellPitch * x + j, kPlanCellPitch * y + i, c);
    }
  }
}

void RenderBrickPlanLayer(GlobalsRecord* globals, ImageRecord* image, int32_t layer, uint8_t* cancelled,
                          BrickGrid* holder) {
  UpdateProgressPercent(globals, 0, 100, globals != nullptr ? globals->exportLayerTotal : 0);
  if (image == nullptr || holder == nullptr) return;
  const ParameterBlock* settings = GetParameterBlock(globals);
  if (layer == 1 && settings != nullptr) {
    InitBrickGrid(holder, globals, settings->brickLayers, uint8_t(settings->brickPlates),
                  uint8_t(settings->brickDiffusion), uint32_t(settings->brickColorset));
  }
  if (holder->cells != nullptr) {
    if (layer == 1 && settings != nullptr) {
      RotationRecord rotation;
      SetRotationFromAngles(settings->longitude, settings->latitude, settings->spin, &rotation);
      BuildBrickGrid(holder, globals, &rotation);
    }
    const int32_t z = layer - 1;
    const int32_t side = BrickGridSide(holder->layers, holder->plates != 0);
    if (z >= 0 && z < holder->sizeZ) {
      for (int32_t pass = 0; pass < 2; ++pass) {
        for (int32_t y = 0; y < side; ++y) {
          for (int32_t x = 0; x < side; ++x) DrawBrickPlanCell(holder, image, x, y, z, pass == 1);
        }
      }
    }
  }
  if (globals != nullptr && TestAbort(globals)) {
    if (cancelled != nullptr) *cancelled = 1;
    ShowCancelling(globals);
    // No later layer will come to free the grid.
    FreeBrickGrid(holder, globals);
    return;
  }
  if (layer == holder->layers) {
    CountBrickStatistics(holder, globals);
    FreeBrickGrid(holder, globals);
  }
}
