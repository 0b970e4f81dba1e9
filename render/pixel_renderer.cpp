#include "render/pixel_renderer.h"

#include <cmath>

#include "image/area_sampling.h"
#include "image/image_record.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "render/band_scheduler.h"
#include "render/render_band.h"
#include "render/column_record.h"
#include "render/globe_shading.h"
#include "render/overlay_strokes.h"

namespace {

constexpr float kMissing = -1.0f;
constexpr float kOpaqueEnough = 0.999f;

bool SameRegion(const PixelMapping& a, const PixelMapping& b) {
  return a.status == b.status && a.subImage == b.subImage;
}

// Alpha of a sample kept to 0..1: a float document may carry any value in
// its transparency plane, and the blends divide by sums of alphas.
void ClampSampleAlpha(float colour[4]) {
  float a = colour[3];
  if (!(a > 0.0f)) a = 0.0f;
  if (a > 1.0f) a = 1.0f;
  colour[3] = a;
}

// One sample of the source (or a flat colour) for one context, shaded and
// put under the colour of the contexts before it.
struct SampleInput {
  const PixelMapping* mapping;
  float points[8];  // (-1/2, +1/2), (+1/2, -1/2), (+1/2, +1/2), centre
  bool quality;
};

void SampleContext(const SampleInput& in, MappingContext* context, const ImageRecord* image, float sharpness,
                   float colour[4]) {
  if (IsFlatColourPixel(in.mapping, context)) {
    colour[0] = colour[1] = colour[2] = colour[3] = 0.0f;
    FlatPixelColour(in.mapping, context, colour);
  } else {
    LevelHint hint{context->levelHint, context->levelHintUnknown != 0, false, context->levelHintPending != 0,
                   context->levelHintMinor};
    const float* p = in.points;
    if (in.quality) {
      SampleAreaQuality(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], image, colour, sharpness, &hint);
    } else {
      SampleAreaFast(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], image, colour, sharpness, &hint);
    }
    context->levelHint = hint.level;
    context->levelHintPending = hint.pending ? 1 : 0;
    context->levelHintMinor = hint.minor;
    context->levelHintUnknown = hint.unknown ? 1 : 0;
    if (hint.readWhileUnknown) context->levelHintReadUnknown = 1;
    ClampSampleAlpha(colour);
  }
  ShadeGlobe(colour, context, in.mapping);
}

struct SubSampleGrid {
  int32_t iMin, iMax, jMin, jMax;
};

SubSampleGrid GridForSplit(int32_t splitFlags) {
  switch (splitFlags) {
    case 1:
      return {-20, 20, 0, 0};
    case 2:
      return {0, 0, -20, 20};
    case 3:
      return {-3, 3, -3, 3};
    default:
      return {0, 0, 0, 0};
  }
}

// The cube-face images of the band's run.
const ImageRecord* BandFaceImages(const RenderBand* band) {
  return band != nullptr && band->share != nullptr ? &band->share->images[3] : nullptr;
}

BandRecord* BandJobs(RenderBand* band) { return band != nullptr ? &band->band : nullptr; }

}  // namespace

float SettledLevelHint(MappingContext* context) {
  if (context->levelHintPending) {
    context->levelHint = LevelFromMinor(context->levelHintMinor);
    context->levelHintPending = 0;
  }
  return context->levelHint;
}

const ImageRecord* MappingSourceImage(const PixelMapping* mapping, const MappingContext* context,
                                      const ImageRecord* faceImages) {
  if (mapping->inputFace == -1 || faceImages == nullptr) return context->sourceImage;
  int32_t face = mapping->inputFace;
  if (face < 0) face = 0;
  if (face > 5) face = 5;
  return &faceImages[face];
}

void MapPixelNeighbours(float x, float y, int32_t zoom, int32_t panX, int32_t panY, ImageRecord* target,
                        MappingContext* context, const ImageRecord* source, PixelMapping* mapping, float six[6],
                        BandRecord* band) {
  MapOutputPixel(x, y, zoom, panX, panY, target, context, mapping, band);
  const int32_t edgeMode = source != nullptr ? source->fetchEdgeMode : FetchClamp;
  // Neighbours, each mapped only when needed: 0 (+1/2, +1/2), 1 (+1/2, -1/2),
  // 2 (-1/2, +1/2), 3 (-1/2, -1/2).
  static constexpr float kOffsets[4][2] = {{0.5f, 0.5f}, {0.5f, -0.5f}, {-0.5f, 0.5f}, {-0.5f, -0.5f}};
  PixelMapping neighbours[4];
  int8_t usable[4] = {-1, -1, -1, -1};
  auto isUsable = [&](int32_t k) {
    if (usable[k] < 0) {
      MapOutputPixel(x + kOffsets[k][0], y + kOffsets[k][1], zoom, panX, panY, target, context, &neighbours[k], band);
      usable[k] = SameRegion(neighbours[k], *mapping) ? 1 : 0;
    }
    return usable[k] == 1;
  };
  const float pu = mapping->srcX;
  const float pv = mapping->srcY;
  auto own = [&](int32_t k, float* out) {
    out[0] = neighbours[k].srcX;
    out[1] = neighbours[k].srcY;
  };
  auto reflected = [&](int32_t k, float* out) {
    out[0] = pu - WrapDeltaU(neighbours[k].srcX - pu, edgeMode);
    out[1] = pv - WrapDeltaV(neighbours[k].srcY - pv, edgeMode);
  };
  if (isUsable(0)) {
    if (isUsable(1)) {
      own(1, six);
      reflected(1, six + 2);
      own(0, six + 4);
      return;
    }
    if (isUsable(2)) {
      reflected(2, six);
      own(2, six + 2);
      own(0, six + 4);
      return;
    }
  }
  if (isUsable(3)) {
    if (isUsable(1)) {
      own(1, six);
      reflected(1, six + 2);
      reflected(3, six + 4);
      return;
    }
    if (isUsable(2)) {
      reflected(2, six);
      own(2, six + 2);
      reflected(3, six + 4);
      return;
    }
  }
  for (int32_t k = 0; k < 6; ++k) six[k] = kMissing;
}

namespace {

// Samples a pixel of one context from its four stored corners (a, b the row's
// corners, cc, d the other row's): the corners and their wrapped average, or
// corner a alone where a quality pass meets a sub-image edge.
inline void SampleStoredCorners(const ColumnRecord* columns, int32_t c, int32_t p, float sharpness,
                                MappingContext* context, int32_t cornerMode, int32_t subImageFlags,
                                const ImageRecord* faces, float colour[4]) {
  const PixelMapping& a = columns[c + 1].mapping[p];
  const PixelMapping& b = columns[c].mapping[p];
  const PixelMapping& cc = columns[c + 1].mapping[1 - p];
  const PixelMapping& d = columns[c].mapping[1 - p];
  SampleInput in{};
  in.mapping = &a;
  in.quality = cornerMode == CornerModeQuality;
  const ImageRecord* image = MappingSourceImage(&a, context, faces);
  if (!IsFlatColourPixel(&a, context)) {
    const int32_t edgeMode = image != nullptr ? image->fetchEdgeMode : FetchClamp;
    const float u =
        WrapAverageU(WrapAverageU(cc.srcX, a.srcX, edgeMode), WrapAverageU(b.srcX, d.srcX, edgeMode), edgeMode);
    const float v =
        WrapAverageV(WrapAverageV(cc.srcY, a.srcY, edgeMode), WrapAverageV(b.srcY, d.srcY, edgeMode), edgeMode);
    if (in.quality && subImageFlags != 0) {
      for (int32_t q = 0; q < 4; ++q) {
        in.points[2 * q] = a.srcX;
        in.points[2 * q + 1] = a.srcY;
      }
    } else {
      const float pts[8] = {b.srcX, b.srcY, cc.srcX, cc.srcY, a.srcX, a.srcY, u, v};
      for (int32_t q = 0; q < 8; ++q) in.points[q] = pts[q];
    }
  }
  SampleContext(in, context, image, sharpness, colour);
}

// RenderPixelArea for the common pixel: one context, read from the stored
// corners (no sub-samples). The same operations in the same order as the
// general loop takes for it, without its bookkeeping.
void RenderPixelFromStoredCorners(int32_t c, int32_t r, float sharpness, float pixel[4], MappingContext* context,
                                  int32_t cornerMode, CornerSet* corners, const ImageRecord* faces) {
  const ColumnRecord* columns = static_cast<const ColumnRecord*>(context->columnRecords);
  if (columns == nullptr) {
    corners->passCount = 0;
    pixel[0] = pixel[1] = pixel[2] = pixel[3] = 0.0f;
    return;
  }
  float colour[4];
  SampleStoredCorners(columns, c, r & 1, sharpness, context, cornerMode, corners->subImageFlags, faces, colour);
  // Over nothing the colour stays as it is; the sums start from zero (which
  // turns a negative zero positive, as the general loop does).
  corners->passCount = 1;
  const float alpha = 0.0f + colour[3];
  if (alpha > 0.0f) {
    pixel[3] = alpha;
    for (int32_t q = 0; q < 3; ++q) pixel[q] = (0.0f + colour[3] * colour[q]) / alpha;
  } else {
    pixel[0] = pixel[1] = pixel[2] = pixel[3] = 0.0f;
  }
}

}  // namespace

void RenderPixelArea(int32_t c, int32_t r, float sharpness, float pixel[4], MappingContext* contexts,
                     ImageRecord* target, int32_t cornerMode, int32_t contextCount, CornerSet* corners,
                     RenderBand* band) {
  const ImageRecord* faces = BandFaceImages(band);
  corners->cornerMode = cornerMode;
  if (cornerMode != CornerModeFresh && contextCount == 1) {
    RenderPixelFromStoredCorners(c, r, sharpness, pixel, contexts, cornerMode, corners, faces);
    return;
  }
  const int32_t split = cornerMode == CornerModeFresh ? corners->splitFlags : 0;
  const SubSampleGrid grid = GridForSplit(split);
  const float spanI = float(grid.iMax - grid.iMin);
  const float spanJ = float(grid.jMax - grid.jMin);

  // The stored corners of the pixel, for the corner modes that use them.
  const int32_t p = r & 1;
  ColumnRecord* columns = static_cast<ColumnRecord*>(contexts[0].columnRecords);
  float sum[4] = {0, 0, 0, 0};
  int32_t count = 0;
  int32_t passes = 0;
  for (int32_t j = grid.jMin; j <= grid.jMax; ++j) {
    const float fy = spanJ > 0 ? float(j) / spanJ : 0.0f;
    for (int32_t i = grid.iMin; i <= grid.iMax; ++i) {
      const float fx = spanI > 0 ? float(i) / spanI : 0.0f;
      float acc[4] = {0, 0, 0, 0};
      for (int32_t k = 0; k < contextCount && acc[3] < kOpaqueEnough; ++k) {
        MappingContext* context = &contexts[k];
        float colour[4];
        if (cornerMode == CornerModeFresh) {
          PixelMapping mapping;
          SampleInput in{};
          float six[6];
          const ImageRecord* source = context->sourceImage;
          MapPixelNeighbours(float(c) + fx - 0.5f, float(r) + fy - 0.5f, context->previewScale, context->previewPanX,
                             context->previewPanY, target, context, source, &mapping, six, BandJobs(band));
          in.mapping = &mapping;
          in.quality = true;
          in.points[0] = six[2];
          in.points[1] = six[3];
          in.points[2] = six[0];
          in.points[3] = six[1];
          in.points[4] = six[4];
          in.points[5] = six[5];
          in.points[6] = mapping.srcX;
          in.points[7] = mapping.srcY;
          if (!IsFlatColourPixel(&mapping, context)) context->runByte1 = 0;
          SampleContext(in, context, MappingSourceImage(&mapping, context, faces), sharpness, colour);
          if (k == 0) {
            // Where the regions of the stored corners end along the edges.
            if (j == grid.jMin && mapping.status == corners->status[CornerD]) corners->edgeTop = fx + 0.5f;
            if (j == grid.jMax && mapping.status == corners->status[CornerB]) corners->edgeBottom = fx + 0.5f;
            if (i == grid.iMin && mapping.status == corners->status[CornerD]) corners->edgeLeft = fy + 0.5f;
            if (i == grid.iMax && mapping.status == corners->status[CornerC]) corners->edgeRight = fy + 0.5f;
          }
        } else {
          if (columns == nullptr) break;
          SampleStoredCorners(columns, c, p, sharpness, context, cornerMode, corners->subImageFlags, faces, colour);
        }
        CompositeOver(acc, colour);
        for (int32_t q = 0; q < 4; ++q) acc[q] = colour[q];
        ++passes;
      }
      sum[0] += acc[3] * acc[0];
      sum[1] += acc[3] * acc[1];
      sum[2] += acc[3] * acc[2];
      sum[3] += acc[3];
      ++count;
    }
  }
  corners->passCount = passes;
  if (sum[3] > 0.0f) {
    pixel[3] = sum[3] / float(count);
    pixel[0] = sum[0] / sum[3];
    pixel[1] = sum[1] / sum[3];
    pixel[2] = sum[2] / sum[3];
  } else {
    pixel[0] = pixel[1] = pixel[2] = pixel[3] = 0.0f;
  }
}

void RenderPixelWithCentre(int32_t c, int32_t r, float sharpness, float pixel[4], MappingContext* contexts,
                           ImageRecord* target, int32_t contextCount, CornerSet* corners, RenderBand* band) {
  if (corners->splitFlags != 0) {
    RenderPixelArea(c, r, sharpness, pixel, contexts, target, CornerModeFresh, contextCount, corners, band);
    return;
  }
  MappingContext* context = &contexts[0];
  // Only the centre's status and sub-image are compared.
  PixelMapping centre;
  MapOutputPixelStatus(float(c) - 0.5f, float(r) - 0.5f, context->previewScale, context->previewPanX,
                       context->previewPanY, target, context, &centre, BandJobs(band));
  if (centre.status == corners->status[CornerA] && centre.subImage == corners->subImage[CornerA]) {
    RenderPixelArea(c, r, sharpness, pixel, contexts, target, CornerModeQuality, contextCount, corners, band);
    return;
  }
  corners->splitFlags = 3;
  RenderPixelArea(c, r, sharpness, pixel, contexts, target, CornerModeFresh, contextCount, corners, band);
}

void RenderPixelFromCorners(float pixel[4], float sharpness, ImageRecord* target, ColumnRecord* columns, int32_t c,
                            int32_t r, int32_t parity, MappingContext* contexts, int32_t qualityMode,
                            int32_t contextCount, CornerSet* corners, RenderBand* band) {
  const int32_t p = parity & 1;
  const ColumnRecord& left = columns[c];
  const ColumnRecord& right = columns[c + 1];
  const PixelMapping* m[4] = {&right.mapping[p], &left.mapping[p], &right.mapping[1 - p], &left.mapping[1 - p]};
  const float outside[4] = {right.outside[p], left.outside[p], right.outside[1 - p], left.outside[1 - p]};
  for (int32_t k = 0; k < 4; ++k) {
    corners->status[k] = m[k]->status;
    corners->subImage[k] = m[k]->subImage;
  }
  // Every comparison is made (no short cuts): most pixels have four equal
  // corners, and the flags come out without a branch.
  auto subDiffers = [&](int32_t a, int32_t b) { return int32_t(corners->subImage[a] != corners->subImage[b]); };
  auto differs = [&](int32_t a, int32_t b) {
    return int32_t(corners->status[a] != corners->status[b]) | subDiffers(a, b) | int32_t(outside[a] != outside[b]);
  };
  corners->splitFlags = (differs(CornerA, CornerB) | differs(CornerC, CornerD)) |
                        ((differs(CornerA, CornerC) | differs(CornerB, CornerD)) << 1);
  corners->subImageFlags = (subDiffers(CornerB, CornerA) | subDiffers(CornerD, CornerC)) |
                           ((subDiffers(CornerB, CornerD) | subDiffers(CornerA, CornerC)) << 1);
  corners->passCount = 0;
  corners->edgeTop = corners->edgeBottom = corners->edgeLeft = corners->edgeRight = 0.0f;
  corners->work = 0;
  // runByte1 of a context is its corners-differ flag.
  for (int32_t k = 0; k < contextCount; ++k) contexts[k].runByte1 = corners->splitFlags != 0 ? 1 : 0;
  switch (qualityMode) {
    case QualityBest:
      RenderPixelWithCentre(c, r, sharpness, pixel, contexts, target, contextCount, corners, band);
      break;
    case QualityBetter:
      RenderPixelArea(c, r, sharpness, pixel, contexts, target, CornerModeQuality, contextCount, corners, band);
      break;
    case QualityGood:
      RenderPixelArea(c, r, sharpness, pixel, contexts, target, CornerModeFast, contextCount, corners, band);
      break;
    default:
      break;
  }
}
