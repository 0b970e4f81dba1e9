// The six faces of a cube cross, each cut into its own image record so that
// it is sampled with its own edges.
#include "host/globals_record.h"
#include "image/image_copy.h"
#include "image/image_record.h"
#include "image/level_building.h"
#include "render/band_scheduler.h"
#include "render/source_acquisition.h"

namespace {

constexpr int32_t kFaceCount = 6;
constexpr int32_t kFirstFaceImage = 3;

// Cell of the cross grid (column, row) that one face is cut from.
struct FaceCell {
  int32_t face;
  int32_t column;
  int32_t row;
};

// Cells in the order the faces are cut.
constexpr FaceCell kHorizontalCells[kFaceCount] = {{5, 1, 0}, {2, 1, 2}, {4, 0, 1}, {1, 2, 1}, {3, 1, 1}, {0, 3, 1}};
constexpr FaceCell kVerticalCells[kFaceCount] = {{5, 1, 0}, {2, 1, 2}, {4, 0, 1}, {1, 2, 1}, {3, 1, 1}, {0, 1, 3}};

void SplitCubeCross(GlobalsRecord* globals, int32_t columns, int32_t rows, int32_t marker, const FaceCell* cells) {
  ImageRecord* faces = &globals->images[kFirstFaceImage];
  if (faces[5].layoutMarker == marker) return;
  const ImageRecord* source = &globals->images[0];
  if (!ImageHasLevel(source, 0)) return;
  const int32_t w = source->levelWidth[0] / columns;
  const int32_t h = source->levelHeight[0] / rows;
  // All six faces or none: a face that cannot be created leaves no half-cut
  // cross behind, and the next preparation tries again.
  for (int32_t f = 0; f < kFaceCount; ++f) {
    if (!CreateImageRecord(&faces[f], w, h, source->pixelMode, FetchClamp, 0)) {
      FreeWorkImages(faces, kFaceCount);
      return;
    }
  }
  for (int32_t i = 0; i < kFaceCount; ++i) {
    const FaceCell& cell = cells[i];
    ImageRecord* face = &faces[cell.face];
    const Rect rect{int16_t(cell.row * h), int16_t(cell.column * w), int16_t(cell.row * h + h),
                    int16_t(cell.column * w + w)};
    CopyImageRect(source, &rect, face, 0, 0, 0);
    face->sampleEdgeMode = EdgeClamp;
    face->layoutMarker = marker;
    BuildLevelsThroughBands(globals, face);
  }
}

}  // namespace

void SplitCubeCross4x3(GlobalsRecord* globals) {
  SplitCubeCross(globals, 4, 3, LayoutHorizontalCross, kHorizontalCells);
}

void SplitCubeCross3x4(GlobalsRecord* globals) {
  SplitCubeCross(globals, 3, 4, LayoutVerticalCross, kVerticalCells);
}
