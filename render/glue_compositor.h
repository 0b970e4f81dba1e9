// The last step of every output pixel: the rendered colour (RGBA floats,
// nominally 0..1, possibly above 1) is converted to the document's pixel
// kind, over-range light is spilled into the other channels, the pixel is
// blended with the one already in the document by glue mode, and written to
// the host's row (final render), the host's preview buffers (preview) or the
// export image (export pass).
#pragma once

#include <cstdint>

struct GlobalsRecord;
struct ImageRecord;

// The document's pixel kind.
constexpr int32_t PixelKind8 = 0;
constexpr int32_t PixelKind16 = 1;
constexpr int32_t PixelKindFloat = 2;
constexpr int32_t PixelKindUnknown = -1;

// Everything a composite needs that does not change from pixel to pixel of
// one row: read once from the filter record, the settings and the work
// record, then used for every column.
struct CompositeTarget {
  int32_t runMode = 0;
  int32_t kind = PixelKind8;
  int32_t glue = 1;
  float scale = 255.0f;   // of R, G, B and A: 255, 32768 or 1
  int32_t full = 255;     // full scale M of the integer kinds
  bool rgb = false;       // RGB document (else grey: plane 0 only)
  bool editable = false;  // the transparency plane is written too
  int32_t width = 0;      // TargetWidth: positions are clamped into it
  int32_t height = 0;
  // Host buffers (run modes 0 and 1).
  uint8_t* outData = nullptr;
  const uint8_t* inData = nullptr;
  int32_t outRowBytes = 0;
  int32_t inRowBytes = 0;
  int32_t planes = 0;       // output pixel stride in samples
  int32_t inStride = 0;     // input pixel stride in samples
  int32_t layerPlane = -1;  // sample index of the transparency plane, -1 none
  int32_t outWidth = 0;     // columns and rows the host delivered
  int32_t outHeight = 0;
  int32_t inWidth = 0;
  int32_t inHeight = 0;
  // Export image (run mode 2).
  ImageRecord* exportImage = nullptr;
  bool export8 = false;           // the export image holds 8-bit pixels
  const int32_t* tent = nullptr;  // the tent table of glue 2
  const GlobalsRecord* globals = nullptr;
};

// The pixel kind of a document by its image mode and depth (the rule the
// source acquisition reads the document by).
int32_t CompositePixelKind(int16_t imageMode, int32_t depth);

// Reads the row-invariant part of a composite. Leaves the target unusable
// (width 0) when there is nothing the compositor may write.
void PrepareCompositeTarget(const GlobalsRecord* globals, CompositeTarget* target);
// One pixel through a prepared target.
void CompositeTargetPixel(const CompositeTarget* target, int32_t x, int32_t y, const float colour[4]);
// CompositeTargetPixel for the pixels of row y, columns 0..width-1 (four
// floats each).
void CompositeTargetRow(const CompositeTarget* target, int32_t y, const float* pixels, int32_t width);

void CompositePixel(int32_t x, int32_t y, const float colour[4], GlobalsRecord* globals);
void CompositeGluePixel(int32_t x, int32_t y, const float colour[4], GlobalsRecord* globals);

// The integer stages of a composite, exposed for their own tests.
// Over-range spill of three channels at full scale m.
void SpillOverRange(int32_t n[3], int32_t m);
// The glue step of the integer kinds: replaces n by its blend with the
// underlying pixel o; glue 1 and values outside 2..62 leave n unchanged.
void ApplyGlue8(int32_t glue, int32_t n[3], const int32_t o[3], const int32_t* tent);
void ApplyGlue16(int32_t glue, int32_t n[3], const int32_t o[3]);
// The preview's checkerboard value for the square of (x, y).
int32_t CheckerboardValue8(int32_t x, int32_t y);
int32_t CheckerboardValue16(int32_t x, int32_t y);
float CheckerboardValueFloat(int32_t x, int32_t y);
